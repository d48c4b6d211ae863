#pragma once

#include <QObject>

#include <functional>
#include <map>

#include "platform/session/XRecordKeyMonitor.h"
#include "ports/KeyMonitor.h"

namespace moorvane {

// Whether this is a Wayland session ($XDG_SESSION_TYPE is "wayland" or $WAYLAND_DISPLAY is set), where no
// app sees the keys of another, X RECORD under Xwayland included.
bool isWaylandSession();

// The whole key-monitor port on Linux: system-wide monitors through X RECORD, in-app monitors as an
// application-wide event filter that can consume the key press.
class LinuxKeyMonitor final : public QObject, public KeyMonitor {
    Q_OBJECT
  public:
    struct Options {
        // False on a Wayland session: no system-wide monitor is installed at all.
        bool recordOtherAppsKeys = true;
        // Whether the desktop's own shortcut settings run the profiles' shortcuts (GNOME's, mirrored), which
        // then work while other apps are frontmost even where this app cannot see their keys.
        std::function<bool()> desktopRunsShortcuts;
    };
    explicit LinuxKeyMonitor(MainQueue& queue, QObject* parent = nullptr);
    LinuxKeyMonitor(MainQueue& queue, Options options, QObject* parent = nullptr);
    ~LinuxKeyMonitor() override;

    std::optional<KeyMonitorToken> addGlobalKeyDownMonitor(GlobalHandler handler) override;
    std::optional<KeyMonitorToken> addLocalKeyDownMonitor(LocalHandler handler) override;
    void removeMonitor(KeyMonitorToken token) override;
    bool seesOtherAppsKeys() override;
    bool sessionHidesOtherAppsKeys() override { return !options_.recordOtherAppsKeys; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    XRecordKeyMonitor record_;
    Options options_;
    std::map<KeyMonitorToken, KeyMonitorToken> globalTokens_;  // ours -> the recorder's
    std::map<KeyMonitorToken, LocalHandler> local_;
    KeyMonitorToken next_ = 1;
    bool filtering_ = false;
};

}  // namespace moorvane
