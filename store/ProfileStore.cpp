#include "store/ProfileStore.h"

#include <date/date.h>

#include <chrono>
#include <iterator>
#include <sstream>
#include <system_error>
#include <utility>

#include "base/AtomicFile.h"
#include "base/BoundedRead.h"
#include "base/Log.h"
#include "base/Text.h"
#include "dock/DockManager.h"
#include "dock/TileCodec.h"
#include "model/AppSettings.h"
#include "model/ProfileJson.h"
#include "model/ShortcutText.h"
#include "store/AppLaunchManager.h"

namespace moorvane {

namespace fs = std::filesystem;

namespace {

// Far beyond any real store (a profile is a few kilobytes); a larger file is not read into memory whole.
constexpr std::size_t maxStoreBytes = std::size_t{256} << 20;
// A UUID with some white space around it; anything much longer is not an identifier.
constexpr std::size_t maxActiveIdBytes = 4096;

bool isSpacerTile(const PlistValue& tile) {
    const auto entry = entryFromTile(tile);
    return entry && entry->isSpacer;
}

}  // namespace

std::string entryListText(const std::vector<DockAppEntry>& entries) {
    std::string out = "[";
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (i > 0) out += ", ";
        out += '"';
        for (char c : entries[i].isSpacer ? std::string("[spacer]") : entries[i].label) {
            if (c == '"' || c == '\\') {
                out += '\\';
                out += c;
            } else if (c == '\n') {
                out += "\\n";
            } else {
                out += c;
            }
        }
        out += '"';
    }
    return out + "]";
}

PlistArray mergeHiddenApps(const PlistArray& oldTiles, const PlistArray& newTiles,
                           const std::set<std::string, std::less<>>& hidden,
                           const std::function<bool(const PlistValue&)>& unshown) {
    std::set<std::string, std::less<>> present;
    for (const auto& tile : newTiles) {
        if (!isSpacerTile(tile)) present.insert(tileBundleIdentifier(tile));
    }
    PlistArray result = newTiles;
    for (std::size_t position = 0; position < oldTiles.size(); ++position) {
        const auto& tile = oldTiles[position];
        if (!(unshown && unshown(tile))) {
            if (isSpacerTile(tile)) continue;
            const std::string bundle = tileBundleIdentifier(tile);
            if (!hidden.count(bundle) || present.count(bundle)) continue;
        }
        const auto at =
            position < result.size() ? result.begin() + static_cast<std::ptrdiff_t>(position) : result.end();
        result.insert(at, tile);
    }
    return result;
}

ProfileStore::ProfileStore(fs::path folder, DockManager& dock, AppLaunchManager& launcher, MainQueue& queue,
                           const AppSettings* settings)
    : folder_(std::move(folder)),
      storageURL_(folder_ / "profiles.json"),
      activeIdURL_(folder_ / "active.txt"),
      dock_(dock),
      launcher_(launcher),
      queue_(queue),
      settings_(settings) {
    std::error_code ignored;
    fs::create_directories(folder_, ignored);
    load();
}

void ProfileStore::keepUnreadableStoreAside() {
    // The next save would replace the only copy of profiles the user may still recover by hand.
    const auto now = std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now());
    const fs::path aside = folder_ / ("profiles.json.unreadable-" + date::format("%Y%m%dT%H%M%SZ", now));
    std::error_code error;
    fs::rename(storageURL_, aside, error);
    if (error) {
        log("ProfileStore: Failed to keep the unreadable store aside: " + error.message());
    } else {
        log("ProfileStore: kept unreadable profiles.json as " + aside.filename().string());
    }
}

void ProfileStore::load() {
    std::error_code error;
    if (!fs::exists(storageURL_, error)) return;
    auto content = readBoundedFile(storageURL_, maxStoreBytes);
    if (!content) {
        log("ProfileStore: Failed to load: " + content.error().description);
        keepUnreadableStoreAside();
    } else if (auto decoded = decodeProfiles(*content); !decoded) {
        log("ProfileStore: Failed to load: " + decoded.error().description);
        keepUnreadableStoreAside();
    } else {
        profiles = std::move(*decoded);
    }
    auto active = readBoundedFile(activeIdURL_, maxActiveIdBytes);
    if (!active) return;
    if (auto id = Uuid::parse(trimmed(*active))) activeProfileId = *id;
}

