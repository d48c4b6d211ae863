pragma ComponentBehavior: Bound

import QtQuick
import QtQuick.Controls
import Moorvane

// The popover's settings page: the app's own preferences, the update check, the name and version.
Column {
    id: page
    required property PopoverModel popover
    readonly property SettingsPageModel settings: popover.settingsPage

    width: 340

    // Arriving by keys, the keyboard lands on the way back.
    function takeKeyboard() {
        back.forceActiveFocus(Qt.TabFocusReason)
    }

    Item {
        width: parent.width
        height: 20 + back.implicitHeight
        MvButton {
            id: back
            x: 14
            y: 12
            plain: true
            leftPadding: 0
            text: "Back"
            contentItem: Row {
                spacing: 3
                MvSymbol {
                    symbol: "chevron.left"
                    size: 11
                    font.weight: Font.DemiBold
                    color: back.textColor
                    anchors.verticalCenter: parent.verticalCenter
                }
                Text {
                    text: "Back"
                    font.pixelSize: 13
                    color: back.textColor
                    anchors.verticalCenter: parent.verticalCenter
                }
            }
            onClicked: page.popover.showProfiles()
        }
        MvText {
            anchors.horizontalCenter: parent.horizontalCenter
            anchors.verticalCenter: back.verticalCenter
            text: "Settings"
            color: Theme.primary
            font.pixelSize: 13
            font.weight: Font.DemiBold
        }
    }

    PopoverDivider {}

    ScrollView {
        id: scroll
        width: parent.width
        height: Math.min(content.implicitHeight, 440)
        contentWidth: availableWidth
        clip: true

        Column {
            id: content
            readonly property real lineWidth: width - 2 * padding
            width: scroll.availableWidth
            padding: 16
            spacing: 14

            Row {
                padding: 4
                spacing: 10
                MvSymbol {
                    symbol: "square.stack.3d.up.fill"
                    size: 24
                    color: Theme.accent
                    anchors.verticalCenter: parent.verticalCenter
                }
                Column {
                    anchors.verticalCenter: parent.verticalCenter
                    MvText { text: "Moorvane"; color: Theme.primary; font.pixelSize: 13; font.weight: Font.DemiBold }
                    MvText { text: page.settings.versionText; color: Theme.secondary; font.pixelSize: 11 }
                }
            }

            PopoverDivider { inset: 0; width: content.lineWidth }

            SettingsSwitch {
                width: content.lineWidth
                title: "Launch at Login"
                caption: "Start automatically when you log in."
                checked: page.settings.launchesAtLogin
                onToggled: {
                    page.settings.setLaunchAtLogin(checked)
                    // The switch shows what the system reports, so a refusal springs back.
                    checked = Qt.binding(() => page.settings.launchesAtLogin)
                }
            }

            Row {
                visible: page.settings.launchAtLoginError.length > 0
                width: content.lineWidth
                spacing: 5
                MvSymbol { symbol: "exclamationmark.triangle.fill"; size: Theme.captionSize; color: Theme.orange }
                MvText {
                    width: parent.width - 20
                    text: page.settings.launchAtLoginError
                    color: Theme.orange
                    font.pixelSize: Theme.captionSize
                    wrapMode: Text.WordWrap
                }
            }

            SettingsSwitch {
                width: content.lineWidth
                title: "Auto-save Dock changes"
                caption: "Keep the active profile in sync when you rearrange the Dock."
                checked: page.settings.autoSaveDockChanges
                onToggled: {
                    page.settings.autoSaveDockChanges = checked
                    checked = Qt.binding(() => page.settings.autoSaveDockChanges)
                }
            }

            // Which dock profiles are written to: the one this session runs, found at start.
            MvText {
                width: content.lineWidth
                text: "Profiles are written to " + page.settings.dockName + "."
                color: Theme.secondary
                font.pixelSize: Theme.captionSize
                wrapMode: Text.WordWrap
                Accessible.role: Accessible.StaticText
                Accessible.name: text
            }

            PopoverDivider { inset: 0; width: content.lineWidth }

            Column {
                width: content.lineWidth
                spacing: 6
                MvText { text: "Show App In"; color: Theme.primary; font.pixelSize: 13 }
                Rectangle {
                    width: parent.width
                    height: 26
                    radius: 6
                    color: Theme.control
                    Row {
                        anchors.fill: parent
                        anchors.margins: 2
                        Repeater {
                            model: page.settings.visibilityTitles
                            AbstractButton {
                                id: segment
                                required property int index
                                required property string modelData
                                readonly property bool chosen: page.settings.appVisibility === index
                                checkable: true
                                checked: chosen
                                width: parent.width / 2
                                height: parent.height
                                focusPolicy: Qt.TabFocus
                                Accessible.name: modelData
                                Accessible.onPressAction: segment.clicked()
                                Keys.onReturnPressed: segment.clicked()
                                MvFocusRing { target: segment; inset: -1 }
                                onClicked: {
                                    page.settings.appVisibility = index
                                    checked = Qt.binding(() => chosen)
                                }
                                background: Rectangle {
                                    radius: 5
                                    color: segment.chosen ? Qt.lighter(Theme.control, 1.6) : "transparent"
                                }
                                contentItem: Text {
                                    text: segment.modelData
                                    color: Theme.primary
                                    font.pixelSize: 12
                                    horizontalAlignment: Text.AlignHCenter
                                    verticalAlignment: Text.AlignVCenter
                                    Accessible.ignored: true
                                }
                            }
                        }
                    }
                }
                MvText {
                    width: parent.width
                    text: "Choose whether Moorvane appears in the Dock, the menu bar, or both."
                    color: Theme.secondary
                    font.pixelSize: 11
                    wrapMode: Text.WordWrap
                }
            }

            PopoverDivider { inset: 0; width: content.lineWidth }

            MvButton {
                plain: true
                // Flush with the rows above, like every other line of the column.
                leftPadding: 0
                text: "Check for Updates"
                contentItem: Row {
                    spacing: 6
                    Text { text: "Check for Updates"; color: Theme.primary; font.pixelSize: 13 }
                    MvSymbol {
                        symbol: "arrow.triangle.2.circlepath"
                        size: 12
                        color: Theme.secondary
                        anchors.verticalCenter: parent.verticalCenter
                    }
                }
                onClicked: page.settings.checkForUpdates()
            }

            PopoverDivider { inset: 0; width: content.lineWidth }
        }
    }
}
