#include "ui/editor/EditorRules.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

#include "base/Text.h"
#include "dock/TileCodec.h"
#include "model/ShortcutText.h"

namespace moorvane::editor {

const DockProfile* findProfile(const std::vector<DockProfile>& profiles, const Uuid& id) {
    for (const auto& p : profiles) {
        if (p.id == id) return &p;
    }
    return nullptr;
}

EditState loadEditState(const DockProfile& profile) {
    EditState state;
    state.name = profile.name;
    state.colorName = profile.colorName;
    state.focusFilter = profile.focusFilter;
    state.keyboardShortcut = profile.keyboardShortcut;
    state.appEntries = decodeEntries(profile.persistentApps);
    state.autoLaunchApps = profile.appsToLaunch.has_value() && !profile.appsToLaunch->empty();
    state.quitOtherApps = profile.quitOtherApps;
    if (profile.hiddenApps) state.hiddenApps.insert(profile.hiddenApps->begin(), profile.hiddenApps->end());
    if (profile.appGroups) state.groups = *profile.appGroups;
    return state;
}

std::optional<DockProfile> buildProfileToStore(const std::vector<DockProfile>& profiles, const Uuid& id,
                                               const EditState& state) {
    const DockProfile* stored = findProfile(profiles, id);
    if (!stored) return std::nullopt;
    DockProfile profile = *stored;
    profile.name = state.name;
    profile.colorName = state.colorName;
    profile.focusFilter = state.focusFilter;
    profile.keyboardShortcut = state.keyboardShortcut;
    profile.quitOtherApps = state.quitOtherApps;
    setAppEntries(profile, state.appEntries);

    if (state.hiddenApps.empty()) {
        profile.hiddenApps.reset();
    } else {
        profile.hiddenApps = std::vector<std::string>(state.hiddenApps.begin(), state.hiddenApps.end());
    }

    const auto present = presentBundleIdentifiers(state.appEntries);
    const std::unordered_set<std::string> presentSet(present.begin(), present.end());
    std::vector<AppGroup> survivors;
    for (const auto& group : state.groups) {
        AppGroup kept = group;
        std::erase_if(kept.bundleIdentifiers, [&](const std::string& b) { return !presentSet.count(b); });
        if (kept.bundleIdentifiers.size() >= 2) survivors.push_back(std::move(kept));
    }
    if (survivors.empty()) {
        profile.appGroups.reset();
    } else {
        profile.appGroups = std::move(survivors);
    }

    if (state.autoLaunchApps) {
        std::vector<std::string> launch;
        for (const auto& b : present) {
            if (!state.hiddenApps.count(b)) launch.push_back(b);
        }
        profile.appsToLaunch = std::move(launch);
    } else {
        profile.appsToLaunch.reset();
    }
    return profile;
}

std::vector<std::string> presentBundleIdentifiers(const std::vector<DockAppEntry>& entries) {
    std::vector<std::string> out;
    std::unordered_set<std::string> seen;
    for (const auto& e : entries) {
        if (e.isSpacer || e.bundleIdentifier.empty()) continue;
        if (seen.insert(e.bundleIdentifier).second) out.push_back(e.bundleIdentifier);
    }
    return out;
}

std::vector<DockAppEntry> groupCandidates(const std::vector<DockAppEntry>& entries) {
    std::vector<DockAppEntry> out;
    std::unordered_set<std::string> seen;
    for (const auto& e : entries) {
        if (e.isSpacer || e.bundleIdentifier.empty()) continue;
        if (seen.insert(e.bundleIdentifier).second) out.push_back(e);
    }
    return out;
}

std::set<std::string> claimedByOtherGroups(const std::vector<AppGroup>& groups,
                                           const std::optional<Uuid>& edited) {
    std::set<std::string> claimed;
    for (const auto& g : groups) {
        if (edited && g.id == *edited) continue;
        claimed.insert(g.bundleIdentifiers.begin(), g.bundleIdentifiers.end());
    }
    return claimed;
}

const DockProfile* shortcutConflict(const std::vector<DockProfile>& profiles, const Uuid& editedId,
                                    const std::optional<std::string>& shortcut) {
    const auto wanted = parseShortcut(shortcut);
    if (!wanted) return nullptr;
    for (const auto& p : profiles) {
        if (p.id == editedId) continue;
        if (parseShortcut(p.keyboardShortcut) == wanted) return &p;
    }
    return nullptr;
}

std::size_t hiddenCount(const std::vector<DockAppEntry>& entries, const std::set<std::string>& hidden) {
    if (hidden.empty()) return 0;
    return static_cast<std::size_t>(std::count_if(entries.begin(), entries.end(), [&](const DockAppEntry& e) {
        return !e.isSpacer && hidden.count(e.bundleIdentifier);
    }));
}

std::string itemsCaption(std::size_t count) {
    return std::to_string(count) + " items";
}

std::string hiddenCaption(std::size_t count) {
    return std::to_string(count) + " app" + (count == 1 ? "" : "s") +
           " hidden from the Dock while this profile is active";
}

std::string conflictNotice(const std::string& profileName) {
    return "Currently used by \u201C" + profileName + "\u201D \u2014 saving will move it here.";
}

std::string autoLaunchTooltip(std::size_t count) {
    return "Opens this profile's " + std::to_string(count) + " dock apps when the profile is applied";
}

bool belongsTo(const DockAppEntry& entry, const AppGroup& group) {
    if (entry.isSpacer || entry.bundleIdentifier.empty()) return false;
    return std::find(group.bundleIdentifiers.begin(), group.bundleIdentifiers.end(),
                     entry.bundleIdentifier) != group.bundleIdentifiers.end();
}

std::vector<StripTile> formTiles(const std::vector<DockAppEntry>& entries,
                                 const std::vector<AppGroup>& groups) {
    // The first group listing each bundle identifier, built once so the walk stays linear.
    std::unordered_map<std::string_view, std::size_t> firstGroup;
    for (std::size_t g = 0; g < groups.size(); ++g) {
        for (const auto& b : groups[g].bundleIdentifiers) firstGroup.emplace(b, g);
    }
    std::vector<StripTile> tiles;
    tiles.reserve(entries.size());
    std::vector<bool> emitted(groups.size(), false);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const auto& e = entries[i];
        const auto found = (e.isSpacer || e.bundleIdentifier.empty()) ? firstGroup.end()
                                                                      : firstGroup.find(e.bundleIdentifier);
        if (found == firstGroup.end()) {
            tiles.push_back({false, i, 0, {}});
            continue;
        }
        const std::size_t g = found->second;
        if (emitted[g]) continue;
        emitted[g] = true;
        StripTile tile{true, i, g, {}};
        const std::unordered_set<std::string_view> members(groups[g].bundleIdentifiers.begin(),
                                                           groups[g].bundleIdentifiers.end());
        for (std::size_t j = 0; j < entries.size(); ++j) {
            const auto& m = entries[j];
            if (!m.isSpacer && !m.bundleIdentifier.empty() && members.count(m.bundleIdentifier)) {
                tile.memberIndices.push_back(j);
            }
        }
        tiles.push_back(std::move(tile));
    }
    return tiles;
}

