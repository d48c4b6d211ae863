#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "model/DockProfile.h"
#include "model/ShortcutText.h"
#include "ports/KeyMonitor.h"
#include "ports/MainQueue.h"

namespace moorvane {

class ProfileStore;

// Switches to the first profile whose keyboard shortcut matches a key-down, seen by a system-wide and an
// in-app monitor. Shortcuts are read from the store at every qualifying key press, so edits count at once.
// Main thread only.
class HotkeyManager {
  public:
    using ProfileList = std::function<const std::vector<DockProfile>&()>;
    using SwitchTo = std::function<void(const DockProfile& profile, bool launchApps)>;
    // Whether the desktop itself switches to this profile at its shortcut (its own keyboard shortcuts run the
    // switch URL); the system-wide monitor then leaves the key to it, so one press switches once.
    using ServedByDesktop = std::function<bool(const DockProfile& profile)>;

    // The store must outlive every switch this manager posts.
    HotkeyManager(KeyMonitor& monitor, MainQueue& queue, ProfileStore& store);
    HotkeyManager(KeyMonitor& monitor, MainQueue& queue, ProfileList profiles, SwitchTo switchTo);
    // Removes the monitors, so no key press reaches a manager that is gone.
    ~HotkeyManager();
    HotkeyManager(const HotkeyManager&) = delete;
    HotkeyManager& operator=(const HotkeyManager&) = delete;

    // While true no key event matches; the shortcut recorder sets it (through setSuspended) for as long as
    // it records.
    bool isSuspended = false;
    // Sets isSuspended and tells the listener of a change: the desktop must let go of the shortcuts it serves
    // too, or a press meant for the recorder would switch profiles and never reach it.
    void setSuspended(bool suspended);
    void onSuspendedChanged(std::function<void(bool suspended)> changed) {
        suspendedChanged_ = std::move(changed);
    }

    // Installs both monitors once; later calls do nothing while either is installed.
    void start();
    // True when the event matched a profile and its switch was posted to the main queue.
    bool handleKeyDown(const KeyEvent& event);
    // A key-down seen by the system-wide monitor: as handleKeyDown, except that a profile the desktop serves
    // is matched (and reached, so later profiles with the same shortcut stay unreached) but not switched to.
    bool handleGlobalKeyDown(const KeyEvent& event);

    // Empty (the default) when the desktop serves no shortcut.
    void setServedByDesktop(ServedByDesktop served) { servedByDesktop_ = std::move(served); }

    const std::optional<KeyMonitorToken>& globalMonitor() const { return globalMonitor_; }
    const std::optional<KeyMonitorToken>& localMonitor() const { return localMonitor_; }

  private:
    KeyMonitor& monitor_;
    MainQueue& queue_;
    ProfileList profiles_;
    SwitchTo switchTo_;
    ServedByDesktop servedByDesktop_;
    std::function<void(bool)> suspendedChanged_;
    std::optional<KeyMonitorToken> globalMonitor_;
    std::optional<KeyMonitorToken> localMonitor_;
    // Handlers hold this weakly, for a platform that delivers one last event after the monitor is removed.
    const std::optional<Shortcut>& parsedShortcut(const std::string& text);
    bool match(const KeyEvent& event, bool global);

    std::unordered_map<std::string, std::optional<Shortcut>> parsed_;
    std::shared_ptr<int> lifetime_ = std::make_shared<int>(0);
};

}  // namespace moorvane
