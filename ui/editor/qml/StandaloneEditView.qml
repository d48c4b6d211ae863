pragma ComponentBehavior: Bound

import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Moorvane

// The editor's content: header, Dock strip, options and the footer's actions. Every rule lives in `editor`.
Item {
    id: root
    required property ProfileEditorModel editor

    // The pickers in the window's dark style; with `showsDots`, each option has a colour dot before it, the
    // option's entry in `dotColors`.
    component DarkComboBox: ComboBox {
        id: combo
        property bool showsDots: false
        property var dotColors: []
        function dotColor(index: int): color {
            return index >= 0 && index < dotColors.length ? dotColors[index] : Theme.accent
        }

        hoverEnabled: true
        implicitHeight: 24
        leftPadding: 8
        // The chosen option, for a screen reader: the drawn text below is not part of the accessibility tree.
        Accessible.description: combo.displayText
        rightPadding: 26
        font.pixelSize: Theme.bodySize

        background: Rectangle {
            radius: 5
            color: combo.down || combo.popup.visible ? Qt.lighter(Theme.control, 1.25)
                                                     : combo.hovered ? Qt.lighter(Theme.control, 1.12) : Theme.control
            border.width: 1
            border.color: Qt.rgba(1, 1, 1, 0.08)
        }
        MvFocusRing { }
        indicator: MvSymbol {
            x: combo.width - width - 8
            anchors.verticalCenter: combo.verticalCenter
            symbol: "chevron.down"
            size: 10
            color: Theme.secondary
        }
        contentItem: Row {
            spacing: 6
            Rectangle {
                visible: combo.showsDots && combo.currentIndex >= 0
                width: 8
                height: 8
                radius: 4
                color: visible ? combo.dotColor(combo.currentIndex) : "transparent"
                anchors.verticalCenter: parent.verticalCenter
            }
            Text {
                width: combo.availableWidth - (combo.showsDots ? 14 : 0)
                text: combo.displayText
                elide: Text.ElideRight
                color: Theme.primary
                font: combo.font
                anchors.verticalCenter: parent.verticalCenter
            }
        }
        // Spelled out: Qt 6.4 does not wrap a delegate in a component inside an inline component.
        delegate: Component {
            ItemDelegate {
                id: option
                required property int index
                required property var modelData
                width: ListView.view ? ListView.view.width : combo.width
                height: 26
                leftPadding: 8
                highlighted: combo.highlightedIndex === index
                Accessible.name: combo.textRole.length > 0 ? option.modelData[combo.textRole] : option.modelData
                // A neutral highlight: an accent one would swallow the blue profile's dot.
                background: Rectangle {
                    radius: 4
                    color: option.highlighted ? Qt.rgba(1, 1, 1, 0.12) : "transparent"
                }
                contentItem: Row {
                    spacing: 6
                    Rectangle {
                        visible: combo.showsDots
                        width: 8
                        height: 8
                        radius: 4
                        color: visible ? combo.dotColor(option.index) : "transparent"
                        border.width: 1
                        border.color: Qt.rgba(1, 1, 1, 0.35)
                        anchors.verticalCenter: parent.verticalCenter
                    }
                    Text {
                        text: combo.textRole.length > 0 ? option.modelData[combo.textRole] : option.modelData
                        color: Theme.primary
                        font: combo.font
                        anchors.verticalCenter: parent.verticalCenter
                    }
                }
            }
        }
        popup: Popup {
            y: combo.height + 2
            width: Math.max(combo.width, 160)
            implicitHeight: Math.min(contentItem.implicitHeight + 8, 300)
            padding: 4
            contentItem: ListView {
                clip: true
                implicitHeight: contentHeight
                // The linter of Qt 6.4 cannot see the type Qt gives the combo box's own delegate model.
                model: combo.popup.visible ? combo.delegateModel : null // qmllint disable
                currentIndex: combo.highlightedIndex
                boundsBehavior: Flickable.StopAtBounds
                ScrollIndicator.vertical: ScrollIndicator {}
            }
            background: Rectangle { radius: 6; color: "#2C2C2E"; border.color: Qt.rgba(1, 1, 1, 0.12) }
        }
    }

    // Return saves and Escape cancels, as the footer's buttons do. Key handlers rather than Shortcuts: the key
    // reaches them only when the focused control leaves it, so Return presses a focused button (Cancel, Delete,
    // Edit Dock) instead of saving, and an open menu, list or the group sheet keeps its own Escape. The recorder
    // keeps both while it records.
    focus: true
    function keyClosesEditor(): bool {
        return root.editor.groupSheet === null && !root.editor.recorder.isRecording
    }
    Keys.onReturnPressed: function (event) {
        event.accepted = root.keyClosesEditor()
        if (event.accepted) root.editor.save()
    }
    Keys.onEnterPressed: function (event) {
        event.accepted = root.keyClosesEditor()
        if (event.accepted) root.editor.save()
    }
    Keys.onEscapePressed: function (event) {
        event.accepted = root.keyClosesEditor()
        if (event.accepted) root.editor.cancel()
    }

    ColumnLayout {
        anchors.fill: parent
        anchors.leftMargin: 20
        anchors.rightMargin: 20
        anchors.topMargin: 18
        anchors.bottomMargin: 14
        spacing: 12

        // Header.
        RowLayout {
            Layout.fillWidth: true
            spacing: 12
            Rectangle {
                Layout.preferredWidth: 36
                Layout.preferredHeight: 36
                radius: 8
                color: Theme.profileColor(root.editor.colorName)
            }
            ColumnLayout {
                Layout.fillWidth: true
                spacing: 2
                TextField {
                    id: nameField
                    Layout.fillWidth: true
                    text: root.editor.name
                    placeholderText: "Profile Name"
                    Accessible.name: placeholderText
                    font.pixelSize: Theme.title2Size
                    font.bold: true
                    color: Theme.primary
                    leftPadding: 0
                    topPadding: 0
                    bottomPadding: 0
                    background: Item {}
                    onTextEdited: root.editor.name = text
                }
                Row {
                    spacing: 4
                    MvSymbol {
                        visible: root.editor.isCurrent
                        symbol: "checkmark.circle.fill"
                        size: 11
                        color: Theme.profileColor(root.editor.colorName)
                    }
                    MvText { visible: root.editor.isCurrent; text: "Current"; font.pixelSize: Theme.captionSize + 1; color: Theme.secondary }
                    Text { visible: root.editor.isCurrent; text: "\u00B7"; font.pixelSize: Theme.captionSize + 1; color: Theme.tertiary }
                    MvText { text: root.editor.itemsCaption; font.pixelSize: Theme.captionSize + 1; color: Theme.secondary }
                }
            }
            DarkComboBox {
                id: profilePicker
                Layout.maximumWidth: 140
                Layout.preferredWidth: 140
                model: root.editor.profiles
                textRole: "name"
                currentIndex: root.editor.profileIndex
                showsDots: true
                dotColors: Array.from(root.editor.profiles, profile => Theme.profileColor(profile.colorName))
                Accessible.name: "Profile"
                onActivated: function (index) { root.editor.selectProfile(index) }
            }
            // A borderless menu button; its label is its name, so it carries no tool tip.
            AbstractButton {
                id: editDock
                hoverEnabled: true
                focusPolicy: Qt.TabFocus
                leftPadding: 6
                rightPadding: 6
                topPadding: 3
                bottomPadding: 3
                Accessible.role: Accessible.ButtonMenu
                Accessible.name: "Edit Dock"
                Accessible.onPressAction: editDock.clicked()
                // Right edges aligned, so the menu opens inside the window below the button.
                onClicked: {
                    if (editMenu.opened) {
                        editMenu.close()
                        return
                    }
                    editMenu.fitWidth()
                    editMenu.popup(editDock, editDock.width - editMenu.width, editDock.height + 2)
                }
                Keys.onDownPressed: editDock.clicked()
                Keys.onReturnPressed: editDock.clicked()
                Keys.onEnterPressed: editDock.clicked()
                background: Rectangle {
                    radius: 5
                    color: editDock.down || editMenu.opened ? Qt.rgba(1, 1, 1, 0.14)
                                                            : editDock.hovered ? Qt.rgba(1, 1, 1, 0.08) : "transparent"
                }
                MvFocusRing { }
                contentItem: Row {
                    spacing: 4
                    Text {
                        text: "Edit Dock"
                        color: Theme.primary
                        font.pixelSize: Theme.bodySize
                        anchors.verticalCenter: parent.verticalCenter
                    }
                    MvSymbol {
                        symbol: "chevron.down"
                        size: 10
                        color: Theme.secondary
                        anchors.verticalCenter: parent.verticalCenter
                    }
                }
                Menu {
                    id: editMenu
                    // As wide as its widest item, with room after it: a menu's own width is a fixed default
                    // that cuts long items.
                    function fitWidth() {
                        let widest = 0
                        for (let i = 0; i < count; ++i) {
                            const item = itemAt(i)
                            if (item) widest = Math.max(widest, item.implicitWidth)
                        }
                        width = widest + leftPadding + rightPadding + 16
                    }
                    MvMenuItem { text: "Manage Apps"; symbol: "square.grid.2x2"; onTriggered: root.editor.manageApps() }
                    MvMenuItem {
                        text: "Create Group\u2026"
                        symbol: "folder.badge.plus"
                        enabled: root.editor.canCreateGroup
                        onTriggered: root.editor.createGroup()
                    }
                    MenuSeparator {}
                    MvMenuItem { text: "Add Small Spacer"; symbol: "minus"; onTriggered: root.editor.addSmallSpacer() }
                    MvMenuItem { text: "Add Spacer"; symbol: "equal"; onTriggered: root.editor.addSpacer() }
                    MenuSeparator {}
                    MvMenuItem {
                        text: "Update from Current Dock"
                        symbol: "arrow.triangle.2.circlepath"
                        onTriggered: root.editor.updateFromCurrentDock()
                    }
                }
            }
        }

        DockStrip {
            Layout.fillWidth: true
            Layout.preferredHeight: 90
            strip: root.editor.strip
        }

        RowLayout {
            visible: root.editor.hasHidden
            Layout.fillWidth: true
            spacing: 6
            MvSymbol { symbol: "eye.slash.fill"; size: 12; color: Theme.orange }
            Text {
                Layout.fillWidth: true
                text: root.editor.hiddenCaption
                font.pixelSize: Theme.captionSize + 1
                color: Theme.secondary
                elide: Text.ElideRight
            }
            MvButton { link: true; text: "Show All"; fontSize: Theme.captionSize + 1; onClicked: root.editor.showAll() }
        }

        // Options.
        GridLayout {
            Layout.fillWidth: true
            columns: 2
            columnSpacing: 10
            rowSpacing: 10

            Text { Layout.preferredWidth: 50; text: "Color"; color: Theme.secondary; font.pixelSize: Theme.subheadlineSize }
            Row {
                spacing: 8
                Repeater {
                    model: root.editor.colorNames
                    delegate: AbstractButton {
                        id: swatch
                        required property string modelData
                        width: 18
                        height: 18
                        // Checkable, so the chosen colour reads as checked; the editor holds the choice.
                        checkable: true
                        checked: root.editor.colorName === modelData
                        Accessible.name: modelData
                        Accessible.onPressAction: swatch.clicked()
                        onClicked: {
                            root.editor.colorName = modelData
                            swatch.checked = Qt.binding(function () { return root.editor.colorName === swatch.modelData })
                        }
                        focusPolicy: Qt.TabFocus
                        MvFocusRing { radius: width / 2 }
                        background: Rectangle {
                            radius: 9
                            color: Theme.profileColor(swatch.modelData)
                            border.width: 2
                            border.color: root.editor.colorName === swatch.modelData ? Qt.rgba(1, 1, 1, 0.8) : "transparent"
                        }
                    }
                }
            }

            Text { Layout.preferredWidth: 50; text: "Focus"; color: Theme.secondary; font.pixelSize: Theme.subheadlineSize }
            DarkComboBox {
                Layout.maximumWidth: 180
                Layout.preferredWidth: 180
                model: root.editor.focusOptions
                currentIndex: root.editor.focusIndex
                Accessible.name: "Focus"
                onActivated: function (index) { root.editor.focusIndex = index }
            }

            Text {
                Layout.preferredWidth: 50
                Layout.alignment: Qt.AlignTop
                topPadding: 3
                text: "Shortcut"
                color: Theme.secondary
                font.pixelSize: Theme.subheadlineSize
            }
            ColumnLayout {
                Layout.fillWidth: true
                spacing: 4
                HotkeyRecorder { recorder: root.editor.recorder }
                RowLayout {
                    visible: root.editor.conflictNotice.length > 0
                    Layout.fillWidth: true
                    spacing: 4
                    MvSymbol { symbol: "exclamationmark.triangle.fill"; size: 11; color: Theme.orange }
                    Text {
                        Layout.fillWidth: true
                        text: root.editor.conflictNotice
                        font.pixelSize: Theme.captionSize + 1
                        color: Theme.orange
                        wrapMode: Text.WordWrap
                        // Read out with the recorder it warns about.
                        Accessible.role: Accessible.StaticText
                        Accessible.name: text
                    }
                }
                RowLayout {
                    visible: root.editor.accessibilityNoticeVisible
                    Layout.fillWidth: true
                    spacing: 4
                    MvSymbol { symbol: "exclamationmark.triangle.fill"; size: 11; color: Theme.orange }
                    Text {
                        Layout.fillWidth: true
                        text: root.editor.accessibilityNotice
                        font.pixelSize: Theme.captionSize + 1
                        color: Theme.orange
                        wrapMode: Text.WordWrap
                        // Read out with the recorder it warns about.
                        Accessible.role: Accessible.StaticText
                        Accessible.name: text
                    }
                    MvButton { link: true; text: "Grant\u2026"; fontSize: Theme.captionSize + 1; onClicked: root.editor.grant() }
                }
                // Selectable: the command it may hold is for copying into the desktop's settings.
                TextEdit {
                    visible: root.editor.accessibilityNoticeVisible && root.editor.grantExplanationVisible
                    Layout.fillWidth: true
                    readOnly: true
                    selectByMouse: true
                    textFormat: TextEdit.PlainText
                    text: root.editor.grantExplanation
                    font.pixelSize: Theme.captionSize + 1
                    color: Theme.secondary
                    wrapMode: TextEdit.Wrap
                    Accessible.role: Accessible.StaticText
                    Accessible.name: text
                }
            }

            Text {
                Layout.preferredWidth: 50
                Layout.alignment: Qt.AlignTop
                topPadding: 6
                text: "Apps"
                color: Theme.secondary
                font.pixelSize: Theme.subheadlineSize
            }
            ColumnLayout {
                Layout.fillWidth: true
                spacing: 0
                CheckBox {
                    id: autoLaunch
                    text: "Auto-launch apps"
                    checked: root.editor.autoLaunchApps
                    onToggled: root.editor.autoLaunchApps = checked
                    hoverEnabled: true
                    Accessible.name: text
                    Accessible.onPressAction: autoLaunch.toggle()
                    ToolTip.visible: hovered
                    ToolTip.text: root.editor.autoLaunchTooltip
                    ToolTip.delay: 600
                    MvFocusRing { inset: 0 }
                }
                CheckBox {
                    id: quitOthers
                    text: "Quit other apps"
                    checked: root.editor.quitOtherApps
                    onToggled: root.editor.quitOtherApps = checked
                    Accessible.name: text
                    Accessible.onPressAction: quitOthers.toggle()
                    MvFocusRing { inset: 0 }
                }
                RowLayout {
                    visible: root.editor.quitOtherApps
                    Layout.fillWidth: true
                    // In line with the check boxes, which sit inside their own padding.
                    Layout.leftMargin: quitOthers.leftPadding
                    spacing: 4
                    MvSymbol { symbol: "exclamationmark.triangle.fill"; size: 11; color: Theme.orange }
                    Text {
                        Layout.fillWidth: true
                        text: root.editor.quitWarning
                        font.pixelSize: Theme.captionSize + 1
                        color: Theme.orange
                        wrapMode: Text.WordWrap
                    }
                }
            }
        }

        Item { Layout.fillHeight: true }

        Rectangle { Layout.fillWidth: true; Layout.preferredHeight: 1; color: Theme.quaternary }

        // Footer.
        RowLayout {
            Layout.fillWidth: true
            spacing: 0
            MvButton { plain: true; destructive: true; text: "Delete"; onClicked: root.editor.deleteProfile() }
            Item { Layout.preferredWidth: 16 }
            MvButton {
                plain: true
                text: "Export"
                symbol: "square.and.arrow.up"
                fontSize: Theme.calloutSize
                tint: Theme.secondary
                help: "Save this profile as a .dockprofile file"
                onClicked: root.editor.exportProfile()
            }
            Item { Layout.preferredWidth: 16 }
            MvButton {
                plain: true
                text: "Duplicate"
                symbol: "plus.square.on.square"
                fontSize: Theme.calloutSize
                tint: Theme.secondary
                help: "Create a copy of this profile"
                onClicked: root.editor.duplicate()
            }
            Item { Layout.fillWidth: true }
            MvButton { text: "Cancel"; onClicked: root.editor.cancel() }
            Item { Layout.preferredWidth: 8 }
            MvButton { prominent: true; text: "Save"; onClicked: root.editor.save() }
        }
    }

    // The group sheet: a modal dialog over the editor for as long as the editor has a sheet open. The sheet
    // is handed over once, at creation, so no binding ever reads a sheet that is already gone.
    // While it is open the sheet holds the keyboard; when it goes, focus goes back where it was.
    Loader {
        id: sheetLoader
        property Item focusBefore: null
        Connections {
            target: root.editor
            function onGroupSheetChanged() {
                if (root.editor.groupSheet) {
                    sheetLoader.focusBefore = root.Window.activeFocusItem
                    sheetLoader.setSource("GroupSheetPopup.qml", { "sheet": root.editor.groupSheet, "editor": root.editor })
                } else {
                    sheetLoader.source = ""
                    // A menu item that opened the sheet is gone with its menu: the Edit Dock button stands in for it.
                    const back = sheetLoader.focusBefore && sheetLoader.focusBefore.visible ? sheetLoader.focusBefore : editDock
                    back.forceActiveFocus(Qt.TabFocusReason)
                    sheetLoader.focusBefore = null
                }
            }
        }
    }
}
