import QtQuick
import Moorvane

// A symbol drawn as text in the symbol font, so it tints and sizes like text.
Text {
    property string symbol
    property real size: 14

    text: symbol.length > 0 ? Symbols.glyph(symbol) : ""
    font.family: Theme.symbolFont
    font.pixelSize: size
    color: Theme.primary
    verticalAlignment: Text.AlignVCenter
    horizontalAlignment: Text.AlignHCenter
    Accessible.ignored: true
}
