import QtQuick
import QtQuick.Controls
import Moorvane

// A menu row, with a leading symbol when it has one (no empty gutter when it has none).
MenuItem {
    id: item
    property string symbol
    property bool destructive: false

    Accessible.name: text
    Accessible.onPressAction: item.triggered()

    contentItem: Row {
        spacing: 8
        MvSymbol {
            visible: item.symbol.length > 0
            width: 16
            symbol: item.symbol
            size: 14
            color: item.destructive ? Theme.red : (item.enabled ? Theme.primary : Theme.tertiary)
            anchors.verticalCenter: parent.verticalCenter
        }
        Text {
            text: item.text
            font.pixelSize: Theme.bodySize
            color: item.destructive ? Theme.red : (item.enabled ? Theme.primary : Theme.tertiary)
            anchors.verticalCenter: parent.verticalCenter
        }
    }
}
