#include "platform/referencedock/LinuxProcessProbe.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "base/Log.h"
#include "platform/session/Spawn.h"

namespace moorvane {

namespace {

// pgrep's extended regular expressions: every character that could mean something is escaped.
std::string literalPattern(const std::string& name) {
    std::string pattern;
    for (const char c : name) {
        if (std::strchr("\\^$.|?*+()[]{}", c) != nullptr) pattern += '\\';
        pattern += c;
    }
    return pattern;
}

}  // namespace

LinuxProcessProbe::LinuxProcessProbe(std::string program) : program_(std::move(program)) {}

bool LinuxProcessProbe::isRunning(const std::string& name) {
    // An empty pattern would match every process.
    if (name.empty()) return false;
    // "--" keeps a name beginning with "-" from being read as an option.
    Result<int> child = spawnWithNullStdio(program_, {program_, "-x", "--", literalPattern(name)}, false);
    if (!child) {
        if (!loggedFailure_.exchange(true)) log("ProcessProbe: " + child.error().description);
        return false;
    }
    int status = 0;
    while (::waitpid(*child, &status, 0) < 0) {
        if (errno != EINTR) return false;
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace moorvane
