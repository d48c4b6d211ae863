#pragma once

// GIO first (through Settings.h): Qt's "signals" macro, when a Qt header comes before, breaks a GIO struct
// field.
#include "platform/desktop/Settings.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/desktop/DesktopEntries.h"
#include "ports/DockBackend.h"

namespace moorvane::plank {

// Plank's dock as the two tile lists: the whole dock, in its order, is "persistent-apps" (apps as their
// desktop entries' tiles, folders as "directory-tile", files and Plank's docklets as "file-tile");
// "persistent-others" is empty when read and follows the apps when written. Plank takes a new layout live:
// while it owns its name on the session bus the tiles are removed and added over its D-Bus interface,
// otherwise the launchers folder and the order setting are written for its next start. Main thread only.
class PlankDock final : public DockBackend {
  public:
    struct Options {
        std::string dockName = "dock1";  // what Plank was started with as -n
        std::string configHome;          // empty: $XDG_CONFIG_HOME, or ~/.config
        bool useSessionBus = true;       // false: never talk to a running Plank (tests)
        std::string busAddress;          // empty: the session bus; else a bus of the tests' own
    };

    explicit PlankDock(desktop::DesktopEntryIndex& index, Options options);
    explicit PlankDock(desktop::DesktopEntryIndex& index) : PlankDock(index, Options{}) {}
    PlankDock(const PlankDock&) = delete;
    PlankDock& operator=(const PlankDock&) = delete;
    ~PlankDock() override;

    // Whether a process named "plank" of this user runs in this session (same DISPLAY or session bus).
    static bool isRunning(const std::string& procRoot = "/proc");

    std::optional<PlistValue> copyValue(std::string_view key) override;
    void set(std::string_view key, PlistValue value) override;
    Status synchronize() override;
    void discardPendingChanges() override { pending_ = {}; }

    std::string displayName() const override { return "Plank"; }
    DockApplyMode applyMode() const override { return DockApplyMode::live; }
    std::optional<std::string> whyNotShown(const PlistValue& tile) override;
    void notifyWhenShown(std::function<void()> shown) override;
    void observeChanges(std::function<void()> changed) override;

    const std::string& launchersFolder() const { return launchersFolder_; }

  private:
    struct Bus;

    // What Plank is asked to show for a tile (a "file://" or "docklet://" URI), or why it cannot show it.
    Result<std::string> launcherOfTile(const PlistValue& tile);
    std::optional<PlistValue> tileOfLauncher(const std::string& launcher);
    // The launchers Plank shows, in its order.
    std::vector<std::string> currentLaunchers();
    PlistArray currentTiles();
    // Replaces Plank's tiles over its bus; when it stops answering partway, puts the old ones back.
    Status writeLive(const std::vector<std::string>& launchers);
    struct LiveWrite {
        bool began = false;       // a tile was asked to go or come
        bool changedAny = false;  // Plank took a tile away or added one
    };
    // Removes every tile Plank holds, then adds `launchers` in order.
    Status replaceLive(const std::vector<std::string>& launchers, LiveWrite& write);
    // After a live write that failed partway: `before` back on Plank, or in its files when Plank has gone.
    void putBack(const std::vector<std::string>& before);
    Status writeFiles(const std::vector<std::string>& launchers);
    // Whether Plank's applications are those of the last live write, in its order.
    bool showsWritten();
    // Plank signalled a change of its tiles or wrote its order.
    void dockReported();
    // Calls dockReported() from the main loop, once, while a live write waits to be reported shown.
    void checkSoon();

    desktop::DesktopEntryIndex& index_;
    desktop::DesktopEnvironment environment_;
    std::string dockName_;
    std::string launchersFolder_;
    std::optional<desktop::Settings> settings_;
    std::unique_ptr<Bus> bus_;
    PlistDictionary pending_;  // set since the last write, each key once
    std::function<void()> changed_;
    std::function<void()> shown_;
    // The launchers of the last live write, shown at once although Plank writes its order only seconds later;
    // they stand for the dock until the order setting moves away from `orderAtWrite_`.
    std::optional<std::vector<std::string>> written_;
    std::vector<std::string> orderAtWrite_;
    // A live write changed Plank's tiles and Plank has not yet been seen showing them.
    bool awaitingReport_ = false;
    guint idle_ = 0;
};

}  // namespace moorvane::plank
