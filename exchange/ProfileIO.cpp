#include "exchange/ProfileIO.h"

#include <algorithm>

#include <nlohmann/json.hpp>

#include "base/BoundedRead.h"
#include "base/Log.h"
#include "dock/TileCodec.h"
#include "model/ProfileJson.h"
#include "model/ShortcutText.h"
#include "ports/Dialogs.h"
#include "store/ProfileStore.h"

namespace moorvane {

namespace {

using nlohmann::json;

constexpr int formatVersion = 1;

Result<DockProfile> documentProfile(const json& document) {
    if (!document.is_object()) return Error{"the document is not a JSON object"};
    const auto member = [&document](const char* key) -> const json* {
        const auto found = document.find(key);
        return found == document.end() || found->is_null() ? nullptr : &*found;
    };
    const auto missing = [](const char* key) { return Error{std::string("key \"") + key + "\" is missing"}; };
    const auto mistyped = [](const char* key, const char* expected) {
        return Error{std::string("key \"") + key + "\" is not " + expected};
    };

    const json* version = member("formatVersion");
    if (!version) return missing("formatVersion");
    if (!version->is_number_integer()) return mistyped("formatVersion", "an integer");
    const json* exportedAt = member("exportedAt");
    if (!exportedAt) return missing("exportedAt");
    if (!exportedAt->is_string() || !parseIso8601(exportedAt->get_ref<const std::string&>())) {
        return mistyped("exportedAt", "an ISO 8601 date");
    }
    const json* exportedBy = member("exportedBy");
    if (!exportedBy) return missing("exportedBy");
    if (!exportedBy->is_string()) return mistyped("exportedBy", "text");
    const json* profile = member("profile");
    if (!profile) return missing("profile");
    auto read = profileFromJson(*profile, DateEncoding::iso8601);
    if (!read) return Error{"key \"profile\": " + read.error().description};
    return read;
}

}  // namespace

std::string suggestedFileName(const DockProfile& profile) {
    std::string name = profile.name;
    for (char& c : name) {
        if (c == '/' || c == ':') c = '-';
    }
    return name.empty() ? "Profile" : name;
}

std::string uniqueImportName(const std::string& name, const std::vector<DockProfile>& stored) {
    // Taken as the URL command and the automation action look names up, so every profile stays reachable
    // by its name.
    const auto taken = [&stored](const std::string& candidate) {
        return std::any_of(stored.begin(), stored.end(), [&candidate](const DockProfile& p) {
            return profileNameMatches(p.name, candidate);
        });
    };
    if (!taken(name)) return name;
    // At most one more candidate than there are stored names, so this ends.
    for (std::size_t suffix = 2;; ++suffix) {
        std::string candidate = name + " " + std::to_string(suffix);
        if (!taken(candidate)) return candidate;
    }
}

Result<std::string> encodeProfileDocument(const DockProfile& profile, Date exportedAt) {
    // nlohmann::json keeps object members in a sorted map, which gives the sorted keys at every level.
    json document = json::object();
    document["formatVersion"] = formatVersion;
    document["exportedAt"] = iso8601(exportedAt);
    document["exportedBy"] = "Moorvane";
    document["profile"] = json(profileToJson(profile, DateEncoding::iso8601));
    try {
        // Broken UTF-8 in a pasted name is replaced, as the store does, rather than make the profile
        // unexportable.
        return document.dump(2, ' ', false, json::error_handler_t::replace) + "\n";
    } catch (const json::exception& error) {
        return Error{error.what()};
    }
}

Result<DockProfile> decodeImportedProfile(std::string_view bytes) {
    const json parsed = json::parse(bytes.begin(), bytes.end(), nullptr, false);
    if (parsed.is_discarded()) return Error{"the file is not valid JSON"};
    auto decoded = documentProfile(parsed);
    if (!decoded) {
        auto bare = profileFromJson(parsed, DateEncoding::referenceSeconds);
        if (!bare) return decoded.error();
        decoded = std::move(bare);
    }
    // Such a profile could never be switched to, and would only stand in the list as if it could.
    for (const auto& [key, blob] : {std::pair{"persistentApps", &decoded->persistentApps},
                                    std::pair{"persistentOthers", &decoded->persistentOthers}}) {
        if (auto tiles = decodeTiles(*blob); !tiles) {
            return Error{std::string("\"") + key + "\" is not a property list: " + tiles.error().description};
        }
    }
    return decoded;
}

Result<std::string> readImportFile(const std::filesystem::path& location) {
    return readBoundedFile(location, maxImportBytes);
}

Status ProfileIO::exportProfile(const DockProfile& profile) {
    SavePanelOptions options;
    options.title = "Export Profile";
    options.suggestedName = suggestedFileName(profile) + std::string(profileDocumentExtension);
    options.allowedContentTypes = {std::string(profileDocumentType)};
    options.canCreateDirectories = true;
    options.showsExtension = true;
    dialogs_.activateApp();
    const auto location = dialogs_.runSavePanel(options);
    if (!location || location->empty()) return done();

    const std::string failure = "Couldn\u2019t export \u201C" + profile.name + "\u201D";
    const auto bytes = encodeProfileDocument(profile, currentDate());
    if (!bytes) {
        reportFailure(failure, bytes.error());
        return bytes.error();
    }
    if (Status written = writeFileAtomically(*location, *bytes); !written) {
        reportFailure(failure, written.error());
        return written;
    }
    log("ProfileIO: exported '" + profile.name + "' to " + location->string());
    return done();
}

void ProfileIO::showImportPanel() {
    OpenPanelOptions options;
    options.title = "Import Profile";
    options.allowedContentTypes = {std::string(profileDocumentType), std::string(jsonContentType)};
    options.allowsMultipleSelection = true;
    options.canChooseDirectories = false;
    dialogs_.activateApp();
    for (const auto& location : dialogs_.runOpenPanel(options)) importProfile(location);
}

Result<DockProfile> ProfileIO::importProfile(const std::filesystem::path& location) {
    const std::string failure = "Couldn\u2019t import \u201C" + location.filename().string() + "\u201D";
    const auto bytes = readImportFile(location);
    if (!bytes) {
        reportFailure(failure, bytes.error());
        return bytes.error();
    }
    auto decoded = decodeImportedProfile(*bytes);
    if (!decoded) {
        reportFailure(failure, decoded.error());
        return decoded.error();
    }
    DockProfile profile = std::move(*decoded);
    const auto& stored = store_.profiles.get();
    profile.id = Uuid::random();
    profile.name = uniqueImportName(profile.name, stored);
    if (const auto shortcut = parseShortcut(profile.keyboardShortcut)) {
        for (const auto& other : stored) {
            if (parseShortcut(other.keyboardShortcut) == shortcut) {
                profile.keyboardShortcut.reset();
                break;
            }
        }
    }
    profile.createdAt = currentDate();
    profile.updatedAt = profile.createdAt;

    store_.profiles.modify([&profile](std::vector<DockProfile>& profiles) { profiles.push_back(profile); });
    store_.save();
    log("ProfileIO: imported '" + profile.name + "' from " + location.string());
    return profile;
}

void ProfileIO::reportFailure(const std::string& message, const Error& error) {
    log("ProfileIO: " + message + " \u2014 " + error.description);
    dialogs_.showWarningAlert(message, error.description);
}

}  // namespace moorvane
