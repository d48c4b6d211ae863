import QtQuick
import Moorvane

// The popover's root: the profiles page or the settings page, sliding and fading between them.
Rectangle {
    id: root
    required property PopoverModel popover
    readonly property bool onSettings: popover.currentPage === "settings"

    width: 340
    height: onSettings ? settingsPage.height : profilesPage.height
    color: Theme.window
    border.width: 1
    border.color: Theme.quaternary
    clip: true
    focus: true

    Accessible.role: Accessible.Pane
    Accessible.name: "Moorvane"

    Shortcut {
        sequence: "Escape"
        onActivated: root.popover.close()
    }

    ProfilesPage {
        id: profilesPage
        popover: root.popover
        x: root.onSettings ? -root.width : 0
        opacity: root.onSettings ? 0 : 1
        visible: opacity > 0
        Behavior on x { NumberAnimation { duration: 200; easing.type: Easing.InOutQuad } }
        Behavior on opacity { NumberAnimation { duration: 200; easing.type: Easing.InOutQuad } }
    }

    SettingsPage {
        id: settingsPage
        popover: root.popover
        x: root.onSettings ? 0 : root.width
        opacity: root.onSettings ? 1 : 0
        visible: opacity > 0
        Behavior on x { NumberAnimation { duration: 200; easing.type: Easing.InOutQuad } }
        Behavior on opacity { NumberAnimation { duration: 200; easing.type: Easing.InOutQuad } }
    }
}
