import QtQuick
import QtQuick.Controls
import Moorvane

// One profile in the popover: a click (or Space or Return) switches to it, the pencil edits it, a right click
// (or the Menu key) asks for its menu. The pencil shows on hover and while the keyboard is on the row or on
// it; it is always there for Tab and for a screen reader, only not drawn.
AbstractButton {
    id: row

    required property int index
    required property string profileId
    required property string name
    required property string colorName
    required property bool isActive
    required property string countText
    required property string focusName
    required property bool hasHidden
    required property string shortcut
    required property var icons
    required property string overflowText
    required property string details

    signal switchRequested()
    signal editRequested()
    // The page keeps one menu for all rows, rather than each row building its own; it opens at (x, y) of the row.
    // One the keyboard opened gives the keyboard back to the row when it closes.
    signal menuRequested(real x, real y, bool byKeyboard)
    // The keyboard came onto the row or its pencil: the list brings it into view.
    signal focusEntered()

    readonly property color tint: Theme.profileColor(colorName)
    readonly property bool isHovering: hovered
    readonly property bool revealsPencil: isHovering || visualFocus || pencil.hovered || pencil.visualFocus

    hoverEnabled: true
    focusPolicy: Qt.TabFocus
    onActiveFocusChanged: if (activeFocus) focusEntered()
    implicitWidth: 340
    implicitHeight: content.implicitHeight + 14
    leftInset: 6
    rightInset: 6

    // Checkable only so that the active row reads as checked; a click never toggles it.
    checkable: true
    checked: isActive
    onClicked: {
        checked = Qt.binding(() => isActive)
        if (!isActive) switchRequested()
    }

    Accessible.name: name
    Accessible.description: details
    Accessible.onPressAction: row.clicked()
    Keys.onReturnPressed: row.clicked()
    Keys.onEnterPressed: row.clicked()
    Keys.onPressed: event => {
        if (event.key === Qt.Key_Menu || (event.key === Qt.Key_F10 && (event.modifiers & Qt.ShiftModifier))) {
            row.menuRequested(row.leftInset + 14, row.height, true)
            event.accepted = true
        }
    }

    MvFocusRing { target: row; inset: 0; x: row.leftInset; width: row.width - row.leftInset - row.rightInset; radius: 8 }

    background: Rectangle {
        radius: 8
        color: row.isActive ? Theme.withAlpha(row.tint, 0.08)
                            : row.isHovering ? Theme.withAlpha(Theme.primary, 0.04) : "transparent"
        Behavior on color { ColorAnimation { duration: 150; easing.type: Easing.InOutQuad } }
    }

    // The right button's press is taken here, so the button never sees it and a right click cannot switch.
    MouseArea {
        anchors.fill: parent
        z: -1
        acceptedButtons: Qt.RightButton
        onPressed: mouse => row.menuRequested(mouse.x, mouse.y, false)
    }

    // The row's height and the name's width follow the content row, which needs its id, so the content
    // item is built with the control rather than deferred.
    // qmllint disable deferred-property-id
    contentItem: Item {
    // qmllint enable deferred-property-id
        implicitHeight: content.implicitHeight
        Row {
            id: content
            x: row.leftInset + 8
            width: parent.width - row.leftInset - row.rightInset - 16
            anchors.verticalCenter: parent.verticalCenter

            Rectangle {
                width: 3
                height: 32
                radius: 2
                color: row.isActive ? row.tint : "transparent"
                anchors.verticalCenter: parent.verticalCenter
            }
            Item { width: 9; height: 1 }
            Rectangle {
                width: 10
                height: 10
                radius: 5
                color: row.tint
                anchors.verticalCenter: parent.verticalCenter
            }
            Item { width: 8; height: 1 }
            Column {
                id: texts
                spacing: 2
                width: content.width - 3 - 9 - 10 - 8 - 8 - strip.width - 6 - 24
                anchors.verticalCenter: parent.verticalCenter

                Row {
                    spacing: 5
                    width: parent.width
                    Text {
                        text: row.name
                        color: Theme.primary
                        font.pixelSize: 13
                        font.weight: row.isActive ? Font.DemiBold : Font.Normal
                        elide: Text.ElideRight
                        width: Math.min(implicitWidth, parent.width - (badge.visible ? badge.width + 5 : 0))
                        anchors.verticalCenter: parent.verticalCenter
                    }
                    Rectangle {
                        id: badge
                        visible: row.shortcut.length > 0
                        width: badgeText.implicitWidth + 8
                        height: badgeText.implicitHeight + 2
                        radius: 3
                        color: Theme.withAlpha(Theme.primary, 0.06)
                        anchors.verticalCenter: parent.verticalCenter
                        Text {
                            id: badgeText
                            anchors.centerIn: parent
                            text: row.shortcut
                            color: Theme.tertiary
                            font.pixelSize: 9
                            font.weight: Font.Medium
                        }
                    }
                }
                Row {
                    spacing: 3
                    Text {
                        text: row.countText
                        color: Theme.secondary
                        font.pixelSize: 11
                    }
                    MvSymbol {
                        visible: row.focusName.length > 0
                        symbol: "moon.fill"
                        size: 8
                        color: Theme.secondary
                        anchors.verticalCenter: parent.verticalCenter
                    }
                    Text {
                        visible: row.focusName.length > 0
                        text: row.focusName
                        color: Theme.secondary
                        font.pixelSize: 11
                    }
                    MvSymbol {
                        visible: row.hasHidden
                        symbol: "eye.slash"
                        size: 8
                        color: Theme.withAlpha(Theme.orange, 0.8)
                        anchors.verticalCenter: parent.verticalCenter
                    }
                }
            }
            // Keeps a long name's shortcut badge off the icons.
            Item { width: 8; height: 1 }
            Row {
                id: strip
                spacing: -3
                anchors.verticalCenter: parent.verticalCenter
                Repeater {
                    model: row.icons
                    AppIcon {
                        required property string modelData
                        width: 18
                        height: 18
                        source: modelData
                        fallbackSize: 12
                    }
                }
                Item { visible: row.overflowText.length > 0; width: 7; height: 1 }
                Text {
                    visible: row.overflowText.length > 0
                    text: row.overflowText
                    color: Theme.tertiary
                    font.pixelSize: 9
                    font.weight: Font.Medium
                    anchors.verticalCenter: parent.verticalCenter
                }
            }
            Item { width: 6; height: 1 }
            MvButton {
                id: pencil
                width: 24
                height: 24
                padding: 0
                leftPadding: 0
                rightPadding: 0
                plain: true
                symbol: "pencil"
                symbolSize: 11
                tint: Theme.secondary
                help: "Edit profile"
                anchors.verticalCenter: parent.verticalCenter
                // Only what it draws fades: the button itself stays showing for a screen reader and Tab.
                property real shown: row.revealsPencil ? 1 : 0
                Behavior on shown { NumberAnimation { duration: 150; easing.type: Easing.InOutQuad } }
                background: Rectangle {
                    radius: 5
                    opacity: pencil.shown
                    color: Theme.withAlpha(Theme.primary, pencil.down ? 0.12 : 0.06)
                }
                contentItem: MvSymbol {
                    opacity: pencil.shown
                    symbol: "pencil"
                    size: 11
                    font.weight: Font.Medium
                    color: Theme.secondary
                }
                onClicked: row.editRequested()
                onActiveFocusChanged: if (activeFocus) row.focusEntered()
            }
        }
    }
}
