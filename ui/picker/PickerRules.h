#pragma once

#include <cstddef>
#include <vector>

#include "model/DockProfile.h"

// The rules of editing a list of tiles, free of Qt: the picker's, and the editor's strip uses them too.
namespace moorvane::picker {

// The applications and other items among the tiles; spacers never count.
std::size_t itemCount(const std::vector<DockAppEntry>& entries);
// False when no tile has that identifier.
bool removeEntry(std::vector<DockAppEntry>& entries, const Uuid& id);
// Remove the rows at `from` and reinsert them before the row that stood at `toOffset`.
void moveRows(std::vector<DockAppEntry>& entries, std::size_t from, std::size_t toOffset);
DockAppEntry entryForInstalledApp(const InstalledApp& app);

}  // namespace moorvane::picker
