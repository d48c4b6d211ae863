#pragma once

#include <atomic>
#include <string>
#include <vector>

#include "base/Result.h"
#include "ports/ProcessProbe.h"

namespace moorvane {

// Starts `program` with `arguments` (argv[0] is the program) and stdio on /dev/null, no other descriptors
// inherited, default signal handling and an empty signal mask, working folder "/". With `newSession` the
// child leads a session of its own, so it outlives a closed terminal and gets no signals meant for ours.
// Gives the child's process identifier, which the caller must reap.
Result<int> spawnWithNullStdio(const std::string& program, const std::vector<std::string>& arguments,
                               bool newSession);

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
