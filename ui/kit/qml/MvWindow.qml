import QtQuick
import QtQuick.Controls
import Moorvane

// Every window of the app: dark whatever the desktop's. Fusion takes its palette from the desktop's light or dark
// setting, and popups, menus and tool tips take theirs from the window, so it is set here once for all.
ApplicationWindow {
    color: Theme.window
    palette.window: Theme.window
    palette.windowText: Theme.primary
    palette.base: "#2A2A2C"
    palette.alternateBase: "#323234"
    palette.text: Theme.primary
    palette.placeholderText: Theme.tertiary
    palette.button: Theme.control
    palette.buttonText: Theme.primary
    palette.brightText: "white"
    palette.highlight: Theme.accent
    palette.highlightedText: "white"
    palette.toolTipBase: "#2C2C2E"
    palette.toolTipText: Theme.primary
    palette.light: "#555558"
    palette.midlight: "#48484A"
    palette.mid: "#3A3A3C"
    palette.dark: "#1A1A1A"
    palette.shadow: "black"
    palette.link: Theme.accent
    palette.disabled.text: Theme.tertiary
    palette.disabled.buttonText: Theme.tertiary
    palette.disabled.windowText: Theme.tertiary
}
