#pragma once

#include <optional>
#include <string>
#include <vector>

#include "base/Bytes.h"
#include "base/Result.h"

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

// Small file helpers shared by the ports that persist their state.

// The whole content of a regular file of at most `maxBytes`; a FIFO or device under the name, a larger file
// or a read error gives the error's description.
Result<Bytes> readRegularFile(const std::string& path, std::size_t maxBytes);
// True when nothing exists under `path`, also when a folder on the way is missing or a file (a dangling link
// counts as something).
bool pathIsAbsent(const std::string& path);

// The ports' form of the core's atomic replace (model/AtomicFile.h): missing parent folders are made with
// `folderMode`; gives the failure's description.
std::optional<std::string> writeFileAtomically(const std::string& path, const Bytes& content,
                                               unsigned fileMode, unsigned folderMode = 0700);

}  // namespace moorvane
