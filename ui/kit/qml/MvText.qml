import QtQuick
import Moorvane

// Text a screen reader reads out: Qt Quick leaves plain text out of the accessibility tree.
Text {
    color: Theme.primary
    Accessible.role: Accessible.StaticText
    Accessible.name: text
}
