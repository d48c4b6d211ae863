#pragma once

#include <QObject>

#include <map>

#include "platform/session/XRecordKeyMonitor.h"
#include "ports/KeyMonitor.h"

namespace moorvane {

// The whole key-monitor port on Linux: system-wide monitors through X RECORD, in-app monitors as an
// application-wide event filter that can consume the key press.
class LinuxKeyMonitor final : public QObject, public KeyMonitor {
    Q_OBJECT
  public:
    explicit LinuxKeyMonitor(MainQueue& queue, QObject* parent = nullptr);
    ~LinuxKeyMonitor() override;

    std::optional<KeyMonitorToken> addGlobalKeyDownMonitor(GlobalHandler handler) override;
    std::optional<KeyMonitorToken> addLocalKeyDownMonitor(LocalHandler handler) override;
    void removeMonitor(KeyMonitorToken token) override;
    bool seesOtherAppsKeys() override { return record_.seesOtherAppsKeys(); }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    XRecordKeyMonitor record_;
    std::map<KeyMonitorToken, KeyMonitorToken> globalTokens_;  // ours -> the recorder's
    std::map<KeyMonitorToken, LocalHandler> local_;
    KeyMonitorToken next_ = 1;
    bool filtering_ = false;
};

}  // namespace moorvane
