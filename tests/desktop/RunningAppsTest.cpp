#include "platform/desktop/RunningApps.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "fakes/Fixtures.h"
#include "fakes/TextFiles.h"

namespace moorvane::desktop {
namespace {

using moorvane::testing::TempDir;
using moorvane::testing::writeText;
using namespace std::string_literals;

struct CgroupCase {
    const char* name;
    std::string cgroup;
    std::optional<std::string> id;
};

class CgroupTest : public ::testing::TestWithParam<CgroupCase> {};

TEST_P(CgroupTest, NamesTheAppOfTheUnitItRunsIn) {
    EXPECT_EQ(desktopIdOfCgroup(GetParam().cgroup), GetParam().id);
}

constexpr const char* slice = "0::/user.slice/user-1000.slice/user@1000.service/app.slice/";

INSTANTIATE_TEST_SUITE_P(
    Units, CgroupTest,
    ::testing::Values(
        CgroupCase{"gnomeScope", slice + "app-gnome-org.gnome.Nautilus-4242.scope\n"s,
                   "org.gnome.Nautilus.desktop"},
        CgroupCase{"escapedDash", slice + "app-gnome-firefox\\x2desr-77.scope\n"s, "firefox-esr.desktop"},
        CgroupCase{"noLauncher", slice + "app-org.example.Editor-9.scope\n"s, "org.example.Editor.desktop"},
        CgroupCase{"serviceWithInstance", slice + "app-flatpak-org.gimp.GIMP@1a2b.service\n"s,
                   "org.gimp.GIMP.desktop"},
        CgroupCase{"innermostUnitOfANestedGroup", slice + "app-gnome-org.gnome.Terminal-5.scope/tab-3\n"s,
                   "org.gnome.Terminal.desktop"},
        CgroupCase{"unifiedLineOfVersionOne",
                   "12:pids:/user.slice\n1:name=systemd:/\n0::/app.slice/app-gnome-xterm-1.scope\n"s,
                   "xterm.desktop"},
        CgroupCase{"sessionService",
                   "0::/user.slice/user-1000.slice/user@1000.service/session.slice/"
                   "org.gnome.Shell@x11.service\n"s,
                   std::nullopt},
        CgroupCase{"scopeWithEmptyNumber", slice + "app-gnome-xterm-.scope\n"s, std::nullopt},
        CgroupCase{"badEscape", slice + "app-gnome-a\\x2-1.scope\n"s, std::nullopt},
        CgroupCase{"escapedSlash", slice + "app-gnome-a\\x2fb-1.scope\n"s, std::nullopt},
        CgroupCase{"empty", "", std::nullopt}),
    moorvane::testing::caseName);

TEST(LaunchedDesktopFile, IsBelievedOnlyForTheLaunchedProcessAndItsChild) {
    const std::string launched =
        "A=1\0GIO_LAUNCHED_DESKTOP_FILE=/apps/x.desktop\0GIO_LAUNCHED_DESKTOP_FILE_PID=40\0"s;
    EXPECT_EQ(launchedDesktopFile(launched, 40, 1), "/apps/x.desktop");
    EXPECT_EQ(launchedDesktopFile(launched, 41, 40), "/apps/x.desktop");  // started by a launcher script
    EXPECT_EQ(launchedDesktopFile(launched, 50, 41), std::nullopt);       // run from inside the app
    EXPECT_EQ(launchedDesktopFile("GIO_LAUNCHED_DESKTOP_FILE=/apps/x.desktop\0"s, 40, 1), std::nullopt);
    EXPECT_EQ(launchedDesktopFile("GIO_LAUNCHED_DESKTOP_FILE_PID=40"s, 40, 1), std::nullopt);
}

// A /proc of fixture processes and a data folder of entries.
class MatcherTest : public ::testing::Test {
  protected:
    void SetUp() override {
        entry("org.example.Editor", "Exec=/opt/editor/bin/editor %F\n");
        entry("org.example.Viewer", "Exec=env LANG=C viewer %U\nStartupWMClass=ViewerMain\n");
        entry("org.example.Shell1", "Exec=python3 one.py\n");
        entry("org.example.Shell2", "Exec=python3 two.py\n");
    }
    void entry(const std::string& id, const std::string& keys) {
        writeText(dir.path() / "share/applications" / (id + ".desktop"),
                  "[Desktop Entry]\nType=Application\nName=" + id + "\n" + keys);
    }
    ProcessRecord process(const std::string& executable, const std::string& environment = {},
                          const std::string& cgroup = {}) {
        return {100, 1, "x", executable, executable, environment, cgroup};
    }
    std::optional<std::string> match(const ProcessRecord& record,
                                     std::vector<std::string> classes = {"Other"}) {
        DesktopEntryIndex index({{(dir.path() / "share").string()}, {}, {}, {}});
        return RunningAppMatcher(index).desktopId(record, classes);
    }
    TempDir dir;
};

TEST_F(MatcherTest, TakesTheLaunchedFileThenTheUnitThenTheProgram) {
    const std::string editorFile = (dir.path() / "share/applications/org.example.Editor.desktop").string();
    const std::string launched =
        "GIO_LAUNCHED_DESKTOP_FILE=" + editorFile + "\0GIO_LAUNCHED_DESKTOP_FILE_PID=100\0"s;
    const std::string viewerScope = "0::/app.slice/app-gnome-org.example.Viewer-3.scope\n";
    EXPECT_EQ(match(process("/usr/bin/other", launched, viewerScope)), "org.example.Editor.desktop");
    EXPECT_EQ(match(process("/usr/bin/other", {}, viewerScope)), "org.example.Viewer.desktop");
    // A unit or file of an app not installed tells nothing; the program still does.
    EXPECT_EQ(match(process("/opt/editor/bin/editor",
                            "GIO_LAUNCHED_DESKTOP_FILE=/elsewhere/a.desktop\0"
                            "GIO_LAUNCHED_DESKTOP_FILE_PID=100\0"s,
                            "0::/app.slice/app-gnome-gone-1.scope\n")),
              "org.example.Editor.desktop");
    EXPECT_EQ(match(process("/usr/local/bin/viewer")), "org.example.Viewer.desktop");  // after env
    EXPECT_EQ(match(process("/usr/bin/unknown"), {"ViewerMain"}), "org.example.Viewer.desktop");
}

TEST_F(MatcherTest, NeverGuessesFromAProgramWithoutAWindowOrOneThatSeveralAppsRun) {
    EXPECT_EQ(match(process("/opt/editor/bin/editor"), {}), std::nullopt);
    EXPECT_EQ(match(process("/usr/bin/python3")), std::nullopt);
    EXPECT_EQ(match(process("/opt/other/editor")), std::nullopt);  // an absolute Exec names one file
}

TEST(ListUserProcesses, ReadsTheParentPastANameWithParenthesesAndSkipsThreadsAndZombies) {
    TempDir dir;
    const std::filesystem::path proc = dir.path();
    writeText(proc / "321/stat", "321 (a) b) S 17 321 321 0 -1\n");
    writeText(proc / "321/comm", "a) b\n");
    writeText(proc / "321/cmdline", "/usr/bin/ab\0--flag\0"s);
    writeText(proc / "321/environ", "GIO_LAUNCHED_DESKTOP_FILE=/x.desktop\0"s);
    std::filesystem::create_directory_symlink("/usr/bin/ab (deleted)", proc / "321/exe");
    writeText(proc / "9/stat", "9 (kthreadd) S 0 0 0\n");  // no exe: a kernel thread
    writeText(proc / "self/stat", "1 (init) S 0\n");

    const std::vector<ProcessRecord> processes = listUserProcesses(proc.string());
    ASSERT_EQ(processes.size(), 1u);
    EXPECT_EQ(processes[0].pid, 321);
    EXPECT_EQ(processes[0].parent, 17);
    EXPECT_EQ(processes[0].name, "a) b");
    EXPECT_EQ(processes[0].executable, "/usr/bin/ab");
    EXPECT_EQ(processes[0].command, "/usr/bin/ab");
    EXPECT_EQ(environmentVariable(processes[0].environment, "GIO_LAUNCHED_DESKTOP_FILE"), "/x.desktop");
}

}  // namespace
}  // namespace moorvane::desktop
