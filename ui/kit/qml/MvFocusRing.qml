import QtQuick
import QtQuick.Controls
import Moorvane

// The ring every focusable control draws while it has keyboard focus, so a keyboard user always sees where
// keys go. Place it inside the control (or beside it) and point `target` at the control.
Rectangle {
    property Item target: parent
    property real inset: -3

    x: target ? (target === parent ? 0 : target.x) + inset : 0
    y: target ? (target === parent ? 0 : target.y) + inset : 0
    width: target ? target.width - 2 * inset : 0
    height: target ? target.height - 2 * inset : 0
    radius: 6
    color: "transparent"
    border.width: 2
    border.color: Theme.withAlpha(Theme.accent, 0.8)
    visible: !!target && target.activeFocus && ((target as Control)?.visualFocus ?? true)
    z: 100
    Accessible.ignored: true
}
