#pragma once

#include <atomic>
#include <string>

#include "ports/ProcessProbe.h"

namespace moorvane {

// Asks pgrep whether a process of exactly that name runs. The name is matched literally: pgrep reads its
// pattern as a regular expression, so a name like "Dock.*" is escaped rather than matching any Dock helper.
class LinuxProcessProbe final : public ProcessProbe {
  public:
    explicit LinuxProcessProbe(std::string program = "/usr/bin/pgrep");
    bool isRunning(const std::string& name) override;

  private:
    std::string program_;
    // The Dock wait probes ten times a second; a missing pgrep is logged once.
    std::atomic<bool> loggedFailure_ = false;
};

}  // namespace moorvane
