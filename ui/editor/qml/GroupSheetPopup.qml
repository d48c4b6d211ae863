import QtQuick
import QtQuick.Controls
import Moorvane

// A Dialog rather than a bare Popup: its title names the sheet for a screen reader. The sheet draws its own.
Dialog {
    id: popup
    required property GroupEditorModel sheet
    required property ProfileEditorModel editor

    parent: Overlay.overlay
    anchors.centerIn: parent
    // Fixed: sized from its content it would shrink and move under the pointer as members are picked.
    width: 380
    modal: true
    focus: true
    visible: true
    closePolicy: Popup.CloseOnEscape
    padding: 0
    title: sheet.title
    header: Item {}
    onOpened: (popup.contentItem as GroupEditorSheet).nameField.forceActiveFocus()
    background: Rectangle { radius: 10; color: "#2A2A2C"; border.color: Qt.rgba(1, 1, 1, 0.1) }
    Overlay.modal: Rectangle { color: Qt.rgba(0, 0, 0, 0.35) }
    onClosed: popup.editor.dismissGroupSheet()
    contentItem: GroupEditorSheet { sheet: popup.sheet }
}
