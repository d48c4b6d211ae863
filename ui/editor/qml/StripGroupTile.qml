pragma ComponentBehavior: Bound

import QtQuick
import QtQuick.Controls
import Moorvane

// A group of the strip: one tile standing for its member apps, with a popover listing them.
Item {
    id: root
    required property var tile
    required property DockStripModel strip

    readonly property bool keyFocus: face.activeFocus

    implicitWidth: 60
    implicitHeight: 66

    Column {
        anchors.centerIn: parent
        spacing: 3

        AbstractButton {
            id: face
            width: 48
            height: 48
            anchors.horizontalCenter: parent.horizontalCenter
            hoverEnabled: true
            focusPolicy: Qt.TabFocus
            MvFocusRing { radius: 13 }
            Accessible.role: Accessible.Button
            Accessible.name: root.tile.label
            Accessible.onPressAction: face.clicked()
            ToolTip.visible: hovered && !popover.visible
            ToolTip.text: root.tile.tooltip
            ToolTip.delay: 600
            onClicked: popover.visible ? popover.close() : popover.open()

            background: Rectangle {
                radius: 11
                color: Theme.withAlpha(Theme.accent, 0.22)
                border.width: 1
                border.color: Qt.rgba(1, 1, 1, 0.12)
            }
            contentItem: MvSymbol {
                symbol: root.tile.symbolName
                size: 20
                color: Theme.accent
            }

            Rectangle {
                x: parent.width - width / 2 + 5 - 6
                y: -height / 2 - 4 + 6
                width: Math.max(height, badge.implicitWidth + 8)
                height: badge.implicitHeight + 2
                radius: height / 2
                color: Theme.accent
                Text {
                    id: badge
                    anchors.centerIn: parent
                    text: root.tile.badge
                    font.pixelSize: 9
                    font.bold: true
                    color: "white"
                }
            }
            Rectangle {
                visible: root.tile.hasHiddenMember === true
                x: -width / 2 - 4 + 6
                y: parent.height - height / 2 + 4 - 6
                width: 14
                height: 14
                radius: 7
                color: Theme.orange
                MvSymbol { anchors.centerIn: parent; symbol: "eye.slash.fill"; size: 8; color: "white" }
            }
            TapHandler {
                acceptedButtons: Qt.RightButton
                onTapped: menu.popup()
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

    Menu {
        id: menu
        MvMenuItem { text: "Edit Group\u2026"; symbol: "pencil"; onTriggered: root.strip.editGroup(root.tile.tileId) }
        MvMenuItem { text: "Ungroup"; symbol: "folder.fill"; onTriggered: root.strip.ungroup(root.tile.tileId) }
        MenuSeparator {}
        MvMenuItem {
            text: "Remove Group & Apps"
            symbol: "xmark.circle.fill"
            destructive: true
            onTriggered: root.strip.removeGroupAndApps(root.tile.tileId)
        }
    }

    Popup {
        id: popover
        objectName: "groupMembersPopover"
        y: face.y + face.height + 18
        x: (root.width - width) / 2
        width: 220
        padding: 12
        // Kept off the window's edges when the group sits at either end of the strip.
        margins: 8
        background: Rectangle { radius: 10; color: "#2C2C2E"; border.color: Qt.rgba(1, 1, 1, 0.12) }
        // The id below is a member delegate's own, which the linter of Qt 6.4 takes for one on the content item.
        // qmllint disable deferred-property-id
        contentItem: Column {
        // qmllint enable deferred-property-id
            spacing: 8
            Row {
                spacing: 6
                MvSymbol { symbol: root.tile.symbolName; size: 13; color: Theme.accent }
                Text { text: root.tile.label; font.pixelSize: Theme.subheadlineSize; font.bold: true; color: Theme.primary }
            }
            Rectangle { width: parent.width; height: 1; color: Theme.quaternary }
            Repeater {
                model: root.tile.members
                delegate: Row {
                    id: member
                    required property var modelData
                    width: 196
                    spacing: 8
                    AppIcon {
                        width: 22
                        height: 22
                        source: member.modelData.iconSource
                        opacity: member.modelData.isHidden ? 0.4 : 1
                    }
                    Text {
                        width: 196 - 22 - 24 - 16
                        text: member.modelData.label
                        elide: Text.ElideRight
                        font.pixelSize: Theme.bodySize
                        color: member.modelData.isHidden ? Theme.secondary : Theme.primary
                        anchors.verticalCenter: parent.verticalCenter
                    }
                    MvButton {
                        plain: true
                        symbol: member.modelData.isHidden ? "eye.slash.fill" : "eye"
                        symbolSize: Theme.captionSize + 2
                        tint: member.modelData.isHidden ? Theme.orange : Theme.secondary
                        help: member.modelData.tooltip
                        anchors.verticalCenter: parent.verticalCenter
                        onClicked: root.strip.toggleHiddenBundle(member.modelData.bundleIdentifier)
                    }
                }
            }
        }
    }
}
