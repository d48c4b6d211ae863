#include "triggers/FocusModeObserver.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "fakes/Fixtures.h"
#include "fakes/LogCapture.h"
#include "fakes/TextFiles.h"

namespace moorvane {
namespace {

namespace fs = std::filesystem;

// "@name" stands for the fixture file "focus-name.json"; anything else is the file's content.
struct ReadCase {
    std::string name;
    std::optional<std::string> assertions;
    std::optional<std::string> configs;
    std::optional<std::string> expected;
    bool logs = false;
};

class FocusModeObserverTest : public ::testing::Test {
  protected:
    FocusModeObserverTest() { fs::create_directories(observer.assertionsPath().parent_path()); }

    static DockProfile filteredOn(std::string name, std::string focusFilter) {
        DockProfile profile;
        profile.name = std::move(name);
        profile.focusFilter = std::move(focusFilter);
        return profile;
    }
    static void put(const fs::path& path, const std::optional<std::string>& source) {
        if (!source) return;
        testing::writeText(path, source->starts_with("@")
                                     ? testing::readFixture("focus-" + source->substr(1) + ".json")
                                     : *source);
    }
    void setFiles(const std::optional<std::string>& assertions, const std::optional<std::string>& configs) {
        fs::remove(observer.assertionsPath());
        fs::remove(observer.modeConfigPath());
        put(observer.assertionsPath(), assertions);
        put(observer.modeConfigPath(), configs);
    }

