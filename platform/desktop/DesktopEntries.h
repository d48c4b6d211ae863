#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/Plist.h"
#include "base/Result.h"
#include "model/DockProfile.h"

namespace moorvane::desktop {

// One application desktop entry, as a dock resolves a desktop-file id.
struct DesktopEntry {
    std::string
        id;  // "org.gnome.Nautilus.desktop"; a file in a sub-folder "kde/x.desktop" is "kde-x.desktop"
    std::string path;  // the absolute path of the .desktop file
    std::string name;  // Name, localised for the user's locale
    std::string icon;  // Icon: a theme icon name or an absolute path; empty when none
    // Type=Application and not NoDisplay or Hidden, with OnlyShowIn/NotShowIn and TryExec honoured: what the
    // app grid, the picker and the docks show.
    bool shown = false;
    // What tells a running process of this app: the program of Exec (its first word, after "env" and its
    // assignments) and TryExec, each a bare name or an absolute path; StartupWMClass, its windows' class.
    std::string program;
    std::string tryExec;
    std::string startupWMClass;
    bool startupNotify = false;

    friend bool operator==(const DesktopEntry&, const DesktopEntry&) = default;
};

// Where desktop entries are looked for and which desktop this is.
struct DesktopEnvironment {
    std::vector<std::string> dataFolders;      // $XDG_DATA_HOME first, then $XDG_DATA_DIRS, in order
    std::vector<std::string> currentDesktops;  // $XDG_CURRENT_DESKTOP split at ':'
    std::vector<std::string> searchPath;       // $PATH split at ':', for TryExec
    std::vector<std::string> locales;          // most specific first, e.g. "de_DE", "de"; empty: unlocalised

    // Read from this process's environment.
    static DesktopEnvironment current();
    // Whether $XDG_CURRENT_DESKTOP names `desktop` ("gnome" matches "GNOME"): what a session runs, as opposed
    // to the case-sensitive matching of entries' OnlyShowIn.
    bool names(std::string_view desktop) const;
};

// Reads one desktop file's bytes. An Error for bytes that are not a key file with a [Desktop Entry] group.
Result<DesktopEntry> parseDesktopEntry(std::string_view bytes, std::string id, std::string path,
                                       const DesktopEnvironment& environment);

// The desktop entries of a session, scanned when first asked and again when an id is not found or the apps
// are listed and a folder has changed (an app installed since). The first entry of an id wins, as with the
// desktops themselves, a Hidden one included. Main thread only.
class DesktopEntryIndex {
  public:
    explicit DesktopEntryIndex(DesktopEnvironment environment);

    // The entry of a desktop-file id, shown or not; nothing when no folder holds one.
    std::optional<DesktopEntry> find(std::string_view id);
    // The id a .desktop file is known by, when it lies in one of the applications folders; else nothing.
    std::optional<std::string> idOfFile(std::string_view path) const;
    // The shown entries as installed apps (id and bundle identifier: the desktop-file id, path: the .desktop
    // file), sorted by name as the picker lists apps.
    std::vector<InstalledApp> installedApps();
    // Every entry, shown or not, by id.
    std::vector<DesktopEntry> entries();

  private:
    struct FolderStamp {
        std::string folder;
        std::optional<std::filesystem::file_time_type> time;  // nothing: the folder is missing
        friend bool operator==(const FolderStamp&, const FolderStamp&) = default;
    };
    std::vector<FolderStamp> stamps() const;
    void scan();
    // Scans again when never scanned or when an applications folder has changed since.
    void refresh();
    DesktopEnvironment environment_;
    std::optional<std::map<std::string, DesktopEntry, std::less<>>> entries_;
    std::vector<FolderStamp> stamps_;
};

// The tile of an app on a desktop dock: a "file-tile" whose "bundle-identifier" is the desktop-file id,
// "file-label" its name and "file-data" the file URL of its .desktop file (the tile the codec writes for an
// entry with those three).
PlistValue applicationTile(const DesktopEntry& entry);

}  // namespace moorvane::desktop
