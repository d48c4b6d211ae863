#include "dock/DockManager.h"
#include "dock/InstalledAppCache.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "dock/TileCodec.h"
#include "fakes/StoreRig.h"
#include "fakes/TextFiles.h"

namespace moorvane {
namespace {

namespace fs = std::filesystem;

using testing::appTile;
const PlistValue spacerTile = PlistDictionary{{"tile-data", PlistDictionary{}}, {"tile-type", "spacer-tile"}};

class DockManagerTest : public ::testing::Test, protected testing::StoreRig {
  protected:
    // The Dock stays away unless a test scripts its return.
    DockManagerTest() { probe.otherwise = false; }
    std::vector<std::string> messages() const { return logged.messages(); }
    DockProfile profile(const PlistArray& apps,
                        std::optional<std::vector<std::string>> hidden = std::nullopt) {
        DockProfile p;
        p.name = "Work";
        p.persistentApps = *encodeTiles(apps);
        p.persistentOthers = *encodeTiles({appTile("com.example.hidden")});
        p.hiddenApps = std::move(hidden);
        return p;
    }
    const PlistArray& written(std::string_view key) {
        return *preferences.values.at(std::string(key)).array();
    }
};

TEST_F(DockManagerTest, WritesBothListsWithoutHiddenAppsThenKillsTheFirstDock) {
    workspace.addRunning("com.apple.finder");
    const ProcessId dockPid = workspace.addRunning("com.apple.dock", ActivationPolicy::accessory);
    workspace.addRunning("com.apple.dock");
    const PlistArray apps = {appTile("com.example.hidden"), appTile("com.example.a"), spacerTile,
                             appTile("com.example.hidden"), appTile("com.example.b")};
    dock.apply(profile(apps, std::vector<std::string>{"com.example.hidden"}));

    EXPECT_EQ(written(persistentAppsKey), (PlistArray{apps[1], apps[2], apps[4]}));
    EXPECT_EQ(written(persistentOthersKey), PlistArray{appTile("com.example.hidden")}) << "never filtered";
    EXPECT_EQ(preferences.setKeys, (std::vector<std::string>{"persistent-apps", "persistent-others"}));
    EXPECT_EQ(preferences.synchronizeCalls, 1);
    EXPECT_EQ(workspace.killed, std::vector<ProcessId>{dockPid});
    EXPECT_EQ(messages().front(), "DockManager: hid 2 of 5 apps for 'Work'") << "duplicates count twice";
    EXPECT_TRUE(overlay.showings.empty()) << "the overlay is queued, not shown inside apply";
}

struct HideCase {
    const char* name;
    PlistArray apps;
    std::optional<std::vector<std::string>> hidden;
    std::size_t kept;
    std::vector<std::string> log;
};

class HiddenApps : public DockManagerTest, public ::testing::WithParamInterface<HideCase> {};

TEST_P(HiddenApps, FiltersAndLogs) {
    dock.apply(profile(GetParam().apps, GetParam().hidden));
    EXPECT_EQ(written(persistentAppsKey).size(), GetParam().kept);
    EXPECT_EQ(messages(), GetParam().log);
}

using Hidden = std::vector<std::string>;
std::vector<std::string> hid(const char* counts) {
    return {std::string("DockManager: hid ") + counts + " apps for 'Work'"};
}

INSTANTIATE_TEST_SUITE_P(
    DockManager, HiddenApps,
    ::testing::Values(HideCase{"Absent", {appTile("a"), spacerTile}, std::nullopt, 2, {}},
                      HideCase{"Empty", {appTile("a")}, Hidden{}, 1, {}},
                      HideCase{
                          "SpacerOnlyByEmptyText", {appTile("a"), spacerTile}, Hidden{""}, 1, hid("1 of 2")},
                      HideCase{"CaseSensitive", {appTile("a")}, Hidden{"A"}, 1, hid("0 of 1")}),
    testing::caseName);

TEST_F(DockManagerTest, UnreadableBlobStopsEverything) {
    const Bytes garbage = {'n', 'o', 't', ' ', 'a', ' ', 'p', 'l', 'i', 's', 't'};
    for (const bool appsBroken : {true, false}) {
        SCOPED_TRACE(appsBroken ? "applications blob" : "right-hand blob");
        DockProfile p = profile({appTile("com.example.a")});
        (appsBroken ? p.persistentApps : p.persistentOthers) = garbage;
        EXPECT_FALSE(dock.apply(p));
        queue.advance(10);
        EXPECT_TRUE(preferences.setKeys.empty());
        EXPECT_EQ(preferences.synchronizeCalls, 0);
        EXPECT_TRUE(workspace.killed.empty());
        EXPECT_TRUE(overlay.showings.empty());
        EXPECT_EQ(messages().back(),
                  "DockManager: Failed to apply profile: " + decodeTiles(garbage).error().description);
    }
}

struct KillCase {
    const char* name;
    ProcessId pid;
    std::optional<std::string> error;
    bool signalled;
    std::string line;
};

class DockKill : public DockManagerTest, public ::testing::WithParamInterface<KillCase> {};

TEST_P(DockKill, LogsWhatHappened) {
    workspace.running.push_back({"com.apple.dock", GetParam().pid, ActivationPolicy::regular});
    if (GetParam().error) workspace.killErrors[GetParam().pid] = *GetParam().error;
    dock.apply(profile({}));
    EXPECT_EQ(workspace.killed.size(), GetParam().signalled ? 1u : 0u);
    EXPECT_EQ(messages(), std::vector<std::string>{GetParam().line});
}

INSTANTIATE_TEST_SUITE_P(
    DockManager, DockKill,
    ::testing::Values(
        KillCase{"Sent", 321, std::nullopt, true, "DockManager: Wrote prefs + SIGKILL Dock (pid 321)"},
        KillCase{"Refused", 321, "Operation not permitted", true,
                 "DockManager: Wrote prefs; SIGKILL Dock (pid 321) failed: Operation not permitted"},
        // kill(0) or kill(-1) would reach a whole process group or every process of the user.
        KillCase{"ZeroPid", 0, std::nullopt, false,
                 "DockManager: Wrote prefs; not signalling invalid Dock pid 0"},
        KillCase{"NegativePid", -1, std::nullopt, false,
                 "DockManager: Wrote prefs; not signalling invalid Dock pid -1"}),
    testing::caseName);

// A Dock restarted now would show the old lists while the switch went on as if it had worked.
TEST_F(DockManagerTest, DomainThatCannotBeWrittenFailsTheApplyAndLeavesTheDockAlone) {
    const PlistArray before = {appTile("com.example.before")};
    preferences.values.insert_or_assign(std::string(persistentAppsKey), before);
    workspace.addRunning("com.apple.dock");
    preferences.failSynchronize = true;

    EXPECT_FALSE(dock.apply(profile({appTile("com.example.after")})));
    queue.advance(10);
    EXPECT_TRUE(workspace.killed.empty());
    EXPECT_TRUE(overlay.showings.empty());
    EXPECT_EQ(messages(), std::vector<std::string>{
                              "DockManager: Failed to apply profile: com.apple.dock could not be written"});
    EXPECT_EQ(written(persistentAppsKey), before) << "a capture reads what the Dock shows";
    EXPECT_FALSE(preferences.values.contains(persistentOthersKey));

    preferences.failSynchronize = false;
    EXPECT_TRUE(dock.apply(profile({appTile("com.example.after")})));
}

TEST_F(DockManagerTest, OverlayFadesHalfASecondAfterTheDockIsBack) {
    probe.script = {false, false, true};
    dock.apply(profile({}));
    queue.drain();
    ASSERT_EQ(overlay.showings.size(), 1u);
    EXPECT_EQ(probe.checked, (std::vector<std::string>{"Dock", "Dock", "Dock"}));
    EXPECT_NEAR(queue.now(), 0.7, 1e-9);
    EXPECT_EQ(overlay.visibleCount(), 1u) << "the fade is handed back to the main queue";
    queue.drain();
    EXPECT_EQ(overlay.showings[0].fadeSeconds, 0.25);
}

TEST_F(DockManagerTest, OverlayGivesUpAfterFiveSecondsWithoutDock) {
    dock.apply(profile({}));
    queue.advance(20);
    EXPECT_EQ(overlay.visibleCount(), 0u);
    EXPECT_GE(probe.checked.size(), 50u);
    EXPECT_LE(probe.checked.size(), 51u);
}

TEST_F(DockManagerTest, ABurstOfSwitchesKeepsOneWaitAndFadesOnlyAfterTheLastSwitchsWait) {
    for (int i = 0; i < 200; ++i) dock.apply(profile({}));
    queue.advance(60);
    ASSERT_EQ(overlay.showings.size(), 200u);
    EXPECT_EQ(overlay.fadeOrder, std::vector<OverlayId>{200}) << "one fade, of the last showing";
    EXPECT_EQ(overlay.visibleCount(), 0u);
    // The first wait ran out; the switches that came meanwhile start it over once, not once each.
    EXPECT_LE(probe.checked.size(), 2 * 51u);

    probe.script = {false, true};
    dock.apply(profile({}));
    queue.advance(1);
    EXPECT_EQ(overlay.fadeOrder.back(), 201u) << "a later switch gets a wait of its own, from its start";
    EXPECT_EQ(overlay.visibleCount(), 0u);
}

// A dock that shows a new layout while it runs: nothing is killed, what it cannot show is left out of the
// write and named once, and the overlay ends with the dock's report or half a second after the write.
TEST_F(DockManagerTest, LiveDockIsWrittenWithoutWhatItCannotShowAndNothingIsKilled) {
    preferences.mode = DockApplyMode::live;
    preferences.name = "GNOME Shell’s dash";
    preferences.notShown = {{"Spacer", "a spacer"}, {"com.apple.Safari", "not an installed app"}};
    workspace.addRunning("com.apple.dock");
    const PlistArray apps = {appTile("com.example.a"), spacerTile, appTile("com.apple.Safari"),
                             appTile("com.example.hidden")};
    ASSERT_TRUE(dock.apply(profile(apps, std::vector<std::string>{"com.example.hidden"})));

    EXPECT_EQ(written(persistentAppsKey), PlistArray{appTile("com.example.a")});
    EXPECT_TRUE(workspace.killed.empty());
    EXPECT_EQ(messages(), (std::vector<std::string>{
                              "DockManager: hid 1 of 4 apps for 'Work'",
                              "DockManager: left out of GNOME Shell’s dash for 'Work': Spacer (a spacer), "
                              "com.apple.Safari (not an installed app)",
                              "DockManager: Wrote GNOME Shell’s dash live"}));

    // Without a report the overlay ends half a second after the write.
    queue.advance(0.49);
    EXPECT_EQ(overlay.visibleCount(), 1u);
    queue.advance(0.02);
    EXPECT_EQ(overlay.visibleCount(), 0u);
    EXPECT_TRUE(probe.checked.empty()) << "a live dock is not waited for as a process";

    // The report of an earlier switch does not end the overlay of a later one; its own report does.
    dock.apply(profile({}));
    const auto firstReport = preferences.shown;
    dock.apply(profile({}));
    queue.drain();
    firstReport();
    EXPECT_EQ(overlay.visibleCount(), 1u);
    preferences.shown();
    EXPECT_EQ(overlay.visibleCount(), 0u);
    EXPECT_NEAR(queue.now(), 0.51, 1e-9) << "ended by the report, before the half second";

    preferences.failSynchronize = true;
    EXPECT_FALSE(dock.apply(profile({})));
    EXPECT_EQ(messages().back(),
              "DockManager: Failed to apply profile: GNOME Shell’s dash could not be "
              "written: the domain could not be written");
}

void writeBundle(const fs::path& bundle, const std::string& info) {
    testing::writeText(
        bundle / "Contents/Info.plist",
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><plist version=\"1.0\"><dict>" + info + "</dict></plist>");
}
std::string id(const std::string& bundleIdentifier) {
    return "<key>CFBundleIdentifier</key><string>" + bundleIdentifier + "</string>";
}

TEST_F(DockManagerTest, InstalledAppsScansOnceFirstFindWinsSortedIgnoringCase) {
    const fs::path first = dir.path() / "Applications", second = dir.path() / "home" / "Applications";
    writeBundle(first / "Zebra.app", id("com.z") +
                                         "<key>CFBundleDisplayName</key><integer>5</integer>"
                                         "<key>CFBundleName</key><string>zebra</string>");
    writeBundle(first / "Apple.app", id("com.a") +
                                         "<key>CFBundleDisplayName</key><string>Apple</string>"
                                         "<key>CFBundleName</key><string>Other</string>");
    writeBundle(first / "NoId.app", "<key>CFBundleName</key><string>NoId</string>");
    writeBundle(first / "Upper.APP", id("com.upper"));
    writeBundle(first / "Broken.app", "<key>");
    fs::create_directories(first / "NotBundle.app");
    writeBundle(second / "Apple Copy.app", id("com.a"));
    writeBundle(second / "My.app.app", id("com.my"));
    writeBundle(second / "middle.app", id("com.m") + "<key>CFBundleName</key><string>middle</string>");

    const std::vector<std::string> folders{first.string(), (dir.path() / "missing").string(),
                                           second.string()};
    DockManager scanner{preferences, workspace, probe, overlay, queue, queue, folders};
    const std::vector<InstalledApp> apps = scanner.installedApps();
    std::vector<std::string> seen;
    for (const auto& app : apps) seen.push_back(app.name + "|" + app.bundleIdentifier + "|" + app.path);
    EXPECT_EQ(seen, (std::vector<std::string>{"Apple|com.a|" + first.string() + "/Apple.app",
                                              "middle|com.m|" + second.string() + "/middle.app",
                                              "My|com.my|" + second.string() + "/My.app.app",
                                              "zebra|com.z|" + first.string() + "/Zebra.app"}));
    EXPECT_EQ(apps[0].id, "com.a");

    writeBundle(first / "Late.app", id("com.late"));
    EXPECT_EQ(scanner.installedApps().size(), 4u) << "the first scan is kept for the process";
}

// The launcher finds an app by identifier through the same kept scan: it answers while the bundle stays, and
// an app installed or moved since is found by scanning again.
TEST_F(DockManagerTest, InstalledAppLocationScansAgainForANewOrMovedApp) {
    const fs::path folder = dir.path() / "Applications";
    writeBundle(folder / "Mail.app", id("com.mail"));
    InstalledAppCache cache({folder.string()});
    EXPECT_EQ(cache.location("com.mail"), folder.string() + "/Mail.app");

    writeBundle(folder / "Notes.app", id("com.notes"));
    EXPECT_EQ(cache.location("com.notes"), folder.string() + "/Notes.app");
    fs::rename(folder / "Mail.app", folder / "Post.app");
    EXPECT_EQ(cache.location("com.mail"), folder.string() + "/Post.app");
    fs::remove_all(folder / "Post.app");
    EXPECT_EQ(cache.location("com.mail"), std::nullopt);
    EXPECT_EQ(cache.apps().size(), 1u);
}

}  // namespace
}  // namespace moorvane
