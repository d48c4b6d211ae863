#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QWindow>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <thread>

#include "fakes/Fixtures.h"
#include "fakes/LogCapture.h"
#include "fakes/ManualQueue.h"
#include "fakes/TextFiles.h"
#include "platform/referencedock/LinuxDockPreferences.h"
#include "platform/referencedock/LinuxProcessProbe.h"
#include "platform/referencedock/LinuxWorkspace.h"
#include "platform/session/AutostartLoginItems.h"
#include "platform/session/FileUserDefaults.h"
#include "platform/session/LinuxKeyMonitor.h"
#include "platform/session/QtDialogs.h"
#include "platform/session/QtOverlay.h"
#include "platform/session/Spawn.h"
#include "platform/session/XRecordKeyMonitor.h"
#include "platform/session/XdgPaths.h"

// The overlay's windows load fonts; fontconfig keeps its font set for the life of the process by design.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig\n";
}

namespace moorvane {
namespace {

using testing::LogCapture;
using testing::TempDir;
namespace fs = std::filesystem;

constexpr auto patience = std::chrono::seconds(10);

using testing::readText;
using testing::writeText;

void writePlist(const fs::path& path, const PlistDictionary& dictionary) {
    writeText(path, writeXml(PlistValue(dictionary)).value());
}

PlistDictionary readDictionary(const fs::path& path) {
    return *readPlist(readText(path)).value().dictionary();
}

// Waits without sleeping: the condition is checked until it holds or the bound passes.
template <class Condition>
bool eventually(Condition condition) {
    const auto deadline = std::chrono::steady_clock::now() + patience;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::yield();
    }
    return true;
}

// ---- Dock preferences

TEST(LinuxDockPreferences, SynchronizeKeepsOtherKeysIncludingOnesWrittenMeanwhile) {
    TempDir dir;
    const fs::path file = dir.path() / "Library/Preferences/com.apple.dock.plist";
    writePlist(file, {{"orientation", "left"}, {"persistent-apps", PlistArray{}}});
    LinuxDockPreferences preferences(file.string());
    preferences.set("persistent-apps", PlistArray{"a"});
    EXPECT_EQ(preferences.copyValue("persistent-apps"), PlistValue(PlistArray{"a"}));
    writePlist(file, {{"orientation", "left"}, {"tilesize", 48}, {"persistent-apps", PlistArray{}}});
    ASSERT_TRUE(preferences.synchronize());
    EXPECT_TRUE(readText(file).starts_with("bplist00"));
    EXPECT_EQ(
        readDictionary(file),
        (PlistDictionary{{"orientation", "left"}, {"tilesize", 48}, {"persistent-apps", PlistArray{"a"}}}));
}

// A damaged file is kept aside rather than overwritten; a failed write keeps what was set for the next try.
TEST(LinuxDockPreferences, MalformedFileIsKeptAsideAndAFailedWriteKeepsThePendingValue) {
    LogCapture logs;
    TempDir dir;
    const fs::path folder = dir.path() / "Preferences", file = folder / "com.apple.dock.plist";
    writeText(file, "not a plist");
    LinuxDockPreferences preferences(file.string());
    EXPECT_FALSE(preferences.copyValue("persistent-apps"));
    EXPECT_EQ(logs.messages().size(), 1u);
    preferences.set("persistent-others", PlistArray{});
    ASSERT_TRUE(preferences.synchronize());
    EXPECT_EQ(readText(file.string() + ".malformed"), "not a plist");

    fs::remove_all(folder);
    writeText(folder, "a file where the folder should be");
    preferences.set("persistent-apps", PlistArray{"kept"});
    EXPECT_FALSE(preferences.synchronize());
    EXPECT_EQ(logs.messages().size(), 2u);
    fs::remove(folder);
    ASSERT_TRUE(preferences.synchronize());
    EXPECT_EQ(readDictionary(file).find("persistent-apps")->array()->size(), 1u);

    preferences.set("persistent-apps", PlistArray{"given up"});
    preferences.discardPendingChanges();
    EXPECT_EQ(preferences.copyValue("persistent-apps"), PlistValue(PlistArray{"kept"}))
        << "reads see the stored file again";
}

// ---- Workspace

fs::path makeBundle(const fs::path& folder, const std::string& name,
                    const std::optional<PlistDictionary>& info,
                    const std::string& executableSource = "/bin/sleep") {
    const fs::path bundle = folder / (name + ".app");
    fs::create_directories(bundle / "Contents/MacOS");
    fs::copy_file(executableSource, bundle / "Contents/MacOS/fake");
    if (info) writePlist(bundle / "Contents/Info.plist", *info);
    return bundle;
}

struct PolicyCase {
    const char* name;
    std::optional<PlistDictionary> info;
    std::optional<std::string> identifier;
    ActivationPolicy policy;
};

class WorkspacePolicy : public ::testing::TestWithParam<PolicyCase> {};

TEST_P(WorkspacePolicy, FindsTheBundleProcessAndTerminatesIt) {
    TempDir dir;
    const fs::path bundle = makeBundle(dir.path(), "Fake", GetParam().info);
    const std::string executable = (bundle / "Contents/MacOS/fake").string();
    const Result<int> child = spawnWithNullStdio(executable, {executable, "30"}, false);
    ASSERT_TRUE(child);
    LinuxWorkspace workspace(std::vector<std::string>{dir.path().string()});

    std::optional<RunningApplication> found;
    ASSERT_TRUE(eventually([&] {
        for (const RunningApplication& app : workspace.runningApplications()) {
            if (app.processIdentifier == *child) found = app;
        }
        return found.has_value();
    }));
    EXPECT_EQ(found->bundleIdentifier, GetParam().identifier);
    EXPECT_EQ(found->activationPolicy, GetParam().policy);

    workspace.terminate(*child);
    int status = 0;
    ASSERT_EQ(::waitpid(*child, &status, 0), *child);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM);
}

