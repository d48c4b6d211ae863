#include "ui/picker/PickerRules.h"

#include <algorithm>

namespace moorvane::picker {

std::size_t itemCount(const std::vector<DockAppEntry>& entries) {
    return static_cast<std::size_t>(
        std::count_if(entries.begin(), entries.end(), [](const DockAppEntry& e) { return !e.isSpacer; }));
}

bool removeEntry(std::vector<DockAppEntry>& entries, const Uuid& id) {
    return std::erase_if(entries, [&](const DockAppEntry& e) { return e.id == id; }) > 0;
}

void moveRows(std::vector<DockAppEntry>& entries, std::size_t from, std::size_t toOffset) {
    if (from >= entries.size() || toOffset > entries.size()) return;
    if (toOffset == from || toOffset == from + 1) return;
    DockAppEntry moved = std::move(entries[from]);
    entries.erase(entries.begin() + static_cast<std::ptrdiff_t>(from));
    const std::size_t at = toOffset > from ? toOffset - 1 : toOffset;
    entries.insert(entries.begin() + static_cast<std::ptrdiff_t>(at), std::move(moved));
}

DockAppEntry entryForInstalledApp(const InstalledApp& app) {
    DockAppEntry entry;
    entry.label = app.name;
    entry.bundleIdentifier = app.bundleIdentifier;
    entry.path = app.path;
    return entry;
}

}  // namespace moorvane::picker
