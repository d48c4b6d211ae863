#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "shell/Arguments.h"
#include "shell/HandOver.h"
#include "shell/PopoverPlacement.h"
#include "shell/Updates.h"

#include "fakes/Fixtures.h"
#include "fakes/TextFiles.h"

using namespace moorvane;
namespace fs = std::filesystem;

TEST(Arguments, PathsReachTheInstanceAbsoluteAndURLsAsTyped) {
    const std::string here = fs::current_path().string();
    const std::vector<std::string> typed{"Work.dockprofile",
                                         "./docs/../Home.dockprofile",
                                         "Work: Mon.dockprofile",
                                         "/tmp/Abs.dockprofile",
                                         "moorvane://switch?profile=Work%20Mode",
                                         "MOORVANE:switch?profile=Home",
                                         "file:///tmp/x.dockprofile"};
    EXPECT_EQ(withAbsolutePaths(typed),
              (std::vector<std::string>{here + "/Work.dockprofile", here + "/Home.dockprofile",
                                        here + "/Work: Mon.dockprofile", "/tmp/Abs.dockprofile",
                                        "moorvane://switch?profile=Work%20Mode",
                                        "MOORVANE:switch?profile=Home", "file:///tmp/x.dockprofile"}));
}

// With nothing to hand to, the command must start the app rather than fail.
TEST(HandOver, WithoutABusTheAppStartsInstead) {
    const char* saved = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    const std::string restore = saved ? saved : "";
    ::setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/moorvane-test-bus", 1);
    EXPECT_EQ(handOverToRunningInstance({"moorvane://switch?profile=Work"}), std::nullopt);
    // Bytes no one could read are refused with a reason, never handed to an app that would misread them.
    EXPECT_EQ(handOverToRunningInstance({"/tmp/caf\xe9.dockprofile"}), 1);
    if (saved)
        ::setenv("DBUS_SESSION_BUS_ADDRESS", restore.c_str(), 1);
    else
        ::unsetenv("DBUS_SESSION_BUS_ADDRESS");
}

TEST(PopoverPlacement, HangsFromATopTrayStandsOnABottomOneAndStaysOnScreen) {
    const QRect screen(0, 0, 1280, 800);
    const QSize popover(340, 400);
    // Under a tray at the top, centred on it.
    EXPECT_EQ(popoverPosition(QRect(600, 0, 24, 24), {}, screen, popover), QPoint(441, 28));
    // Over one at the bottom.
    EXPECT_EQ(popoverPosition(QRect(600, 776, 24, 24), {}, screen, popover), QPoint(441, 372));
    // A tray in the corner: the popover is pushed back inside the screen.
    EXPECT_EQ(popoverPosition(QRect(1256, 0, 24, 24), {}, screen, popover), QPoint(940, 28));
    // No tray geometry: the click's place stands in for it.
    EXPECT_EQ(popoverPosition(QRect(), QPoint(100, 10), screen, popover), QPoint(0, 14));
    // Taller than the room below: kept on screen.
    EXPECT_EQ(popoverPosition(QRect(600, 300, 24, 24), {}, screen, QSize(340, 700)), QPoint(441, 100));
}

// Without a tray: centred on the free area of the pointer's screen (a second one, under GNOME's top bar), and
// as the content grows only moved as far as keeps it on that screen, never back to the first.
TEST(PopoverPlacement, WithoutATrayCentredOnItsScreenAndKeptThereAsItGrows) {
    const QRect second(1280, 27, 1920, 1053);
    EXPECT_EQ(centredIn(second, QSize(340, 400)), QPoint(2070, 354));
    EXPECT_EQ(centredIn(second, QSize(340, 1200)), QPoint(2070, 27));
    // The form opened: the top stays while it fits, then the popover rises just enough.
    EXPECT_EQ(keptInside(QPoint(2070, 354), second, QSize(340, 500)), QPoint(2070, 354));
    EXPECT_EQ(keptInside(QPoint(2070, 354), second, QSize(340, 900)), QPoint(2070, 180));
}

// The dialog names what is installed: the package's own version where dpkg installed the running program, the
// build's where it was built from source; dpkg's text reaches it as written.
TEST(Updates, NamesThePackagesVersionOrTheBuildsOwn) {
    const moorvane::testing::TempDir dpkg;
    const std::string program = "/usr/libexec/moorvane/moorvane";
    moorvane::testing::writeText(dpkg.path() / "info" / "moorvane.list",
                                 "/usr/libexec/moorvane\n" + program + "\n");
    moorvane::testing::writeText(dpkg.path() / "status",
                                 "Package: moorvane\nStatus: install ok installed\nVersion: 0.1.0-1\n");
    EXPECT_EQ(
        updatesExplanation(dpkg.path(), program, "0.1.0", "812"),
        "Moorvane 0.1.0-1 is installed from the Debian package \u201Cmoorvane\u201D. Updates come through "
        "your system\u2019s package manager, such as Software or apt.");
    EXPECT_TRUE(
        updatesExplanation(dpkg.path(), "/home/me/moorvane/build/libexec/moorvane/moorvane", "0.1.0", "812")
            .starts_with("Moorvane 0.1.0 (812) was built from its source code"));
}
