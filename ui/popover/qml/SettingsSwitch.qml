import QtQuick
import QtQuick.Controls
import Moorvane

// A setting: its title with a switch at the trailing edge, and a line saying what it does, which a screen
// reader hears as the switch's description.
Column {
    id: setting
    property string title
    property alias caption: captionText.text
    property alias checked: toggle.checked
    signal toggled()

    spacing: 2

    Item {
        width: parent.width
        height: Math.max(titleText.implicitHeight, toggle.implicitHeight)
        Text {
            id: titleText
            text: setting.title
            color: Theme.primary
            font.pixelSize: 13
            anchors.verticalCenter: parent.verticalCenter
            Accessible.ignored: true
        }
        Switch {
            id: toggle
            anchors.right: parent.right
            anchors.verticalCenter: parent.verticalCenter
            width: 32
            height: 18
            padding: 0
            text: setting.title
            onToggled: setting.toggled()
            Accessible.name: setting.title
            Accessible.description: captionText.text
            Keys.onReturnPressed: {
                toggle.toggle()
                setting.toggled()
            }
            MvFocusRing { target: toggle; inset: -2; radius: 11 }
            contentItem: Item {}
            indicator: Rectangle {
                x: 0
                y: 0
                implicitWidth: 32
                implicitHeight: 18
                radius: 9
                color: toggle.checked ? Theme.accent : Theme.control
                Behavior on color { ColorAnimation { duration: 150 } }
                Rectangle {
                    width: 16
                    height: 16
                    radius: 8
                    y: 1
                    x: toggle.checked ? parent.width - width - 1 : 1
                    color: "white"
                    Behavior on x { NumberAnimation { duration: 150; easing.type: Easing.InOutQuad } }
                }
            }
        }
    }
    Text {
        id: captionText
        width: parent.width
        color: Theme.secondary
        font.pixelSize: 11
        wrapMode: Text.WordWrap
        Accessible.ignored: true
    }
}
