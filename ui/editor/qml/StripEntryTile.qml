import QtQuick
import QtQuick.Controls
import Moorvane

// One entry of the strip: an app or file tile, or a spacer bar. Dragging it carries its identifier as
// plain text; dropping onto another entry tile is what reorders.
Item {
    id: root
    required property var tile
    required property DockStripModel strip

    readonly property bool isHovered: strip.hoveredId === tile.tileId
    readonly property bool isSpacer: tile.isSpacer

    implicitWidth: isSpacer ? tile.spacerWidth + 8 : 60
    implicitHeight: 66

    Accessible.role: Accessible.ListItem
    Accessible.name: isSpacer ? "Spacer" : tile.label
    // A tile the session's dock leaves out is drawn faint and says why, to the pointer and to a screen reader.
    readonly property bool notShown: tile.notShown.length > 0
    Accessible.description: tile.notShown
    ToolTip.visible: notShown && isHovered && !dragArea.pressed
    ToolTip.delay: 500
    ToolTip.text: tile.notShown

    // By keyboard: Delete removes the tile, the menu key or Shift+F10 opens its menu.
    activeFocusOnTab: true
    Keys.onPressed: function (event) {
        if (event.key === Qt.Key_Delete || event.key === Qt.Key_Backspace)
            root.strip.remove(root.tile.tileId)
        else if (!root.isSpacer && (event.key === Qt.Key_Menu || (event.key === Qt.Key_F10 && (event.modifiers & Qt.ShiftModifier))))
            menu.popup(root, root.width / 2, root.height / 2)
        else
            return
        event.accepted = true
    }
    readonly property bool keyFocus: activeFocus
    MvFocusRing { inset: 1; radius: 8 }

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
        opacity: root.notShown ? 0.4 : 1
    }

    Column {
        id: iconColumn
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
                opacity: root.tile.isHidden || root.notShown ? 0.35 : 1
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

    // The badges overlap the corners of what they act on, as the group tile's count does, so each is plainly
    // its tile's and none reaches past the tile.
    readonly property real markLeft: isSpacer ? (width - tile.spacerWidth) / 2 : (width - 48) / 2
    readonly property real markRight: isSpacer ? markLeft + tile.spacerWidth : markLeft + 48
    readonly property real markTop: isSpacer ? (height - 40) / 2 : iconColumn.y
    readonly property real markBottom: markTop + (isSpacer ? 40 : 48)

    // Remove button on the icon's (or bar's) top-right corner.
    MvButton {
        visible: root.isHovered
        plain: true
        padding: 1
        symbol: "xmark.circle.fill"
        symbolSize: 14
        help: "Remove from Profile"
        x: Math.min(root.width - width, root.markRight - width / 2 - 2)
        y: Math.max(0, root.markTop - height / 2 + 2)
        z: 2
        background: Rectangle { radius: width / 2; color: Qt.rgba(0, 0, 0, 0.6) }
        onClicked: root.strip.remove(root.tile.tileId)
    }

    // Eye button on the icon's bottom-left corner, above the label.
    MvButton {
        visible: !root.isSpacer && root.tile.canHide && (root.isHovered || root.tile.isHidden)
        plain: true
        padding: 3
        symbol: root.tile.isHidden ? "eye.slash.fill" : "eye"
        symbolSize: 10
        help: root.tile.eyeTooltip
        x: Math.max(0, root.markLeft - width / 2 + 2)
        y: root.markBottom - height + 1
        z: 2
        background: Rectangle { radius: width / 2; color: Qt.rgba(0, 0, 0, 0.6) }
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
