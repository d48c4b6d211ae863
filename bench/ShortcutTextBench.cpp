#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "model/ShortcutText.h"

namespace {

// What the hotkey manager parses on every qualifying key-down: one text per profile, as the recorder wrote
// them.
const std::vector<std::string> storedTexts = {"cmd+shift+k", "ctrl+opt+1",
                                              "ctrl+opt+f5", "cmd+ctrl+opt+shift+return",
                                              "opt+space",   "cmd+forwarddelete"};

void parseStoredShortcuts(benchmark::State& state) {
    for (auto _ : state) {
        for (const auto& text : storedTexts) benchmark::DoNotOptimize(moorvane::parseShortcut(text));
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(storedTexts.size()));
}
BENCHMARK(parseStoredShortcuts);

// Hand-written or imported texts take the slower road through capitals, long words, symbols and trimming.
void parseHandWrittenShortcut(benchmark::State& state) {
    const std::string text = "Control + Option + ⇧ + F5";
    for (auto _ : state) benchmark::DoNotOptimize(moorvane::parseShortcut(text));
}
BENCHMARK(parseHandWrittenShortcut);

void formatTypicalShortcut(benchmark::State& state) {
    const moorvane::ShortcutModifiers modifiers{moorvane::ShortcutModifiers::command |
                                                moorvane::ShortcutModifiers::shift};
    for (auto _ : state) benchmark::DoNotOptimize(moorvane::formatShortcut(modifiers, 40));
}
BENCHMARK(formatTypicalShortcut);

void displayTypicalShortcut(benchmark::State& state) {
    const moorvane::ShortcutModifiers modifiers{moorvane::ShortcutModifiers::control |
                                                moorvane::ShortcutModifiers::option};
    for (auto _ : state) benchmark::DoNotOptimize(moorvane::displayShortcut(modifiers, 36));
}
BENCHMARK(displayTypicalShortcut);

}  // namespace
