#include "platform/session/QtAppActivation.h"

#include <QDBusMessage>
#include <QDBusServiceWatcher>

#include <utility>

namespace moorvane {

namespace {

const QString dockService = QStringLiteral("com.apple.dock");

}  // namespace

QtAppActivation::QtAppActivation(QDBusConnection bus, QString label)
    : bus_(std::move(bus)), label_(std::move(label)) {}

QtAppActivation::~QtAppActivation() = default;

void QtAppActivation::setActivationPolicy(ActivationPolicy policy) {
    policy_ = policy;
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
