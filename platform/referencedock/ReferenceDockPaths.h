#pragma once

#include <string>
#include <vector>

namespace moorvane::referencedock {

// The Dock's domain "com.apple.dock" lives where the reference Dock of this machine reads it.
std::string dockPreferencesPath();
// The folders scanned for ".app" bundles, in the order that decides which copy of an app wins.
std::vector<std::string> applicationFolders();

}  // namespace moorvane::referencedock
