#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "base/Plist.h"
#include "dock/TileCodec.h"
#include "fakes/Fixtures.h"

namespace {

moorvane::Bytes sequoiaAppsBlob() {
    const auto domain = moorvane::readPlist(moorvane::testing::readFixture("dock-sequoia.xml"));
    return *moorvane::writeBinary(*domain->dictionary()->find(moorvane::persistentAppsKey));
}

// Decoding runs whenever the editor, the log or the launcher needs a profile's entries.
void decodeSequoiaEntries(benchmark::State& state) {
    const moorvane::Bytes blob = sequoiaAppsBlob();
    for (auto _ : state) benchmark::DoNotOptimize(moorvane::decodeEntries(blob));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * blob.size()));
}
BENCHMARK(decodeSequoiaEntries);

// Saving an edited Dock of about thirty tiles, spacers among them.
void setThirtyAppEntries(benchmark::State& state) {
    std::vector<moorvane::DockAppEntry> entries;
    for (int i = 0; i < 30; ++i) {
        if (i % 10 == 9) {
            entries.push_back(moorvane::DockAppEntry::spacer(moorvane::SpacerType::small));
            continue;
        }
        moorvane::DockAppEntry entry;
        entry.label = "App " + std::to_string(i);
        entry.bundleIdentifier = "com.example.app" + std::to_string(i);
        entry.path = "file:///Applications/App%20" + std::to_string(i) + ".app/";
        entries.push_back(entry);
    }
    moorvane::DockProfile profile;
    for (auto _ : state) {
        setAppEntries(profile, entries);
        benchmark::DoNotOptimize(profile.persistentApps.data());
    }
}
BENCHMARK(setThirtyAppEntries);

}  // namespace
