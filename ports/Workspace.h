#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/Result.h"

namespace moorvane {

using ProcessId = std::int32_t;

// Only `regular` apps show in the Dock; the other two are background agents and menu-bar-only apps.
enum class ActivationPolicy { regular, accessory, prohibited };

struct RunningApplication {
    std::optional<std::string> bundleIdentifier;  // some processes carry none
    ProcessId processIdentifier = 0;
    ActivationPolicy activationPolicy = ActivationPolicy::regular;

    friend bool operator==(const RunningApplication&, const RunningApplication&) = default;
};

// The running graphical applications and the means to quit, kill and open them.
class Workspace {
  public:
    // Done, or why the open failed.
    using OpenCompletion = std::function<void(Status opened)>;

    virtual ~Workspace() = default;

    // In the order the system lists them.
    virtual std::vector<RunningApplication> runningApplications() = 0;
    // A polite request to quit, which the app may answer with a question to the user or refuse.
    virtual void terminate(ProcessId process) = 0;
    // SIGKILL; done, or why the signal could not be sent.
    virtual Status kill(ProcessId process) = 0;
    virtual ProcessId ownProcessIdentifier() = 0;
    // Where the application with this bundle identifier lives, when the system knows one.
    virtual std::optional<std::string> applicationLocation(const std::string& bundleIdentifier) = 0;
    // Opens without bringing the app to the front and returns at once; `completion` may run on any thread.
    virtual void openApplication(const std::string& location, OpenCompletion completion) = 0;
};

}  // namespace moorvane
