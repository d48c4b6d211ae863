import QtQuick
import Moorvane

// A symbol drawn as text in the symbol font, so it tints like text. `size` is the size of the symbol's ink
// (its longer side), as a symbol of that point size is drawn, not the font's: the font pads every icon, and
// each by another amount. The item is as large as the ink and draws it centred in whatever size it is given.
Item {
    id: root
    property string symbol
    property real size: 14
    property alias color: glyph.color
    property alias font: glyph.font

    readonly property rect ink: symbol.length > 0 ? Symbols.inkBox(symbol) : Qt.rect(0, -1, 1, 1)
    // Font sizes are whole pixels.
    readonly property int pixelSize: Math.max(1, Math.round(size / Math.max(ink.width, ink.height, 0.01)))

    implicitWidth: Math.round(ink.width * pixelSize)
    implicitHeight: Math.round(ink.height * pixelSize)
    Accessible.ignored: true

    Text {
        id: glyph
        text: root.symbol.length > 0 ? Symbols.glyph(root.symbol) : ""
        font.family: Theme.symbolFont
        font.pixelSize: root.pixelSize
        color: Theme.primary
        // The pen sits where the ink's box lands centred on the item.
        x: Math.round((root.width - root.ink.width * root.pixelSize) / 2 - root.ink.x * root.pixelSize)
        y: Math.round((root.height - root.ink.height * root.pixelSize) / 2 - root.ink.y * root.pixelSize
                      - baselineOffset)
        Accessible.ignored: true
    }
}
