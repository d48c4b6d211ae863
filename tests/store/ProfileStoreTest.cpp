#include "store/ProfileStore.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "dock/TileCodec.h"
#include "fakes/FailingFileSystem.h"
#include "fakes/StoreRig.h"
#include "fakes/TextFiles.h"
#include "model/ProfileJson.h"

namespace moorvane {
namespace {

namespace fs = std::filesystem;

using testing::appTile;
using testing::FailingCall;
using testing::readText;

class ProfileStoreTest : public ::testing::Test, protected testing::StoreRig {
  protected:
    std::vector<std::string> messages() const { return logged.messages(); }
    fs::path folder() const { return dir.path() / "Moorvane"; }
    std::unique_ptr<ProfileStore> makeStore() {
        return std::make_unique<ProfileStore>(folder(), dock, launcher, queue);
    }
    void setDock(const PlistArray& apps) {
        preferences.values.insert_or_assign(std::string(persistentAppsKey), apps);
        preferences.values.insert_or_assign(std::string(persistentOthersKey), PlistArray{});
    }
    DockProfile named(const std::string& name) {
        return testing::profileWithTiles(name, {appTile("com.example." + name)});
    }
    // Auto-save stays blocked to the end of a switch's 8 s pause and is back after it.
    void expectPauseEndsAt8s(ProfileStore& store, double switchedAt) {
        queue.advance(switchedAt + 7.9 - queue.now());
        store.handleDockChange();
        EXPECT_EQ(messages().back(), "ProfileStore: auto-save blocked (disabled)");
        queue.advance(0.1);
        EXPECT_TRUE(store.isAutoSaveEnabled);
        EXPECT_EQ(messages().back(), "ProfileStore: auto-save re-enabled");
    }
};

// The whole road of one switch, in the order a user sees it.
TEST_F(ProfileStoreTest, RoadOfOneSwitch) {
    const auto dockPid = workspace.addRunning("com.apple.dock");
    const auto mail = workspace.addRunning("com.apple.mail");
    workspace.locations["com.apple.Safari"] = "/Applications/Safari.app";

    auto store = makeStore();
    DockProfile work = named("Work");
    work.quitOtherApps = true;
    work.appsToLaunch = std::vector<std::string>{"com.apple.Safari"};
    store->profiles = {work};
    store->switchTo(work, true);

    EXPECT_EQ(workspace.killed, std::vector<ProcessId>{dockPid});
    EXPECT_EQ(workspace.terminated, std::vector<ProcessId>{mail}) << "other apps quit first";
    EXPECT_EQ(workspace.openedLocations(), std::vector<std::string>{"/Applications/Safari.app"});
    EXPECT_EQ(readText(store->activeIdURL()), work.id.text());
    EXPECT_EQ(decodeProfiles(readText(store->storageURL())).value().size(), 1u);
    queue.drain();
    EXPECT_EQ(overlay.showings.size(), 1u);

    expectPauseEndsAt8s(*store, 0);

    setDock({appTile("com.example.Notes"), appTile("com.example.Work")});
    store->handleDockChange();
    const auto tiles = decodeTiles(store->profiles.get()[0].persistentApps);
    ASSERT_TRUE(tiles);
    EXPECT_EQ(tiles->size(), 2u) << "the user's new tiles are in the active profile";
    EXPECT_EQ(decodeProfiles(readText(store->storageURL())).value()[0].persistentApps,
              store->profiles.get()[0].persistentApps);
}

// Made active over a Dock that still showed A, B would take A's tiles at the next auto-save.
TEST_F(ProfileStoreTest, SwitchWhoseApplyFailedStopsThereAndAutoSaveKeepsBothProfiles) {
    const auto mail = workspace.addRunning("com.apple.mail");
    auto store = makeStore();
    DockProfile a = named("A"), b = named("B");
    b.persistentOthers = {'n', 'o', 'p', 'e'};
    b.quitOtherApps = true;
    b.appsToLaunch = std::vector<std::string>{"com.apple.Safari"};
    workspace.locations["com.apple.Safari"] = "/Applications/Safari.app";
    store->profiles = {a, b};
    ASSERT_TRUE(store->switchTo(a, false));
    queue.advance(10);
    const std::string activeFile = readText(store->activeIdURL());

    const double failedAt = queue.now();
    EXPECT_FALSE(store->switchTo(b, true));
    EXPECT_EQ(messages().back(), "ProfileStore: switch to 'B' stopped: the Dock was not changed");
    EXPECT_TRUE(workspace.terminated.empty()) << "mail (pid " << mail << ") keeps running";
    EXPECT_TRUE(workspace.openedLocations().empty());
    EXPECT_EQ(store->activeProfileId.get(), a.id);
    EXPECT_EQ(readText(store->activeIdURL()), activeFile);

    expectPauseEndsAt8s(*store, failedAt);
    setDock({appTile("com.example.A"), appTile("com.example.Notes")});
    store->handleDockChange();
    EXPECT_EQ(store->profiles.get()[1].persistentApps, b.persistentApps) << "B keeps its tiles";
    EXPECT_EQ(decodeTiles(store->profiles.get()[0].persistentApps)->size(), 2u) << "A follows the Dock";
}

class ProfileStoreSaveFailure : public ProfileStoreTest,
                                public ::testing::WithParamInterface<testing::FailedStep> {};

// A full disk, a failing flush or a refused rename: the stored file stays whole, the failure is logged, and
// the profiles stay in memory for the next save once the disk recovers.
TEST_P(ProfileStoreSaveFailure, LeavesTheOldStoreWholeAndLosesNothing) {
    auto store = makeStore();
    store->profiles = {named("Old")};
    ASSERT_TRUE(store->save());
    const std::string old = readText(store->storageURL());

    store->profiles = {named("Old"), named("New")};
    {
        FailingCall failing(GetParam().call, GetParam().error);
        EXPECT_FALSE(store->save());
    }
    EXPECT_EQ(readText(store->storageURL()), old);
    EXPECT_TRUE(messages().back().starts_with("ProfileStore: Failed to save: " +
                                              std::string(FailingCall::step(GetParam().call))))
        << messages().back();
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& child : fs::directory_iterator(folder())) ++files;
    EXPECT_EQ(files, 1u) << "no temporary file is left behind";

