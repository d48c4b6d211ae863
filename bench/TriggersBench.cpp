#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "base/Log.h"
#include "fakes/Fixtures.h"
#include "model/ShortcutText.h"
#include "ports/KeyMonitor.h"
#include "ports/MainQueue.h"
#include "triggers/FocusModeObserver.h"
#include "triggers/HotkeyManager.h"

namespace {

using namespace moorvane;

// Drops posted switches, so the measured loop holds no growing queue.
class DroppingQueue final : public MainQueue {
  public:
    void post(Task) override {}
    void postAfter(double, Task) override {}
    void background(Task) override {}
};

class SilentMonitor final : public KeyMonitor {
  public:
    std::optional<KeyMonitorToken> addGlobalKeyDownMonitor(GlobalHandler) override { return std::nullopt; }
    std::optional<KeyMonitorToken> addLocalKeyDownMonitor(LocalHandler) override { return std::nullopt; }
    void removeMonitor(KeyMonitorToken) override {}
    bool seesOtherAppsKeys() override { return false; }
};

// Profiles with shortcuts that all differ from the one pressed, except the last.
std::vector<DockProfile> profilesEndingWith(const std::string& last, std::size_t count) {
    const std::vector<std::string> others = {"cmd+shift+k", "ctrl+opt+1", "ctrl+opt+f5", "opt+space",
                                             "cmd+forwarddelete"};
    std::vector<DockProfile> profiles(count);
    for (std::size_t i = 0; i < count; ++i) {
        profiles[i].name = "Profile " + std::to_string(i);
        profiles[i].keyboardShortcut = i + 1 == count ? last : others[i % others.size()];
    }
    return profiles;
}

// A hotkey manager over 1,000 profiles whose only "cmd+k" is the last.
struct ThousandShortcuts {
    SilentMonitor monitor;
    DroppingQueue queue;
    const std::vector<DockProfile> profiles = profilesEndingWith("cmd+k", 1000);
    HotkeyManager manager{monitor, queue, [this]() -> const std::vector<DockProfile>& { return profiles; },
                          [](const DockProfile&, bool) {}};
};

void rejectKeyWithoutModifiers(benchmark::State& state) {
    ThousandShortcuts bench;
    const KeyEvent typed{40, ShortcutModifiers::shift, false};
    for (auto _ : state) benchmark::DoNotOptimize(bench.manager.handleKeyDown(typed));
}
BENCHMARK(rejectKeyWithoutModifiers);

// The worst case: the only match is the last of 1,000 profiles.
void matchAmongThousandProfiles(benchmark::State& state) {
    setLogPath(std::filesystem::temp_directory_path() / "moorvane-bench.log");
    ThousandShortcuts bench;
    const KeyEvent pressed{40, ShortcutModifiers::command, false};
    for (auto _ : state) benchmark::DoNotOptimize(bench.manager.handleKeyDown(pressed));
    setLogPath("/tmp/moorvane.log");
}
BENCHMARK(matchAmongThousandProfiles)->Unit(benchmark::kMicrosecond);

// A user-created mode, so both files are read and parsed.
void focusPollOverRealFiles(benchmark::State& state) {
    const testing::TempDir home;
    FocusModeObserver observer(
        home.path(), [](std::string_view) { return std::optional<DockProfile>(); },
        [](const DockProfile&, bool) {});
    std::filesystem::create_directories(observer.assertionsPath().parent_path());
    std::ofstream(observer.assertionsPath()) << testing::readFixture("focus-assertions-custom.json");
    std::ofstream(observer.modeConfigPath()) << testing::readFixture("focus-modeconfigs.json");
    for (auto _ : state) observer.poll();
    if (observer.currentFocusMode.get() != "Deep Work") state.SkipWithError("the poll read no mode");
}
BENCHMARK(focusPollOverRealFiles)->Unit(benchmark::kMicrosecond);

}  // namespace
