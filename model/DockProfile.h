#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/Bytes.h"
#include "base/Date.h"
#include "base/Uuid.h"

namespace moorvane {

// The raw value of each case is the Dock's own tile type.
enum class SpacerType { none, regular, small, flexibleSpace };

std::string_view rawValue(SpacerType type);
// Exact match of the raw value; any other text gives no case.
std::optional<SpacerType> spacerTypeFromRaw(std::string_view raw);

struct DockAppEntry {
    Uuid id = Uuid::random();
    std::string label;
    std::string bundleIdentifier;
    std::string
        path;  // "file://" URL text as the Dock stores it, or a plain absolute path; empty for spacers
    bool isSpacer = false;
    SpacerType spacerType = SpacerType::none;

    // A new spacer entry; `none` makes a small spacer, since a spacer always has a kind.
    static DockAppEntry spacer(SpacerType type);

    friend bool operator==(const DockAppEntry&, const DockAppEntry&) = default;
};

struct AppGroup {
    Uuid id = Uuid::random();
    std::string name = "Group";
    std::string symbolName = "folder.fill";
    std::vector<std::string> bundleIdentifiers;

    friend bool operator==(const AppGroup&, const AppGroup&) = default;
};

struct InstalledApp {
    std::string id;
    std::string name;
    std::string path;
    std::string bundleIdentifier;

    friend bool operator==(const InstalledApp& a, const InstalledApp& b) { return a.id == b.id; }
};

inline constexpr std::array<std::string_view, 10> profileColorNames = {
    "blue", "green", "orange", "purple", "red", "pink", "yellow", "teal", "indigo", "mint"};

// Which colour a profile shows: one of the ten names, or the accent colour for any other text.
struct ProfileColor {
    std::optional<std::string_view> named;  // none: the accent colour
    bool isAccent() const { return !named.has_value(); }
};
ProfileColor colorForName(std::string_view colorName);

struct DockProfile {
    Uuid id = Uuid::random();
    std::string name;
    std::string colorName = "blue";
    Bytes persistentApps;
    Bytes persistentOthers;
    std::optional<std::string> focusFilter;
    Date createdAt = currentDate();
    Date updatedAt = createdAt;
    std::optional<std::string> keyboardShortcut;
    std::optional<std::vector<std::string>> appsToLaunch;
    bool quitOtherApps = false;
    std::optional<std::vector<std::string>> hiddenApps;
    std::optional<std::vector<AppGroup>> appGroups;

    ProfileColor color() const { return colorForName(colorName); }

    DockProfile duplicated() const;

    // Profiles are identified by id alone.
    friend bool operator==(const DockProfile& a, const DockProfile& b) { return a.id == b.id; }
};

// The location of the application with a bundle identifier, when the system knows one.
using ApplicationLocator = std::function<std::optional<std::string>(const std::string& bundleIdentifier)>;

// The file-system path whose icon stands for an entry, or nothing (spacers, and entries whose item is gone
// and whose application the system does not know): the UI draws the icon of that path.
std::optional<std::string> iconPath(const DockAppEntry& entry, const ApplicationLocator& locateApplication);

// A tile location as a file-system path: "file://" URL text is turned into its path, anything else is kept.
std::string filePathFromLocation(std::string_view location);

}  // namespace moorvane

template <>
struct std::hash<moorvane::AppGroup> {
    std::size_t operator()(const moorvane::AppGroup& group) const noexcept;
};
template <>
struct std::hash<moorvane::InstalledApp> {
    std::size_t operator()(const moorvane::InstalledApp& app) const noexcept {
        return std::hash<std::string>{}(app.id);
    }
};
