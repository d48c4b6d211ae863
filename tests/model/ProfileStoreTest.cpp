#include "model/ProfileStore.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "dock/DockManager.h"
#include "dock/TileCodec.h"
#include "fakes/FakeDockPreferences.h"
#include "fakes/FakeOverlay.h"
#include "fakes/FakeProcessProbe.h"
#include "fakes/FakeWorkspace.h"
#include "fakes/Fixtures.h"
#include "fakes/LogCapture.h"
#include "fakes/ManualQueue.h"
#include "model/Log.h"
#include "model/ProfileJson.h"
#include "triggers/AppLaunchManager.h"

namespace moorvane {
namespace {

namespace fs = std::filesystem;

PlistValue appTile(const std::string& bundleIdentifier) {
    return PlistDictionary{{"tile-data", PlistDictionary{{"bundle-identifier", bundleIdentifier},
                                                         {"file-label", bundleIdentifier}}},
                           {"tile-type", "file-tile"}};
}

std::string readText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class ProfileStoreTest : public ::testing::Test {
  protected:
    // The Dock comes back at once, so the background wait for it moves virtual time by the settle delay only.
    ProfileStoreTest() { probe.otherwise = true; }

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
        DockProfile p;
        p.name = name;
        p.persistentApps = *encodeTiles({appTile("com.example." + name)});
        p.persistentOthers = *encodeTiles({});
        return p;
    }

    testing::TempDir dir;
    testing::LogCapture logged;
    testing::FakeDockPreferences preferences;
    testing::FakeWorkspace workspace;
    testing::FakeProcessProbe probe;
    testing::FakeOverlay overlay;
    testing::ManualQueue queue;
    DockManager dock{preferences, workspace, probe, overlay, queue, queue, {}};
    AppLaunchManager launcher{workspace};
};

TEST_F(ProfileStoreTest, SwitchWritesBothFilesAndReenablesAutoSaveAtEightSeconds) {
    auto store = makeStore();
    const DockProfile work = named("Work");
    store->profiles = {work};
    store->switchTo(work, false);

    EXPECT_EQ(readText(store->activeIdURL()), work.id.text());
    auto saved = decodeProfiles(readText(store->storageURL()));
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->size(), 1u);

    queue.advance(7.9);
    store->handleDockChange();
    EXPECT_EQ(messages().back(), "ProfileStore: auto-save blocked (disabled)");
    EXPECT_FALSE(store->isAutoSaveEnabled);
    queue.advance(0.1);
    EXPECT_TRUE(store->isAutoSaveEnabled);
    EXPECT_EQ(messages().back(), "ProfileStore: auto-save re-enabled");
}

TEST_F(ProfileStoreTest, EarlierReenableIsNeverCancelledByALaterSwitch) {
    auto store = makeStore();
    const DockProfile work = named("Work");
    store->profiles = {work};
    store->switchTo(work, false);
    queue.advance(5.0);
    store->switchTo(work, false);
    queue.advance(2.9);
    EXPECT_FALSE(store->isAutoSaveEnabled);
    queue.advance(0.1);
    EXPECT_TRUE(store->isAutoSaveEnabled) << "the first switch's re-enable fires at its own time";
}

TEST_F(ProfileStoreTest, ReenableAfterTheStoreIsGoneOnlyLogs) {
    auto store = makeStore();
    store->switchTo(named("Gone"), false);
    store.reset();
    queue.advance(8.0);
    EXPECT_EQ(messages().back(), "ProfileStore: auto-save re-enabled");
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
    EXPECT_EQ(aside[0].filename().string().size(),
              std::string("profiles.json.unreadable-20261207T063000Z").size());
    EXPECT_EQ(messages().back(),
              "ProfileStore: kept the unreadable store as " + aside[0].filename().string());

    store->save();
    EXPECT_EQ(readText(aside[0]), "{not a store") << "a save never touches the kept copy";
}

struct NameCase {
    std::string label;
    std::vector<std::string> stored;
    std::string asked;
    int expected;  // index into stored, or -1
};

class ProfileNamedTest : public ProfileStoreTest, public ::testing::WithParamInterface<NameCase> {};

TEST_P(ProfileNamedTest, FindsTrimmedNameIgnoringCase) {
    auto store = makeStore();
    std::vector<DockProfile> list;
    for (const auto& name : GetParam().stored) list.push_back(named(name));
    store->profiles = list;
    const auto found = store->profileNamed(GetParam().asked);
    if (GetParam().expected < 0) {
        EXPECT_FALSE(found);
    } else {
        ASSERT_TRUE(found);
        EXPECT_EQ(found->id, list[static_cast<std::size_t>(GetParam().expected)].id);
    }
}

INSTANTIATE_TEST_SUITE_P(Names, ProfileNamedTest,
                         ::testing::Values(NameCase{"TrimmedLowerCase", {"Home", "Work"}, "  work\n", 1},
                                           NameCase{"FirstOfCaseTwins", {"work", "WORK"}, "Work", 0},
                                           NameCase{"StoredTrailingSpaceNotFound", {"Work "}, "Work", -1},
                                           NameCase{"NonAsciiCase", {"Ärger"}, "ärger", 0},
                                           NameCase{"Missing", {"Home"}, "Work", -1}),
                         [](const auto& param) { return param.param.label; });

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

}  // namespace
}  // namespace moorvane
