#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/Result.h"

namespace moorvane::plank {

// Plank keeps one key file per tile, "<name>.dockitem" in the dock's launchers folder, and their order in the
// dock's "dock-items" setting. These helpers read and name those files; they touch no settings and no bus.

inline constexpr std::string_view dockItemSuffix = ".dockitem";
// Files of Plank 0.11 are a few dozen bytes; the bound only keeps a hostile file from filling memory.
inline constexpr std::size_t maxDockItemBytes = 64 * 1024;

struct DockItem {
    std::string fileName;  // "firefox-esr.dockitem"
    std::string launcher;  // "file:///usr/share/applications/firefox-esr.desktop", "docklet://trash"

    friend bool operator==(const DockItem&, const DockItem&) = default;
};

// The launcher of one .dockitem file's bytes: [PlankDockItemPreferences] Launcher, a "file://" or
// "docklet://" URI. An Error saying why for anything else (not a key file, no launcher, another scheme, a
// control character that would garble the file when written back).
Result<std::string> parseDockItem(std::string_view bytes);

// The bytes of a .dockitem file for `launcher`, as Plank writes them.
std::string dockItemText(std::string_view launcher);

// The readable .dockitem files of `folder`, sorted by file name. Hidden files (a writer's temporary file) and
// files that are no dock item are skipped; a missing folder has none.
std::vector<DockItem> readLaunchersFolder(const std::string& folder);

enum class UnnamedItems {
    append,    // as Plank loads the folder: files the order does not name follow, by file name
    leaveOut,  // as a running Plank shows it: its order names every tile it holds
};

// The dock's tiles in order (`files` sorted by file name, as readLaunchersFolder gives them): the files
// `order` names, in its order, then the others as `unnamed` says. A name `order` repeats or that names no
// file is skipped, and so is a launcher already placed, which a dock could not write back twice.
std::vector<DockItem> orderedItems(const std::vector<DockItem>& files, const std::vector<std::string>& order,
                                   UnnamedItems unnamed);

// A file name for a new tile, "<stem>.dockitem" as Plank names its own ("trash", "firefox-esr", "Documents"),
// with "-1", "-2"... when `taken` already holds it. Never hidden, never holding a '/'.
std::string dockItemFileName(std::string_view launcher, const std::vector<std::string>& taken);

}  // namespace moorvane::plank
