#include "shell/SessionDock.h"

#include "base/Log.h"
#include "platform/desktop/SessionProcesses.h"
#include "platform/gnome/GnomeDash.h"
#include "platform/plank/PlankDock.h"
#include "platform/referencedock/LinuxDockPreferences.h"
#include "platform/referencedock/ReferenceDockPaths.h"

namespace moorvane {

namespace {

SessionDock chosen(std::unique_ptr<DockBackend> dock, InstalledAppSource installedApps, bool desktops) {
    log("DockManager: driving " + dock->displayName());
    return {std::move(dock), std::move(installedApps), desktops};
}

}  // namespace

SessionDock openSessionDock(desktop::DesktopEntryIndex& entries,
                            const desktop::DesktopEnvironment& environment) {
    const auto desktopApps = [&entries] { return entries.installedApps(); };
    // A running reference Dock is the one asked for, whatever else the session has; one of another session or
    // another user on this machine is not.
    if (!desktop::runsInThisSession("Dock")) {
        if (plank::PlankDock::isRunning())
            return chosen(std::make_unique<plank::PlankDock>(entries), desktopApps, true);
        if (GnomeDash::isSessionDock(environment)) {
            if (std::unique_ptr<GnomeDash> dash = GnomeDash::open(entries)) {
                return chosen(std::move(dash), desktopApps, true);
            }
        }
    }
    return chosen(
        std::make_unique<LinuxDockPreferences>(referencedock::dockPreferencesPath()),
        [folders = referencedock::applicationFolders()] { return scanInstalledApps(folders); }, false);
}

}  // namespace moorvane
