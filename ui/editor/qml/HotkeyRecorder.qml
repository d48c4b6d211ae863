import QtQuick
import QtQuick.Controls
import Moorvane

// The shortcut recorder: the record button and, while idle with a shortcut, the remove button.
Row {
    id: root
    required property HotkeyRecorderModel recorder

    spacing: 6

    AbstractButton {
        id: record
        text: root.recorder.label
        hoverEnabled: true
        Accessible.role: Accessible.Button
        Accessible.name: text
        Accessible.description: root.recorder.helpText
        Accessible.onPressAction: root.recorder.click()
        onClicked: root.recorder.click()
        // Pressed by Return as the kit's buttons are; while recording, keys belong to the recording.
        Keys.onReturnPressed: function (event) {
            event.accepted = !root.recorder.isRecording
            if (event.accepted) root.recorder.click()
        }
        Keys.onEnterPressed: function (event) {
            event.accepted = !root.recorder.isRecording
            if (event.accepted) root.recorder.click()
        }
        ToolTip.visible: hovered
        ToolTip.text: root.recorder.helpText
        ToolTip.delay: 600
        anchors.verticalCenter: parent.verticalCenter
        focusPolicy: Qt.TabFocus
        MvFocusRing { }

        contentItem: Text {
            text: record.text
            font.pixelSize: 12
            font.weight: root.recorder.isRecording ? Font.Normal : Font.Medium
            color: root.recorder.isRecording ? Theme.secondary : Theme.primary
            horizontalAlignment: Text.AlignHCenter
            verticalAlignment: Text.AlignVCenter
        }
        leftPadding: 8
        rightPadding: 8
        topPadding: 4
        bottomPadding: 4
        implicitWidth: Math.max(110, contentItem.implicitWidth + leftPadding + rightPadding)
        background: Rectangle {
            radius: 6
            color: Theme.withAlpha(Theme.primary, root.recorder.isRecording ? 0.16 : 0.08)
            border.width: 1.5
            border.color: root.recorder.isRecording ? Theme.accent : "transparent"
        }
    }

    MvButton {
        visible: root.recorder.showsRemove
        plain: true
        symbol: "xmark.circle.fill"
        symbolSize: 14
        tint: Theme.secondary
        help: "Remove shortcut"
        onClicked: root.recorder.removeShortcut()
        anchors.verticalCenter: parent.verticalCenter
    }
}
