#pragma once

#include <QObject>
#include <QString>
#include <map>
#include <string_view>

namespace moorvane {

inline constexpr const char* symbolFontPath =
    "/usr/share/fonts/truetype/material-design-icons-iconfont/MaterialIcons-Regular.ttf";

// The symbol names the views use, each to its Material Icons code point.
const std::map<std::string_view, char16_t>& symbolTable();

// Symbols as text in the symbol font, so they tint and size like any text.
class Symbols : public QObject {
    Q_OBJECT
  public:
    using QObject::QObject;
    // An unknown name gives an empty text and one log line, rather than a wrong picture.
    Q_INVOKABLE QString glyph(const QString& name) const;
};

}  // namespace moorvane
