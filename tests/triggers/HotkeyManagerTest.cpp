#include "fakes/Profiles.h"
#include "triggers/HotkeyManager.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "fakes/FakeKeyMonitor.h"
#include "fakes/LogCapture.h"
#include "fakes/ManualQueue.h"
#include "model/ShortcutText.h"

namespace moorvane {
namespace {

constexpr std::uint32_t cmd = ShortcutModifiers::command;
constexpr std::uint32_t shift = ShortcutModifiers::shift;
constexpr std::uint32_t capsLock = 0x10000;
constexpr std::uint32_t keypadAndFunction = 0x200000 | 0x800000;
constexpr KeyCode k = 40;

using testing::profileWithShortcut;

class HotkeyManagerTest : public ::testing::Test {
  protected:
    std::vector<std::string> switchedNames() const {
        std::vector<std::string> names;
        for (const auto& [name, launchApps] : switched)
            names.push_back(launchApps ? name : name + " (no apps)");
        return names;
    }

    testing::LogCapture logged;
    testing::FakeKeyMonitor monitor;
    testing::ManualQueue queue;
    std::vector<DockProfile> profiles;
    int listReads = 0;
    std::vector<std::pair<std::string, bool>> switched;
    std::unique_ptr<HotkeyManager> manager = std::make_unique<HotkeyManager>(
        monitor, queue,
        [this]() -> const std::vector<DockProfile>& {
            ++listReads;
            return profiles;
        },
        [this](const DockProfile& p, bool launchApps) { switched.emplace_back(p.name, launchApps); });
};

struct MatchCase {
    std::string name;
    std::string shortcut;
    KeyEvent event;
    bool matches;
};

class HotkeyMatchTest : public HotkeyManagerTest, public ::testing::WithParamInterface<MatchCase> {};

TEST_P(HotkeyMatchTest, MatchesExactlyTheFourModifiers) {
    profiles = {profileWithShortcut("Target", GetParam().shortcut)};
    EXPECT_EQ(manager->handleKeyDown(GetParam().event), GetParam().matches);
    queue.drain();
    EXPECT_EQ(switched.size(), GetParam().matches ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Events, HotkeyMatchTest,
    ::testing::Values(MatchCase{"Plain", "cmd+k", {k, cmd, false}, true},
                      MatchCase{"CapsLockOn", "cmd+k", {k, cmd | capsLock, false}, true},
                      MatchCase{"KeypadAndFunctionBits", "cmd+k", {k, cmd | keypadAndFunction, false}, true},
                      MatchCase{"ExtraShift", "cmd+k", {k, cmd | shift, false}, false},
                      MatchCase{"MissingShift", "cmd+shift+k", {k, cmd, false}, false},
                      MatchCase{"CapsLockIsNoShift", "cmd+shift+k", {k, cmd | capsLock, false}, false},
                      MatchCase{"OtherKey", "cmd+k", {37, cmd, false}, false},
                      MatchCase{"UnparsableStored", "cmd+nosuchkey", {k, cmd, false}, false}),
    [](const auto& testCase) { return testCase.param.name; });

TEST_F(HotkeyManagerTest, CheapRejectionsNeverReadTheProfiles) {
    profiles = {profileWithShortcut("Shifted", "shift+k")};
    for (const KeyEvent& event :
         {KeyEvent{k, shift | capsLock, false}, KeyEvent{k, cmd, true}, KeyEvent{200, cmd, false}})
        EXPECT_FALSE(manager->handleKeyDown(event));
    manager->isSuspended = true;
    EXPECT_FALSE(manager->handleKeyDown({k, cmd, false}));
    EXPECT_EQ(listReads, 0);
}

TEST_F(HotkeyManagerTest, HeldShortcutSwitchesOnceToTheEarlierProfileAsItWasWhenPressed) {
    profiles = {profileWithShortcut("None", std::nullopt), profileWithShortcut("First", "cmd+k"),
                profileWithShortcut("Second", "⌘K")};
    EXPECT_TRUE(manager->handleKeyDown({k, cmd, false}));
    EXPECT_FALSE(manager->handleKeyDown({k, cmd, true}));
    EXPECT_FALSE(manager->handleKeyDown({k, cmd, true}));
    EXPECT_TRUE(switched.empty()) << "the switch never runs inside the monitor's callback";
    profiles.clear();
    queue.drain();
    EXPECT_EQ(switchedNames(), std::vector<std::string>{"First"});
    EXPECT_EQ(logged.messages(), std::vector<std::string>{"HotkeyManager: cmd+k → 'First'"});
}

TEST_F(HotkeyManagerTest, StartsOnceAndBothMonitorsReachTheManager) {
    profiles = {profileWithShortcut("Work", "ctrl+opt+1")};
    monitor.trusted = true;
    manager->start();
    manager->start();
    EXPECT_EQ(monitor.installCount, 2);

    const KeyEvent work{18, ShortcutModifiers::control | ShortcutModifiers::option, false};
    EXPECT_TRUE(monitor.pressInApp(work)) << "a matched key press is consumed";
    EXPECT_FALSE(monitor.pressInApp({19, work.modifierFlags, false}));
    monitor.pressElsewhere(work);
    queue.drain();
    EXPECT_EQ(switchedNames(), (std::vector<std::string>{"Work", "Work"}));

    manager.reset();
    EXPECT_TRUE(monitor.globals.empty() && monitor.locals.empty());
}

TEST_F(HotkeyManagerTest, AShortcutTheDesktopServesSwitchesOnlyThroughTheInAppMonitor) {
    // "Mirrored" is bound in the desktop's own shortcuts; "Shadowed" repeats its shortcut further down and
    // must stay unreached, as it is for the in-app monitor.
    profiles = {profileWithShortcut("Mirrored", "ctrl+opt+1"), profileWithShortcut("Shadowed", "ctrl+opt+1"),
                profileWithShortcut("Plain", "ctrl+opt+2")};
    manager->setServedByDesktop([](const DockProfile& p) { return p.name == "Mirrored"; });
    manager->start();
    const auto flags = ShortcutModifiers::control | ShortcutModifiers::option;
    monitor.pressElsewhere({18, flags, false});
    monitor.pressElsewhere({19, flags, false});
    EXPECT_TRUE(monitor.pressInApp({18, flags, false}));
    queue.drain();
    EXPECT_EQ(switchedNames(), (std::vector<std::string>{"Plain", "Mirrored"}));
}

TEST_F(HotkeyManagerTest, RefusedMonitorStaysEmptyAndStartStillLogs) {
    monitor.refuseGlobal = true;
    manager->start();
    EXPECT_FALSE(manager->globalMonitor());
    EXPECT_TRUE(manager->localMonitor());
    EXPECT_EQ(logged.messages(),
              std::vector<std::string>{"HotkeyManager: started (accessibility granted: false)"});
}

}  // namespace
}  // namespace moorvane
