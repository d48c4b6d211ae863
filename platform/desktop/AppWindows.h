#pragma once

#include <string>
#include <vector>

#include "ports/Workspace.h"

struct _XDisplay;

namespace moorvane::desktop {

// A top-level window of a client on the display.
struct ClientWindow {
    unsigned long window = 0;
    ProcessId pid = 0;        // _NET_WM_PID; 0 when the client does not say
    std::string windowClass;  // the class half of WM_CLASS ("Org.gnome.Nautilus"), empty when unset
};

// The client windows of the X display in $DISPLAY (or the one given), over a connection of its own, and the
// requests a pager sends them. Never kills a client or signals a process. Main thread only.
class AppWindows {
  public:
    explicit AppWindows(std::string display = {});
    ~AppWindows();
    AppWindows(const AppWindows&) = delete;
    AppWindows& operator=(const AppWindows&) = delete;

    // The managed windows (_NET_CLIENT_LIST) where an EWMH window manager runs, else the root's mapped
    // children. Windows another machine's client shows here (WM_CLIENT_MACHINE) carry no pid of this one.
    std::vector<ClientWindow> clientWindows();

    // Asks every window of `pid` to close as its title bar's close button does: _NET_CLOSE_WINDOW to the root
    // where a window manager runs, else WM_DELETE_WINDOW to each window that takes it. The windows asked.
    int closeWindowsOf(ProcessId pid);

    // Tells the desktop that an app is starting under `startupId` (_NET_STARTUP_INFO "new:"), so it can show
    // that the app is on its way and place its window without taking the focus.
    void announceStartup(const std::string& startupId, const std::string& name, const std::string& icon,
                         const std::string& wmClass);

    bool connected() const { return display_ != nullptr; }

  private:
    bool windowManagerRuns();
    _XDisplay* display_ = nullptr;
    std::string hostName_;
};

}  // namespace moorvane::desktop
