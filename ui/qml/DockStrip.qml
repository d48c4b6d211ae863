import QtQuick
import QtQuick.Controls
import Moorvane

// The profile's application tiles as the Dock lays them out, reordered live while a tile is dragged.
Rectangle {
    id: root
    required property QtObject strip

    implicitHeight: 90
    radius: 14
    color: Qt.rgba(0, 0, 0, 0.15)
    border.width: 1
    border.color: Qt.rgba(1, 1, 1, 0.08)

    ListView {
        id: list
        anchors.fill: parent
        leftMargin: 16
        rightMargin: 16
        // The vertical padding lives inside the delegates, so a tile's corner buttons are not clipped.
        orientation: ListView.Horizontal
        spacing: 2
        clip: true
        boundsBehavior: Flickable.StopAtBounds
        interactive: root.strip.draggingId.length === 0
        model: root.strip.tiles

        move: Transition { NumberAnimation { properties: "x"; duration: 200; easing.type: Easing.InOutQuad } }
        moveDisplaced: Transition { NumberAnimation { properties: "x"; duration: 200; easing.type: Easing.InOutQuad } }
        displaced: Transition { NumberAnimation { properties: "x"; duration: 150; easing.type: Easing.OutQuad } }
        add: Transition { NumberAnimation { property: "opacity"; from: 0; to: 1; duration: 150; easing.type: Easing.OutQuad } }

        delegate: Item {
            id: cell
            required property var tile
            required property string tileId

            width: loader.item ? loader.item.implicitWidth : 0
            height: ListView.view.height

            Loader {
                id: loader
                anchors.fill: parent
                sourceComponent: cell.tile.kind === "group" ? groupTile : entryTile
            }

            Component {
                id: entryTile
                StripEntryTile { tile: cell.tile; strip: root.strip }
            }
            Component {
                id: groupTile
                StripGroupTile { tile: cell.tile; strip: root.strip }
            }
        }
    }
}
