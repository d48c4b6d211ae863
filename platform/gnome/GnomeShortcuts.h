#pragma once

#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "base/Result.h"
#include "base/Uuid.h"
#include "model/DockProfile.h"
#include "model/ShortcutText.h"
#include "platform/desktop/Settings.h"

namespace moorvane {

// The GTK accelerator GNOME's keyboard settings store for a shortcut, such as "<Control><Alt>1" for
// ctrl+opt+1 (command is <Super>); nothing for a key code outside the shortcut table.
std::optional<std::string> gtkAccelerator(const Shortcut& shortcut);

// The command a desktop shortcut runs to switch to `profileName`: `program` and the switch URL, each quoted
// for the shell. gnome-settings-daemon reads it as a desktop entry's Exec, where "%" starts a field code, so
// every "%" of it is doubled.
std::string switchCommand(const std::string& program, const std::string& profileName);

// Mirrors the profiles' shortcuts into GNOME's own custom keyboard shortcuts, which gnome-settings-daemon
// serves on X11 and on Wayland alike, where no app sees another's keys. One entry per profile with a
// shortcut, under a path of Moorvane's own in the folder GNOME Settings lists (so a person sees and may edit
// it there); entries of any other path are never touched and keep their order. Main thread only.
class GnomeShortcuts {
  public:
    static constexpr std::string_view schemaId = "org.gnome.settings-daemon.plugins.media-keys";
    static constexpr std::string_view entrySchemaId =
        "org.gnome.settings-daemon.plugins.media-keys.custom-keybinding";
    static constexpr std::string_view listKey = "custom-keybindings";
    static constexpr std::string_view folder =
        "/org/gnome/settings-daemon/plugins/media-keys/custom-keybindings/";
    // What our entries' paths start with after the folder: all of them, and only them, are ours.
    static constexpr std::string_view ownPrefix = "moorvane-";
    static constexpr std::string_view mediaKeysBusName = "org.gnome.SettingsDaemon.MediaKeys";

    // Nothing when gnome-settings-daemon's schemas are not installed. `program` is the command the entries
    // run; `backend` is the session's default when null.
    static std::optional<GnomeShortcuts> open(std::string program, GSettingsBackend* backend = nullptr);

    GnomeShortcuts(GnomeShortcuts&&) noexcept;
    GnomeShortcuts& operator=(GnomeShortcuts&&) noexcept;
    ~GnomeShortcuts();

    // Brings our entries in step with `profiles`: one per profile whose shortcut parses, named after it, the
    // first of several profiles with the same shortcut only (the one a key press reaches); entries of
    // profiles gone or without a shortcut are removed and their keys reset. Writes only what differs. An
    // Error names the first write the settings refused; the other entries are still written.
    // `bind` false writes every entry with an empty binding: the keys reach the focused app (the shortcut
    // recorder) instead of switching.
    Status mirror(const std::vector<DockProfile>& profiles, bool bind = true);
    // Whether the last mirror() bound the profile's shortcut.
    bool bound(const Uuid& profileId) const { return bound_.count(profileId) != 0; }
    // The path of a profile's entry.
    static std::string entryPath(const Uuid& profileId);

    // Follows whether gnome-settings-daemon's media-keys service, which runs the entries, owns its bus name.
    void watchMediaKeys();
    bool mediaKeysRunning() const { return *mediaKeysRunning_; }
    // The desktop switches to this profile at its shortcut by itself.
    bool serves(const DockProfile& profile) const { return mediaKeysRunning() && bound(profile.id); }

  private:
    GnomeShortcuts(desktop::Settings list, std::string program, GSettingsBackend* backend);
    void unwatch();
    static void mediaKeysAppeared(GDBusConnection*, const gchar*, const gchar*, gpointer running);
    static void mediaKeysVanished(GDBusConnection*, const gchar*, gpointer running);

    desktop::Settings list_;
    std::string program_;
    desktop::GObjectPtr<GSettingsBackend> backend_;
    std::set<Uuid> bound_;
    // Shared with the bus watcher's callbacks, so a moved-from object leaves them a live target.
    std::unique_ptr<bool> mediaKeysRunning_ = std::make_unique<bool>(false);
    unsigned watch_ = 0;
};

}  // namespace moorvane
