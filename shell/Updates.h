#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace moorvane {

// What "Check for Updates" tells: which Moorvane is installed and how a newer one comes. Installed from a
// Debian package (found in dpkg's `database` as the owner of `program`, the running app's path), the
// package's name and version and the package manager; otherwise the build's own `version` and `build`, and
// that a newer one is built from source.
std::string updatesExplanation(const std::filesystem::path& database, std::string_view program,
                               std::string_view version, std::string_view build);

}  // namespace moorvane
