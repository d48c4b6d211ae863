#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/desktop/AppWindows.h"
#include "platform/desktop/DesktopEntries.h"
#include "ports/Workspace.h"

namespace moorvane::desktop {

// The apps of a desktop session (GNOME, Plank), known by their desktop-file ids, the same ids the docks'
// tiles and the picker carry. An app is regular while a process of it has a window of its own on the display;
// a background process is not, and nothing of the desktop itself (its shell, its dock, Xwayland) or of this
// app ever is. Quitting asks the app's windows to close, as their close buttons do, so the app may ask to
// save; nothing is ever killed or signalled. Opening launches the app's desktop entry as the desktop would,
// with a startup notification that does not take the focus. Main thread only; `entries` must outlive it.
class DesktopWorkspace final : public Workspace {
  public:
    explicit DesktopWorkspace(DesktopEntryIndex& entries, std::string procRoot = "/proc");

    std::vector<RunningApplication> runningApplications() override;
    void terminate(ProcessId process) override;
    // Refused: a desktop session's apps are only ever asked to quit.
    Status kill(ProcessId process) override;
    ProcessId ownProcessIdentifier() override;
    // The app's .desktop file.
    std::optional<std::string> applicationLocation(const std::string& bundleIdentifier) override;
    // Runs the completion before it returns: the launch itself is a spawn that does not wait for the app.
    void openApplication(const std::string& location, OpenCompletion completion) override;

  private:
    DesktopEntryIndex& entries_;
    std::string procRoot_;
    AppWindows windows_;
    std::uint64_t launches_ = 0;
};

}  // namespace moorvane::desktop
