#pragma once

#include <functional>
#include <optional>
#include <string>

#include "base/Plist.h"
#include "ports/DockPreferences.h"

namespace moorvane {

// How a dock takes a layout written into its preferences.
enum class DockApplyMode {
    restart,  // it reads them only at start: the process is killed and its session starts it again
    live,     // it shows them while it runs: nothing is killed
};

// The dock Moorvane drives in this session: its two tile lists under the keys "persistent-apps" and
// "persistent-others" (each dock turns its own items into tile dictionaries and back), how it takes a new
// layout, what it cannot show, and its change signal.
class DockBackend : public DockPreferences {
  public:
    // How the log and the settings page name it: "the reference Dock", "GNOME Shell’s dash", "Plank".
    virtual std::string displayName() const = 0;
    virtual DockApplyMode applyMode() const = 0;
    // Why this dock cannot show `tile` ("a spacer", "a folder", "not an installed app"...), or nothing when
    // it can. Such tiles are left out of a write and stay in the profile.
    virtual std::optional<std::string> whyNotShown(const PlistValue& tile) = 0;
    // Live docks: `shown` runs once, on the main thread, when the dock reports showing the lists of the last
    // successful synchronize(). A dock that does not report never calls it; a later call replaces it.
    virtual void notifyWhenShown(std::function<void()> shown) = 0;
    // `changed` runs on the main thread after every change of the dock's stored lists, by the user or by
    // anyone else, Moorvane's own writes included. Set once.
    virtual void observeChanges(std::function<void()> changed) = 0;
};

}  // namespace moorvane
