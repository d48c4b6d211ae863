#pragma once

#include <QtQml/qqmlregistration.h>
#include <QHash>
#include <QObject>
#include <QRectF>
#include <QString>
#include <map>
#include <string_view>

class QJSEngine;
class QQmlEngine;

namespace moorvane {

inline constexpr const char* symbolFontPath =
    "/usr/share/fonts/truetype/material-design-icons-iconfont/MaterialIcons-Regular.ttf";

// The symbol names the views use, each to its Material Icons code point.
const std::map<std::string_view, char16_t>& symbolTable();

// Symbols as text in the symbol font, so they tint and size like any text.
class Symbols : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
  public:
    explicit Symbols(QString fontFamily, QObject* parent = nullptr)
        : QObject(parent), fontFamily_(std::move(fontFamily)) {}
    // One per engine, in the symbol font the theme installed.
    static Symbols* create(QQmlEngine*, QJSEngine*);
    // An unknown name gives an empty text and one log line, rather than a wrong picture.
    Q_INVOKABLE QString glyph(const QString& name) const;
    // Where the symbol's ink lies, in font sizes (ems), relative to the pen position on the baseline. The
    // icon font centres each icon in a padded box, so a glyph drawn at the size asked for comes out a third
    // smaller or less (a chevron at half of it); the views scale each symbol by its own ink instead.
    Q_INVOKABLE QRectF inkBox(const QString& name) const;

  private:
    QString fontFamily_;
    // By glyph; measured from this object's font.
    mutable QHash<QString, QRectF> inkBoxes_;
};

}  // namespace moorvane