    ASSERT_TRUE(store->save());
    EXPECT_EQ(decodeProfiles(readText(store->storageURL()))->size(), 2u);
}

INSTANTIATE_TEST_SUITE_P(Steps, ProfileStoreSaveFailure, ::testing::ValuesIn(testing::durableWriteFailures),
                         testing::caseName);

// A capture pauses auto-save for 3 s without a log line, a switch for 8 s; overlapping pauses end with the
// last, and a re-enable that outlives its store touches nothing.
TEST_F(ProfileStoreTest, OverlappingPausesEndWithTheLastOne) {
    setDock({appTile("com.example.a")});
    auto store = makeStore();
    ASSERT_TRUE(store->captureCurrentDock("Captured", "blue"));
    EXPECT_FALSE(store->isAutoSaveEnabled);
    const auto before = messages().size();
    queue.advance(3.0);
    EXPECT_TRUE(store->isAutoSaveEnabled);
    EXPECT_EQ(messages().size(), before);

    // A second switch while the first's pause runs: the Dock settles from the second, so auto-save waits for
    // its full pause rather than coming back when the first one's ends.
    const DockProfile work = named("Work");
    store->switchTo(work, false);
    queue.advance(5.0);
    const double secondAt = queue.now();
    store->switchTo(work, false);
    queue.advance(3.0);
    EXPECT_FALSE(store->isAutoSaveEnabled) << "the first switch's pause is over, the second's is not";
    expectPauseEndsAt8s(*store, secondAt);

    store->switchTo(work, false);
    store.reset();
    queue.advance(8.0);  // the pause outlives the store without touching it
}

TEST_F(ProfileStoreTest, UnreadableStoreIsKeptAsideBeforeAnySave) {
    fs::create_directories(folder());
    const Uuid active = Uuid::random();
    std::ofstream(folder() / "profiles.json") << "{not a store";
    std::ofstream(folder() / "active.txt") << "  " << active.text() << "\n";

    auto store = makeStore();
    EXPECT_TRUE(store->profiles.get().empty());
    EXPECT_EQ(store->activeProfileId.get(), active);

    std::vector<fs::path> aside;
    for (const auto& child : fs::directory_iterator(folder())) {
        if (child.path().filename().string().starts_with("profiles.json.unreadable-")) aside.push_back(child);
    }
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_EQ(readText(aside[0]), "{not a store");

    store->save();
    EXPECT_EQ(readText(aside[0]), "{not a store") << "a save never touches the kept copy";
}

// A folder in a file's place fails every read with EISDIR, as an I/O error or a refused permission does.
TEST_F(ProfileStoreTest, UnreadableFilesLoadAsNothingWithoutStoppingTheApp) {
    fs::create_directories(folder() / "profiles.json");
    std::ofstream(folder() / "active.txt") << Uuid::random().text();
    auto store = makeStore();
    EXPECT_TRUE(store->profiles.get().empty());
    ASSERT_FALSE(messages().empty());
    EXPECT_TRUE(messages().front().starts_with("ProfileStore: Failed to load: ")) << messages().front();
    EXPECT_TRUE(store->activeProfileId.get()) << "the identifier is still read";

    store->profiles = {named("Kept")};
    store->save();
    fs::remove(folder() / "active.txt");
    fs::create_directories(folder() / "active.txt");
    store = makeStore();
    EXPECT_EQ(store->profiles.get().size(), 1u);
    EXPECT_FALSE(store->activeProfileId.get());
}

TEST_F(ProfileStoreTest, EditsReleaseShortcutsDuplicateInPlaceAndDeleteTheActiveProfile) {
    auto store = makeStore();
    DockProfile a = named("A"), b = named("B"), c = named("C");
    b.keyboardShortcut = "shift+cmd+k";
    c.keyboardShortcut = "cmd+shift+K";
    store->profiles = {a, b, c};
    a.keyboardShortcut = "cmd+shift+k";
    store->updateProfile(a);
    const auto& list = store->profiles.get();
    EXPECT_FALSE(list[1].keyboardShortcut) << "matched as parsed values, not as text";
    EXPECT_FALSE(list[2].keyboardShortcut);
    EXPECT_EQ(list[1].updatedAt, b.updatedAt);

    const DockProfile copy = store->duplicateProfile(store->profiles.get()[0]);
    EXPECT_EQ(store->profiles.get()[1].id, copy.id) << "inserted right after its source";
    DockProfile gone = named("Gone");
    const DockProfile orphan = store->duplicateProfile(gone);
    EXPECT_EQ(store->profiles.get().back().id, orphan.id);

    store->activeProfileId = a.id;
    store->save();
    store->deleteProfile(a.id);
    EXPECT_FALSE(store->activeProfileId.get());
    EXPECT_EQ(store->profiles.get().size(), 4u);
    EXPECT_EQ(readText(store->activeIdURL()), a.id.text()) << "the old identifier stays on disk";
}

// Asked names are trimmed and compared ignoring case, stored ones are taken as they stand, the first match
// wins.
TEST_F(ProfileStoreTest, ProfileNamedFindsTheFirstTrimmedCaselessMatch) {
    auto store = makeStore();
    store->profiles = {named("work"), named("WORK"), named("Home "), named("\u00C4rger")};
    const auto& list = store->profiles.get();
    EXPECT_EQ(store->profileNamed("  Work\n").value().id, list[0].id);
    EXPECT_FALSE(store->profileNamed("Home"));
    EXPECT_EQ(store->profileNamed("\u00E4rger").value().id, list[3].id);
}

TEST_F(ProfileStoreTest, AutoSaveKeepsHiddenAppAtItsOldPosition) {
    auto store = makeStore();
    DockProfile work = named("Work");
    work.persistentApps = *encodeTiles({appTile("a"), appTile("hidden"), appTile("b")});
    work.hiddenApps = std::vector<std::string>{"hidden"};
    store->profiles = {work};
    store->activeProfileId = work.id;

    setDock({appTile("b"), appTile("a")});
    store->handleDockChange();
    const auto tiles = decodeTiles(store->profiles.get()[0].persistentApps);
    ASSERT_TRUE(tiles);
    EXPECT_EQ(*tiles, (PlistArray{appTile("b"), appTile("hidden"), appTile("a")}));

    const auto before = messages().size();
    store->handleDockChange();
    EXPECT_EQ(messages().size(), before) << "an unchanged Dock logs nothing";
}

// A dock of apps only never held the spacer, the folder or the foreign app: its capture lacks them, and a
// user's rearrangement there must not strip them from a profile meant for docks that show them.
TEST_F(ProfileStoreTest, AutoSaveOnADockThatCannotShowSomeTilesKeepsThem) {
    auto store = makeStore();
    preferences.notShown = {
        {"Spacer", "a spacer"}, {"Documents", "a folder"}, {"com.apple.Safari", "not installed"}};
    const PlistValue spacer =
        PlistDictionary{{"tile-data", PlistDictionary{{"file-label", ""}}}, {"tile-type", "spacer-tile"}};
    const PlistValue folder = PlistDictionary{{"tile-data", PlistDictionary{{"file-label", "Documents"}}},
                                              {"tile-type", "directory-tile"}};
    DockProfile work = named("Work");
    work.persistentApps = *encodeTiles({appTile("a"), spacer, appTile("com.apple.Safari"), appTile("b")});
    work.persistentOthers = *encodeTiles({folder});
    store->profiles = {work};
    store->activeProfileId = work.id;

    setDock({appTile("b"), appTile("a")});
    store->handleDockChange();
    const DockProfile& saved = store->profiles.get()[0];
    EXPECT_EQ(*decodeTiles(saved.persistentApps),
              (PlistArray{appTile("b"), spacer, appTile("com.apple.Safari"), appTile("a")}));
    EXPECT_EQ(*decodeTiles(saved.persistentOthers), PlistArray{folder});

    const auto before = messages().size();
    store->handleDockChange();
    EXPECT_EQ(messages().size(), before) << "the dock as the profile would write it is no change";
}

}  // namespace
}  // namespace moorvane
