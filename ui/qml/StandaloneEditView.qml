import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Moorvane

// The editor's content: header, Dock strip, options and the footer's actions. Every rule lives in `editor`.
Item {
    id: root
    required property QtObject editor

    Shortcut {
        sequences: ["Return", "Enter"]
        enabled: root.editor.groupSheet === null && !root.editor.recorder.isRecording
        onActivated: root.editor.save()
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
                    Text { visible: root.editor.isCurrent; text: "Current"; font.pixelSize: Theme.captionSize + 1; color: Theme.secondary }
                    Text { visible: root.editor.isCurrent; text: "\u00B7"; font.pixelSize: Theme.captionSize + 1; color: Theme.tertiary }
                    Text { text: root.editor.itemsCaption; font.pixelSize: Theme.captionSize + 1; color: Theme.secondary }
                }
            }
            ComboBox {
                id: profilePicker
                Layout.maximumWidth: 140
                Layout.preferredWidth: 140
                model: root.editor.profiles
                textRole: "name"
                currentIndex: root.editor.profileIndex
                Accessible.name: "Profile"
                onActivated: function (index) { root.editor.selectProfile(index) }
                contentItem: Row {
                    leftPadding: 8
                    spacing: 6
                    Rectangle {
                        width: 8
                        height: 8
                        radius: 4
                        color: Theme.profileColor(profilePicker.currentIndex >= 0
                                                  ? root.editor.profiles[profilePicker.currentIndex].colorName : "")
                        anchors.verticalCenter: parent.verticalCenter
                    }
                    Text {
                        width: profilePicker.width - 50
                        text: profilePicker.displayText
                        elide: Text.ElideRight
                        color: Theme.primary
                        font.pixelSize: Theme.bodySize
                        anchors.verticalCenter: parent.verticalCenter
                    }
                }
                delegate: ItemDelegate {
                    id: profileRow
                    required property var modelData
                    required property int index
                    width: ListView.view ? ListView.view.width : 140
                    highlighted: profilePicker.highlightedIndex === index
                    contentItem: Row {
                        spacing: 6
                        Rectangle {
                            width: 8
                            height: 8
                            radius: 4
                            color: Theme.profileColor(profileRow.modelData.colorName)
                            anchors.verticalCenter: parent.verticalCenter
                        }
                        Text { text: profileRow.modelData.name; color: Theme.primary; font.pixelSize: Theme.bodySize }
                    }
                }
            }
            MvButton {
                id: editDock
                plain: true
                text: "Edit Dock"
                help: "Edit Dock"
                onClicked: editMenu.popup(editDock, 0, editDock.height)
                Accessible.name: "Edit Dock"
                MvSymbol {
                    anchors.left: parent.right
                    anchors.verticalCenter: parent.verticalCenter
                    symbol: "chevron.down"
                    size: 12
                    color: Theme.primary
                }
                Menu {
                    id: editMenu
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
            Item { Layout.preferredWidth: 8 }
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

            Text { Layout.preferredWidth: 50; text: "Color"; color: Theme.secondary; font.pixelSize: Theme.bodySize }
            Row {
                spacing: 8
                Repeater {
                    model: root.editor.colorNames
                    delegate: AbstractButton {
                        id: swatch
                        required property string modelData
                        width: 18
                        height: 18
                        Accessible.role: Accessible.Button
                        Accessible.name: modelData
                        Accessible.onPressAction: swatch.clicked()
                        onClicked: root.editor.colorName = modelData
                        background: Rectangle {
                            radius: 9
                            color: Theme.profileColor(swatch.modelData)
                            border.width: 2
                            border.color: root.editor.colorName === swatch.modelData ? Qt.rgba(1, 1, 1, 0.8) : "transparent"
                        }
                    }
                }
            }

            Text { Layout.preferredWidth: 50; text: "Focus"; color: Theme.secondary; font.pixelSize: Theme.bodySize }
            ComboBox {
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
                font.pixelSize: Theme.bodySize
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
                    }
                }
                RowLayout {
                    visible: root.editor.accessibilityNoticeVisible
                    Layout.fillWidth: true
                    spacing: 4
                    MvSymbol { symbol: "exclamationmark.triangle.fill"; size: 11; color: Theme.orange }
                    Text {
                        text: root.editor.accessibilityNotice
                        font.pixelSize: Theme.captionSize + 1
                        color: Theme.orange
                    }
                    MvButton { link: true; text: "Grant\u2026"; fontSize: Theme.captionSize + 1; onClicked: root.editor.grant() }
                }
                Text {
                    visible: root.editor.accessibilityNoticeVisible && root.editor.grantExplanationVisible
                    Layout.fillWidth: true
                    text: root.editor.grantExplanation
                    font.pixelSize: Theme.captionSize + 1
                    color: Theme.secondary
                    wrapMode: Text.WordWrap
                }
            }

            Text {
                Layout.preferredWidth: 50
                Layout.alignment: Qt.AlignTop
                topPadding: 6
                text: "Apps"
                color: Theme.secondary
                font.pixelSize: Theme.bodySize
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
                }
                CheckBox {
                    id: quitOthers
                    text: "Quit other apps"
                    checked: root.editor.quitOtherApps
                    onToggled: root.editor.quitOtherApps = checked
                    Accessible.name: text
                    Accessible.onPressAction: quitOthers.toggle()
                }
                RowLayout {
                    visible: root.editor.quitOtherApps
                    Layout.fillWidth: true
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
    Loader {
        id: sheetLoader
        Connections {
            target: root.editor
            function onGroupSheetChanged() {
                if (root.editor.groupSheet)
                    sheetLoader.setSource("GroupSheetPopup.qml", { "sheet": root.editor.groupSheet, "editor": root.editor })
                else
                    sheetLoader.source = ""
            }
        }
    }
}
