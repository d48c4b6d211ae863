import QtQuick
import QtQuick.Controls
import Moorvane

// The kit's button: text and/or symbol, plain, bordered, prominent or link style, regular or small. Its
// accessible name is its text, or its help text when it shows only a symbol. Every style draws the focus ring
// while the keyboard is on it; Space and Return press it.
AbstractButton {
    id: control

    property string symbol
    property real symbolSize: 12
    property color tint: Theme.primary
    property bool prominent: false
    property bool plain: false
    property bool link: false
    property bool destructive: false
    property bool small: false
    property string help
    property real fontSize: small ? 11 : Theme.bodySize

    hoverEnabled: true
    focusPolicy: Qt.TabFocus
    padding: plain || link ? 2 : small ? 3 : 6
    leftPadding: plain || link ? 2 : small ? 8 : 12
    rightPadding: leftPadding
    opacity: enabled ? 1 : 0.4

    Accessible.role: Accessible.Button
    Accessible.name: text.length > 0 ? text : help
    // Qt 6.4's controls report the press action as done without emitting anything; forward it.
    Accessible.onPressAction: control.clicked()
    Keys.onReturnPressed: control.clicked()
    Keys.onEnterPressed: control.clicked()

    ToolTip.visible: help.length > 0 && hovered
    ToolTip.text: help
    ToolTip.delay: 600

    readonly property color textColor: destructive ? Theme.red
                                      : link ? Theme.accent
                                      : prominent ? "white" : tint

    contentItem: Row {
        spacing: 4
        MvSymbol {
            visible: control.symbol.length > 0
            symbol: control.symbol
            size: control.symbolSize
            color: control.textColor
            anchors.verticalCenter: parent.verticalCenter
        }
        Text {
            visible: control.text.length > 0
            text: control.text
            color: control.textColor
            font.pixelSize: control.fontSize
            font.underline: control.link && control.hovered
            anchors.verticalCenter: parent.verticalCenter
        }
    }

    background: Rectangle {
        visible: !control.plain && !control.link
        radius: control.small ? 4 : 5
        color: control.prominent ? (control.down ? Qt.darker(Theme.accent, 1.2) : Theme.accent)
                                 : (control.down ? Qt.lighter(Theme.control, 1.3) : Theme.control)
    }

    MvFocusRing { target: control }
}