Status ProfileStore::save() {
    Status written = writeFileAtomically(storageURL_, encodeProfiles(profiles.get()));
    if (written && activeProfileId.get())
        written = writeFileAtomically(activeIdURL_, activeProfileId.get()->text());
    if (!written) log("ProfileStore: Failed to save: " + written.error().description);
    return written;
}

void ProfileStore::reenableAutoSaveAfter(double seconds, bool logIt) {
    // Pauses overlap (a switch soon after another, a capture during a switch's pause): auto-save comes back
    // when the last of them ends, not the first, which would let it copy a Dock still settling.
    ++pausesRunning_;
    std::weak_ptr<int> alive = lifetime_;
    queue_.postAfter(seconds, [this, alive, logIt] {
        if (!alive.lock()) return;
        if (--pausesRunning_ > 0) return;
        isAutoSaveEnabled = true;
        if (logIt) log("ProfileStore: auto-save re-enabled");
    });
}

Status ProfileStore::switchTo(const DockProfile& profile, bool launchApps) {
    isAutoSaveEnabled = false;
    DockProfile current = profile;
    for (const auto& p : profiles.get()) {
        if (p.id == profile.id) {
            current = p;
            break;
        }
    }
    Result<PlistArray> tiles = decodeTiles(current.persistentApps);
    const auto entries = tiles ? entriesFromTiles(*tiles) : std::vector<DockAppEntry>{};
    log("ProfileStore: switchTo '" + current.name + "' with " + std::to_string(entries.size()) +
        " entries: " + entryListText(entries));
    // Made active while the Dock still shows another layout, the profile would take that layout at the next
    // auto-save; so a switch whose Dock was not written goes no further.
    const Status applied = dock_.apply(current, std::move(tiles));
    if (applied) {
        if (launchApps) launcher_.applyLaunchOptions(current, entries);
        activeProfileId = current.id;
        save();
    } else {
        log("ProfileStore: switch to '" + current.name + "' stopped: the Dock was not changed");
    }
    reenableAutoSaveAfter(switchSettleSeconds, true);
    return applied;
}

Status ProfileStore::switchToProfileNamed(const std::string& name) {
    auto found = profileNamed(name);
    if (!found) {
        Error missing{"ProfileStore: no profile named '" + name + "'"};
        log(missing.description);
        return missing;
    }
    return switchTo(*found, true);
}

bool profileNameMatches(std::string_view storedName, std::string_view asked) {
    return equalIgnoringCase(storedName, trimmed(asked));
}

std::optional<DockProfile> ProfileStore::profileNamed(std::string_view name) const {
    for (const auto& p : profiles.get()) {
        if (profileNameMatches(p.name, name)) return p;
    }
    return std::nullopt;
}

std::optional<DockProfile> ProfileStore::profileForFocusMode(std::string_view focusMode) const {
    for (const auto& p : profiles.get()) {
        if (p.focusFilter && *p.focusFilter == focusMode) return p;
    }
    return std::nullopt;
}

std::optional<DockProfile> ProfileStore::captureCurrentDock(const std::string& name,
                                                            const std::string& colorName) {
    isAutoSaveEnabled = false;
    reenableAutoSaveAfter(captureSettleSeconds, false);
    auto captured = dock_.captureDockState();
    if (!captured) return std::nullopt;
    DockProfile profile;
    profile.name = name;
    profile.colorName = colorName;
    profile.persistentApps = std::move(captured->first);
    profile.persistentOthers = std::move(captured->second);
    profile.createdAt = currentDate();
    profile.updatedAt = profile.createdAt;
    profiles.modify([&](auto& list) { list.push_back(profile); });
    activeProfileId = profile.id;
    save();
    return profile;
}

