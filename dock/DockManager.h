#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "model/DockProfile.h"
#include "ports/DockBackend.h"
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

// The applications a dock can show, as the picker lists them; asked once per process.
using InstalledAppSource = std::function<std::vector<InstalledApp>()>;

// Reads and writes the Dock's tile lists through the session's dock, restarts a dock that reads them only at
// start, and lists the installed applications.
class DockManager {
  public:
    static constexpr double dockWaitTimeout = 5.0;
    static constexpr double dockPollInterval = 0.1;
    static constexpr double dockSettleDelay = 0.5;
    static constexpr double overlayFadeSeconds = 0.25;

    DockManager(DockBackend& dock, Workspace& workspace, ProcessProbe& probe, Overlay& overlay,
                MainQueue& queue, Clock& clock, InstalledAppSource installedApps);
    // The ".app" bundles of `applicationFolders`.
    DockManager(DockBackend& dock, Workspace& workspace, ProcessProbe& probe, Overlay& overlay,
                MainQueue& queue, Clock& clock, std::vector<std::string> applicationFolders);

    // How the log and the settings page name the dock driven.
    std::string dockName() const { return dock_.displayName(); }
    // Why the dock cannot show `tile`, or nothing when it can: such tiles are left out of a write and kept.
    std::optional<std::string> whyNotShown(const PlistValue& tile) { return dock_.whyNotShown(tile); }

    // Scanned once per process; later calls return the first result even when the folders changed.
    const std::vector<InstalledApp>& installedApps();

    // Writes the profile's tile lists without its hidden apps and the tiles the dock cannot show (one log
    // line names those), makes them durable, kills a dock that reads them only at start so the session
    // restarts it with them, and queues the overlay. Done, or (after a log line) why the Dock was not written
    // (a blob that is not a property list, or a domain that cannot be stored): then nothing is killed, no
    // overlay shows, and the domain reads as it did before the call.
    Status apply(const DockProfile& profile);
    // The same, for a caller that has already decoded the profile's app tiles (a switch reads them once).
    Status apply(const DockProfile& profile, Result<PlistArray> appTiles);

    // The Dock's current two tile lists as binary blobs, or nothing when either is missing.
    std::optional<std::pair<Bytes, Bytes>> captureDockState();

    // Main thread: covers the screens. A live dock's overlay fades once the dock reports the new lists, or
    // `dockSettleDelay` after the write when it does not report. Otherwise it starts waiting for the Dock on
    // the background queue. While a wait
    // is under way it starts over instead, and only the last switch's wait fades the overlay: a burst of
    // switches keeps one overlay and one waiting thread.
    void showSwitchingOverlay(const std::optional<std::string>& profileName);
    // Background queue: returns once a process named "Dock" runs (after letting it settle) or at the
    // deadline, both counted afresh from the latest overlay request. Answers the request it waited for.
    std::uint64_t waitForDock();

  private:
    DockBackend& dock_;
    Workspace& workspace_;
    ProcessProbe& probe_;
    Overlay& overlay_;
    MainQueue& queue_;
    Clock& clock_;
    InstalledAppSource installedAppSource_;
    std::optional<std::vector<InstalledApp>> installedApps_;

    void waitThenFade();
    void fadeLiveOverlay(std::uint64_t write);
    // Live docks: the writes so far (main thread).
    std::uint64_t liveWrites_ = 0;
    // Overlay requests so far; the background wait reads it to start over.
    std::atomic<std::uint64_t> overlayRequests_ = 0;
    OverlayId overlayShowing_ = 0;  // main thread
    bool overlayWaiting_ = false;   // main thread
};

}  // namespace moorvane
