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
    MvPane {
        anchors.fill: parent
        StandaloneEditView {
            anchors.fill: parent
            editor: window.editor
        }
    }
}
