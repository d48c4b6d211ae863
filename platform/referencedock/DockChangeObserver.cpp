#include "platform/referencedock/DockChangeObserver.h"

#include <QDBusConnection>

#include <utility>

#include "base/Log.h"

namespace moorvane {

DockChangeObserver::DockChangeObserver(std::function<void()> onChange, QObject* parent)
    : QObject(parent), onChange_(std::move(onChange)) {
    observing_ = QDBusConnection::sessionBus().connect(
        QString(), QStringLiteral("/com/apple/dock"), QStringLiteral("com.apple.dock"),
        QStringLiteral("prefchanged"), this, SLOT(prefChanged()));
    if (!observing_) log("Moorvane: cannot observe com.apple.dock.prefchanged on the session bus");
}

void DockChangeObserver::prefChanged() {
    onChange_();
}

}  // namespace moorvane
