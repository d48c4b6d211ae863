#pragma once

#include <cstddef>
#include <vector>

#include "model/DockProfile.h"

// The picker's editing rules, free of Qt like the editor's.
namespace moorvane::picker {

// Remove the rows at `from` and reinsert them before the row that stood at `toOffset`.
void moveRows(std::vector<DockAppEntry>& entries, std::size_t from, std::size_t toOffset);
DockAppEntry entryForInstalledApp(const InstalledApp& app);

}  // namespace moorvane::picker
