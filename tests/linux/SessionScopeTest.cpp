#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>

#include "fakes/Fixtures.h"
#include "platform/linux/LinuxProcessProbe.h"
#include "platform/linux/LinuxWorkspace.h"

namespace moorvane {
namespace {

namespace fs = std::filesystem;

// A second session of the same user runs its own Dock; a switch here must neither see nor kill it.
TEST(WorkspaceSessionTest, AppsOfAnotherSessionBusAreNotThisSessionsApps) {
    testing::TempDir dir;
    const fs::path executable = dir.path() / "Dock.app/Contents/MacOS/Dock";
    fs::create_directories(executable.parent_path());
    fs::copy_file("/bin/sleep", executable);
    const std::string program = executable.string();
    const char* saved = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    const std::string previous = saved ? saved : "";

    ::setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/run/other-session", 1);
    const Result<int> other = spawnWithNullStdio(program, {program, "30"}, false);
    ::setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/run/this-session", 1);
    const Result<int> own = spawnWithNullStdio(program, {program, "30"}, false);
    ASSERT_TRUE(other && own);

    // Both must have exec'd, or the other one would be left out for the wrong reason.
    for (const int pid : {*other, *own}) {
        const fs::path exe = "/proc/" + std::to_string(pid) + "/exe";
        std::error_code error;
        for (int round = 0; round < 100000 && fs::read_symlink(exe, error) != executable; ++round) {
        }
        ASSERT_EQ(fs::read_symlink(exe, error), executable);
    }
    LinuxWorkspace workspace(std::vector<std::string>{dir.path().string()});
    bool seenOwn = false, seenOther = false;
    for (int round = 0; round < 50 && !seenOwn; ++round) {
        for (const RunningApplication& app : workspace.runningApplications()) {
            seenOwn = seenOwn || app.processIdentifier == *own;
            seenOther = seenOther || app.processIdentifier == *other;
        }
    }
    EXPECT_TRUE(seenOwn);
    EXPECT_FALSE(seenOther);

    saved ? ::setenv("DBUS_SESSION_BUS_ADDRESS", previous.c_str(), 1)
          : ::unsetenv("DBUS_SESSION_BUS_ADDRESS");
    for (const int pid : {*other, *own}) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
    }
}

}  // namespace
}  // namespace moorvane
