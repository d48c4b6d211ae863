#pragma once

#include <QDBusConnection>
#include <QString>

#include <memory>

#include "ports/ActivationPolicy.h"

class QDBusServiceWatcher;

namespace moorvane {

// A regular app shows a tile in the Dock and an accessory does not: the policy is announced to the reference
// Dock's com.apple.dock.Control, and announced again whenever the Dock comes back, as each switch restarts it
// and a new Dock knows nothing of the apps that were running. The calls never wait for the Dock, and a
// missing Dock is no failure. The app's own windows follow `policy()`.
class QtAppActivation final : public AppActivation {
  public:
    explicit QtAppActivation(QDBusConnection bus = QDBusConnection::sessionBus(),
                             QString label = QStringLiteral("Moorvane"));
    ~QtAppActivation() override;
    QtAppActivation(const QtAppActivation&) = delete;
    QtAppActivation& operator=(const QtAppActivation&) = delete;

    void setActivationPolicy(ActivationPolicy policy) override;
    ActivationPolicy policy() const { return policy_; }

  private:
    void announce();

    QDBusConnection bus_;
    QString label_;
    ActivationPolicy policy_ = ActivationPolicy::regular;
    // Made on the first policy, so that building the app touches no bus until it has something to say.
    std::unique_ptr<QDBusServiceWatcher> dockWatch_;
};

}  // namespace moorvane
