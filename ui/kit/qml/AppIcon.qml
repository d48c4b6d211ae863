import QtQuick
import Moorvane

// An application's icon, loaded off the main thread; "app.fill" where there is none.
Item {
    property string source
    property real fallbackSize: Math.min(width, height) * 0.66

    Image {
        id: image
        anchors.fill: parent
        source: parent.source
        asynchronous: true
        sourceSize.width: 64
        sourceSize.height: 64
        fillMode: Image.PreserveAspectFit
        smooth: true
        visible: status === Image.Ready
    }
    MvSymbol {
        anchors.centerIn: parent
        visible: image.status !== Image.Ready
        symbol: "app.fill"
        size: parent.fallbackSize
        color: Theme.tertiary
    }
}
