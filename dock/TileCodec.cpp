#include "dock/TileCodec.h"

#include <filesystem>
#include <system_error>

#include "base/Log.h"
#include "base/Text.h"

namespace moorvane {

namespace {

constexpr std::string_view fileScheme = "file://";
constexpr std::string_view fileTileType = "file-tile";
// "_CFURLStringType" values: 15 is an absolute URL string, 0 a plain path (here: none at all).
constexpr int urlStringTypeAbsolute = 15;
constexpr int urlStringTypeNone = 0;

SpacerType spacerKind(std::string_view type) {
    if (type == rawValue(SpacerType::small)) return SpacerType::small;
    if (type == rawValue(SpacerType::regular)) return SpacerType::regular;
    if (type == rawValue(SpacerType::flexibleSpace)) return SpacerType::flexibleSpace;
    return SpacerType::small;
}

// The characters Foundation leaves unescaped in a file URL's path besides letters and digits, so URLs written
// here match the Dock's own.
constexpr std::string_view pathCharacters = "!$&'()*+,-./:;=@_~";

}  // namespace

std::string tileLocation(std::string_view path) {
    if (path.empty()) return {};
    if (path.substr(0, fileScheme.size()) == fileScheme) return std::string(path);
    // Foundation would resolve a relative path against the working directory, which for an app is "/".
    std::string absolute;
    if (path.front() != '/') absolute += '/';
    absolute += path;
    std::error_code error;
    if (absolute.back() != '/' && std::filesystem::is_directory(absolute, error)) absolute += '/';
    return std::string(fileScheme) + percentEncoded(absolute, pathCharacters);
}

std::optional<DockAppEntry> entryFromTile(const PlistValue& tile) {
    const PlistDictionary* dictionary = tile.dictionary();
    if (!dictionary) return std::nullopt;
    const std::string* typeText = dictionary->findString("tile-type");
    const std::string_view type = typeText ? std::string_view(*typeText) : std::string_view();
    if (type.find("spacer") != std::string_view::npos) return DockAppEntry::spacer(spacerKind(type));

    const PlistDictionary* data = dictionary->findDictionary("tile-data");
    if (!data) return std::nullopt;
    DockAppEntry entry;
    const std::string* label = data->findString("file-label");
    entry.label = label ? *label : "Unknown";
    if (const std::string* bundle = data->findString("bundle-identifier")) entry.bundleIdentifier = *bundle;
    if (const PlistDictionary* fileData = data->findDictionary("file-data")) {
        if (const std::string* url = fileData->findString("_CFURLString")) entry.path = *url;
    }
    return entry;
}

PlistValue tileDictionary(const DockAppEntry& entry) {
    // Built by moving each level into the next: initializer lists would copy every nested dictionary.
    PlistDictionary tileData;
    PlistDictionary tile;
    if (entry.isSpacer) {
        // A spacer always has a kind; `none` would write an empty tile type that reads back as no spacer.
        const SpacerType kind = entry.spacerType == SpacerType::none ? SpacerType::small : entry.spacerType;
        tileData.set("file-label", "");
        tile.set("tile-type", rawValue(kind));
    } else {
        std::string location = tileLocation(entry.path);
        const int urlType = location.empty() ? urlStringTypeNone : urlStringTypeAbsolute;
        PlistDictionary fileData;
        fileData.set("_CFURLString", std::move(location));
        fileData.set("_CFURLStringType", urlType);
        tileData.set("file-data", std::move(fileData));
        tileData.set("file-label", entry.label);
        tileData.set("bundle-identifier", entry.bundleIdentifier);
        tile.set("tile-type", fileTileType);
    }
    tile.set("tile-data", std::move(tileData));
    return tile;
}

std::string tileBundleIdentifier(const PlistValue& tile) {
    const PlistDictionary* dictionary = tile.dictionary();
    const PlistDictionary* data = dictionary ? dictionary->findDictionary("tile-data") : nullptr;
    const std::string* bundle = data ? data->findString("bundle-identifier") : nullptr;
    return bundle ? *bundle : std::string();
}

bool isTileArray(const PlistValue& value) {
    const PlistArray* array = value.array();
    if (!array) return false;
    for (const PlistValue& item : *array) {
        if (!item.dictionary()) return false;
    }
    return true;
}

Result<Bytes> encodeTiles(const PlistArray& tiles) {
    return writeBinary(PlistValue(tiles));
}

Result<PlistArray> decodeTiles(const Bytes& blob) {
    Result<PlistValue> root = readPlist(blob);
    if (!root) return root.error();
    if (!isTileArray(*root)) return PlistArray{};
    return std::move(*root->array());
}

std::vector<DockAppEntry> decodeEntries(const Bytes& blob) {
    Result<PlistValue> root = readPlist(blob);
    if (!root || !isTileArray(*root)) return {};
    return entriesFromTiles(*root->array());
}

std::vector<DockAppEntry> entriesFromTiles(const PlistArray& tiles) {
    std::vector<DockAppEntry> entries;
    entries.reserve(tiles.size());
    for (const PlistValue& tile : tiles) {
        if (std::optional<DockAppEntry> entry = entryFromTile(tile)) entries.push_back(std::move(*entry));
    }
    return entries;
}

std::vector<DockAppEntry> appEntries(const DockProfile& profile) {
    return decodeEntries(profile.persistentApps);
}

void setAppEntries(DockProfile& profile, const std::vector<DockAppEntry>& entries) {
    PlistValue tiles = PlistArray{};
    tiles.array()->reserve(entries.size());
    for (const DockAppEntry& entry : entries) tiles.array()->push_back(tileDictionary(entry));
    Result<Bytes> blob = writeBinary(tiles);
    if (blob) profile.persistentApps = std::move(*blob);
}

std::optional<std::pair<Bytes, Bytes>> captureDockState(DockPreferences& preferences) {
    const std::optional<PlistValue> apps = preferences.copyValue(persistentAppsKey);
    if (!apps || !isTileArray(*apps)) return std::nullopt;
    const std::optional<PlistValue> others = preferences.copyValue(persistentOthersKey);
    if (!others || !isTileArray(*others)) return std::nullopt;
    Result<Bytes> appsBlob = writeBinary(*apps);
    if (!appsBlob) {
        log("DockManager: Failed to serialize dock state: " + appsBlob.error().description);
        return std::nullopt;
    }
    Result<Bytes> othersBlob = writeBinary(*others);
    if (!othersBlob) {
        log("DockManager: Failed to serialize dock state: " + othersBlob.error().description);
        return std::nullopt;
    }
    return std::pair{std::move(*appsBlob), std::move(*othersBlob)};
}

}  // namespace moorvane
