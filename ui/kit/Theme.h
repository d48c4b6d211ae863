#pragma once

#include <QtQml/qqmlregistration.h>
#include <QColor>
#include <QObject>
#include <QString>

class QJSEngine;
class QQmlEngine;

namespace moorvane {

// The app's one appearance: dark whatever the desktop's, with the named colours as macOS draws them in dark
// mode and the sizes of the views in device-independent pixels (one point is one pixel).
class Theme : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    Q_PROPERTY(QColor accent READ accent CONSTANT)
    Q_PROPERTY(QColor orange READ orange CONSTANT)
    Q_PROPERTY(QColor red READ red CONSTANT)
    Q_PROPERTY(QColor window READ window CONSTANT)
    Q_PROPERTY(QColor control READ control CONSTANT)
    Q_PROPERTY(QColor primary READ primary CONSTANT)
    Q_PROPERTY(QColor secondary READ secondary CONSTANT)
    Q_PROPERTY(QColor tertiary READ tertiary CONSTANT)
    Q_PROPERTY(QColor quaternary READ quaternary CONSTANT)
    Q_PROPERTY(QString symbolFont READ symbolFont CONSTANT)
    Q_PROPERTY(int captionSize READ captionSize CONSTANT)
    Q_PROPERTY(int bodySize READ bodySize CONSTANT)
    Q_PROPERTY(int calloutSize READ calloutSize CONSTANT)
    Q_PROPERTY(int subheadlineSize READ subheadlineSize CONSTANT)
    Q_PROPERTY(int headlineSize READ headlineSize CONSTANT)
    Q_PROPERTY(int title2Size READ title2Size CONSTANT)

  public:
    explicit Theme(QString symbolFont, QObject* parent = nullptr)
        : QObject(parent), symbolFont_(std::move(symbolFont)) {}

    // Once per process, before the first engine: the Quick Controls style that honours a palette, the dark
    // palette, the symbol font, and the types of the "Moorvane" QML module.
    static Theme& install();
    // One instance per engine: every window has its own engine, and an instance cannot be shared.
    static Theme* create(QQmlEngine*, QJSEngine*);

    static QColor named(const QString& colorName);

    QColor accent() const { return named(QStringLiteral("blue")); }
    QColor orange() const { return named(QStringLiteral("orange")); }
    QColor red() const { return named(QStringLiteral("red")); }
    QColor window() const { return QColor(0x1E, 0x1E, 0x1E); }
    QColor control() const { return QColor(0x3A, 0x3A, 0x3C); }
    QColor primary() const { return Qt::white; }
    QColor secondary() const { return QColor(255, 255, 255, 140); }
    QColor tertiary() const { return QColor(255, 255, 255, 64); }
    QColor quaternary() const { return QColor(255, 255, 255, 26); }
    QString symbolFont() const { return symbolFont_; }
    int captionSize() const { return 10; }
    int bodySize() const { return 13; }
    int calloutSize() const { return 12; }
    int subheadlineSize() const { return 11; }
    int headlineSize() const { return 13; }
    int title2Size() const { return 17; }

    // A profile's colour: one of the ten names, or the accent colour for any other text.
    Q_INVOKABLE QColor profileColor(const QString& colorName) const;
    Q_INVOKABLE QColor withAlpha(const QColor& color, double alpha) const;

  private:
    QString symbolFont_;
};

}  // namespace moorvane
