#pragma once

#include <memory>
#include <string>

#include "base/Observable.h"
#include "model/DockProfile.h"
#include "platform/desktop/DesktopEntries.h"

namespace moorvane {

class GnomeShortcuts;
class ProfileStore;

// The profiles' shortcuts kept in the desktop's own keyboard shortcuts, where the desktop has them (GNOME and
// the desktops that run gnome-settings-daemon): mirrored at start and after every change of the store's
// profiles. Kept apart from the app so GIO's headers meet no Qt header.
class DesktopShortcuts {
  public:
    // Nothing where the session is no GNOME one or gnome-settings-daemon's schemas are missing. `program`
    // is the command the shortcuts run; the store must outlive this.
    static std::unique_ptr<DesktopShortcuts> open(const desktop::DesktopEnvironment& environment,
                                                  std::string program, ProfileStore& store);
    ~DesktopShortcuts();
    DesktopShortcuts(const DesktopShortcuts&) = delete;
    DesktopShortcuts& operator=(const DesktopShortcuts&) = delete;

    // The desktop switches to this profile at its shortcut by itself.
    bool serves(const DockProfile& profile) const;
    // The desktop runs the mirrored shortcuts at all (its media-keys service is up).
    bool running() const;
    // While suspended (the shortcut recorder records) the desktop's entries hold no keys, so a press reaches
    // the recorder rather than switching.
    void setSuspended(bool suspended);

  private:
    DesktopShortcuts(std::unique_ptr<GnomeShortcuts> gnome, ProfileStore& store);
    void mirror(const std::vector<DockProfile>& profiles);

    std::unique_ptr<GnomeShortcuts> gnome_;
    ProfileStore& store_;
    bool suspended_ = false;
    Subscription subscription_;
};

}  // namespace moorvane
