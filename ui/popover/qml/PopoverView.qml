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

    // The control that had the keyboard slides away with its page and would take the keyboard out of sight with
    // it; a pointer's click leaves the keyboard on the popover itself, and then nothing needs to move.
    onOnSettingsChanged: {
        const holder = root.Window.activeFocusItem
        if (holder === null || holder === root)
            return
        if (root.onSettings)
            settingsPage.takeKeyboard()
        else
            profilesPage.takeKeyboard()
    }

    ProfilesPage {
        id: profilesPage
        popover: root.popover
        x: root.onSettings ? -root.width : 0
        opacity: root.onSettings ? 0 : 1
        visible: opacity > 0
        // Out of the keyboard's reach from the moment it starts sliding away: a Tab pressed during the slide
        // would otherwise land on a control that is about to vanish and take the keyboard with it.
        enabled: !root.onSettings
        Behavior on x { NumberAnimation { duration: 200; easing.type: Easing.InOutQuad } }
        Behavior on opacity { NumberAnimation { duration: 200; easing.type: Easing.InOutQuad } }
    }

    SettingsPage {
        id: settingsPage
        popover: root.popover
        x: root.onSettings ? 0 : root.width
        opacity: root.onSettings ? 1 : 0
        visible: opacity > 0
        enabled: root.onSettings
        Behavior on x { NumberAnimation { duration: 200; easing.type: Easing.InOutQuad } }
        Behavior on opacity { NumberAnimation { duration: 200; easing.type: Easing.InOutQuad } }
    }
}
