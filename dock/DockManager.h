#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "dock/InstalledAppCache.h"
#include "model/DockProfile.h"
#include "ports/DockPreferences.h"
#include "ports/MainQueue.h"
#include "ports/Overlay.h"
#include "ports/ProcessProbe.h"
#include "ports/Workspace.h"

namespace moorvane {

// The five places applications are looked for, in the order that decides which copy of an app wins.
std::vector<std::string> standardApplicationFolders(std::string_view homeFolder);

// One app per bundle identifier found among the ".app" children of `folders` (not recursive), the first find
// winning, sorted by name with the user's locale ignoring case. Unreadable folders and bundles are skipped.
std::vector<InstalledApp> scanInstalledApps(const std::vector<std::string>& folders);

// Sorts by name with the user's locale, ignoring case but not accents, as the system's localised
// case-insensitive comparison does; equal names keep their order.
void sortInstalledAppsByName(std::vector<InstalledApp>& apps);

// "Switching to <name>..." or, without a name, "Switching...".
std::string switchingLabel(const std::optional<std::string>& profileName);

// Reads and writes the Dock's tile lists, restarts the Dock, and lists the installed applications.
class DockManager {
  public:
    static constexpr double dockWaitTimeout = 5.0;
    static constexpr double dockPollInterval = 0.1;
    static constexpr double dockSettleDelay = 0.5;
    static constexpr double overlayFadeSeconds = 0.25;

    DockManager(DockPreferences& preferences, Workspace& workspace, ProcessProbe& probe, Overlay& overlay,
                MainQueue& queue, Clock& clock, std::vector<std::string> applicationFolders);

    // Scanned once per process; later calls return the first result even when the folders changed.
    const std::vector<InstalledApp>& installedApps();

    // Writes the profile's tile lists without its hidden apps, makes them durable, kills the Dock so the
    // system restarts it with them, and queues the overlay. Done, or (after a log line) why the Dock was not
    // written (a blob that is not a property list, or a domain that cannot be stored): then nothing is
    // killed, no overlay shows, and the domain reads as it did before the call.
    Status apply(const DockProfile& profile);
    // The same, for a caller that has already decoded the profile's app tiles (a switch reads them once).
    Status apply(const DockProfile& profile, Result<PlistArray> appTiles);

    // The Dock's current two tile lists as binary blobs, or nothing when either is missing.
    std::optional<std::pair<Bytes, Bytes>> captureDockState();

    // Main thread: covers the screens and starts waiting for the Dock on the background queue. While a wait
    // is under way it starts over instead, and only the last switch's wait fades the overlay: a burst of
    // switches keeps one overlay and one waiting thread.
    void showSwitchingOverlay(const std::optional<std::string>& profileName);
    // Background queue: returns once a process named "Dock" runs (after letting it settle) or at the
    // deadline, both counted afresh from the latest overlay request. Answers the request it waited for.
    std::uint64_t waitForDock();

  private:
    DockPreferences& preferences_;
    Workspace& workspace_;
    ProcessProbe& probe_;
    Overlay& overlay_;
    MainQueue& queue_;
    Clock& clock_;
    InstalledAppCache installedApps_;

    void waitThenFade();
    // Overlay requests so far; the background wait reads it to start over.
    std::atomic<std::uint64_t> overlayRequests_ = 0;
    OverlayId overlayShowing_ = 0;  // main thread
    bool overlayWaiting_ = false;   // main thread
};

}  // namespace moorvane
