#pragma once

#include <cstdint>
#include <functional>
#include <optional>

namespace moorvane {

// One key-down as the core sees it; the flags keep the platform's bit values (ShortcutModifiers).
struct KeyEvent {
    std::uint16_t keyCode = 0;
    std::uint32_t modifierFlags = 0;
    bool isRepeat = false;
};

using KeyMonitorToken = std::uint64_t;

// Key-down monitors. Handlers run on the main thread.
class KeyMonitor {
  public:
    // A system-wide monitor only watches: it cannot keep the key from the app that has it.
    using GlobalHandler = std::function<void(const KeyEvent&)>;
    // True consumes the key press, so the app's own views never see it.
    using LocalHandler = std::function<bool(const KeyEvent&)>;

    virtual ~KeyMonitor() = default;
    // None when the system refuses the monitor; there is then no monitor at all.
    virtual std::optional<KeyMonitorToken> addGlobalKeyDownMonitor(GlobalHandler handler) = 0;
    virtual std::optional<KeyMonitorToken> addLocalKeyDownMonitor(LocalHandler handler) = 0;
    virtual void removeMonitor(KeyMonitorToken token) = 0;
    // Without this the system-wide monitor sees only this app's keys (no Accessibility grant, or a desktop
    // that forbids global key observation). Asked without prompting the user.
    virtual bool seesOtherAppsKeys() = 0;
    // True where no permission could change that: the session itself keeps each app's keys from the others
    // (Wayland), so a shortcut works there only while this app has focus, unless the desktop's own shortcut
    // settings run it.
    virtual bool sessionHidesOtherAppsKeys() { return false; }
};

}  // namespace moorvane
