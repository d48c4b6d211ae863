import QtQuick
import QtQuick.Controls
import Moorvane

// The profile editor window.
ApplicationWindow {
    id: window
    required property QtObject editor

    title: editor.windowTitle
    width: 560
    height: 560
    color: Theme.window
    // Fusion takes its palette from the desktop's light or dark setting; the app is dark whatever it is.
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

    StandaloneEditView {
        anchors.fill: parent
        editor: window.editor
    }
}
