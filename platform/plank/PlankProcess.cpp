#include "platform/desktop/SessionProcesses.h"
#include "platform/plank/PlankDock.h"

namespace moorvane::plank {

bool PlankDock::isRunning(const std::string& procRoot) {
    return desktop::runsInThisSession("plank", procRoot);
}

}  // namespace moorvane::plank
