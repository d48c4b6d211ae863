#pragma once

#include <string>
#include <vector>

#include "base/Result.h"

namespace moorvane {

// Starts `program` with `arguments` (argv[0] is the program) and stdio on /dev/null, no other descriptors
// inherited, default signal handling and an empty signal mask, working folder "/". With `newSession` the
// child leads a session of its own, so it outlives a closed terminal and gets no signals meant for ours.
// Gives the child's process identifier, which the caller must reap.
Result<int> spawnWithNullStdio(const std::string& program, const std::vector<std::string>& arguments,
                               bool newSession);

}  // namespace moorvane
