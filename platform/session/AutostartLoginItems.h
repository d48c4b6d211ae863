#pragma once

#include <optional>
#include <string>

#include "ports/LoginItems.h"

namespace moorvane {

// Launch at login as the XDG autostart entry "moorvane.desktop", which desktop sessions start at login.
// `enabled` while the entry exists and is not switched off (Hidden=true, X-GNOME-Autostart-enabled=false);
// `notRegistered` otherwise. There is no approval step on Linux.
class AutostartLoginItems final : public LoginItems {
  public:
    // `appPath` is the absolute path of the program to start; `autostartFolder` defaults to
    // $XDG_CONFIG_HOME/autostart.
    explicit AutostartLoginItems(std::string appPath, std::string autostartFolder = {});

    LoginItemStatus status() override;
    Status registerMainApp() override;
    Status unregisterMainApp() override;

    const std::string& entryPath() const { return entryPath_; }

    // The Exec= value that starts `path` with no arguments, quoted and escaped as desktop entries require;
    // none for a path no desktop entry can carry (relative, or holding control characters).
    static std::optional<std::string> execValue(const std::string& path);

  private:
    std::string appPath_;
    std::string entryPath_;
};

}  // namespace moorvane
