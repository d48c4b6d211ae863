#include "store/AppLaunchManager.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "dock/TileCodec.h"
#include "fakes/FakeWorkspace.h"
#include "fakes/LogCapture.h"
#include "fakes/Profiles.h"
#include "fakes/TextFiles.h"

namespace moorvane {
namespace {

using testing::FakeWorkspace;

const PlistValue spacerTile = PlistDictionary{{"tile-data", PlistDictionary{}}, {"tile-type", "spacer-tile"}};

struct QuitCase {
    const char* name;
    std::optional<std::string> bundleIdentifier;
    ActivationPolicy policy;
    bool isSelf;
    bool quits;
};

class QuitSelection : public ::testing::TestWithParam<QuitCase> {};

TEST_P(QuitSelection, QuitsOnlyOrdinaryAppsOutsideTheProfile) {
    const QuitCase& c = GetParam();
    testing::LogCapture logFile;  // keeps the lines out of the shared log
    FakeWorkspace workspace;
    const ProcessId process = workspace.addRunning(c.bundleIdentifier, c.policy);
    if (c.isSelf) workspace.ownProcess = process;
    workspace.addRunning("com.example.launch");

    DockProfile profile;
    profile.quitOtherApps = true;
    profile.appsToLaunch = std::vector<std::string>{"com.example.launch"};
    profile.persistentApps = *encodeTiles({spacerTile, testing::appTile("com.example.docked")});
    AppLaunchManager(workspace).applyLaunchOptions(profile);

    EXPECT_TRUE(workspace.opened.empty()) << "an app already running is not opened again";
    EXPECT_EQ(workspace.terminated, c.quits ? std::vector<ProcessId>{process} : std::vector<ProcessId>{});
}

INSTANTIATE_TEST_SUITE_P(
    AppLaunchManager, QuitSelection,
    ::testing::Values(
        QuitCase{"OtherRegularApp", "com.example.other", ActivationPolicy::regular, false, true},
        QuitCase{"InProfileDock", "com.example.docked", ActivationPolicy::regular, false, false},
        QuitCase{"Finder", "com.apple.finder", ActivationPolicy::regular, false, false},
        QuitCase{"ThisApp", "com.moorvane.app", ActivationPolicy::regular, false, false},
        QuitCase{"OwnProcess", "com.example.unsigned", ActivationPolicy::regular, true, false},
        QuitCase{"NoBundleIdentifier", std::nullopt, ActivationPolicy::regular, false, false},
        QuitCase{"Accessory", "com.example.agent", ActivationPolicy::accessory, false, false},
        QuitCase{"ProtectionIsCaseSensitive", "com.apple.Finder", ActivationPolicy::regular, false, true}),
    testing::caseName);

// Without the quit option an ordinary app outside the profile keeps running.
TEST(AppLaunchManager, LaunchesMissingAppsQuitsNothingAndLogsFailuresFromTheCompletion) {
    testing::LogCapture logFile;
    FakeWorkspace workspace;
    workspace.addRunning("com.example.running", ActivationPolicy::accessory);
    workspace.addRunning("com.example.other");
    workspace.locations = {{"com.example.running", "/Applications/Running.app"},
                           {"com.example.twice", "/Applications/Twice.app"},
                           {"com.example.fails", "/Applications/Fails.app"}};
    DockProfile profile;
    profile.appsToLaunch =
        std::vector<std::string>{"com.example.running", "com.example.none", "com.example.twice",
                                 "com.example.twice", "com.example.fails"};
    AppLaunchManager(workspace).applyLaunchOptions(profile);

    EXPECT_EQ(workspace.openedLocations(),
              (std::vector<std::string>{"/Applications/Twice.app", "/Applications/Twice.app",
                                        "/Applications/Fails.app"}));
    EXPECT_TRUE(workspace.terminated.empty());
    EXPECT_EQ(logFile.messages(),
              std::vector<std::string>{"AppLaunchManager: no app installed for com.example.none"});

    workspace.finishOpen(0, std::nullopt);
    // The system may deliver the result on any thread.
    std::thread([&] { workspace.finishOpen(2, "The application could not be launched."); }).join();
    EXPECT_EQ(
        logFile.messages(),
        (std::vector<std::string>{
            "AppLaunchManager: no app installed for com.example.none",
            "AppLaunchManager: failed to launch com.example.fails: The application could not be launched."}));
}

}  // namespace
}  // namespace moorvane
