#include "model/DockProfile.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <system_error>

#include "base/Text.h"
#include "base/Uri.h"

namespace moorvane {

std::string_view rawValue(SpacerType type) {
    switch (type) {
        case SpacerType::none:
            return "";
        case SpacerType::regular:
            return "spacer-tile";
        case SpacerType::small:
            return "small-spacer-tile";
        case SpacerType::flexibleSpace:
            return "flex-spacer-tile";
    }
    return "";
}

std::optional<SpacerType> spacerTypeFromRaw(std::string_view raw) {
    for (SpacerType type :
         {SpacerType::none, SpacerType::regular, SpacerType::small, SpacerType::flexibleSpace}) {
        if (rawValue(type) == raw) return type;
    }
    return std::nullopt;
}

DockAppEntry DockAppEntry::spacer(SpacerType type) {
    if (type == SpacerType::none) type = SpacerType::small;
    DockAppEntry entry;
    entry.label = type == SpacerType::small ? "Small Spacer" : "Spacer";
    entry.isSpacer = true;
    entry.spacerType = type;
    return entry;
}

ProfileColor colorForName(std::string_view colorName) {
    const auto found = std::find(profileColorNames.begin(), profileColorNames.end(), colorName);
    if (found == profileColorNames.end()) return {};
    return {*found};
}

DockProfile DockProfile::duplicated() const {
    DockProfile copy = *this;
    copy.id = Uuid::random();
    copy.name = name + " (Copy)";
    copy.keyboardShortcut.reset();
    copy.focusFilter.reset();
    copy.createdAt = currentDate();
    copy.updatedAt = copy.createdAt;
    std::vector<AppGroup> groups;
    for (const auto& group : appGroups.value_or(std::vector<AppGroup>{})) {
        AppGroup fresh = group;
        fresh.id = Uuid::random();
        groups.push_back(std::move(fresh));
    }
    copy.appGroups = std::move(groups);
    return copy;
}

namespace {

constexpr std::string_view fileScheme = "file://";

}  // namespace

std::string filePathFromLocation(std::string_view location) {
    if (location.substr(0, fileScheme.size()) != fileScheme) return std::string(location);
    const std::string text(location);
    ParsedUri uri(new UriUriA{});
    const char* errorPos = nullptr;
    if (uriParseSingleUriA(uri.get(), text.c_str(), &errorPos) == URI_SUCCESS) {
        // A filename is never longer than the URI that encodes it.
        std::string path(text.size() + 1, '\0');
        if (uriUriStringToUnixFilenameA(text.c_str(), path.data()) == URI_SUCCESS) {
            path.resize(std::char_traits<char>::length(path.c_str()));
            // A Dock location names a bundle folder with a trailing "/"; the path of that folder has none.
            while (path.size() > 1 && path.back() == '/') path.pop_back();
            return path;
        }
    }
    std::string stripped;
    for (std::size_t i = 0; i < text.size();) {
        if (text.compare(i, fileScheme.size(), fileScheme) == 0) {
            i += fileScheme.size();
        } else {
            stripped += text[i++];
        }
    }
    // A malformed escape leaves the text as it was.
    return percentDecoded(stripped, BadEscape::keepWholeText);
}

std::optional<std::string> iconPath(const DockAppEntry& entry, const ApplicationLocator& locateApplication) {
    if (entry.isSpacer) return std::nullopt;
    const std::string path = filePathFromLocation(entry.path);
    std::error_code error;
    if (!path.empty() && std::filesystem::exists(path, error)) return path;
    if (!entry.bundleIdentifier.empty() && locateApplication) {
        if (auto location = locateApplication(entry.bundleIdentifier)) return location;
    }
    return std::nullopt;
}

}  // namespace moorvane

std::size_t std::hash<moorvane::AppGroup>::operator()(const moorvane::AppGroup& group) const noexcept {
    std::size_t seed = std::hash<moorvane::Uuid>{}(group.id);
    const auto mix = [&seed](std::size_t value) {
        seed ^= value + 0x9E3779B97F4A7C15ull + (seed << 6) + (seed >> 2);
    };
    mix(std::hash<std::string>{}(group.name));
    mix(std::hash<std::string>{}(group.symbolName));
    for (const auto& identifier : group.bundleIdentifiers) mix(std::hash<std::string>{}(identifier));
    return seed;
}
