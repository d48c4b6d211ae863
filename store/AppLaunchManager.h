#pragma once

#include <array>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "model/DockProfile.h"
#include "ports/Workspace.h"

namespace moorvane {

// Apps that keep the desktop itself running, and this app: never asked to quit.
inline constexpr std::array<std::string_view, 10> protectedBundleIDs = {"com.apple.finder",
                                                                        "com.apple.dock",
                                                                        "com.apple.systemuiserver",
                                                                        "com.apple.controlcenter",
                                                                        "com.apple.notificationcenterui",
                                                                        "com.apple.loginwindow",
                                                                        "com.apple.WindowManager",
                                                                        "com.apple.Spotlight",
                                                                        "com.apple.SystemPreferences",
                                                                        "com.moorvane.app"};

bool isProtectedBundleID(std::string_view bundleIdentifier);

// Carries out a profile's launch options: quit the other regular apps, open the profile's apps. Keeps no
// state; bundle identifiers are compared as exact, case-sensitive texts.
class AppLaunchManager {
  public:
    explicit AppLaunchManager(Workspace& workspace) : workspace_(workspace) {}

    // Quits first (when the profile asks), then opens `appsToLaunch`; returns once every request is issued.
    void applyLaunchOptions(const DockProfile& profile);
    // The same, given the entries of the profile's app tiles already decoded.
    void applyLaunchOptions(const DockProfile& profile, const std::vector<DockAppEntry>& appEntries);
    // Politely asks every regular app to quit except this one, protected ones and those in `keep`.
    void terminateOtherApps(const std::set<std::string>& keep);
    // Opens, in the background, each listed app that was not already running when the call began.
    void launchApps(const std::vector<std::string>& bundleIdentifiers);

  private:
    Workspace& workspace_;
};

}  // namespace moorvane
