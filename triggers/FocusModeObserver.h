#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/Observable.h"
#include "model/DockProfile.h"
#include "ports/FocusModes.h"

namespace moorvane {

class ProfileStore;

// The name the user sees for a system mode identifier, from the built-in tables only (the user's
// configurations may name some of these identifiers otherwise).
std::optional<std::string> builtInFocusModeName(std::string_view identifier);
// The last "."-separated piece with the first letter of each space-separated word in upper case and the rest
// in lower case, so "com.example.deep-work" gives "Deep-work".
std::string fallbackFocusModeName(std::string_view identifier);
// The names the editor offers even when the system lists no modes at all.
const std::vector<std::string>& baseFocusModeNames();

// Follows the system's Focus through two files of its Do Not Disturb database, and through the desktop's own
// Focus where it keeps one, and switches to the profile whose Focus filter names the mode that just became
// active. The app shell runs `poll` every `pollIntervalSeconds` and once at start-up; a change the desktop
// reports is polled at once. Main thread only.
class FocusModeObserver {
  public:
    static constexpr double pollIntervalSeconds = 5.0;
    // The system writes a few kilobytes; anything far larger is not its file and is not read at all.
    static constexpr std::size_t maxFileBytes = std::size_t{16} << 20;

    using ProfileForFocusMode = std::function<std::optional<DockProfile>(std::string_view name)>;
    using SwitchTo = std::function<void(const DockProfile& profile, bool launchApps)>;

    // `home` is the user's home folder; the store and `desktop` (none where the desktop keeps no Focus of its
    // own) must outlive the observer.
    FocusModeObserver(const std::filesystem::path& home, ProfileStore& store,
                      DesktopFocus* desktop = nullptr);
    FocusModeObserver(const std::filesystem::path& home, ProfileForFocusMode profileForFocusMode,
                      SwitchTo switchTo, DesktopFocus* desktop = nullptr);
    ~FocusModeObserver();
    FocusModeObserver(const FocusModeObserver&) = delete;
    FocusModeObserver& operator=(const FocusModeObserver&) = delete;

    // The active mode's name as the user sees it, or none when no mode is on or none could be worked out.
    Observable<std::optional<std::string>> currentFocusMode;

    const std::filesystem::path& assertionsPath() const { return assertionsPath_; }
    const std::filesystem::path& modeConfigPath() const { return modeConfigPath_; }

    // The desktop's active mode when it is in one, else the mode the files name. Reads both files afresh.
    // Failures give none (or a fallback name) and log one line.
    std::optional<std::string> readCurrentFocusMode();
    // Switches only on a change to a mode: leaving a mode switches nothing back.
    void poll();
    // The base names, the desktop's modes and every named mode of the configurations file, once each, in
    // code-point order.
    std::vector<std::string> availableFocusModeNames();

  private:
    std::filesystem::path assertionsPath_;
    std::filesystem::path modeConfigPath_;
    ProfileForFocusMode profileForFocusMode_;
    SwitchTo switchTo_;
    DesktopFocus* desktop_;
    // The last failure logged per file: a broken file would otherwise add a line every five seconds.
    std::string assertionsFailure_;
    std::string configFailure_;
};

}  // namespace moorvane
