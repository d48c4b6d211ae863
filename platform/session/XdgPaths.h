#pragma once

#include <optional>
#include <string>
#include <vector>

namespace moorvane {

// Where the Linux ports keep their files. Only $HOME and the XDG base-directory variables are read; a
// variable that is unset, empty or relative is ignored, as the XDG rules require, and its default applies.
struct XdgPaths {
    // $HOME, else the password database's home of the current user, else "/".
    static std::string home();
    static std::string xdgDataHome();    // default ~/.local/share
    static std::string xdgConfigHome();  // default ~/.config
    // Has no default: without it there is no per-user runtime folder.
    static std::optional<std::string> xdgRuntimeDir();

    // The store's folder, the counterpart of "Application Support/Moorvane".
    static std::string applicationSupportFolder();
};

// True when nothing exists under `path`, also when a folder on the way is missing or a file (a dangling link
// counts as something).
bool pathIsAbsent(const std::string& path);

}  // namespace moorvane
