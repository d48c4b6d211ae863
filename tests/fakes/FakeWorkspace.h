#pragma once

#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "ports/Workspace.h"

namespace moorvane::testing {

// Records every request; open completions wait until the test finishes them, as the system's would.
class FakeWorkspace final : public Workspace {
  public:
    struct OpenRequest {
        std::string location;
        OpenCompletion completion;
    };

    std::vector<RunningApplication> running;
    ProcessId ownProcess = 4242;
    std::map<std::string, std::string> locations;  // bundle identifier -> application location
    std::map<ProcessId, std::string> killErrors;   // kill fails for these with the given description

    std::vector<ProcessId> terminated;
    std::vector<ProcessId> killed;
    std::vector<OpenRequest> opened;

    std::vector<RunningApplication> runningApplications() override;
    void terminate(ProcessId process) override;
    Status kill(ProcessId process) override;
    ProcessId ownProcessIdentifier() override { return ownProcess; }
    std::optional<std::string> applicationLocation(const std::string& bundleIdentifier) override;
    void openApplication(const std::string& location, OpenCompletion completion) override;

    std::vector<std::string> openedLocations() const;
    // Delivers request `index`'s completion, with an error description or none for success.
    void finishOpen(std::size_t index, std::optional<std::string> error);

    // Adds a running app and returns its pid.
    ProcessId addRunning(std::optional<std::string> bundleIdentifier,
                         ActivationPolicy policy = ActivationPolicy::regular);

  private:
    mutable std::mutex mutex_;
    ProcessId nextProcess_ = 100;
};

}  // namespace moorvane::testing
