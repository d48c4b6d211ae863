#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <random>
#include <string>
#include <string_view>

#include "base/Plist.h"
#include "base/Result.h"

// The reference Dock's own handling of its preferences file: plain C++ over the core's property lists, so the
// Qt side only shows and forwards.
namespace moorvane::refdock {

// $HOME/Library/Preferences/com.apple.dock.plist
std::filesystem::path domainFile(const std::filesystem::path& home);

// The domain's dictionary. A missing file is an empty domain; a file that is not a property list whose root
// is a dictionary is an Error, so that it is never overwritten by an empty one.
Result<PlistDictionary> readDomain(const std::filesystem::path& file);

// Replaces the file with the binary form of `domain` through the core's atomic replace (model/AtomicFile.h),
// so a crash leaves either the old or the new domain whole. Missing folders are made.
Status writeDomain(const std::filesystem::path& file, const PlistDictionary& domain);

// The tile array under `key`, made an array when it is missing or of another type; elements that are not
// dictionaries are dropped, since no tile can be shown or moved for them.
PlistArray& tileList(PlistDictionary& domain, std::string_view key);

// Gives every tile of both lists that lacks an integer "GUID" a fresh one, unique across both lists.
// Returns how many tiles were given one.
std::size_t assignMissingGuids(PlistDictionary& domain, std::mt19937_64& random);

// Moves the tile at `from` so that it ends at `to`; false (and nothing changed) when either is out of range.
bool moveTile(PlistArray& tiles, std::int64_t from, std::int64_t to);

// What the strip shows of one tile.
struct TileFace {
    enum class Kind { application, folder, file, spacer, smallSpacer, flexibleSpacer };
    Kind kind = Kind::file;
    std::string label;
    std::string location;  // "_CFURLString" as stored, empty when the tile has none
};
TileFace faceOf(const PlistValue& tile);

// The icon named by a bundle's Contents/Info.plist "CFBundleIconFile", looked up in Contents/Resources as
// given and with the extensions .png, .svg and .icns; empty when there is none.
std::string bundleIcon(const std::filesystem::path& bundle);

}  // namespace moorvane::refdock
