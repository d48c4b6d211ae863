import QtQuick
import Moorvane

// The profile editor window.
MvWindow {
    id: window
    required property ProfileEditorModel editor

    title: editor.windowTitle
    width: 560
    height: 560

    StandaloneEditView {
        anchors.fill: parent
        editor: window.editor
    }
}
