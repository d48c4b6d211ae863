#pragma once

#include <memory>

#include "dock/DockManager.h"
#include "platform/desktop/DesktopEntries.h"
#include "ports/DockBackend.h"
#include "ports/FocusModes.h"
#include "ports/Workspace.h"

namespace moorvane {

// The dock this session runs, where the apps it can show come from, and the apps a switch quits and opens:
// ".app" bundles asked to quit by SIGTERM beside the reference Dock, desktop entries whose windows are asked
// to close beside a desktop's dock.
struct SessionDock {
    std::unique_ptr<DockBackend> dock;
    InstalledAppSource installedApps;
    std::unique_ptr<Workspace> workspace;
    // A desktop's own dock (GNOME Shell's dash, Plank), which shows the apps that have windows, rather than
    // the reference Dock, which is told of running apps over the bus.
    bool desktops = false;
};

// Picks the dock once, at start: the reference Dock while it runs in this session, else Plank while a plank
// of this session runs, else GNOME Shell's dash in a GNOME session, else the reference Dock (its domain file
// is written for its next start). Logs "DockManager: driving <name>". `entries` must outlive the dock.
SessionDock openSessionDock(desktop::DesktopEntryIndex& entries,
                            const desktop::DesktopEnvironment& environment);

// The desktop's own Focus: GNOME's Do Not Disturb in a GNOME session whose notification settings are
// installed (whichever dock it runs), else none. Logs which it follows.
std::unique_ptr<DesktopFocus> openDesktopFocus(const desktop::DesktopEnvironment& environment);

}  // namespace moorvane
