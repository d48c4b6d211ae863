#pragma once

#include <filesystem>
#include <string>

#include "base/Plist.h"
#include "base/Result.h"

namespace moorvane {

// Far beyond any real information dictionary; keeps a planted giant file from being read whole.
inline constexpr std::size_t maxInfoPlistBytes = std::size_t{8} << 20;
// The code of an Info.plist that was read but holds no dictionary; its description is the parser's, or
// empty where the file parsed to something other than a dictionary.
inline constexpr int damagedInfoPlistCode = -3;

// "<bundle>/Contents/Info.plist".
std::filesystem::path infoPlistPath(const std::filesystem::path& bundle);

// The information dictionary of an application bundle, read the bounded way (no FIFO or device, at most
// `maxInfoPlistBytes`). A file that cannot be read keeps the read's error and code.
Result<PlistDictionary> readInfoPlist(const std::filesystem::path& bundle);

}  // namespace moorvane