bool moveForDrag(std::vector<DockAppEntry>& entries, const Uuid& dragged, const Uuid& target) {
    if (dragged == target) return false;
    auto indexOf = [&](const Uuid& id) {
        return std::find_if(entries.begin(), entries.end(),
                            [&](const DockAppEntry& e) { return e.id == id; });
    };
    const auto from = indexOf(dragged);
    const auto to = indexOf(target);
    if (from == entries.end() || to == entries.end()) return false;
    // Remove-then-insert with offset T + 1 for a forward move lands the entry exactly at T.
    if (from < to) {
        std::rotate(from, from + 1, to + 1);
    } else {
        std::rotate(to, from, from + 1);
    }
    return true;
}

bool toggleHidden(std::set<std::string>& hidden, const DockAppEntry& entry) {
    if (entry.isSpacer || entry.bundleIdentifier.empty()) return false;
    if (!hidden.erase(entry.bundleIdentifier)) hidden.insert(entry.bundleIdentifier);
    return true;
}

bool ungroup(std::vector<AppGroup>& groups, const Uuid& groupId) {
    return std::erase_if(groups, [&](const AppGroup& g) { return g.id == groupId; }) > 0;
}

bool removeGroupAndApps(std::vector<DockAppEntry>& entries, std::vector<AppGroup>& groups,
                        const Uuid& groupId) {
    const auto group =
        std::find_if(groups.begin(), groups.end(), [&](const AppGroup& g) { return g.id == groupId; });
    if (group == groups.end()) return false;
    const AppGroup copy = *group;
    std::erase_if(entries, [&](const DockAppEntry& e) { return belongsTo(e, copy); });
    return ungroup(groups, groupId);
}

double spacerWidth(const DockAppEntry& entry) {
    return entry.spacerType == SpacerType::small ? 3.0 : 6.0;
}

std::string eyeTooltip(const std::string& label, bool hidden) {
    return hidden ? "Show \u201C" + label + "\u201D in the Dock"
                  : "Hide \u201C" + label + "\u201D from the Dock";
}

std::string groupTooltip(const std::string& name, std::size_t memberCount) {
    return name + " \u2014 " + std::to_string(memberCount) + " apps";
}

std::string trimSpacesAndTabs(std::string_view text) {
    return std::string(trimmed(text, spacesAndTabs));
}

bool isDraftValid(const AppGroup& draft) {
    return !trimSpacesAndTabs(draft.name).empty() && draft.bundleIdentifiers.size() >= 2;
}

bool toggleMember(AppGroup& draft, const std::string& bundleIdentifier,
                  const std::set<std::string>& claimed) {
    if (claimed.count(bundleIdentifier)) return false;
    if (std::erase(draft.bundleIdentifiers, bundleIdentifier) == 0)
        draft.bundleIdentifiers.push_back(bundleIdentifier);
    return true;
}

AppGroup newGroupDraft() {
    AppGroup draft;
    draft.name = "New Group";
    draft.symbolName = "folder.fill";
    return draft;
}

RecordedKey judgeRecordedKey(const KeyEvent& event) {
    // Escape first, so it cancels whatever modifiers are held.
    if (event.keyCode == escapeKeyCode) return {RecordedKey::Kind::cancel, {}};
    const ShortcutModifiers modifiers = ShortcutModifiers::fromEventFlags(event.modifierFlags);
    if (modifiers.canMakeShortcut() && nameByKeyCode().count(event.keyCode)) {
        return {RecordedKey::Kind::accept, formatShortcut(modifiers, event.keyCode)};
    }
    return {RecordedKey::Kind::reject, {}};
}

std::string recorderLabel(bool recording, const std::optional<std::string>& shortcut) {
    if (recording) return "Press keys\u2026";
    if (const auto parsed = parseShortcut(shortcut))
        return displayShortcut(parsed->modifiers, parsed->keyCode);
    return "Click to record";
}

}  // namespace moorvane::editor
