#include "platform/referencedock/ReferenceDockPaths.h"

#include "dock/DockManager.h"
#include "platform/session/XdgPaths.h"

namespace moorvane::referencedock {

std::string dockPreferencesPath() {
    return XdgPaths::home() + "/Library/Preferences/com.apple.dock.plist";
}

std::vector<std::string> applicationFolders() {
    return standardApplicationFolders(XdgPaths::home());
}

}  // namespace moorvane::referencedock
