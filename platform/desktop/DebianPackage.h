#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace moorvane::desktop {

// dpkg's own database, where the package manager records what it installed.
inline constexpr std::string_view dpkgDatabase = "/var/lib/dpkg";

struct InstalledPackage {
    std::string name;
    std::string version;  // as dpkg spells it, epoch included ("1:2.0-3")
};

// One field of a deb822 stanza: its name as written, its value with continuation lines joined by '\n' and
// the space after the colon dropped.
struct ControlField {
    std::string name;
    std::string value;
};
using ControlStanza = std::vector<ControlField>;

// The stanzas of a deb822 text such as dpkg's status file. Total over any bytes: a stanza holding a line
// that is neither "Name: value" nor a continuation is left out whole, so a damaged entry never lends its
// fields to a neighbour.
std::vector<ControlStanza> readControlStanzas(std::string_view text);

// The version of `package` that dpkg's status text records as installed (for `architecture` when that is not
// empty), nothing when it is not installed, half installed, or its stanza is unreadable.
std::optional<std::string> installedVersion(std::string_view status, std::string_view package,
                                            std::string_view architecture = {});

// The package dpkg installed `program` (an absolute path) from, read from the file lists and the status file
// under `database`; nothing for a program no installed package holds (built from source and run in place,
// installed by hand, or a database that cannot be read).
std::optional<InstalledPackage> packageOwning(const std::filesystem::path& database,
                                              std::string_view program);

}  // namespace moorvane::desktop