void ProfileStore::updateProfile(const DockProfile& profile) {
    bool found = false;
    profiles.modify([&](auto& list) {
        for (auto& p : list) {
            if (p.id == profile.id) {
                p = profile;
                p.updatedAt = currentDate();
                found = true;
                break;
            }
        }
    });
    if (!found) return;
    if (profile.keyboardShortcut && parseShortcut(profile.keyboardShortcut)) {
        releaseShortcut(*profile.keyboardShortcut, profile.id);
    }
    save();
}

void ProfileStore::releaseShortcut(const std::string& shortcut, const Uuid& excluded) {
    const auto wanted = parseShortcut(shortcut);
    if (!wanted) return;
    bool changed = false;
    auto list = profiles.get();
    for (auto& p : list) {
        if (p.id == excluded || parseShortcut(p.keyboardShortcut) != wanted) continue;
        log("ProfileStore: released " + formatShortcut(wanted->modifiers, wanted->keyCode) + " from '" +
            p.name + "'");
        p.keyboardShortcut.reset();
        changed = true;
    }
    if (changed) profiles = std::move(list);
}

DockProfile ProfileStore::duplicateProfile(const DockProfile& source) {
    DockProfile copy = source.duplicated();
    profiles.modify([&](auto& list) {
        auto at = list.end();
        for (auto it = list.begin(); it != list.end(); ++it) {
            if (it->id == source.id) {
                at = std::next(it);
                break;
            }
        }
        list.insert(at, copy);
    });
    save();
    return copy;
}

void ProfileStore::deleteProfile(const Uuid& id) {
    profiles.modify(
        [&](auto& list) { std::erase_if(list, [&](const DockProfile& p) { return p.id == id; }); });
    if (activeProfileId.get() == id) activeProfileId = std::nullopt;
    save();
}

void ProfileStore::handleDockChange() {
    if (settings_ && !settings_->autoSaveDockChanges()) {
        log("ProfileStore: auto-save blocked (turned off in Settings)");
        return;
    }
    if (!isAutoSaveEnabled) {
        log("ProfileStore: auto-save blocked (disabled)");
        return;
    }
    const auto& active = activeProfileId.get();
    if (!active) return;
    std::size_t index = 0;
    const auto& list = profiles.get();
    while (index < list.size() && list[index].id != *active) ++index;
    if (index == list.size()) return;
    auto captured = dock_.captureDockState();
    if (!captured) return;

    const DockProfile& stored = list[index];
    const auto oldEntries = appEntries(stored);
    std::set<std::string, std::less<>> hidden;
    if (stored.hiddenApps) hidden.insert(stored.hiddenApps->begin(), stored.hiddenApps->end());
    const auto unshown = [this](const PlistValue& tile) { return dock_.whyNotShown(tile).has_value(); };
    // The dock lacks what was never written to it; what the profile held of that goes back in.
    const auto withKeptTiles = [&](const Bytes& old, const Bytes& now,
                                   const std::set<std::string, std::less<>>& hiddenHere) {
        auto oldTiles = decodeTiles(old);
        auto newTiles = decodeTiles(now);
        if (!oldTiles || !newTiles) return now;
        PlistArray merged = mergeHiddenApps(*oldTiles, *newTiles, hiddenHere, unshown);
        if (merged == *newTiles) return now;
        auto encoded = encodeTiles(merged);
        if (!encoded) {
            log("ProfileStore: auto-save kept the captured tiles: " + encoded.error().description);
            return now;
        }
        return std::move(*encoded);
    };
    Bytes candidate = withKeptTiles(stored.persistentApps, captured->first, hidden);
    Bytes otherCandidate = withKeptTiles(stored.persistentOthers, captured->second, {});
    if (stored.persistentApps == candidate && stored.persistentOthers == otherCandidate) return;

    log("ProfileStore: auto-save updating '" + stored.name + "' \u2014 was " +
        std::to_string(oldEntries.size()) + " entries");
    profiles.modify([&](auto& all) {
        auto& p = all[index];
        p.persistentApps = std::move(candidate);
        p.persistentOthers = std::move(otherCandidate);
        p.updatedAt = currentDate();
    });
    const auto newEntries = appEntries(profiles.get()[index]);
    log("ProfileStore: auto-save now " + std::to_string(newEntries.size()) +
        " entries: " + entryListText(newEntries));
    save();
}

}  // namespace moorvane
