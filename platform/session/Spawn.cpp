#include "platform/session/Spawn.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>

#include <cstring>

extern char** environ;

namespace moorvane {

namespace {

// One of posix_spawn's option objects, destroyed only if it was made.
template <class T, int (*init)(T*), int (*destroy)(T*)>
class SpawnOptions {
  public:
    SpawnOptions() { ok_ = init(&value_) == 0; }
    ~SpawnOptions() {
        if (ok_) destroy(&value_);
    }
    SpawnOptions(const SpawnOptions&) = delete;
    SpawnOptions& operator=(const SpawnOptions&) = delete;
    bool ok() const { return ok_; }
    T* get() { return &value_; }

  private:
    T value_{};
    bool ok_ = false;
};

using SpawnFileActions = SpawnOptions<posix_spawn_file_actions_t, ::posix_spawn_file_actions_init,
                                      ::posix_spawn_file_actions_destroy>;
using SpawnAttributes = SpawnOptions<posix_spawnattr_t, ::posix_spawnattr_init, ::posix_spawnattr_destroy>;

}  // namespace

Result<int> spawnWithNullStdio(const std::string& program, const std::vector<std::string>& arguments,
                               bool newSession) {
    SpawnFileActions actions;
    SpawnAttributes attributes;
    if (!actions.ok() || !attributes.ok()) return Error{"Could not prepare to start " + program};
    int failed = 0;
    failed |= ::posix_spawn_file_actions_addopen(actions.get(), 0, "/dev/null", O_RDONLY, 0);
    failed |= ::posix_spawn_file_actions_addopen(actions.get(), 1, "/dev/null", O_WRONLY, 0);
    failed |= ::posix_spawn_file_actions_addopen(actions.get(), 2, "/dev/null", O_WRONLY, 0);
    // Descriptors opened without close-on-exec elsewhere in the process (sockets, pipes) stay ours.
    failed |= ::posix_spawn_file_actions_addclosefrom_np(actions.get(), 3);
    failed |= ::posix_spawn_file_actions_addchdir_np(actions.get(), "/");
    sigset_t noSignals;
    sigset_t allSignals;
    sigemptyset(&noSignals);
    sigfillset(&allSignals);
    failed |= ::posix_spawnattr_setsigmask(attributes.get(), &noSignals);
    failed |= ::posix_spawnattr_setsigdefault(attributes.get(), &allSignals);
    short flags = POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
    if (newSession) flags = static_cast<short>(flags | POSIX_SPAWN_SETSID);
    failed |= ::posix_spawnattr_setflags(attributes.get(), flags);
    if (failed != 0) return Error{"Could not prepare to start " + program};

    std::vector<char*> argv;
    argv.reserve(arguments.size() + 1);
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t child = 0;
    const int error =
        ::posix_spawn(&child, program.c_str(), actions.get(), attributes.get(), argv.data(), environ);
    if (error != 0) return Error{"Could not start " + program + ": " + std::strerror(error)};
    return static_cast<int>(child);
}

}  // namespace moorvane
