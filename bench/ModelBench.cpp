#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "base/Plist.h"
#include "dock/TileCodec.h"
#include "fakes/Fixtures.h"
#include "model/ProfileJson.h"
#include "model/ShortcutText.h"

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

void parseTypicalShortcut(benchmark::State& state) {
    const std::string text = "cmd+shift+k";
    for (auto _ : state) benchmark::DoNotOptimize(moorvane::parseShortcut(text));
}
BENCHMARK(parseTypicalShortcut);

}  // namespace
