#include "model/AppSettings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/FakeSettingsPorts.h"
#include "fakes/LogCapture.h"
#include "fakes/TextFiles.h"

namespace moorvane {
namespace {

using testing::FakeAppActivation;
using testing::FakeLoginItems;
using testing::FakeUserDefaults;
using Stored = std::map<std::string, FakeUserDefaults::Value>;

struct StartCase {
    const char* name;
    Stored stored;
    bool autoSave;
    bool hintSeen;
    AppVisibility visibility;
};

struct Ports {
    FakeUserDefaults defaults;
    FakeLoginItems loginItems;
    FakeAppActivation activation;
};

class SettingsAtStart : public ::testing::TestWithParam<StartCase>, protected Ports {};

TEST_P(SettingsAtStart, ReadsStoredValuesOrFallsBack) {
    const StartCase& c = GetParam();
    defaults.values = c.stored;
    const AppSettings settings(defaults, loginItems, activation);

    EXPECT_EQ(settings.autoSaveDockChanges(), c.autoSave);
    EXPECT_EQ(settings.hasSeenProfileHint(), c.hintSeen);
    EXPECT_EQ(settings.appVisibility(), c.visibility);
    EXPECT_EQ(defaults.values, c.stored) << "the defaults are not written back";
    EXPECT_TRUE(activation.applied.empty()) << "the shell applies the policy, not construction";
}

const Stored allSet{
    {"autoSaveDockChanges", false}, {"hasSeenProfileHint", true}, {"appVisibility", "dockAndMenuBar"}};
const Stored wrongTypes{
    {"autoSaveDockChanges", "false"}, {"hasSeenProfileHint", std::int64_t{1}}, {"appVisibility", true}};

// clang-format off
INSTANTIATE_TEST_SUITE_P(AppSettings, SettingsAtStart, ::testing::Values(
    StartCase{"AllSet", allSet, false, true, AppVisibility::dockAndMenuBar},
    StartCase{"FirstRun", {}, true, false, AppVisibility::menuBarOnly},
    StartCase{"VisibilityDiffersInCase", {{"appVisibility", "DockAndMenuBar"}}, true, false, AppVisibility::menuBarOnly},
    StartCase{"WrongTypes", wrongTypes, true, false, AppVisibility::menuBarOnly}),
    testing::caseName);
// clang-format on

class AppSettingsTest : public ::testing::Test, protected Ports {};

TEST_F(AppSettingsTest, ChangesPersistAndReachObservers) {
    AppSettings settings(defaults, loginItems, activation);
    std::vector<std::string> seen;
    const auto a =
        settings.observeAutoSaveDockChanges([&](bool v) { seen.push_back("auto " + std::to_string(v)); });
    const auto h =
        settings.observeHasSeenProfileHint([&](bool v) { seen.push_back("hint " + std::to_string(v)); });
    const auto v = settings.observeAppVisibility(
        [&](AppVisibility value) { seen.push_back("visibility " + std::string(storedValue(value))); });

    settings.setAutoSaveDockChanges(false);
    settings.setHasSeenProfileHint(true);
    settings.setAppVisibility(AppVisibility::dockAndMenuBar);

    EXPECT_EQ(seen, (std::vector<std::string>{"auto 0", "hint 1", "visibility dockAndMenuBar"}));
    EXPECT_EQ(defaults.values, allSet) << "read back by SettingsAtStart.AllSet";
    EXPECT_EQ(activation.applied, std::vector<ActivationPolicy>{ActivationPolicy::regular});

    settings.setAppVisibility(AppVisibility::menuBarOnly);
    EXPECT_EQ(defaults.values["appVisibility"], FakeUserDefaults::Value{"menuBarOnly"});
    EXPECT_EQ(activation.applied.back(), ActivationPolicy::accessory);
}

// A refusal, when set, answers whichever change is asked for.
struct LoginCase {
    const char* name;
    LoginItemStatus initial;
    bool wanted;
    std::optional<std::string> refusal;
    std::vector<std::string> requests;
    bool launches;
};

class LaunchAtLogin : public ::testing::TestWithParam<LoginCase>, protected Ports {};

TEST_P(LaunchAtLogin, ShowsWhatTheSystemReports) {
    const LoginCase& c = GetParam();
    testing::LogCapture logFile;
    loginItems.current = c.initial;
    AppSettings settings(defaults, loginItems, activation);
    EXPECT_EQ(settings.launchesAtLogin(), c.initial == LoginItemStatus::enabled);

    // An earlier refusal is held until this call, which must replace or clear it.
    loginItems.registerRefusal = "earlier";
    settings.setLaunchAtLogin(true);
    ASSERT_EQ(settings.launchAtLoginError(), "earlier");
    loginItems.registerRefusal = loginItems.unregisterRefusal = c.refusal;
    loginItems.requests.clear();
    std::vector<std::optional<std::string>> shown;
    const auto s = settings.observeLaunchAtLoginError([&](const auto& e) { shown.push_back(e); });

    settings.setLaunchAtLogin(c.wanted);

    EXPECT_EQ(loginItems.requests, c.requests);
    EXPECT_EQ(settings.launchesAtLogin(), c.launches);
    EXPECT_EQ(shown, std::vector<std::optional<std::string>>{c.refusal});
    std::vector<std::string> log{"AppSettings: launch at login register failed: earlier"};
    if (c.refusal) log.push_back("AppSettings: launch at login " + c.requests[0] + " failed: " + *c.refusal);
    EXPECT_EQ(logFile.messages(), log);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(AppSettings, LaunchAtLogin, ::testing::Values(
    LoginCase{"RegisterAccepted", LoginItemStatus::notRegistered, true, {}, {"register"}, true},
    LoginCase{"RegisterRefused", LoginItemStatus::notRegistered, true, "Not permitted", {"register"}, false},
    LoginCase{"UnregisterAccepted", LoginItemStatus::enabled, false, {}, {"unregister"}, false},
    LoginCase{"UnregisterRefused", LoginItemStatus::enabled, false, "Busy", {"unregister"}, true},
    LoginCase{"OffWhileAwaitingApproval", LoginItemStatus::requiresApproval, false, {}, {}, false}),
    testing::caseName);
// clang-format on

TEST(AppSettingsVersion, UsesTextEntriesOnly) {
    EXPECT_EQ(versionString({{"CFBundleShortVersionString", "2.3"}, {"CFBundleVersion", "45"}}),
              "Version 2.3 (45)");
    EXPECT_EQ(versionString({{"CFBundleShortVersionString", 2.3}, {"CFBundleVersion", 45}}),
              "Version 1.0 (1)");
    EXPECT_EQ(versionString(nlohmann::json::array({"2.3"})), "Version 1.0 (1)");
}

}  // namespace
}  // namespace moorvane
