#include "platform/session/OverlayWindow.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

#include <utility>

namespace moorvane {

namespace {

// Material Icons' "layers", the nearest glyph to a stack of squares.
constexpr char16_t stackGlyph = 0xE53B;
constexpr int symbolSize = 36;
constexpr int symbolGap = 12;

QFont symbolFont() {
    static const QString family = [] {
        const int id = QFontDatabase::addApplicationFont(QStringLiteral(
            "/usr/share/fonts/truetype/material-design-icons-iconfont/MaterialIcons-Regular.ttf"));
        const QStringList families = id >= 0 ? QFontDatabase::applicationFontFamilies(id) : QStringList{};
        return families.isEmpty() ? QString() : families.first();
    }();
    QFont font(family);
    font.setPixelSize(symbolSize);
    return font;
}

}  // namespace

OverlayWindow::OverlayWindow(QScreen* screen, QString label) : label_(std::move(label)) {
    setScreen(screen);
    setFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowTransparentForInput | Qt::Tool |
             Qt::BypassWindowManagerHint);
    QSurfaceFormat format;
    format.setAlphaBufferSize(8);
    setFormat(format);
    setTitle(label_);
    setGeometry(screen->geometry());
}

void OverlayWindow::setLabel(const QString& label) {
    if (label == label_) return;
    label_ = label;
    setTitle(label_);
    update();
}

void OverlayWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    // The HUD material: dark and mostly opaque where the desktop composes alpha, plain dark where it does
    // not.
    painter.fillRect(QRect(0, 0, width(), height()), QColor(30, 30, 32, 200));
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);

    QFont labelFont = QGuiApplication::font();
    labelFont.setPixelSize(18);
    labelFont.setWeight(QFont::Medium);
    const QFontMetrics metrics(labelFont);
    const QRect labelRect = metrics.boundingRect(label_);
    const int labelX = (width() - labelRect.width()) / 2;
    const int labelY = (height() - labelRect.height()) / 2;

    const QFont symbol = symbolFont();
    if (!symbol.family().isEmpty()) {
        painter.setFont(symbol);
        painter.setPen(QColor(255, 255, 255, 140));
        // Drawn above the label, as the origin at the bottom left would place it.
        painter.drawText(
            QRect((width() - symbolSize) / 2, labelY - symbolGap - symbolSize, symbolSize, symbolSize),
            Qt::AlignCenter, QString(QChar(stackGlyph)));
    }
    painter.setFont(labelFont);
    painter.setPen(Qt::white);
    painter.drawText(QRect(labelX, labelY, labelRect.width() + 2, labelRect.height()), Qt::AlignCenter,
                     label_);
}

}  // namespace moorvane
