import QtQuick
import QtQuick.Controls
import Moorvane

// The root of every view: the dark palette for the controls and popups inside it. Fusion takes its palette from
// the desktop's light or dark setting; the app is dark whatever it is.
Pane {
    padding: 0
    // Labels take their font from the nearest control; keep the application's, as a window would give.
    font: Qt.application.font
    background: Rectangle { color: Theme.window }
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
