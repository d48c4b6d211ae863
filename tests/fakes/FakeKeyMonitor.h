#pragma once

#include <map>
#include <optional>
#include <utility>

#include "ports/KeyMonitor.h"

namespace moorvane::testing {

// Keeps the handlers so a test can press keys through either monitor, as the system would.
class FakeKeyMonitor final : public KeyMonitor {
  public:
    bool refuseGlobal = false;
    bool refuseLocal = false;
    bool trusted = false;
    bool sessionHides = false;

    std::map<KeyMonitorToken, GlobalHandler> globals;
    std::map<KeyMonitorToken, LocalHandler> locals;
    int installCount = 0;

    std::optional<KeyMonitorToken> addGlobalKeyDownMonitor(GlobalHandler handler) override {
        ++installCount;
        if (refuseGlobal) return std::nullopt;
        globals.emplace(next_, std::move(handler));
        return next_++;
    }
    std::optional<KeyMonitorToken> addLocalKeyDownMonitor(LocalHandler handler) override {
        ++installCount;
        if (refuseLocal) return std::nullopt;
        locals.emplace(next_, std::move(handler));
        return next_++;
    }
    void removeMonitor(KeyMonitorToken token) override {
        globals.erase(token);
        locals.erase(token);
    }
    bool seesOtherAppsKeys() override { return trusted; }
    bool sessionHidesOtherAppsKeys() override { return sessionHides; }

    // A key pressed in another app: only the system-wide monitors hear it.
    void pressElsewhere(const KeyEvent& event) {
        for (auto& [token, handler] : globals) handler(event);
    }
    // A key pressed in this app; true when a monitor consumed it.
    bool pressInApp(const KeyEvent& event) {
        bool consumed = false;
        for (auto& [token, handler] : locals) consumed = handler(event) || consumed;
        return consumed;
    }

  private:
    KeyMonitorToken next_ = 1;
};

}  // namespace moorvane::testing
