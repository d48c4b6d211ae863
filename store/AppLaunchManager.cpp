#include "store/AppLaunchManager.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "base/Log.h"
#include "dock/TileCodec.h"

namespace moorvane {

bool isProtectedBundleID(std::string_view bundleIdentifier) {
    return std::find(protectedBundleIDs.begin(), protectedBundleIDs.end(), bundleIdentifier) !=
           protectedBundleIDs.end();
}

void AppLaunchManager::applyLaunchOptions(const DockProfile& profile) {
    applyLaunchOptions(profile, profile.quitOtherApps ? appEntries(profile) : std::vector<DockAppEntry>{});
}

void AppLaunchManager::applyLaunchOptions(const DockProfile& profile,
                                          const std::vector<DockAppEntry>& appEntries) {
    const std::vector<std::string> launchList = profile.appsToLaunch.value_or(std::vector<std::string>{});
    if (profile.quitOtherApps) {
        std::set<std::string> keep(launchList.begin(), launchList.end());
        // Apps the profile hides are still in its tile list, so they are kept running too.
        for (const DockAppEntry& entry : appEntries) {
            if (entry.isSpacer || entry.bundleIdentifier.empty()) continue;
            keep.insert(entry.bundleIdentifier);
        }
        terminateOtherApps(keep);
    }
    if (!launchList.empty()) launchApps(launchList);
}

void AppLaunchManager::terminateOtherApps(const std::set<std::string>& keep) {
    const ProcessId self = workspace_.ownProcessIdentifier();
    for (const RunningApplication& app : workspace_.runningApplications()) {
        if (app.activationPolicy != ActivationPolicy::regular) continue;
        if (app.processIdentifier == self) continue;
        if (!app.bundleIdentifier) continue;
        const std::string& identifier = *app.bundleIdentifier;
        if (isProtectedBundleID(identifier) || keep.contains(identifier)) continue;
        log("AppLaunchManager: quitting " + identifier);
        workspace_.terminate(app.processIdentifier);
    }
}

void AppLaunchManager::launchApps(const std::vector<std::string>& bundleIdentifiers) {
    // Taken once: an identifier listed twice and not running is opened twice, as each request stands alone.
    std::set<std::string> running;
    for (const RunningApplication& app : workspace_.runningApplications()) {
        if (app.bundleIdentifier) running.insert(*app.bundleIdentifier);
    }
    for (const std::string& identifier : bundleIdentifiers) {
        if (running.contains(identifier)) continue;
        const std::optional<std::string> location = workspace_.applicationLocation(identifier);
        if (!location) {
            log("AppLaunchManager: no app installed for " + identifier);
            continue;
        }
        // The completion may run on another thread, long after this object is gone: it holds only a copy.
        workspace_.openApplication(*location, [identifier](Status opened) {
            if (!opened)
                log("AppLaunchManager: failed to launch " + identifier + ": " + opened.error().description);
        });
    }
}

}  // namespace moorvane
