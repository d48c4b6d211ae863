#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "base/AtomicFile.h"
#include "base/Observable.h"
#include "base/Plist.h"
#include "base/Result.h"
#include "model/DockProfile.h"
#include "ports/MainQueue.h"

namespace moorvane {

class AppLaunchManager;
class AppSettings;
class DockManager;

// Whether a stored profile name answers to `asked` the way every name look-up compares: `asked` trimmed of
// white space and line breaks at both ends (the stored name is not), then equal ignoring letter case.
bool profileNameMatches(std::string_view storedName, std::string_view asked);

// `["Safari", "[spacer]"]`: the application tiles of a profile as the log shows them.
std::string entryListText(const std::vector<DockAppEntry>& entries);

// The captured Dock lacks the hidden apps (they are removed while their profile is active), so each old tile
// of a hidden app that the new list lacks goes back to its old position, or to the end when the list is
// shorter. Works on whole tiles so every key the Dock wrote survives. The old tiles the dock cannot show
// (`unshown`: spacers on a dock without them, a folder on one of apps only...) were never written, so they go
// back the same way, whatever the new list holds.
PlistArray mergeHiddenApps(const PlistArray& oldTiles, const PlistArray& newTiles,
                           const std::set<std::string, std::less<>>& hidden,
                           const std::function<bool(const PlistValue&)>& unshown = {});

// The one owner of the saved profiles and the active identifier, kept in "profiles.json" and "active.txt"
// inside `folder`. Every switch goes through here. Main thread only.
class ProfileStore {
  public:
    static constexpr double switchSettleSeconds = 8.0;
    static constexpr double captureSettleSeconds = 3.0;

    // Creates the folder (a failure shows up later as failed writes) and loads both files. Without settings,
    // following the user's Dock edits counts as turned on.
    ProfileStore(std::filesystem::path folder, DockManager& dock, AppLaunchManager& launcher,
                 MainQueue& queue, const AppSettings* settings = nullptr);
    ProfileStore(const ProfileStore&) = delete;
    ProfileStore& operator=(const ProfileStore&) = delete;

    Observable<std::vector<DockProfile>> profiles;
    Observable<std::optional<Uuid>> activeProfileId;
    bool isAutoSaveEnabled = true;

    const std::filesystem::path& storageURL() const { return storageURL_; }
    const std::filesystem::path& activeIdURL() const { return activeIdURL_; }

    void load();
    // Done, or (after a log line) why either file could not be written.
    Status save();

    // Fails when the Dock could not be written: then nothing else happened (no apps quit or launched, the
    // active profile unchanged), and auto-save still comes back after the usual pause.
    Status switchTo(const DockProfile& profile, bool launchApps);
    // Fails only when no profile answers to `name`; the switch itself is then under way.
    Status switchToProfileNamed(const std::string& name);
    // Trimmed, ignoring letter case; the first in list order wins.
    std::optional<DockProfile> profileNamed(std::string_view name) const;
    // Exact, case-sensitive match of the Focus mode name.
    std::optional<DockProfile> profileForFocusMode(std::string_view focusMode) const;

    std::optional<DockProfile> captureCurrentDock(const std::string& name, const std::string& colorName);
    void updateProfile(const DockProfile& profile);
    DockProfile duplicateProfile(const DockProfile& source);
    void deleteProfile(const Uuid& id);
    void handleDockChange();

  private:
    void releaseShortcut(const std::string& shortcut, const Uuid& excluded);
    void reenableAutoSaveAfter(double seconds, bool logIt);
    void keepUnreadableStoreAside();

    std::filesystem::path folder_;
    std::filesystem::path storageURL_;
    std::filesystem::path activeIdURL_;
    DockManager& dock_;
    AppLaunchManager& launcher_;
    MainQueue& queue_;
    const AppSettings* settings_;
    // Scheduled re-enables hold a weak copy, so one that fires after the store is gone touches nothing.
    std::shared_ptr<int> lifetime_ = std::make_shared<int>(0);
    int pausesRunning_ = 0;  // auto-save pauses whose end has not come yet
};

}  // namespace moorvane
