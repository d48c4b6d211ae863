pragma ComponentBehavior: Bound

import QtQuick
import QtQuick.Controls
import Moorvane

// The popover's profiles page: the header, the welcome panel or the hint and the rows, the add-profile form
// and the footer.
Column {
    id: page
    required property PopoverModel popover

    width: 340

    // Coming back from the settings page by keys, the keyboard lands on the button that led there.
    function takeKeyboard() {
        settingsButton.forceActiveFocus(Qt.TabFocusReason)
    }

    Item {
        width: parent.width
        height: header.implicitHeight + 20
        Row {
            id: header
            x: 14
            y: 12
            spacing: 6
            width: parent.width - 28 - (badge.visible ? badge.width + 6 : 0)
            Rectangle {
                visible: page.popover.hasActiveProfile
                width: 12
                height: 12
                radius: 4
                color: Theme.profileColor(page.popover.headerColorName)
                anchors.verticalCenter: parent.verticalCenter
            }
            MvSymbol {
                visible: !page.popover.hasActiveProfile
                symbol: "square.stack.3d.up.fill"
                size: 12
                anchors.verticalCenter: parent.verticalCenter
            }
            MvText {
                text: page.popover.headerName
                color: Theme.primary
                font.pixelSize: 13
                font.weight: page.popover.hasActiveProfile ? Font.DemiBold : Font.Medium
                elide: Text.ElideRight
                width: Math.min(implicitWidth, header.width - 18)
                anchors.verticalCenter: parent.verticalCenter
            }
        }
        Rectangle {
            id: badge
            visible: page.popover.focusModeName.length > 0
            anchors.right: parent.right
            anchors.rightMargin: 14
            anchors.verticalCenter: header.verticalCenter
            width: badgeRow.implicitWidth + 12
            height: badgeRow.implicitHeight + 4
            radius: height / 2
            color: Theme.withAlpha(Theme.primary, 0.06)
            Accessible.role: Accessible.StaticText
            Accessible.name: page.popover.focusModeName
            Accessible.description: "Focus"
            Row {
                id: badgeRow
                anchors.centerIn: parent
                spacing: 3
                MvSymbol { symbol: "moon.fill"; size: 9; color: Theme.secondary; anchors.verticalCenter: parent.verticalCenter }
                Text {
                    text: page.popover.focusModeName
                    color: Theme.secondary
                    font.pixelSize: 10
                    font.weight: Font.Medium
                    Accessible.ignored: true
                }
            }
        }
    }

    PopoverDivider {}

    // Welcome, while there is nothing to list.
    Column {
        visible: !page.popover.hasProfiles
        width: parent.width
        topPadding: 20
        bottomPadding: 20
        spacing: 10
        Rectangle {
            width: 56
            height: 56
            radius: 28
            color: Theme.withAlpha(Theme.accent, 0.12)
            anchors.horizontalCenter: parent.horizontalCenter
            MvSymbol { anchors.centerIn: parent; symbol: "square.stack.3d.up.fill"; size: 24; color: Theme.accent }
        }
        MvText {
            text: "Welcome to Moorvane"
            color: Theme.primary
            font.pixelSize: 14
            font.weight: Font.DemiBold
            anchors.horizontalCenter: parent.horizontalCenter
        }
        MvText {
            text: "Save your current Dock layout as a profile to get started."
            color: Theme.secondary
            font.pixelSize: 12
            width: parent.width - 40
            wrapMode: Text.WordWrap
            horizontalAlignment: Text.AlignHCenter
            anchors.horizontalCenter: parent.horizontalCenter
        }
        Column {
            spacing: 6
            anchors.horizontalCenter: parent.horizontalCenter
            Repeater {
                model: ["Arrange your Dock the way you like it.", "Click + below to capture it.",
                        "Repeat for each setup \u2014 work, focus, gaming."]
                Row {
                    id: step
                    required property int index
                    required property string modelData
                    spacing: 8
                    Rectangle {
                        width: 15
                        height: 15
                        radius: 7.5
                        color: Theme.withAlpha(Theme.accent, 0.8)
                        anchors.verticalCenter: parent.verticalCenter
                        Text {
                            anchors.centerIn: parent
                            text: step.index + 1
                            color: "white"
                            font.pixelSize: 9
                            font.bold: true
                            Accessible.ignored: true
                        }
                    }
                    MvText {
                        text: step.modelData
                        color: Theme.primary
                        font.pixelSize: Theme.captionSize
                        anchors.verticalCenter: parent.verticalCenter
                    }
                }
            }
        }
    }

    // The hint, until it is dismissed for good.
    Rectangle {
        visible: page.popover.showsHint
        width: parent.width
        height: hint.implicitHeight + 16
        color: Theme.withAlpha(Theme.profileColor("yellow"), 0.06)
        Row {
            id: hint
            x: 12
            y: 8
            spacing: 8
            MvSymbol { symbol: "lightbulb.fill"; size: Theme.captionSize + 1; color: Theme.profileColor("yellow") }
            MvText {
                width: page.width - 24 - 16 - 16 - 16
                text: "Click a profile to switch, or hover and click the pencil to edit."
                color: Theme.primary
                font.pixelSize: Theme.captionSize
                wrapMode: Text.WordWrap
            }
            MvButton {
                id: dismiss
                plain: true
                help: "Dismiss"
                contentItem: MvSymbol { symbol: "xmark"; size: 9; font.bold: true; color: Theme.tertiary }
                // Dismissed by keys, the keyboard goes on to the next control rather than out with the hint.
                onClicked: {
                    const next = dismiss.activeFocus ? dismiss.nextItemInFocusChain(true) : null
                    page.popover.dismissHint()
                    if (next !== null)
                        next.forceActiveFocus(Qt.TabFocusReason)
                }
            }
        }
    }

    ListView {
        id: list
        visible: page.popover.hasProfiles
        width: parent.width
        height: Math.min(contentHeight + topMargin + bottomMargin, 360)
        topMargin: 4
        bottomMargin: 4
        interactive: contentHeight + topMargin + bottomMargin > height
        clip: true
        boundsBehavior: Flickable.StopAtBounds
        model: page.popover.rows
        ScrollBar.vertical: ScrollBar { policy: list.interactive ? ScrollBar.AsNeeded : ScrollBar.AlwaysOff }
        delegate: ProfileRow {
            id: profileRow
            width: list.width
            onSwitchRequested: page.popover.activate(profileId)
            onEditRequested: page.popover.edit(profileId)
            onMenuRequested: (x, y, byKeyboard) => {
                rowMenu.profileId = profileId
                rowMenu.rowIsActive = isActive
                rowMenu.returnFocus = byKeyboard ? profileRow : null
                // Placed in the page's frame: the row may be rebuilt while the menu is open (an import).
                const at = profileRow.mapToItem(page, x, y)
                rowMenu.popup(at.x, at.y)
            }
            onFocusEntered: list.positionViewAtIndex(index, ListView.Contain)
        }
    }

    Menu {
        id: rowMenu
        // The profile it opened on, by identifier: the rows may move while it is open.
        property string profileId
        property bool rowIsActive: false
        property Item returnFocus
        // Deferred: the menu hands the focus back to the window only after it has closed.
        onClosed: focusBack.start()
        Timer {
            id: focusBack
            interval: 0
            onTriggered: {
                if (rowMenu.returnFocus) rowMenu.returnFocus.forceActiveFocus(Qt.TabFocusReason)
                rowMenu.returnFocus = null
            }
        }
        MvMenuItem {
            text: "Switch to This Profile"
            enabled: !rowMenu.rowIsActive
            onTriggered: page.popover.activate(rowMenu.profileId)
        }
        MvMenuItem {
            text: "Edit\u2026"
            onTriggered: page.popover.edit(rowMenu.profileId)
        }
        MvMenuItem {
            text: "Duplicate"
            onTriggered: page.popover.duplicate(rowMenu.profileId)
        }
        MenuSeparator {}
        MvMenuItem {
            text: "Delete"
            destructive: true
            onTriggered: page.popover.remove(rowMenu.profileId)
        }
    }

    PopoverDivider {}

    // The add-profile form.
    Column {
        visible: page.popover.isAddingProfile
        width: parent.width
        leftPadding: 14
        rightPadding: 14
        topPadding: 10
        bottomPadding: 10
        spacing: 8
        TextField {
            id: nameField
            width: parent.width - 28
            placeholderText: "Profile name"
            font.pixelSize: 12
            text: page.popover.newProfileName
            onTextEdited: page.popover.newProfileName = text
            onAccepted: page.popover.save()
            Accessible.name: "Profile name"
            Connections {
                target: page.popover
                function onFormOpened() {
                    nameField.forceActiveFocus()
                    nameField.selectAll()
                }
            }
        }
        Row {
            spacing: 5
            Repeater {
                model: page.popover.colorNames
                AbstractButton {
                    id: swatch
                    required property string modelData
                    width: 18
                    height: 18
                    focusPolicy: Qt.TabFocus
                    readonly property bool chosen: page.popover.selectedColor === modelData
                    checkable: true
                    checked: chosen
                    Accessible.name: modelData
                    Accessible.onPressAction: swatch.clicked()
                    Keys.onReturnPressed: swatch.clicked()
                    MvFocusRing { target: swatch; inset: -1; radius: width / 2 }
                    onClicked: {
                        page.popover.selectColor(modelData)
                        checked = Qt.binding(() => chosen)
                    }
                    background: Rectangle {
                        anchors.centerIn: parent
                        width: 14
                        height: 14
                        radius: 7
                        color: Theme.profileColor(swatch.modelData)
                        border.width: swatch.chosen ? 2 : 0
                        border.color: "white"
                    }
                }
            }
        }
        Row {
            spacing: 8
            MvButton { text: "Cancel"; small: true; onClicked: page.popover.cancel() }
            MvButton {
                text: "Save"
                small: true
                prominent: true
                enabled: page.popover.newProfileName.length > 0
                onClicked: page.popover.save()
            }
        }
    }

    Item {
        width: parent.width
        height: 40
        Row {
            x: 8
            anchors.verticalCenter: parent.verticalCenter
            PopoverFooterButton { symbol: "plus.circle"; symbolSize: 13; help: "Save Current Dock"; onClicked: page.popover.openAddForm() }
            PopoverFooterButton { symbol: "square.and.arrow.down"; help: "Import Profile"; onClicked: page.popover.importProfiles() }
        }
        Row {
            anchors.right: parent.right
            anchors.rightMargin: 8
            anchors.verticalCenter: parent.verticalCenter
            PopoverFooterButton { id: settingsButton; symbol: "gearshape"; help: "Settings"; onClicked: page.popover.showSettings() }
            PopoverFooterButton { symbol: "power"; symbolSize: 11; help: "Quit Moorvane"; onClicked: page.popover.quit() }
        }
    }
}
