#pragma once

#include <QDBusConnection>
#include <QString>

#include <functional>
#include <memory>

#include "ports/ActivationPolicy.h"

class QDBusServiceWatcher;

namespace moorvane {

class RunningAppWindow;

// A regular app shows a tile in the Dock and an accessory does not. On the reference Dock the policy is
// announced to its com.apple.dock.Control, and announced again whenever the Dock comes back, as each switch
// restarts it and a new Dock knows nothing of the apps that were running; the calls never wait for the Dock,
// and a missing Dock is no failure. A desktop's own dock (GNOME Shell's dash, Plank) has no such door: it
// shows the apps that have a window, so there a regular app keeps a minimized window of its own (see
// `showRunningThroughWindow`). The app's own windows follow `policy()`.
class QtAppActivation final : public AppActivation {
  public:
    explicit QtAppActivation(QDBusConnection bus = QDBusConnection::sessionBus(),
                             QString label = QStringLiteral("Moorvane"));
    ~QtAppActivation() override;
    QtAppActivation(const QtAppActivation&) = delete;
    QtAppActivation& operator=(const QtAppActivation&) = delete;

    // The session's dock is a desktop's own: from the next policy on, a regular app is a minimized window
    // titled with the label, and `activated` runs each time the person brings that window up (a click on the
    // app's tile), after it has gone back down. Call before the first policy.
    void showRunningThroughWindow(std::function<void()> activated);

    void setActivationPolicy(ActivationPolicy policy) override;
    ActivationPolicy policy() const { return policy_; }

  private:
    void announce();

    QDBusConnection bus_;
    QString label_;
    ActivationPolicy policy_ = ActivationPolicy::regular;
    // Made on the first policy, so that building the app touches no bus until it has something to say.
    std::unique_ptr<QDBusServiceWatcher> dockWatch_;
    std::function<void()> activated_;  // set on a desktop's own dock
    std::unique_ptr<RunningAppWindow> window_;
};

}  // namespace moorvane
