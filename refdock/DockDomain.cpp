#include "refdock/DockDomain.h"

#include <algorithm>
#include <set>
#include <system_error>

#include "base/AtomicFile.h"
#include "base/BoundedRead.h"
#include "base/InfoPlist.h"
#include "dock/TileCodec.h"

namespace moorvane::refdock {

namespace fs = std::filesystem;

namespace {

// A real Dock domain is a few hundred kilobytes at most.
constexpr std::size_t maxDomainBytes = std::size_t{32} << 20;

std::optional<std::uint64_t> guidOf(const PlistValue& tile) {
    const PlistDictionary* dictionary = tile.dictionary();
    if (dictionary == nullptr) return std::nullopt;
    const PlistValue* guid = dictionary->find("GUID");
    if (guid == nullptr || !guid->integer()) return std::nullopt;
    return guid->integer()->asUnsigned();
}

const std::string* stringAt(const PlistDictionary& dictionary, std::string_view key) {
    return dictionary.findString(key);
}

}  // namespace

fs::path domainFile(const fs::path& home) {
    return home / "Library" / "Preferences" / "com.apple.dock.plist";
}

Result<PlistDictionary> readDomain(const fs::path& file) {
    std::error_code error;
    if (!fs::exists(file, error) && !error) return PlistDictionary{};
    // A folder or an I/O error in the file's place comes back as an error, where a stream would throw.
    Result<std::string> text = readBoundedFile(file, maxDomainBytes);
    if (!text) return text.error();
    const Bytes bytes(text->begin(), text->end());
    // An empty file is what a crash during a non-atomic write by some other tool leaves; nothing is lost by
    // starting afresh from it.
    if (bytes.empty()) return PlistDictionary{};
    Result<PlistValue> value = readPlist(bytes);
    if (!value) return Error{file.string() + ": " + value.error().description};
    if (value->dictionary() == nullptr) return Error{file.string() + ": the root is not a dictionary"};
    return std::move(*value->dictionary());
}

Status writeDomain(const fs::path& file, const PlistDictionary& domain) {
    Result<Bytes> bytes = writeBinary(PlistValue(domain));
    if (!bytes) return bytes.error();
    return writeFileAtomically(file, asText(*bytes), 0600, 0700);
}

PlistArray& tileList(PlistDictionary& domain, std::string_view key) {
    PlistValue* value = domain.find(key);
    if (value == nullptr || value->array() == nullptr) {
        domain.set(std::string(key), PlistArray{});
        value = domain.find(key);
    }
    PlistArray& tiles = *value->array();
    std::erase_if(tiles, [](const PlistValue& tile) { return tile.dictionary() == nullptr; });
    return tiles;
}

std::size_t assignMissingGuids(PlistDictionary& domain, std::mt19937_64& random) {
    PlistArray& apps = tileList(domain, persistentAppsKey);
    PlistArray& others = tileList(domain, persistentOthersKey);
    std::set<std::uint64_t> taken;
    for (const PlistArray* list : {&apps, &others}) {
        for (const PlistValue& tile : *list) {
            if (auto guid = guidOf(tile)) taken.insert(*guid);
        }
    }
    // The Dock's own GUIDs are unsigned 32-bit values; staying in that range keeps readers that take them as
    // 32-bit integers working.
    std::uniform_int_distribution<std::uint64_t> pick(1, 0xFFFF'FFFFu);
    std::size_t given = 0;
    for (PlistArray* list : {&apps, &others}) {
        for (PlistValue& tile : *list) {
            if (guidOf(tile)) continue;
            std::uint64_t guid = pick(random);
            while (!taken.insert(guid).second) guid = pick(random);
            tile.dictionary()->set("GUID", PlistValue(guid));
            ++given;
        }
    }
    return given;
}

bool moveTile(PlistArray& tiles, std::int64_t from, std::int64_t to) {
    const auto size = static_cast<std::int64_t>(tiles.size());
    if (from < 0 || to < 0 || from >= size || to >= size) return false;
    auto first = tiles.begin();
    if (from < to) {
        std::rotate(first + from, first + from + 1, first + to + 1);
    } else {
        std::rotate(first + to, first + from, first + from + 1);
    }
    return true;
}

TileFace faceOf(const PlistValue& tile) {
    TileFace face;
    const PlistDictionary* dictionary = tile.dictionary();
    if (dictionary == nullptr) return face;
    const std::string* typeText = stringAt(*dictionary, "tile-type");
    const std::string type = typeText != nullptr ? *typeText : std::string();
    if (type == "spacer-tile") {
        face.kind = TileFace::Kind::spacer;
        return face;
    }
    if (type == "flex-spacer-tile") {
        face.kind = TileFace::Kind::flexibleSpacer;
        return face;
    }
    // The same reading as the codec's: any other spacer kind is a small one.
    if (type.find("spacer") != std::string::npos) {
        face.kind = TileFace::Kind::smallSpacer;
        return face;
    }
    const PlistDictionary* data = dictionary->findDictionary("tile-data");
    if (data != nullptr) {
        if (const std::string* label = stringAt(*data, "file-label")) face.label = *label;
        if (const PlistDictionary* fileData = data->findDictionary("file-data")) {
            if (const std::string* url = stringAt(*fileData, "_CFURLString")) face.location = *url;
        }
    }
    std::string_view location = face.location;
    while (location.ends_with('/')) location.remove_suffix(1);
    const bool hasBundleIdentifier = data != nullptr && data->findString("bundle-identifier") != nullptr &&
                                     !data->findString("bundle-identifier")->empty();
    if (type == "directory-tile") {
        face.kind = TileFace::Kind::folder;
    } else if (hasBundleIdentifier || location.ends_with(".app")) {
        face.kind = TileFace::Kind::application;
    } else {
        face.kind = TileFace::Kind::file;
    }
    return face;
}

std::string bundleIcon(const fs::path& bundle) {
    std::error_code error;
    Result<PlistDictionary> dictionary = readInfoPlist(bundle);
    if (!dictionary) return {};
    const std::string* name = dictionary->findString("CFBundleIconFile");
    if (name == nullptr || name->empty()) return {};
    const fs::path icon = fs::path(*name);
    // A name with a folder part could reach outside the bundle; the Dock only looks in Resources.
    if (icon.has_parent_path()) return {};
    const fs::path resources = bundle / "Contents" / "Resources";
    for (std::string_view extension : {"", ".png", ".svg", ".icns"}) {
        fs::path candidate = resources / (icon.string() + std::string(extension));
        if (fs::is_regular_file(candidate, error)) return candidate.string();
    }
    return {};
}

}  // namespace moorvane::refdock