PlistDictionary infoOf(const std::string& identifier, PlistDictionary extra = {}) {
    extra.set("CFBundleIdentifier", identifier);
    return extra;
}

INSTANTIATE_TEST_SUITE_P(
    Linux, WorkspacePolicy,
    ::testing::Values(PolicyCase{"Regular", infoOf("com.test.fake"), "com.test.fake",
                                 ActivationPolicy::regular},
                      PolicyCase{"UIElementIsAccessory", infoOf("com.test.ui", {{"LSUIElement", true}}),
                                 "com.test.ui", ActivationPolicy::accessory},
                      PolicyCase{"BackgroundOnlyTextIsProhibited",
                                 infoOf("com.test.bg", {{"LSBackgroundOnly", "1"}, {"LSUIElement", true}}),
                                 "com.test.bg", ActivationPolicy::prohibited},
                      PolicyCase{"NoInfoPlist", std::nullopt, std::nullopt, ActivationPolicy::regular}),
    testing::caseName);

std::optional<std::string> openAndWait(LinuxWorkspace& workspace, const fs::path& location) {
    auto done = std::make_shared<std::promise<std::optional<std::string>>>();
    std::future<std::optional<std::string>> result = done->get_future();
    workspace.openApplication(location.string(), [done](Status opened) {
        done->set_value(opened ? std::nullopt : std::optional(opened.error().description));
    });
    if (result.wait_for(patience) != std::future_status::ready) return "no completion";
    return result.get();
}

TEST(LinuxWorkspace, OpensTheBundleDetachedWithQuietStdioAndFindsItsLocation) {
    TempDir dir;
    const fs::path marker = dir.path() / "pid";
    const fs::path script = dir.path() / "launcher.sh";
    writeText(script, "#!/bin/sh\necho $$ > " + marker.string() + ".tmp\nmv " + marker.string() + ".tmp " +
                          marker.string() + "\nexec sleep 30\n");
    fs::permissions(script, fs::perms::owner_all);
    const fs::path bundle =
        makeBundle(dir.path(), "Launch",
                   PlistDictionary{{"CFBundleIdentifier", "com.test.launch"}, {"CFBundleExecutable", "fake"}},
                   script.string());
    LinuxWorkspace workspace(std::vector<std::string>{dir.path().string()});
    EXPECT_EQ(workspace.applicationLocation("com.test.launch"), bundle.string());
    EXPECT_EQ(workspace.applicationLocation("com.test.none"), std::nullopt);

    EXPECT_EQ(openAndWait(workspace, bundle), std::nullopt);
    ASSERT_TRUE(eventually([&] { return fs::exists(marker); }));
    const pid_t child = std::stoi(readText(marker));
    EXPECT_EQ(::getsid(child), child);
    EXPECT_EQ(fs::read_symlink("/proc/" + std::to_string(child) + "/fd/1"), "/dev/null");
    EXPECT_TRUE(workspace.kill(child));
    EXPECT_FALSE(workspace.kill(0));
}

