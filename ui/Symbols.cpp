#include "ui/Symbols.h"

#include <QFont>
#include <QPainterPath>
#include <QRawFont>

#include "base/Log.h"

namespace moorvane {

const std::map<std::string_view, char16_t>& symbolTable() {
    static const std::map<std::string_view, char16_t> table = {
        {"app.fill", 0xe5c3},                           // apps
        {"arrow.triangle.2.circlepath", 0xe627},        // sync
        {"bolt.fill", 0xea0b},                          // bolt
        {"book.fill", 0xea19},                          // menu_book
        {"briefcase.fill", 0xe8f9},                     // work
        {"bubble.left.and.bubble.right.fill", 0xe0bf},  // forum
        {"camera.fill", 0xe412},                        // photo_camera
        {"chart.bar.fill", 0xe26b},                     // bar_chart
        {"checkmark.circle.fill", 0xe86c},              // check_circle
        {"chevron.down", 0xe5cf},                       // expand_more
        {"chevron.left", 0xe5cb},                       // chevron_left
        {"circle", 0xe836},                             // radio_button_unchecked
        {"cube.box.fill", 0xe1a1},                      // inventory_2
        {"equal", 0xe25d},                              // drag_handle
        {"exclamationmark.triangle.fill", 0xe002},      // warning
        {"eye", 0xe8f4},                                // visibility
        {"eye.slash", 0xe8f5},                          // visibility_off
        {"eye.slash.fill", 0xe8f5},                     // visibility_off
        {"folder.badge.plus", 0xe2cc},                  // create_new_folder
        {"folder.fill", 0xe2c7},                        // folder
        {"gamecontroller.fill", 0xea28},                // sports_esports
        {"gearshape", 0xe8b8},                          // settings
        {"globe", 0xe80b},                              // public
        {"hammer.fill", 0xea3c},                        // construction
        {"heart.fill", 0xe87d},                         // favorite
        {"lightbulb.fill", 0xe0f0},                     // lightbulb
        {"magnifyingglass", 0xe8b6},                    // search
        {"minus", 0xe15b},                              // remove
        {"moon.fill", 0xe51c},                          // dark_mode
        {"music.note", 0xe405},                         // music_note
        {"paintbrush.fill", 0xe3ae},                    // brush
        {"pencil", 0xe3c9},                             // edit
        {"plus.circle", 0xe148},                        // add_circle_outline
        {"plus.circle.fill", 0xe147},                   // add_circle
        {"plus.square.on.square", 0xe02e},              // library_add
        {"power", 0xe8ac},                              // power_settings_new
        {"square.and.arrow.down", 0xe2c4},              // file_download
        {"square.and.arrow.up", 0xe6b8},                // ios_share
        {"square.grid.2x2", 0xe9b0},                    // grid_view
        {"square.stack.3d.up", 0xe53b},                 // layers
        {"square.stack.3d.up.fill", 0xe53b},            // layers
        {"star.fill", 0xe838},                          // star
        {"terminal.fill", 0xeb8e},                      // terminal
        {"xmark", 0xe5cd},                              // close
        {"xmark.circle.fill", 0xe5c9},                  // cancel
    };
    return table;
}

QString Symbols::glyph(const QString& name) const {
    const std::string key = name.toStdString();
    const auto found = symbolTable().find(key);
    if (found == symbolTable().end()) {
        log("UI: no glyph for the symbol '" + key + "'");
        return {};
    }
    return QString(QChar(found->second));
}

QRectF Symbols::inkBox(const QString& name) const {
    const QString text = glyph(name);
    if (text.isEmpty()) return QRectF(0, -1, 1, 1);
    const auto cached = inkBoxes_.constFind(text);
    if (cached != inkBoxes_.constEnd()) return *cached;
    // Measured large, so that hinting does not round the box.
    constexpr qreal measuredSize = 240;
    QFont font(fontFamily_);
    font.setPixelSize(static_cast<int>(measuredSize));
    // The outline, not the font metrics: those reach down to the baseline for every icon.
    const QRawFont raw = QRawFont::fromFont(font);
    const QList<quint32> glyphs = raw.glyphIndexesForString(text);
    QRectF box = glyphs.isEmpty() ? QRectF() : raw.pathForGlyph(glyphs.front()).boundingRect();
    if (box.isEmpty()) box = QRectF(0, -measuredSize, measuredSize, measuredSize);
    const QRectF ems(box.x() / measuredSize, box.y() / measuredSize, box.width() / measuredSize,
                     box.height() / measuredSize);
    inkBoxes_.insert(text, ems);
    return ems;
}

}  // namespace moorvane
