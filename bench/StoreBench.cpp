#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "base/Plist.h"
#include "dock/TileCodec.h"
#include "fakes/Fixtures.h"
#include "fakes/StoreRig.h"
#include "store/ProfileStore.h"

namespace {

using namespace moorvane;

PlistArray sequoiaTiles(std::string_view key) {
    const auto domain = *readPlist(testing::readFixture("dock-sequoia.xml"));
    return *domain.dictionary()->findArray(key);
}

// A realistic profile: the real Dock's tiles repeated to `count`, the real right-hand tiles, every option.
DockProfile realisticProfile(int index, std::size_t count) {
    const PlistArray tiles = sequoiaTiles(persistentAppsKey);
    PlistArray apps;
    while (apps.size() < count) apps.push_back(tiles[apps.size() % tiles.size()]);
    DockProfile profile;
    profile.name = "Profile " + std::to_string(index);
    profile.persistentApps = *encodeTiles(apps);
    profile.persistentOthers = *encodeTiles(sequoiaTiles(persistentOthersKey));
    profile.focusFilter = "Work";
    profile.keyboardShortcut = "ctrl+opt+" + std::to_string(index % 10);
    profile.appsToLaunch = std::vector<std::string>{"com.apple.Safari", "com.apple.mail"};
    profile.hiddenApps = std::vector<std::string>{"com.apple.Music"};
    return profile;
}

// Twenty apps running besides the Dock, so quitting others has work to do.
struct StoreRig : testing::StoreRig {
    StoreRig() {
        for (int i = 0; i < 20; ++i) workspace.addRunning("com.example.app" + std::to_string(i));
        workspace.addRunning("com.apple.dock");
    }
};

// The core's share of a switch: filter, write, kill, launch options, both files; the fakes answer at once.
void switchToSixtyTileProfile(benchmark::State& state) {
    StoreRig rig;
    ProfileStore store(rig.dir.path() / "store", rig.dock, rig.launcher, rig.queue);
    DockProfile profile = realisticProfile(0, 60);
    profile.quitOtherApps = true;
    store.profiles = {profile};
    for (auto _ : state) {
        store.switchTo(profile, true);
        rig.queue.advance(10);
        rig.overlay.showings.clear();
        rig.workspace.terminated.clear();
        rig.workspace.opened.clear();
    }
}
BENCHMARK(switchToSixtyTileProfile)->Unit(benchmark::kMicrosecond);

std::vector<DockProfile> thousandProfiles() {
    std::vector<DockProfile> profiles;
    for (int i = 0; i < 1000; ++i) profiles.push_back(realisticProfile(i, 30));
    return profiles;
}

void saveThousandProfiles(benchmark::State& state) {
    StoreRig rig;
    ProfileStore store(rig.dir.path() / "store", rig.dock, rig.launcher, rig.queue);
    store.profiles = thousandProfiles();
    store.activeProfileId = store.profiles.get()[0].id;
    for (auto _ : state) store.save();
    state.counters["fileBytes"] = static_cast<double>(std::filesystem::file_size(store.storageURL()));
}
BENCHMARK(saveThousandProfiles)->Unit(benchmark::kMillisecond);

void loadThousandProfiles(benchmark::State& state) {
    StoreRig rig;
    ProfileStore store(rig.dir.path() / "store", rig.dock, rig.launcher, rig.queue);
    store.profiles = thousandProfiles();
    store.save();
    for (auto _ : state) {
        store.load();
        benchmark::DoNotOptimize(store.profiles.get().size());
    }
}
BENCHMARK(loadThousandProfiles)->Unit(benchmark::kMillisecond);

}  // namespace