struct OpenFailure {
    const char* name;
    std::string info;  // written as the Info.plist; empty for none
    bool executable;
    const char* expected;
};

class WorkspaceOpenFailure : public ::testing::TestWithParam<OpenFailure> {};

TEST_P(WorkspaceOpenFailure, ReportsAnErrorThroughTheCompletion) {
    TempDir dir;
    const fs::path bundle = dir.path() / "Broken.app";
    fs::create_directories(bundle / "Contents/MacOS");
    if (!GetParam().info.empty()) writeText(bundle / "Contents/Info.plist", GetParam().info);
    if (GetParam().executable) {
        writeText(bundle / "Contents/MacOS/present", "data, not a program");
        fs::permissions(bundle / "Contents/MacOS/present", fs::perms::owner_read | fs::perms::owner_write);
    }
    LinuxWorkspace workspace(std::vector<std::string>{});
    const std::optional<std::string> error = openAndWait(workspace, bundle);
    ASSERT_TRUE(error);
    EXPECT_NE(error->find(GetParam().expected), std::string::npos) << *error;
}

std::string infoNaming(const std::string& executable) {
    return writeXml(PlistValue(PlistDictionary{{"CFBundleExecutable", executable}})).value();
}

INSTANTIATE_TEST_SUITE_P(
    Linux, WorkspaceOpenFailure,
    ::testing::Values(OpenFailure{"MissingExecutable", infoNaming("absent"), false, "missing"},
                      OpenFailure{"NotExecutable", infoNaming("present"), true, "not executable"},
                      OpenFailure{"EscapingName", infoNaming("../../x"), false, "names no executable"},
                      OpenFailure{"DamagedInfoPlist", "<plist><dict>", false, "damaged"},
                      OpenFailure{"NoInfoPlist", "", false, "no readable Info.plist"}),
    testing::caseName);

// A second session of the same user runs its own Dock; a switch here must neither see nor kill it.
TEST(LinuxWorkspace, AppsOfAnotherSessionBusAreNotThisSessionsApps) {
    TempDir dir;
    const fs::path executable = makeBundle(dir.path(), "Dock", std::nullopt) / "Contents/MacOS/fake";
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
        std::error_code error;
        ASSERT_TRUE(eventually(
            [&] { return fs::read_symlink("/proc/" + std::to_string(pid) + "/exe", error) == executable; }));
    }
    LinuxWorkspace workspace(std::vector<std::string>{dir.path().string()});
    bool seenOther = false;
    EXPECT_TRUE(eventually([&] {
        bool seenOwn = false;
        for (const RunningApplication& app : workspace.runningApplications()) {
            seenOwn = seenOwn || app.processIdentifier == *own;
            seenOther = seenOther || app.processIdentifier == *other;
        }
        return seenOwn;
    }));
    EXPECT_FALSE(seenOther);

    saved ? ::setenv("DBUS_SESSION_BUS_ADDRESS", previous.c_str(), 1)
          : ::unsetenv("DBUS_SESSION_BUS_ADDRESS");
    for (const int pid : {*other, *own}) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
    }
}

// ---- Process probe

std::string ownProcessName() {
    std::string name = readText("/proc/self/comm");
    if (!name.empty() && name.back() == '\n') name.pop_back();
    return name;
}

TEST(LinuxProcessProbe, MatchesExactNamesLiterally) {
    LinuxProcessProbe probe;
    const std::string self = ownProcessName();
    EXPECT_TRUE(probe.isRunning(self));
    EXPECT_FALSE(probe.isRunning(self.substr(0, 4)));
    EXPECT_FALSE(probe.isRunning(self.substr(0, 4) + ".*"));
    EXPECT_FALSE(probe.isRunning(""));
    LinuxProcessProbe missing("/nonexistent/pgrep");
    EXPECT_FALSE(missing.isRunning(self));
}

