#include "ui/Theme.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QPalette>
#include <QQmlEngine>
#include <QQuickStyle>
#include <map>

#include "base/Log.h"
#include "ui/Symbols.h"

namespace moorvane {

namespace {

QPalette darkPalette(const Theme& theme) {
    QPalette p;
    const QColor text = Qt::white;
    p.setColor(QPalette::Window, theme.window());
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, QColor(0x2A, 0x2A, 0x2C));
    p.setColor(QPalette::AlternateBase, QColor(0x32, 0x32, 0x34));
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::PlaceholderText, theme.tertiary());
    p.setColor(QPalette::Button, theme.control());
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::Highlight, theme.accent());
    p.setColor(QPalette::HighlightedText, text);
    p.setColor(QPalette::ToolTipBase, QColor(0x2C, 0x2C, 0x2E));
    p.setColor(QPalette::ToolTipText, text);
    p.setColor(QPalette::Light, QColor(0x55, 0x55, 0x58));
    p.setColor(QPalette::Midlight, QColor(0x48, 0x48, 0x4A));
    p.setColor(QPalette::Mid, QColor(0x3A, 0x3A, 0x3C));
    p.setColor(QPalette::Dark, QColor(0x1A, 0x1A, 0x1A));
    p.setColor(QPalette::Shadow, Qt::black);
    p.setColor(QPalette::Link, theme.accent());
    p.setColor(QPalette::Disabled, QPalette::Text, theme.tertiary());
    p.setColor(QPalette::Disabled, QPalette::ButtonText, theme.tertiary());
    p.setColor(QPalette::Disabled, QPalette::WindowText, theme.tertiary());
    return p;
}

}  // namespace

QColor Theme::named(const QString& colorName) {
    static const std::map<QString, QColor> colors = {
        {"blue", QColor(0x0A, 0x84, 0xFF)},   {"green", QColor(0x30, 0xD1, 0x58)},
        {"orange", QColor(0xFF, 0x9F, 0x0A)}, {"purple", QColor(0xBF, 0x5A, 0xF2)},
        {"red", QColor(0xFF, 0x45, 0x3A)},    {"pink", QColor(0xFF, 0x37, 0x5F)},
        {"yellow", QColor(0xFF, 0xD6, 0x0A)}, {"teal", QColor(0x40, 0xC8, 0xE0)},
        {"indigo", QColor(0x5E, 0x5C, 0xE6)}, {"mint", QColor(0x63, 0xE6, 0xE2)}};
    const auto found = colors.find(colorName);
    return found == colors.end() ? colors.at("blue") : found->second;
}

QColor Theme::profileColor(const QString& colorName) const {
    return named(colorName);
}

QColor Theme::withAlpha(const QColor& color, double alpha) const {
    QColor c = color;
    c.setAlphaF(static_cast<float>(alpha));
    return c;
}

Theme& Theme::install() {
    static Theme* theme = [] {
        if (qEnvironmentVariableIsEmpty("QT_QUICK_CONTROLS_STYLE"))
            QQuickStyle::setStyle(QStringLiteral("Fusion"));
        QString family;
        const int font = QFontDatabase::addApplicationFont(QString::fromLatin1(symbolFontPath));
        if (font >= 0 && !QFontDatabase::applicationFontFamilies(font).isEmpty()) {
            family = QFontDatabase::applicationFontFamilies(font).front();
        } else {
            log(std::string("UI: the symbol font could not be loaded from ") + symbolFontPath);
        }
        auto* t = new Theme(family, qGuiApp);
        QGuiApplication::setPalette(darkPalette(*t));
        // One instance per engine: every window has its own engine, and an instance cannot be shared.
        qmlRegisterSingletonType<Theme>(
            "Moorvane", 1, 0, "Theme",
            [family](QQmlEngine*, QJSEngine*) -> QObject* { return new Theme(family); });
        qmlRegisterSingletonType<Symbols>(
            "Moorvane", 1, 0, "Symbols",
            [family](QQmlEngine*, QJSEngine*) -> QObject* { return new Symbols(family); });
        return t;
    }();
    return *theme;
}

}  // namespace moorvane
