import QtQuick
import QtQuick.Controls
import Moorvane

// One entry of the strip: an app or file tile, or a spacer bar. Dragging it carries its identifier as
// plain text; dropping onto another entry tile is what reorders.
Item {
    id: root
    required property var tile
    required property QtObject strip

    readonly property bool isHovered: strip.hoveredId === tile.tileId
    readonly property bool isSpacer: tile.isSpacer

    implicitWidth: isSpacer ? tile.spacerWidth + 8 : 60
    implicitHeight: 66

    Accessible.role: Accessible.ListItem
    Accessible.name: isSpacer ? "Spacer" : tile.label

    HoverHandler {
        onHoveredChanged: hovered ? root.strip.setHovered(root.tile.tileId) : root.strip.clearHovered(root.tile.tileId)
    }

    MouseArea {
        id: dragArea
        anchors.fill: parent
        acceptedButtons: Qt.LeftButton | Qt.RightButton
        drag.target: proxy
        onPressed: function (mouse) {
            if (mouse.button === Qt.RightButton && !root.isSpacer) menu.popup()
        }
        onReleased: {
            proxy.x = 0
            proxy.y = 0
        }
    }

    Item {
        id: proxy
        width: root.width
        height: root.height
        Drag.active: dragArea.drag.active
        Drag.dragType: Drag.Automatic
        Drag.supportedActions: Qt.MoveAction
        Drag.proposedAction: Qt.MoveAction
        Drag.mimeData: ({ "text/plain": root.tile.tileId })
        Drag.onDragStarted: root.strip.startDrag(root.tile.tileId)
        // Cancelled, or dropped somewhere other than an entry tile: clear the drag all the same.
        Drag.onDragFinished: root.strip.endDrag()
    }

    DropArea {
        anchors.fill: parent
        keys: ["text/plain"]
        onEntered: function (drag) {
            if (!root.strip.canAcceptDrop()) {
                drag.accepted = false
                return
            }
            drag.accept(Qt.MoveAction)
            root.strip.dragEnter(root.tile.tileId)
        }
        onDropped: function (drop) {
            root.strip.drop()
            drop.accept(Qt.MoveAction)
        }
    }

    // Spacer bar.
    Rectangle {
        visible: root.isSpacer
        anchors.centerIn: parent
        width: root.tile.spacerWidth
        height: 40
        radius: 2
        color: Qt.rgba(1, 1, 1, 0.15)
    }

    Column {
        visible: !root.isSpacer
        anchors.centerIn: parent
        spacing: 3

        Item {
            id: iconBox
            width: 48
            height: 48
            anchors.horizontalCenter: parent.horizontalCenter
            AppIcon {
                anchors.fill: parent
                source: root.tile.iconSource
                fallbackSize: 32
                opacity: root.tile.isHidden ? 0.35 : 1
            }
        }
        Text {
            width: 56
            text: root.tile.label
            font.pixelSize: 9
            color: Theme.secondary
            elide: Text.ElideMiddle
            horizontalAlignment: Text.AlignHCenter
            maximumLineCount: 1
        }
    }

    // Remove button at the icon's (or bar's) top-right corner.
    MvButton {
        visible: root.isHovered
        plain: true
        padding: 0
        symbol: "xmark.circle.fill"
        symbolSize: 14
        help: "Remove from Profile"
        x: root.isSpacer ? root.width / 2 + root.tile.spacerWidth / 2 - width / 2 + 8
                         : root.width / 2 + 24 - width / 2 + 6
        y: root.isSpacer ? (root.height - 40) / 2 - height / 2 - 8 : (root.height - 60) / 2 - height / 2 - 6
        z: 2
        background: Rectangle { radius: width / 2; color: Qt.rgba(0, 0, 0, 0.5) }
        onClicked: root.strip.remove(root.tile.tileId)
    }

    // Eye button at the icon's bottom-left corner.
    MvButton {
        visible: !root.isSpacer && root.tile.canHide && (root.isHovered || root.tile.isHidden)
        plain: true
        padding: 3
        symbol: root.tile.isHidden ? "eye.slash.fill" : "eye"
        symbolSize: 10
        help: root.tile.eyeTooltip
        x: root.width / 2 - 24 - width / 2 - 4
        y: (root.height - 60) / 2 + 48 - height / 2 + 4
        z: 2
        background: Rectangle { radius: width / 2; color: Qt.rgba(0, 0, 0, 0.55) }
        onClicked: root.strip.toggleHidden(root.tile.tileId)
    }

    Menu {
        id: menu
        MvMenuItem {
            text: root.tile.hideMenuText
            enabled: root.tile.canHide === true
            symbol: root.tile.isHidden ? "eye" : "eye.slash"
            onTriggered: root.strip.toggleHidden(root.tile.tileId)
        }
        MenuSeparator {}
        MvMenuItem {
            text: "Remove from Profile"
            symbol: "xmark.circle.fill"
            destructive: true
            onTriggered: root.strip.remove(root.tile.tileId)
        }
    }
}
