#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace moorvane {

// A desktop's own Focus state, where it keeps one outside the macOS-shaped Do Not Disturb files (GNOME's Do
// Not Disturb switch, for one). Names are those the user sees and a profile's Focus filter holds. Main thread
// only.
class DesktopFocus {
  public:
    virtual ~DesktopFocus() = default;
    // The mode the desktop is in now, or none when it is in none of its modes.
    virtual std::optional<std::string> activeMode() = 0;
    // Every mode the desktop can be in, for the editor to offer.
    virtual std::vector<std::string> modeNames() = 0;
    // `changed` runs on the main thread after the desktop's state may have changed; replaces an earlier one.
    virtual void observeChanges(std::function<void()> changed) = 0;
};

}  // namespace moorvane
