#include "triggers/HotkeyManager.h"

#include <string>
#include <utility>

#include "base/Log.h"
#include "model/ShortcutText.h"
#include "store/ProfileStore.h"

namespace moorvane {

HotkeyManager::HotkeyManager(KeyMonitor& monitor, MainQueue& queue, ProfileStore& store)
    : HotkeyManager(
          monitor, queue, [&store]() -> const std::vector<DockProfile>& { return store.profiles.get(); },
          [&store](const DockProfile& profile, bool launchApps) { store.switchTo(profile, launchApps); }) {}

HotkeyManager::HotkeyManager(KeyMonitor& monitor, MainQueue& queue, ProfileList profiles, SwitchTo switchTo)
    : monitor_(monitor), queue_(queue), profiles_(std::move(profiles)), switchTo_(std::move(switchTo)) {}

HotkeyManager::~HotkeyManager() {
    if (globalMonitor_) monitor_.removeMonitor(*globalMonitor_);
    if (localMonitor_) monitor_.removeMonitor(*localMonitor_);
}

void HotkeyManager::start() {
    if (globalMonitor_ || localMonitor_) return;
    const std::weak_ptr<int> alive = lifetime_;
    globalMonitor_ = monitor_.addGlobalKeyDownMonitor([this, alive](const KeyEvent& event) {
        if (!alive.expired()) handleGlobalKeyDown(event);
    });
    localMonitor_ = monitor_.addLocalKeyDownMonitor(
        [this, alive](const KeyEvent& event) { return !alive.expired() && handleKeyDown(event); });
    log(std::string("HotkeyManager: started (accessibility granted: ") +
        (monitor_.seesOtherAppsKeys() ? "true" : "false") + ")");
}

void HotkeyManager::setSuspended(bool suspended) {
    if (suspended == isSuspended) return;
    isSuspended = suspended;
    if (suspendedChanged_) suspendedChanged_(suspended);
}

const std::optional<Shortcut>& HotkeyManager::parsedShortcut(const std::string& text) {
    // Keyed by the text itself, so an edited shortcut is parsed afresh at its next key press; the bound keeps
    // a long session of edits from growing the table without end.
    if (parsed_.size() > 4096) parsed_.clear();
    const auto found = parsed_.find(text);
    if (found != parsed_.end()) return found->second;
    return parsed_.emplace(text, parseShortcut(text)).first->second;
}

bool HotkeyManager::handleKeyDown(const KeyEvent& event) {
    return match(event, false);
}

bool HotkeyManager::handleGlobalKeyDown(const KeyEvent& event) {
    return match(event, true);
}

bool HotkeyManager::match(const KeyEvent& event, bool global) {
    if (isSuspended || event.isRepeat) return false;
    if ((event.modifierFlags & ShortcutModifiers::requiredMask) == 0) return false;
    if (nameByKeyCode().count(event.keyCode) == 0) return false;

    const Shortcut pressed{ShortcutModifiers::fromEventFlags(event.modifierFlags), event.keyCode};
    for (const DockProfile& profile : profiles_()) {
        if (!profile.keyboardShortcut) continue;
        if (parsedShortcut(*profile.keyboardShortcut) != pressed) continue;
        // The desktop runs this profile's switch itself; switching here as well would switch twice.
        if (global && servedByDesktop_ && servedByDesktop_(profile)) return false;

        log("HotkeyManager: " + formatShortcut(pressed.modifiers, pressed.keyCode) + " → '" + profile.name +
            "'");
        // A copy taken now: the store's list may change before the switch runs, and the switch must never run
        // inside the monitor's callback.
        queue_.post([switchTo = switchTo_, matched = profile] { switchTo(matched, true); });
        return true;
    }
    return false;
}

}  // namespace moorvane
