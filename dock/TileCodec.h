#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "base/Plist.h"
#include "base/Result.h"
#include "model/DockProfile.h"
#include "ports/DockPreferences.h"

namespace moorvane {

// The two keys of "com.apple.dock" that hold the tile lists left and right of the Dock's divider.
inline constexpr std::string_view persistentAppsKey = "persistent-apps";
inline constexpr std::string_view persistentOthersKey = "persistent-others";

// One tile dictionary as an entry (new id), or nothing for a non-spacer tile without a "tile-data"
// dictionary.
std::optional<DockAppEntry> entryFromTile(const PlistValue& tile);
// The entries of tiles already decoded; tiles that form no entry are skipped.
std::vector<DockAppEntry> entriesFromTiles(const PlistArray& tiles);
// Parses a tile-list blob (any property-list format) into entries; anything unreadable gives an empty list.
std::vector<DockAppEntry> decodeEntries(const Bytes& blob);
// A profile's application tiles as entries, decoded afresh (new identifiers) at every call.
std::vector<DockAppEntry> appEntries(const DockProfile& profile);
// Re-encodes the profile's persistentApps from entries; on failure the old bytes stay. updatedAt is the
// caller's.
void setAppEntries(DockProfile& profile, const std::vector<DockAppEntry>& entries);

// The tile written for an entry: every key of the written form and nothing else.
PlistValue tileDictionary(const DockAppEntry& entry);

// The "_CFURLString" written for an entry's path: "file://" text unchanged, empty text for an empty path, and
// the percent-encoded file URL of any other path (with a trailing "/" when it names an existing directory).
std::string tileLocation(std::string_view path);

// "tile-data" / "bundle-identifier" when both are of the right type, else empty text: how hidden apps are
// matched.
std::string tileBundleIdentifier(const PlistValue& tile);

// An array whose every element is a dictionary; an empty array counts.
bool isTileArray(const PlistValue& value);

// A tile list as a blob: a binary property list whose root is the array.
Result<Bytes> encodeTiles(const PlistArray& tiles);
// A blob as its tile list. An Error when the bytes are not a property list; an empty list when the root is
// not an array of dictionaries.
Result<PlistArray> decodeTiles(const Bytes& blob);

// The Dock's two tile lists as blobs (applications first), or nothing when either list is missing or not an
// array of dictionaries. A list that cannot be serialised is logged.
std::optional<std::pair<Bytes, Bytes>> captureDockState(DockPreferences& preferences);

}  // namespace moorvane
