#include "ui/kit/IconSource.h"

#include "ports/Workspace.h"

namespace moorvane {

std::function<QString(const DockAppEntry&)> entryIconSource(Workspace& workspace) {
    Workspace* where = &workspace;
    return [where](const DockAppEntry& entry) {
        const auto path =
            iconPath(entry, [where](const std::string& b) { return where->applicationLocation(b); });
        return path ? iconSourceForPath(*path) : QString();
    };
}

}  // namespace moorvane
