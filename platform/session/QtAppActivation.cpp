#include "platform/session/QtAppActivation.h"

#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QPainter>
#include <QRasterWindow>
#include <QTimer>

#include <utility>

namespace moorvane {

namespace {

const QString dockService = QStringLiteral("com.apple.dock");
// Long enough for the window manager to have minimized the window and moved the keyboard elsewhere: what
// `activated` shows must not lose the keyboard to that move.
constexpr int settleMilliseconds = 250;

}  // namespace

// What a desktop's dock shows as the running app: a window that stays minimized. Brought up, it goes straight
// back down and hands over to what the app shows instead. A pixel wide and frameless, so the moment it is up
// shows nothing; its title and class are the app's, so a window switcher names it, and it carries the app's
// window icon, which a dock draws where it finds no desktop entry to match the window to.
class RunningAppWindow final : public QRasterWindow {
  public:
    RunningAppWindow(const QString& title, std::function<void()> activated)
        : activated_(std::move(activated)) {
        setTitle(title);
        setFlags(Qt::Window | Qt::FramelessWindowHint);
        resize(1, 1);
        // Only the keyboard tells: a minimized window never has it, and the window manager gives it to a
        // window it brings up for the person. The window's state does not: Qt reports it changing back and
        // forth while the window is first mapped.
        connect(this, &QWindow::activeChanged, this, [this] {
            if (isActive()) broughtUp();
        });
    }

  protected:
    void paintEvent(QPaintEvent* /*event*/) override {
        QPainter(this).fillRect(QRect(QPoint(), size()), QColor(0x1E, 0x1E, 0x1E));
    }

  private:
    void broughtUp() {
        if (pending_) return;
        pending_ = true;
        showMinimized();
        QTimer::singleShot(settleMilliseconds, this, [this] {
            pending_ = false;
            activated_();
        });
    }

    std::function<void()> activated_;
    bool pending_ = false;
};

QtAppActivation::QtAppActivation(QDBusConnection bus, QString label)
    : bus_(std::move(bus)), label_(std::move(label)) {}

QtAppActivation::~QtAppActivation() = default;

void QtAppActivation::showRunningThroughWindow(std::function<void()> activated) {
    activated_ = std::move(activated);
}

void QtAppActivation::setActivationPolicy(ActivationPolicy policy) {
    policy_ = policy;
    if (activated_) {
        if (policy_ != ActivationPolicy::regular) {
            window_.reset();
        } else if (!window_) {
            window_ = std::make_unique<RunningAppWindow>(label_, activated_);
            window_->showMinimized();
        }
        return;
    }
    if (!bus_.isConnected()) return;
    if (!dockWatch_) {
        dockWatch_ = std::make_unique<QDBusServiceWatcher>(dockService, bus_,
                                                           QDBusServiceWatcher::WatchForRegistration);
        QObject::connect(dockWatch_.get(), &QDBusServiceWatcher::serviceRegistered, dockWatch_.get(),
                         [this] { announce(); });
    }
    announce();
}

void QtAppActivation::announce() {
    QDBusMessage call = QDBusMessage::createMethodCall(dockService, QStringLiteral("/com/apple/dock"),
                                                       QStringLiteral("com.apple.dock.Control"),
                                                       QStringLiteral("SetRunningApp"));
    call << label_ << (policy_ == ActivationPolicy::regular);
    // Starting a Dock only to tell it about this app would be wrong; the watch covers a Dock started later.
    call.setAutoStartService(false);
    // Sent without waiting for the reply, which the bus drops, an error for a missing Dock included.
    bus_.send(call);
}

}  // namespace moorvane
