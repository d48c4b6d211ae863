#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "model/DockProfile.h"
#include "ports/KeyMonitor.h"

// The editing rules of the profile editor and its controls, free of Qt so they can be measured and reasoned
// about on their own; the view-models wrap them.
namespace moorvane::editor {

// What the editor changes of one profile; everything else is carried over from the stored profile.
struct EditState {
    std::string name;
    std::string colorName = "blue";
    std::optional<std::string> focusFilter;
    std::optional<std::string> keyboardShortcut;
    std::vector<DockAppEntry> appEntries;
    bool autoLaunchApps = false;
    bool quitOtherApps = false;
    std::set<std::string> hiddenApps;
    std::vector<AppGroup> groups;
};

const DockProfile* findProfile(const std::vector<DockProfile>& profiles, const Uuid& id);
EditState loadEditState(const DockProfile& profile);
// None when the profile is no longer stored.
std::optional<DockProfile> buildProfileToStore(const std::vector<DockProfile>& profiles, const Uuid& id,
                                               const EditState& state);

// Non-spacer, non-empty bundle identifiers, first occurrence of each, in Dock order.
std::vector<std::string> presentBundleIdentifiers(const std::vector<DockAppEntry>& entries);
// The entries that may join a group: one per bundle identifier, in Dock order.
std::vector<DockAppEntry> groupCandidates(const std::vector<DockAppEntry>& entries);
// Members of every group but `edited` (every group when none is given).
std::set<std::string> claimedByOtherGroups(const std::vector<AppGroup>& groups,
                                           const std::optional<Uuid>& edited);
// The first other profile whose shortcut parses to the same key code and modifiers.
const DockProfile* shortcutConflict(const std::vector<DockProfile>& profiles, const Uuid& editedId,
                                    const std::optional<std::string>& shortcut);

std::size_t hiddenCount(const std::vector<DockAppEntry>& entries, const std::set<std::string>& hidden);
std::string itemsCaption(std::size_t count);
std::string hiddenCaption(std::size_t count);
std::string conflictNotice(const std::string& profileName);
std::string autoLaunchTooltip(std::size_t count);

// --- Dock strip ---

struct StripTile {
    bool isGroup = false;
    std::size_t entryIndex = 0;  // entry tiles: the position in the entry list
    std::size_t groupIndex = 0;  // group tiles: the position in the group list
    std::vector<std::size_t> memberIndices;
};

bool belongsTo(const DockAppEntry& entry, const AppGroup& group);
// Entries folded into the first group that lists them; a group tile stands where its first member stands.
std::vector<StripTile> formTiles(const std::vector<DockAppEntry>& entries,
                                 const std::vector<AppGroup>& groups);
// The dragged entry takes the target's place; false when nothing moved.
bool moveForDrag(std::vector<DockAppEntry>& entries, const Uuid& dragged, const Uuid& target);
// Only for a non-spacer entry with a bundle identifier; false when nothing changed.
bool toggleHidden(std::set<std::string>& hidden, const DockAppEntry& entry);
bool ungroup(std::vector<AppGroup>& groups, const Uuid& groupId);
bool removeGroupAndApps(std::vector<DockAppEntry>& entries, std::vector<AppGroup>& groups,
                        const Uuid& groupId);
double spacerWidth(const DockAppEntry& entry);
std::string eyeTooltip(const std::string& label, bool hidden);
std::string groupTooltip(const std::string& name, std::size_t memberCount);

// --- group editor ---

inline constexpr std::array<std::string_view, 16> groupSymbolNames = {
    "folder.fill",    "hammer.fill",         "paintbrush.fill", "bubble.left.and.bubble.right.fill",
    "music.note",     "gamecontroller.fill", "briefcase.fill",  "book.fill",
    "chart.bar.fill", "camera.fill",         "globe",           "terminal.fill",
    "star.fill",      "heart.fill",          "bolt.fill",       "cube.box.fill"};
// What a screen reader says for each of those, in the same order.
inline constexpr std::array<std::string_view, groupSymbolNames.size()> groupSymbolLabels = {
    "Folder",     "Hammer",          "Paintbrush",     "Speech bubbles",
    "Music note", "Game controller", "Briefcase",      "Book",
    "Bar chart",  "Camera",          "Globe",          "Terminal",
    "Star",       "Heart",           "Lightning bolt", "Box"};
// A symbol added above without its word here would be read out as nothing.
static_assert(std::ranges::none_of(groupSymbolLabels, [](std::string_view label) { return label.empty(); }));

// Spaces and tabs only: a line break is kept, as it is part of the name.
std::string trimSpacesAndTabs(std::string_view text);
bool isDraftValid(const AppGroup& draft);
// Claimed apps cannot be picked; a picked app leaves entirely, a new one joins at the end.
bool toggleMember(AppGroup& draft, const std::string& bundleIdentifier, const std::set<std::string>& claimed);
AppGroup newGroupDraft();

// --- shortcut recorder ---

inline constexpr std::uint16_t escapeKeyCode = 53;

struct RecordedKey {
    enum class Kind { cancel, accept, reject } kind = Kind::reject;
    std::string shortcut;  // the stored text, for `accept`
};
RecordedKey judgeRecordedKey(const KeyEvent& event);
std::string recorderLabel(bool recording, const std::optional<std::string>& shortcut);

}  // namespace moorvane::editor
