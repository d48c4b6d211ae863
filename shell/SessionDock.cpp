#include "shell/SessionDock.h"

#include "base/Log.h"
#include "platform/desktop/DesktopWorkspace.h"
#include "platform/desktop/SessionProcesses.h"
#include "platform/gnome/GnomeDash.h"
#include "platform/gnome/GnomeDoNotDisturb.h"
#include "platform/plank/PlankDock.h"
#include "platform/referencedock/LinuxDockPreferences.h"
#include "platform/referencedock/LinuxWorkspace.h"
#include "platform/referencedock/ReferenceDockPaths.h"

namespace moorvane {

namespace {

SessionDock chosen(std::unique_ptr<DockBackend> dock, InstalledAppSource installedApps,
                   std::unique_ptr<Workspace> workspace, bool desktops) {
    log("DockManager: driving " + dock->displayName());
    return {std::move(dock), std::move(installedApps), std::move(workspace), desktops};
}

}  // namespace

SessionDock openSessionDock(desktop::DesktopEntryIndex& entries,
                            const desktop::DesktopEnvironment& environment) {
    const auto desktopApps = [&entries] { return entries.installedApps(); };
    const auto desktopWorkspace = [&entries] { return std::make_unique<desktop::DesktopWorkspace>(entries); };
    // A running reference Dock is the one asked for, whatever else the session has; one of another session or
    // another user on this machine is not.
    if (!desktop::runsInThisSession("Dock")) {
        if (plank::PlankDock::isRunning())
            return chosen(std::make_unique<plank::PlankDock>(entries), desktopApps, desktopWorkspace(), true);
        if (GnomeDash::isSessionDock(environment)) {
            if (std::unique_ptr<GnomeDash> dash = GnomeDash::open(entries)) {
                return chosen(std::move(dash), desktopApps, desktopWorkspace(), true);
            }
        }
    }
    return chosen(
        std::make_unique<LinuxDockPreferences>(referencedock::dockPreferencesPath()),
        [folders = referencedock::applicationFolders()] { return scanInstalledApps(folders); },
        std::make_unique<LinuxWorkspace>(referencedock::applicationFolders()), false);
}

std::unique_ptr<DesktopFocus> openDesktopFocus(const desktop::DesktopEnvironment& environment) {
    if (!GnomeDash::isSessionDock(environment)) return nullptr;
    std::unique_ptr<GnomeDoNotDisturb> doNotDisturb = GnomeDoNotDisturb::open();
    if (doNotDisturb) log("FocusModeObserver: following GNOME\u2019s Do Not Disturb");
    return doNotDisturb;
}

}  // namespace moorvane
