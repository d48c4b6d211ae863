#pragma once

#include <QString>
#include <functional>
#include <vector>

#include "model/DockProfile.h"

class QQuickWindow;

namespace moorvane {

// The "Manage Apps" window for the profile named `profileName`, over a copy of its tiles and the installed
// applications (which must outlive the window); Apply hands the edited tiles to `apply`. 600 by 480, at least
// 500 by 400, centred and raised.
QQuickWindow* openPickerWindow(const QString& profileName, const std::vector<DockAppEntry>& entries,
                               const std::vector<InstalledApp>& installed,
                               std::function<void(const std::vector<DockAppEntry>&)> apply);

}  // namespace moorvane
