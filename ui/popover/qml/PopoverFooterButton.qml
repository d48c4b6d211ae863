import QtQuick
import Moorvane

// A footer command: a symbol in a 28-point square, named by its help text.
MvButton {
    id: button
    width: 28
    height: 28
    plain: true
    padding: 0
    leftPadding: 0
    rightPadding: 0
    symbolSize: 12
    tint: Theme.secondary
    contentItem: MvSymbol {
        symbol: button.symbol
        size: button.symbolSize
        color: button.hovered ? Theme.primary : Theme.secondary
    }
}
