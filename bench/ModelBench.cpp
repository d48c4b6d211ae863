#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "dock/Plist.h"
#include "dock/TileCodec.h"
#include "fakes/Fixtures.h"
#include "model/ProfileJson.h"
#include "triggers/ShortcutText.h"

namespace {

// The real Dock's tiles, repeated to a well-filled Dock of sixty tiles with every key the Dock writes.
moorvane::PlistValue sequoiaDomain() {
    return *moorvane::readPlist(moorvane::testing::readFixture("dock-sequoia.xml"));
}

moorvane::Bytes sixtyTileBlob() {
    const auto domain = sequoiaDomain();
    const auto& tiles = *domain.dictionary()->findArray(moorvane::persistentAppsKey);
    moorvane::PlistArray sixty;
    while (sixty.size() < 60) sixty.push_back(tiles[sixty.size() % tiles.size()]);
    return *moorvane::encodeTiles(sixty);
}

void decodeSixtyTiles(benchmark::State& state) {
    const moorvane::Bytes blob = sixtyTileBlob();
    for (auto _ : state) benchmark::DoNotOptimize(moorvane::decodeEntries(blob));
}
BENCHMARK(decodeSixtyTiles)->Unit(benchmark::kMicrosecond);

// A large store: two hundred profiles, each carrying a real sixty-tile Dock, the real right-hand tiles and
// every optional field.
void storeOfTwoHundredProfiles(benchmark::State& state) {
    const moorvane::Bytes blob = sixtyTileBlob();
    const moorvane::Bytes others =
        *moorvane::encodeTiles(*sequoiaDomain().dictionary()->findArray(moorvane::persistentOthersKey));
    state.counters["storeBytes"] = 0;
    std::vector<moorvane::DockProfile> profiles(200);
    for (std::size_t i = 0; i < profiles.size(); ++i) {
        auto& profile = profiles[i];
        profile.name = "Profile " + std::to_string(i);
        profile.persistentApps = blob;
        profile.persistentOthers = others;
        profile.focusFilter = "Work";
        profile.keyboardShortcut = "ctrl+opt+" + std::to_string(i % 10);
        profile.appsToLaunch = std::vector<std::string>{"com.apple.Safari", "com.apple.mail"};
        profile.hiddenApps = std::vector<std::string>{"com.apple.Music"};
        profile.appGroups = std::vector<moorvane::AppGroup>(2);
    }
    state.counters["storeBytes"] = static_cast<double>(moorvane::encodeProfiles(profiles).size());
    state.counters["blobBytes"] = static_cast<double>(blob.size());
    for (auto _ : state) {
        auto read = moorvane::decodeProfiles(moorvane::encodeProfiles(profiles));
        benchmark::DoNotOptimize(read);
    }
}
BENCHMARK(storeOfTwoHundredProfiles)->Unit(benchmark::kMillisecond);

void parseTypicalShortcut(benchmark::State& state) {
    const std::string text = "cmd+shift+k";
    for (auto _ : state) benchmark::DoNotOptimize(moorvane::parseShortcut(text));
}
BENCHMARK(parseTypicalShortcut);

}  // namespace
