#include "platform/session/QtOverlay.h"

#include <QGuiApplication>
#include <QScreen>
#include <QVariantAnimation>

namespace moorvane {

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
