import QtQuick
import QtQuick.Controls
import Moorvane

Popup {
    id: popup
    required property QtObject sheet
    required property QtObject editor

    parent: Overlay.overlay
    anchors.centerIn: parent
    modal: true
    visible: true
    closePolicy: Popup.CloseOnEscape
    padding: 0
    background: Rectangle { radius: 10; color: "#2A2A2C"; border.color: Qt.rgba(1, 1, 1, 0.1) }
    Overlay.modal: Rectangle { color: Qt.rgba(0, 0, 0, 0.35) }
    onClosed: popup.editor.dismissGroupSheet()
    contentItem: GroupEditorSheet { sheet: popup.sheet }
}
