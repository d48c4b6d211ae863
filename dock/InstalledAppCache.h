#pragma once

#include <optional>
#include <string>
#include <vector>

#include "model/DockProfile.h"

namespace moorvane {

// The applications of a set of folders, scanned once and kept: the picker lists them and the reference
// Dock's workspace finds an app's location by its identifier. Not thread-safe; an owner shared across threads
// locks around it.
class InstalledAppCache {
  public:
    explicit InstalledAppCache(std::vector<std::string> folders);

    // Scanned on the first call; later calls return that result even when the folders changed, so a list on
    // screen does not shift under the pointer. Only location() scans again (and so replaces the list and
    // ends references to it): an owner that shows the list does not also look apps up through it.
    const std::vector<InstalledApp>& apps();

    // Where the app with `bundleIdentifier` is installed. The kept scan answers while that bundle's
    // Info.plist is still there; a miss or a vanished bundle scans again, so an app installed or moved since
    // is found.
    std::optional<std::string> location(const std::string& bundleIdentifier);

  private:
    std::vector<std::string> folders_;
    std::optional<std::vector<InstalledApp>> apps_;
};

}  // namespace moorvane