    testing::TempDir home;
    testing::LogCapture logged;
    std::vector<DockProfile> profiles;
    std::vector<std::pair<std::string, bool>> switched;
    FocusModeObserver makeObserver(DesktopFocus* desktop = nullptr) {
        return FocusModeObserver{
            home.path(),
            [this](std::string_view name) -> std::optional<DockProfile> {
                for (const auto& p : profiles)
                    if (p.focusFilter == name) return p;
                return std::nullopt;
            },
            [this](const DockProfile& p, bool launchApps) { switched.emplace_back(p.name, launchApps); },
            desktop};
    }
    FocusModeObserver observer = makeObserver();
};

class FocusReadTest : public FocusModeObserverTest, public ::testing::WithParamInterface<ReadCase> {};

TEST_P(FocusReadTest, ReadsTheActiveModeName) {
    setFiles(GetParam().assertions, GetParam().configs);
    EXPECT_EQ(observer.readCurrentFocusMode(), GetParam().expected);
    EXPECT_EQ(logged.messages().size(), GetParam().logs ? 1u : 0u);
}

const std::string nested = std::string(200'000, '[');

INSTANTIATE_TEST_SUITE_P(
    Files, FocusReadTest,
    ::testing::Values(
        ReadCase{"EmptyRecordList", "@real-empty-records", std::nullopt, std::nullopt},
        ReadCase{"UserModeWithoutEntry", "@assertions-custom", "@real-toplevel-modeconfigs",
                 "Laptopcomputer"},
        ReadCase{"UserModeWithoutConfigFile", "@assertions-custom", std::nullopt, "Laptopcomputer", true},
        ReadCase{"DoNotDisturbSkippedForNewSleepIdentifier", "@real-dnd-then-sleep", std::nullopt, "Sleep",
                 true},
        // The editor offers the configured name, so a profile filtered on it must be reachable.
        ReadCase{"ConfiguredNameWinsForNewSleepIdentifier", "@real-dnd-then-sleep",
                 R"({"modeConfigurations":{"com.apple.sleep.sleep-mode":{"mode":{"name":"Bedtime"}}}})",
                 "Bedtime"},
        ReadCase{"ClassicIdentifierKeepsItsName", "@assertions-work",
                 R"({"modeConfigurations":{"com.apple.focus.work":{"mode":{"name":"Office"}}}})", "Work"},
        ReadCase{"DoNotDisturbAloneIsNoMode", "@real-dnd-only", "@modeconfigs", std::nullopt},
        ReadCase{"TopLevelShapeConfigured", "@real-toplevel-custom", "@real-toplevel-modeconfigs",
                 "Deep Work"},
        ReadCase{
            "FallbackCapitalisesEachWord",
            R"({"data":[{"storeAssertionRecords":[{"assertionDetails":{"assertionDetailsModeIdentifier":)"
            R"("com.example.LATE nIGHT"}}]}]})",
            R"({"modeConfigurations":{"com.example.LATE nIGHT":{"mode":{}},"x":[]}})", "Late Night"},
        ReadCase{"EmptyFile", "", std::nullopt, std::nullopt},
        ReadCase{"MissingFile", std::nullopt, std::nullopt, std::nullopt, true},
        ReadCase{"DeeplyNestedAndCut", nested, std::nullopt, std::nullopt, true},
        ReadCase{"TopLevelArray", "[]", std::nullopt, std::nullopt, true},
        ReadCase{"RecordsNotObjects", R"({"storeAssertionRecords":["com.apple.focus.work"]})", std::nullopt,
                 std::nullopt, true}),
    [](const auto& testCase) { return testCase.param.name; });

TEST_F(FocusModeObserverTest, OversizedOrOddFilesAreNoModeAndLogOnceUntilMended) {
    setFiles("@assertions-work", std::nullopt);
    fs::resize_file(observer.assertionsPath(), FocusModeObserver::maxFileBytes + 1);
    EXPECT_EQ(observer.readCurrentFocusMode(), std::nullopt);
    EXPECT_EQ(observer.readCurrentFocusMode(), std::nullopt);
    setFiles(std::nullopt, std::nullopt);
    fs::create_directory(observer.assertionsPath());
    EXPECT_EQ(observer.readCurrentFocusMode(), std::nullopt);
    fs::remove(observer.assertionsPath());
    setFiles("@assertions-work", std::nullopt);
    EXPECT_EQ(observer.readCurrentFocusMode(), "Work");
    setFiles("{", std::nullopt);
    EXPECT_EQ(observer.readCurrentFocusMode(), std::nullopt);
    const auto messages = logged.messages();
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(messages[0],
              "FocusModeObserver: " + observer.assertionsPath().string() + " is larger than 16 MiB");
    EXPECT_EQ(messages[1],
              "FocusModeObserver: " + observer.assertionsPath().string() + " is not a regular file");
    EXPECT_EQ(messages[2], "FocusModeObserver: " + observer.assertionsPath().string() + " is not valid JSON");
}

// Also the reading of a mode past an ended session, of ended sessions alone and of a configured user mode.
TEST_F(FocusModeObserverTest, SwitchesOnlyOnAChangeToAMode) {
    const DockProfile work = filteredOn("Desk", "Work");
    profiles = {filteredOn("Wrong", "work"), work};

    const std::vector<std::pair<const char*, std::optional<std::string>>> steps = {
        {"@assertions-work", "Work"},
        {"@assertions-work", "Work"},
        {"@assertions-none", std::nullopt},
        {"@assertions-custom", "Deep Work"},
        {"@assertions-work", "Work"}};
    for (const auto& [file, mode] : steps) {
        setFiles(file, "@modeconfigs");
        observer.poll();
        EXPECT_EQ(observer.currentFocusMode.get(), mode) << file;
    }
    EXPECT_EQ(switched, (std::vector<std::pair<std::string, bool>>{{"Desk", true}, {"Desk", true}}));
}

TEST_F(FocusModeObserverTest, AvailableNamesAddConfiguredModesInCodePointOrder) {
    EXPECT_EQ(observer.availableFocusModeNames(),
              (std::vector<std::string>{"Do Not Disturb", "Personal", "Sleep", "Work"}));
    setFiles(std::nullopt, "@modeconfigs");
    EXPECT_EQ(observer.availableFocusModeNames(),
              (std::vector<std::string>{"Deep Work", "Do Not Disturb", "Lektüre am Abend", "Personal",
                                        "Sleep", "Work"}));
    setFiles(std::nullopt, R"({"modeConfigurations":{"a":{"mode":{"name":"apple"}},"b":7}})");
    EXPECT_EQ(observer.availableFocusModeNames().size(), 4u) << "one odd member voids the whole list";
}

class FakeDesktopFocus final : public DesktopFocus {
  public:
    std::optional<std::string> mode;
    std::vector<std::string> names = {"Do Not Disturb"};
    std::function<void()> changed;

    std::optional<std::string> activeMode() override { return mode; }
    std::vector<std::string> modeNames() override { return names; }
    void observeChanges(std::function<void()> handler) override { changed = std::move(handler); }

    void turn(std::optional<std::string> to) {
        mode = std::move(to);
        if (changed) changed();
    }
};

TEST_F(FocusModeObserverTest, TheDesktopsOwnModeSwitchesAtItsChangeAndOutranksTheFiles) {
    const DockProfile quiet = filteredOn("Quiet", "Do Not Disturb");
    const DockProfile desk = filteredOn("Desk", "Work");
    profiles = {quiet, desk};
    FakeDesktopFocus desktop;
    desktop.names = {"Do Not Disturb", "Airplane"};
    {
        FocusModeObserver withDesktop = makeObserver(&desktop);
        setFiles("@assertions-work", "@modeconfigs");
        withDesktop.poll();
        desktop.turn("Do Not Disturb");  // no tick of the timer in between
        EXPECT_EQ(withDesktop.currentFocusMode.get(), "Do Not Disturb");
        withDesktop.poll();
        desktop.turn(std::nullopt);  // back to what the files say
        EXPECT_EQ(withDesktop.currentFocusMode.get(), "Work");
        setFiles("@assertions-none", std::nullopt);
        desktop.turn(std::nullopt);
        desktop.turn("Do Not Disturb");
        EXPECT_EQ(switched, (std::vector<std::pair<std::string, bool>>{
                                {"Desk", true}, {"Quiet", true}, {"Desk", true}, {"Quiet", true}}));

        EXPECT_EQ(withDesktop.availableFocusModeNames(),
                  (std::vector<std::string>{"Airplane", "Do Not Disturb", "Personal", "Sleep", "Work"}));
    }
    EXPECT_FALSE(desktop.changed) << "a change after the observer has gone must not reach it";
}

}  // namespace
}  // namespace moorvane