// ---- User defaults

TEST(FileUserDefaults, RoundTripsReadsOtherTypesAsNoneAndMovesAnUnreadableFileAside) {
    LogCapture logs;
    TempDir dir;
    const fs::path path = dir.path() / "Moorvane/defaults.json";
    FileUserDefaults(path.string()).writeBool("autoSaveDockChanges", false);
    FileUserDefaults reread(path.string());
    EXPECT_EQ(reread.readBool("autoSaveDockChanges"), false);
    EXPECT_EQ(reread.readString("autoSaveDockChanges"), std::nullopt);
    EXPECT_EQ(reread.readBool("hasSeenProfileHint"), std::nullopt);

    writeText(path, "[true]");
    FileUserDefaults defaults(path.string());
    EXPECT_EQ(defaults.readBool("autoSaveDockChanges"), std::nullopt);
    EXPECT_EQ(readText(path.string() + ".unreadable"), "[true]");
    defaults.writeString("appVisibility", "dockAndMenuBar");
    EXPECT_EQ(FileUserDefaults(path.string()).readString("appVisibility"), "dockAndMenuBar");
}

// ---- Login items

TEST(AutostartLoginItems, RegistersUnregistersAndRefusesWhatCannotWork) {
    TempDir dir;
    AutostartLoginItems items("/opt/My Apps/100%/moorvane", (dir.path() / "autostart").string());
    EXPECT_EQ(items.status(), LoginItemStatus::notRegistered);
    ASSERT_TRUE(items.registerMainApp());
    EXPECT_EQ(items.status(), LoginItemStatus::enabled);
    EXPECT_NE(readText(items.entryPath()).find("\nExec=\"/opt/My Apps/100%%/moorvane\"\n"),
              std::string::npos);
    ASSERT_TRUE(items.unregisterMainApp());
    EXPECT_EQ(items.status(), LoginItemStatus::notRegistered);
    EXPECT_TRUE(items.unregisterMainApp());

    writeText(items.entryPath(), "[Desktop Entry]\nExec=x\nHidden=true\n");
    EXPECT_EQ(items.status(), LoginItemStatus::notRegistered);

    // Refuses a relative program or an unwritable place, and escapes the Exec line.
    EXPECT_FALSE(AutostartLoginItems("moorvane", dir.path().string()).registerMainApp());
    writeText(dir.path() / "blocker", "");
    const Status refused =
        AutostartLoginItems("/bin/true", (dir.path() / "blocker").string()).registerMainApp();
    ASSERT_FALSE(refused);
    EXPECT_NE(refused.error().description.find("blocker"), std::string::npos);
    EXPECT_EQ(AutostartLoginItems::execValue("/a \"b\"/$c\\d"), R"("/a \\"b\\"/\\$c\\\\d")");
    EXPECT_EQ(AutostartLoginItems::execValue("/a\nb"), std::nullopt);
}

// ---- Dialogs

TEST(QtDialogs, SavePanelAddsTheDocumentExtensionToABareName) {
    const std::vector<std::string> document{"com.moorvane.dockprofile"};
    EXPECT_EQ(withAllowedExtension("/d/Work", document), fs::path("/d/Work.dockprofile"));
    EXPECT_EQ(withAllowedExtension("/d/Work.v2", document), fs::path("/d/Work.v2.dockprofile"));
    EXPECT_EQ(withAllowedExtension("/d/.dockprofile", document), fs::path("/d/.dockprofile.dockprofile"));
    EXPECT_EQ(withAllowedExtension("/d/Work.DockProfile", document), fs::path("/d/Work.DockProfile"));
    EXPECT_EQ(withAllowedExtension("/d/Work.json", {"com.moorvane.dockprofile", "public.json"}),
              fs::path("/d/Work.json"));
    EXPECT_EQ(withAllowedExtension("/d/Work", {}), fs::path("/d/Work")) << "no types, nothing to add";
}

// ---- Overlay

