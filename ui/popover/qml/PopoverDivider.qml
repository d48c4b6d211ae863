import QtQuick
import Moorvane

// A hairline across the popover, inset from its edges.
Rectangle {
    property real inset: 10
    x: inset
    width: parent ? parent.width - 2 * inset : 0
    height: 1
    color: Theme.quaternary
}
