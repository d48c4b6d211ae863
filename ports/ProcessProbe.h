#pragma once

#include <string>

namespace moorvane {

// Asks the system whether a process runs; called from the background queue.
class ProcessProbe {
  public:
    virtual ~ProcessProbe() = default;
    // True only when a process named exactly `name` runs. A check that cannot be carried out at all (the
    // helper program is missing or fails to start) gives false, so callers fall back on their deadline.
    virtual bool isRunning(const std::string& name) = 0;
};

}  // namespace moorvane