// A GUI application without a display, made once for the tests that need windows.
bool guiApplication() {
    if (QCoreApplication::instance() == nullptr) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "LinuxPortsTest";
        static char* argv[] = {name, nullptr};
        new QGuiApplication(argc, argv);
    }
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
}

template <class Condition>
bool eventuallyProcessing(Condition condition) {
    QElapsedTimer timer;
    timer.start();
    while (!condition() && timer.elapsed() < 5000) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return condition();
}

TEST(QtOverlay, ASwitchWhileOneShowsRelabelsItsWindowsAndOnlyTheLastFadeTakesThemAway) {
    if (!guiApplication()) GTEST_SKIP() << "another test made a non-GUI application in this process";
    const auto shown = [] {
        QStringList titles;
        for (QWindow* window : QGuiApplication::topLevelWindows()) {
            if (dynamic_cast<OverlayWindow*>(window) && window->isVisible() && window->opacity() == 1.0)
                titles << window->title();
        }
        return titles;
    };
    const auto screens = QGuiApplication::screens().size();
    QtOverlay overlay;
    const OverlayId first = overlay.show("Switching to A...");
    ASSERT_EQ(shown().size(), screens);
    overlay.fadeOut(first, 0.2);
    ASSERT_TRUE(eventuallyProcessing([&] { return shown().isEmpty(); })) << "fading";

    const OverlayId second = overlay.show("Switching to B...");
    EXPECT_EQ(shown(), QStringList(screens, "Switching to B...")) << "the same windows, back at full opacity";
    EXPECT_EQ(QGuiApplication::topLevelWindows().size(), screens);
    overlay.fadeOut(first, 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(shown().size(), screens) << "the replaced showing's fade is ignored";

    overlay.fadeOut(second, 0.01);
    EXPECT_TRUE(eventuallyProcessing([] { return QGuiApplication::topLevelWindows().isEmpty(); }));
}

// ---- Key monitor

// The places in the table are read on a real X server by KeyMonitors, in two layouts.
TEST(KeycodeTable, PlacesOutsideTheTableAreNoKey) {
    EXPECT_EQ(macKeyForKeycode(7), std::nullopt);
    EXPECT_EQ(macKeyForKeycode(255), std::nullopt);
}

// Keys pressed by another X client reaching the global monitor: moorvane_e2e
// test_4_global_shortcut_while_another_client_has_focus.
TEST(XRecordKeyMonitor, WithoutADisplayThereIsNoMonitor) {
    LogCapture logs;
    testing::ManualQueue queue;
    XRecordKeyMonitor monitor(queue, "/nonexistent/socket:0");
    EXPECT_EQ(monitor.addGlobalKeyDownMonitor([](const KeyEvent&) {}), std::nullopt);
    EXPECT_FALSE(monitor.seesOtherAppsKeys());
}

TEST(LinuxKeyMonitor, OnWaylandNoSystemWideMonitorAndOnlyTheDesktopsOwnShortcutsReachOtherApps) {
    const auto session = [](const char* type, const char* display) {
        setenv("XDG_SESSION_TYPE", type, 1);
        setenv("WAYLAND_DISPLAY", display, 1);
        return isWaylandSession();
    };
    EXPECT_TRUE(session("wayland", ""));
    EXPECT_TRUE(session("tty", "wayland-0")) << "a Wayland display the session type does not name";
    EXPECT_FALSE(session("x11", ""));
    unsetenv("XDG_SESSION_TYPE");
    unsetenv("WAYLAND_DISPLAY");

    testing::ManualQueue queue;
    bool desktopRuns = false;
    LinuxKeyMonitor monitor(queue, {false, [&desktopRuns] { return desktopRuns; }});
    EXPECT_EQ(monitor.addGlobalKeyDownMonitor([](const KeyEvent&) {}), std::nullopt);
    EXPECT_TRUE(monitor.sessionHidesOtherAppsKeys());
    EXPECT_FALSE(monitor.seesOtherAppsKeys());
    desktopRuns = true;
    EXPECT_TRUE(monitor.seesOtherAppsKeys()) << "the desktop's shortcuts work while other apps are frontmost";
}

}  // namespace
}  // namespace moorvane
