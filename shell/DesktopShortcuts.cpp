#include "platform/gnome/GnomeShortcuts.h"  // GIO before anything that may bring Qt

#include "shell/DesktopShortcuts.h"

#include <utility>

#include "base/Log.h"
#include "store/ProfileStore.h"

namespace moorvane {

std::unique_ptr<DesktopShortcuts> DesktopShortcuts::open(const desktop::DesktopEnvironment& environment,
                                                         std::string program, ProfileStore& store) {
    // Every desktop that names GNOME runs gnome-settings-daemon's media keys, Flashback and Budgie included.
    if (!environment.names("gnome")) return nullptr;
    std::optional<GnomeShortcuts> gnome = GnomeShortcuts::open(std::move(program));
    if (!gnome) return nullptr;
    std::unique_ptr<DesktopShortcuts> shortcuts(
        new DesktopShortcuts(std::make_unique<GnomeShortcuts>(std::move(*gnome)), store));
    log("GnomeShortcuts: the profiles' shortcuts are kept in GNOME's keyboard shortcuts");
    shortcuts->gnome_->watchMediaKeys();
    shortcuts->mirror(store.profiles.get());
    DesktopShortcuts* self = shortcuts.get();
    shortcuts->subscription_ =
        store.profiles.subscribe([self](const auto& profiles) { self->mirror(profiles); });
    return shortcuts;
}

DesktopShortcuts::DesktopShortcuts(std::unique_ptr<GnomeShortcuts> gnome, ProfileStore& store)
    : gnome_(std::move(gnome)), store_(store) {}
DesktopShortcuts::~DesktopShortcuts() = default;

bool DesktopShortcuts::serves(const DockProfile& profile) const {
    return gnome_->serves(profile);
}

bool DesktopShortcuts::running() const {
    return gnome_->mediaKeysRunning();
}

void DesktopShortcuts::setSuspended(bool suspended) {
    suspended_ = suspended;
    mirror(store_.profiles.get());
}

void DesktopShortcuts::mirror(const std::vector<DockProfile>& profiles) {
    if (Status written = gnome_->mirror(profiles, !suspended_); !written)
        log("GnomeShortcuts: cannot write GNOME's keyboard shortcuts: " + written.error().description);
}

}  // namespace moorvane
