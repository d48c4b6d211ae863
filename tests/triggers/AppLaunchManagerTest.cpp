#include "triggers/AppLaunchManager.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "fakes/FakeWorkspace.h"
#include "fakes/Fixtures.h"
#include "model/Log.h"

namespace moorvane {
namespace {

using testing::FakeWorkspace;

// The log's messages without their time stamps.
class LogFile {
  public:
    LogFile() : path_(dir_.path() / "moorvane.log") { setLogPath(path_); }
    ~LogFile() { setLogPath("/tmp/moorvane.log"); }
    std::vector<std::string> messages() const {
        std::vector<std::string> out;
        std::ifstream in(path_);
        for (std::string line; std::getline(in, line);) out.push_back(line.substr(line.find("] ") + 2));
        return out;
    }

  private:
    testing::TempDir dir_;
    std::filesystem::path path_;
};

// A tile list in XML form, which the decoder accepts as readily as the Dock's binary form.
Bytes tileBlob(const std::vector<std::string>& bundleIdentifiers) {
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><plist version=\"1.0\"><array>";
    xml += "<dict><key>tile-data</key><dict/><key>tile-type</key><string>spacer-tile</string></dict>";
    for (const auto& identifier : bundleIdentifiers) {
        xml += "<dict><key>tile-data</key><dict><key>bundle-identifier</key><string>" + identifier +
               "</string><key>file-label</key><string>x</string></dict><key>tile-type</key><string>file-tile"
               "</string></dict>";
    }
    xml += "</array></plist>";
    return Bytes(xml.begin(), xml.end());
}

struct QuitCase {
    const char* name;
    std::optional<std::string> bundleIdentifier;
    ActivationPolicy policy;
    bool isSelf;
    bool quits;
    friend void PrintTo(const QuitCase& c, std::ostream* os) { *os << c.name; }
};

class QuitSelection : public ::testing::TestWithParam<QuitCase> {};

TEST_P(QuitSelection, QuitsOnlyOrdinaryAppsOutsideTheProfile) {
    const QuitCase& c = GetParam();
    LogFile logFile;
    FakeWorkspace workspace;
    const ProcessId process = workspace.addRunning(c.bundleIdentifier, c.policy);
    if (c.isSelf) workspace.ownProcess = process;
    workspace.addRunning("com.example.launch");

    DockProfile profile;
    profile.quitOtherApps = true;
    profile.appsToLaunch = std::vector<std::string>{"com.example.launch"};
    profile.persistentApps = tileBlob({"com.example.docked"});
    AppLaunchManager(workspace).applyLaunchOptions(profile);

    EXPECT_TRUE(workspace.opened.empty()) << "an app already running is not opened again";
    if (c.quits) {
        EXPECT_EQ(workspace.terminated, std::vector<ProcessId>{process});
        EXPECT_EQ(logFile.messages(),
                  std::vector<std::string>{"AppLaunchManager: quitting " + *c.bundleIdentifier});
    } else {
        EXPECT_TRUE(workspace.terminated.empty());
        EXPECT_TRUE(logFile.messages().empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    AppLaunchManager, QuitSelection,
    ::testing::Values(
        QuitCase{"OtherRegularApp", "com.example.other", ActivationPolicy::regular, false, true},
        QuitCase{"InProfileDock", "com.example.docked", ActivationPolicy::regular, false, false},
        QuitCase{"Finder", "com.apple.finder", ActivationPolicy::regular, false, false},
        QuitCase{"Dock", "com.apple.dock", ActivationPolicy::regular, false, false},
        QuitCase{"ThisApp", "com.moorvane.app", ActivationPolicy::regular, false, false},
        QuitCase{"OwnProcess", "com.example.unsigned", ActivationPolicy::regular, true, false},
        QuitCase{"NoBundleIdentifier", std::nullopt, ActivationPolicy::regular, false, false},
        QuitCase{"Accessory", "com.example.agent", ActivationPolicy::accessory, false, false},
        QuitCase{"Prohibited", "com.example.daemon", ActivationPolicy::prohibited, false, false},
        QuitCase{"ProtectionIsCaseSensitive", "com.apple.Finder", ActivationPolicy::regular, false, true}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(AppLaunchManager, NoOptionsDoNothing) {
    LogFile logFile;
    FakeWorkspace workspace;
    workspace.addRunning("com.example.other");
    DockProfile profile;
    profile.persistentApps = tileBlob({});
    AppLaunchManager(workspace).applyLaunchOptions(profile);
    EXPECT_TRUE(workspace.terminated.empty());
    EXPECT_TRUE(workspace.opened.empty());
    EXPECT_TRUE(logFile.messages().empty());
}

TEST(AppLaunchManager, LaunchesMissingAppsAndLogsFailuresFromTheCompletion) {
    LogFile logFile;
    FakeWorkspace workspace;
    workspace.addRunning("com.example.running", ActivationPolicy::accessory);
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
