#include "dock/DockManager.h"

#include <unicode/coll.h>
#include <unicode/locid.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <set>
#include <system_error>
#include <unordered_set>
#include <utility>

#include "base/InfoPlist.h"
#include "base/Log.h"
#include "base/Plist.h"
#include "dock/TileCodec.h"

namespace moorvane {

namespace {

constexpr std::string_view appSuffix = ".app";
constexpr std::string_view dockBundleIdentifier = "com.apple.dock";
struct BundleInfo {
    std::string identifier;
    std::optional<std::string> displayName;
    std::optional<std::string> name;
};

std::optional<BundleInfo> bundleInfo(const std::string& bundle) {
    const Result<PlistDictionary> info = readInfoPlist(bundle);
    if (!info) return std::nullopt;
    const std::string* identifier = info->findString("CFBundleIdentifier");
    if (!identifier) return std::nullopt;
    const auto text = [&info](std::string_view key) -> std::optional<std::string> {
        if (const std::string* value = info->findString(key)) return *value;
        return std::nullopt;
    };
    return BundleInfo{*identifier, text("CFBundleDisplayName"), text("CFBundleName")};
}

// Every ".app" removed in one pass from left to right, so "My.app.app" gives "My".
std::string withoutAppSuffixes(std::string_view fileName) {
    std::string out;
    out.reserve(fileName.size());
    for (std::size_t i = 0; i < fileName.size();) {
        if (fileName.substr(i, appSuffix.size()) == appSuffix) {
            i += appSuffix.size();
        } else {
            out += fileName[i++];
        }
    }
    return out;
}

// The children's names in byte order, so that two copies with one identifier in the same folder always
// resolve the same way; a folder that cannot be listed gives nothing.
std::vector<std::string> childNames(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code error;
    std::filesystem::directory_iterator it(folder, error);
    if (error) return names;
    for (const std::filesystem::directory_iterator end; it != end; it.increment(error)) {
        names.push_back(it->path().filename().string());
    }
    if (error) names.clear();
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

void sortInstalledAppsByName(std::vector<InstalledApp>& apps) {
    // The C locale reaches ICU as en_US_POSIX, whose collation orders by code point with capitals first; that
    // is a locale nobody chose, so the root collation stands in for it.
    icu::Locale locale = icu::Locale::getDefault();
    if (std::string_view(locale.getVariant()) == "POSIX") locale = icu::Locale::getRoot();
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::Collator> collator(icu::Collator::createInstance(locale, status));
    if (U_FAILURE(status) || !collator) {
        std::stable_sort(apps.begin(), apps.end(),
                         [](const InstalledApp& a, const InstalledApp& b) { return a.name < b.name; });
        return;
    }
    collator->setStrength(icu::Collator::SECONDARY);
    // Sort keys once per name rather than collating at every comparison.
    std::vector<std::pair<std::vector<std::uint8_t>, std::size_t>> keyed;
    keyed.reserve(apps.size());
    for (std::size_t i = 0; i < apps.size(); ++i) {
        const icu::UnicodeString name = icu::UnicodeString::fromUTF8(apps[i].name);
        std::vector<std::uint8_t> key(64);
        int32_t length = collator->getSortKey(name, key.data(), static_cast<int32_t>(key.size()));
        if (length > static_cast<int32_t>(key.size())) {
            key.resize(static_cast<std::size_t>(length));
            length = collator->getSortKey(name, key.data(), length);
        }
        key.resize(static_cast<std::size_t>(std::max<int32_t>(length, 0)));
        keyed.emplace_back(std::move(key), i);
    }
    std::stable_sort(keyed.begin(), keyed.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<InstalledApp> sorted;
    sorted.reserve(apps.size());
    for (const auto& entry : keyed) sorted.push_back(std::move(apps[entry.second]));
    apps = std::move(sorted);
}

std::vector<std::string> standardApplicationFolders(std::string_view homeFolder) {
    return {"/Applications", "/Applications/Utilities", "/System/Applications",
            "/System/Applications/Utilities", std::string(homeFolder) + "/Applications"};
}

std::vector<InstalledApp> scanInstalledApps(const std::vector<std::string>& folders) {
    std::vector<InstalledApp> apps;
    std::unordered_set<std::string> seen;
    for (const std::string& folder : folders) {
        for (const std::string& name : childNames(folder)) {
            if (!name.ends_with(appSuffix)) continue;
            std::string path = folder + "/" + name;
            std::optional<BundleInfo> info = bundleInfo(path);
            if (!info || info->identifier.empty()) continue;
            if (!seen.insert(info->identifier).second) continue;
            std::string shownName = info->displayName ? std::move(*info->displayName)
                                    : info->name      ? std::move(*info->name)
                                                      : withoutAppSuffixes(name);
            apps.push_back({info->identifier, std::move(shownName), std::move(path), info->identifier});
        }
    }
    sortInstalledAppsByName(apps);
    return apps;
}

std::string switchingLabel(const std::optional<std::string>& profileName) {
    return profileName ? "Switching to " + *profileName + "..." : "Switching...";
}

DockManager::DockManager(DockBackend& dock, Workspace& workspace, ProcessProbe& probe, Overlay& overlay,
                         MainQueue& queue, Clock& clock, InstalledAppSource installedApps)
    : dock_(dock),
      workspace_(workspace),
      probe_(probe),
      overlay_(overlay),
      queue_(queue),
      clock_(clock),
      installedAppSource_(std::move(installedApps)) {}

DockManager::DockManager(DockBackend& dock, Workspace& workspace, ProcessProbe& probe, Overlay& overlay,
                         MainQueue& queue, Clock& clock, std::vector<std::string> applicationFolders)
    : DockManager(dock, workspace, probe, overlay, queue, clock,
                  [folders = std::move(applicationFolders)] { return scanInstalledApps(folders); }) {}

const std::vector<InstalledApp>& DockManager::installedApps() {
    if (!installedApps_) {
        installedApps_ = installedAppSource_ ? installedAppSource_() : std::vector<InstalledApp>{};
    }
    return *installedApps_;
}

Status DockManager::apply(const DockProfile& profile) {
    return apply(profile, decodeTiles(profile.persistentApps));
}

Status DockManager::apply(const DockProfile& profile, Result<PlistArray> apps) {
    if (!apps) {
        log("DockManager: Failed to apply profile: " + apps.error().description);
        return apps.error();
    }
    Result<PlistArray> others = decodeTiles(profile.persistentOthers);
    if (!others) {
        log("DockManager: Failed to apply profile: " + others.error().description);
        return others.error();
    }

    PlistArray appTiles = std::move(*apps);
    const std::vector<std::string> hiddenList = profile.hiddenApps.value_or(std::vector<std::string>{});
    if (!hiddenList.empty()) {
        const std::set<std::string, std::less<>> hidden(hiddenList.begin(), hiddenList.end());
        const std::size_t total = appTiles.size();
        // A spacer has no identifier, so it goes only when the hidden set holds the empty text.
        std::erase_if(appTiles, [&hidden](const PlistValue& tile) {
            return hidden.contains(tileBundleIdentifier(tile));
        });
        log("DockManager: hid " + std::to_string(total - appTiles.size()) + " of " + std::to_string(total) +
            " apps for '" + profile.name + "'");
    }

    PlistArray otherTiles = std::move(*others);
    // What this dock cannot show stays in the profile, for a dock that can; the write leaves it out.
    std::string leftOut;
    const auto leaveOutUnshown = [&](PlistArray& tiles) {
        std::erase_if(tiles, [&](const PlistValue& tile) {
            const std::optional<std::string> why = dock_.whyNotShown(tile);
            if (!why) return false;
            const std::optional<DockAppEntry> entry = entryFromTile(tile);
            leftOut += (leftOut.empty() ? "" : ", ") + (entry ? entry->label : std::string("Unknown")) +
                       " (" + *why + ")";
            return true;
        });
    };
    leaveOutUnshown(appTiles);
    leaveOutUnshown(otherTiles);
    if (!leftOut.empty()) {
        log("DockManager: left out of " + dock_.displayName() + " for '" + profile.name + "': " + leftOut);
    }

    dock_.set(persistentAppsKey, std::move(appTiles));
    dock_.set(persistentOthersKey, std::move(otherTiles));
    // A restart now would bring the Dock back with the old lists, and a capture would read the unwritten
    // ones as if the Dock showed them; so the switch ends here with the domain as it was.
    if (Status written = dock_.synchronize(); !written) {
        dock_.discardPendingChanges();
        // The reference Dock's line is the one its users know; a desktop dock's says why.
        log(dock_.applyMode() == DockApplyMode::restart
                ? "DockManager: Failed to apply profile: com.apple.dock could not be written"
                : "DockManager: Failed to apply profile: " + dock_.displayName() +
                      " could not be written: " + written.error().description);
        return written;
    }

    if (dock_.applyMode() == DockApplyMode::live) {
        // Nothing to restart: the dock redraws from what was just written.
        log("DockManager: Wrote " + dock_.displayName() + " live");
        const std::uint64_t write = ++liveWrites_;
        dock_.notifyWhenShown([this, write] { fadeLiveOverlay(write); });
        queue_.post([this, name = profile.name] { showSwitchingOverlay(name); });
        return done();
    }

    const std::vector<RunningApplication> running = workspace_.runningApplications();
    const auto dock = std::find_if(running.begin(), running.end(), [](const RunningApplication& app) {
        return app.bundleIdentifier == dockBundleIdentifier;
    });
    if (dock != running.end()) {
        const ProcessId process = dock->processIdentifier;
        // kill() with 0 or a negative pid signals a whole process group or every process we may signal.
        if (process <= 0) {
            log("DockManager: Wrote prefs; not signalling invalid Dock pid " + std::to_string(process));
        } else if (const Status killed = workspace_.kill(process); !killed) {
            log("DockManager: Wrote prefs; SIGKILL Dock (pid " + std::to_string(process) +
                ") failed: " + killed.error().description);
        } else {
            log("DockManager: Wrote prefs + SIGKILL Dock (pid " + std::to_string(process) + ")");
        }
    }

    queue_.post([this, name = profile.name] { showSwitchingOverlay(name); });
    return done();
}

std::optional<std::pair<Bytes, Bytes>> DockManager::captureDockState() {
    return moorvane::captureDockState(dock_);
}

void DockManager::showSwitchingOverlay(const std::optional<std::string>& profileName) {
    if (dock_.applyMode() == DockApplyMode::live) {
        overlayShowing_ = overlay_.show(switchingLabel(profileName));
        const std::uint64_t write = liveWrites_;
        // A dock that reported before the overlay came up still leaves it the settle delay.
        queue_.postAfter(dockSettleDelay, [this, write] { fadeLiveOverlay(write); });
        return;
    }
    overlayShowing_ = overlay_.show(switchingLabel(profileName));
    ++overlayRequests_;
    if (overlayWaiting_) return;
    overlayWaiting_ = true;
    waitThenFade();
}

void DockManager::fadeLiveOverlay(std::uint64_t write) {
    // Only the latest write's report or deadline ends the overlay; an earlier switch's must not.
    if (write != liveWrites_ || !overlayShowing_) return;
    overlay_.fadeOut(overlayShowing_, overlayFadeSeconds);
    overlayShowing_ = 0;
}

void DockManager::waitThenFade() {
    queue_.background([this] {
        const std::uint64_t answered = waitForDock();
        queue_.post([this, answered] {
            // A switch between the wait's end and now killed the Dock again.
            if (answered != overlayRequests_) {
                waitThenFade();
                return;
            }
            overlayWaiting_ = false;
            overlay_.fadeOut(overlayShowing_, overlayFadeSeconds);
        });
    });
}

std::uint64_t DockManager::waitForDock() {
    std::uint64_t request = overlayRequests_;
    double deadline = clock_.monotonicSeconds() + dockWaitTimeout;
    // A switch since the last look killed the Dock again: the wait starts over for it.
    const auto startedOver = [&] {
        if (request == overlayRequests_) return false;
        request = overlayRequests_;
        deadline = clock_.monotonicSeconds() + dockWaitTimeout;
        return true;
    };
    while (clock_.monotonicSeconds() < deadline) {
        // The old Dock may not have gone yet; either way a Dock process exists and the pause lets it settle.
        if (probe_.isRunning("Dock")) {
            clock_.sleepFor(dockSettleDelay);
            if (!startedOver()) return request;
        } else {
            clock_.sleepFor(dockPollInterval);
            startedOver();
        }
    }
    return request;
}

}  // namespace moorvane
