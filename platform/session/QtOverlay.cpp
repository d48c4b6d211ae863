#include "platform/session/QtOverlay.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QVariantAnimation>

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

QtOverlay::QtOverlay() = default;
QtOverlay::~QtOverlay() {
    // A fade under way reaches for the windows at each step.
    delete fading_.data();
}

OverlayId QtOverlay::show(const std::string& label) {
    // A fade under way stops where it is; its end would otherwise take the windows away.
    // (It is deleted later; it no longer counts as fading.)
    if (fading_) {
        fading_->stop();
        fading_.clear();
    }
    const QList<QScreen*> screens = QGuiApplication::screens();
    bool sameScreens = windows_.size() == static_cast<std::size_t>(screens.size());
    for (std::size_t i = 0; sameScreens && i < windows_.size(); ++i) {
        sameScreens = windows_[i]->screen() == screens[static_cast<qsizetype>(i)] &&
                      windows_[i]->geometry() == screens[static_cast<qsizetype>(i)]->geometry();
    }
    if (!sameScreens) windows_.clear();
    const QString text = QString::fromStdString(label);
    if (windows_.empty()) {
        for (QScreen* screen : screens) windows_.push_back(std::make_unique<OverlayWindow>(screen, text));
    }
    for (const auto& window : windows_) {
        window->setLabel(text);
        window->setOpacity(1.0);
        window->show();
        window->raise();
    }
    return ++current_;
}

void QtOverlay::fadeOut(OverlayId showing, double seconds) {
    if (showing != current_ || windows_.empty() || fading_) return;
    auto* animation = new QVariantAnimation();
    animation->setStartValue(1.0);
    animation->setEndValue(0.0);
    animation->setDuration(static_cast<int>(seconds * 1000));
    QObject::connect(animation, &QVariantAnimation::valueChanged, [this](const QVariant& value) {
        for (const auto& window : windows_) window->setOpacity(value.toDouble());
    });
    // Only a fade that ran to its end lets the windows go (a stopped one does not finish).
    QObject::connect(animation, &QVariantAnimation::finished, [this] { windows_.clear(); });
    fading_ = animation;
    animation->start(QAbstractAnimation::DeleteWhenStopped);
}

}  // namespace moorvane
