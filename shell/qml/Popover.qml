import QtQuick
import QtQuick.Controls

// The popover's frame; its profiles and settings pages are drawn by the views.
Rectangle {
    width: 340
    height: 120
    color: "#1e1e20"
    radius: 10

    Label {
        anchors.centerIn: parent
        text: "Moorvane"
        color: "white"
        font.pixelSize: 15
        font.weight: Font.DemiBold
    }
}
