pragma ComponentBehavior: Bound

import QtQuick
import QtQuick.Controls
import Moorvane

// The profile's application tiles as the Dock lays them out, reordered live while a tile is dragged.
Rectangle {
    id: root
    required property DockStripModel strip

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

        // Most mice have only a vertical wheel: it, and Shift with it, scroll the strip sideways.
        WheelHandler {
            id: wheel
            target: null
            onWheel: function (event) {
                const pixels = event.pixelDelta.x !== 0 || event.pixelDelta.y !== 0
                const dx = pixels ? event.pixelDelta.x : event.angleDelta.x / 120 * 60
                const dy = pixels ? event.pixelDelta.y : event.angleDelta.y / 120 * 60
                const delta = Math.abs(dx) > Math.abs(dy) ? dx : dy
                const first = list.originX - list.leftMargin
                const last = list.originX + list.contentWidth + list.rightMargin - list.width
                list.contentX = Math.max(first, Math.min(Math.max(first, last), list.contentX - delta))
                scrolling.restart()
                event.accepted = true
            }
        }
        Timer { id: scrolling; interval: 800 }

        // A tile removed by keys takes the keyboard with it; it goes on to the tile that took its place, or the
        // one before when it was the last. After the removal, once the list has its rows again.
        property int keyIndex: -1
        onCountChanged: if (keyIndex >= 0) refocus.start()
        Timer {
            id: refocus
            interval: 50
            onTriggered: {
                // The list keeps the keyboard itself, out of sight, once its focused tile is gone; or, when that
                // tile was the list's current one (the first), hands it to the cell that became current, which
                // takes no keys.
                const holder = root.Window.activeFocusItem
                if (holder !== null && holder !== list && holder.parent !== list.contentItem && holder.visible
                        && holder !== root.Window.contentItem)
                    return
                const cell = list.count > 0 ? list.itemAtIndex(Math.min(list.keyIndex, list.count - 1)) : null
                const tile = cell ? cell.nextItemInFocusChain(true) : null
                if (tile !== null)
                    tile.forceActiveFocus(Qt.TabFocusReason)
            }
        }

        ScrollBar.horizontal: ScrollBar {
            id: bar
            height: 6
            policy: ScrollBar.AsNeeded
            active: hovered || pressed || scrolling.running || list.moving
            contentItem: Rectangle {
                implicitHeight: 4
                radius: 2
                color: Qt.rgba(1, 1, 1, bar.pressed ? 0.5 : 0.35)
                opacity: bar.active && bar.size < 1 ? 1 : 0
                Behavior on opacity { NumberAnimation { duration: 200 } }
            }
            background: Item {}
        }

        delegate: Item {
            id: cell
            required property var tile
            required property string tileId
            required property int index
            // A tile reached by Tab scrolls into view.
            readonly property bool keyFocus: (loader.item as StripEntryTile)?.keyFocus
                                             ?? (loader.item as StripGroupTile)?.keyFocus ?? false
            onKeyFocusChanged: if (keyFocus) {
                list.positionViewAtIndex(cell.index, ListView.Contain)
                list.keyIndex = cell.index
            }

            width: loader.item ? (loader.item as Item).implicitWidth : 0
            height: ListView.view.height

            // A group or an entry tile, each built with its tile and the strip as it is created; the tile then
            // follows the row's data.
            Loader {
                id: loader
                anchors.fill: parent
                Component.onCompleted: setSource(cell.tile.kind === "group" ? "StripGroupTile.qml" : "StripEntryTile.qml",
                                                 { tile: cell.tile, strip: root.strip })
            }
            Binding {
                target: loader.item
                property: "tile"
                value: cell.tile
                when: loader.status === Loader.Ready
            }
        }
    }
}
