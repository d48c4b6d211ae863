#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QRasterWindow>

#include <cstdlib>
#include <string>
#include <vector>

#include "fakes/TextFiles.h"
#include "platform/session/LinuxKeyMonitor.h"
#include "platform/session/QtMainQueue.h"
#include "platform/session/XRecordKeyMonitor.h"
#include "ui/EditorRules.h"

namespace moorvane {
namespace {

constexpr std::uint32_t shift = 1u << 17, control = 1u << 18, option = 1u << 19, command = 1u << 20;

struct Press {
    const char* keys;  // as xdotool names them
    std::uint16_t code;
    std::uint32_t flags;
};

struct LayoutCase {
    const char* name;
    const char* layout;
    std::vector<Press> presses;
};

// The real monitors on a private X server: the in-app filter of a focused window of ours and the system-wide
// recorder, fed by the same xdotool presses.
class KeyMonitors : public ::testing::TestWithParam<LayoutCase> {
  protected:
    static void SetUpTestSuite() {
        int told[2];
        ASSERT_EQ(::pipe(told), 0);
        xvfb_ = ::fork();
        if (xvfb_ == 0) {
            ::close(told[0]);
            ::execlp("Xvfb", "Xvfb", "-displayfd", std::to_string(told[1]).c_str(), "-nolisten", "tcp",
                     static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(told[1]);
        // The number, then a newline in a write of its own: read up to it, or Xvfb fails writing to a closed
        // pipe.
        std::string number;
        char c = 0;
        while (::read(told[0], &c, 1) == 1 && c != '\n') number += c;
        ::close(told[0]);
        ASSERT_FALSE(number.empty()) << "Xvfb did not start";
        ::setenv("DISPLAY", (":" + number).c_str(), 1);
        ::setenv("QT_QPA_PLATFORM", "xcb", 1);
        static int argc = 1;
        static char name[] = "KeyMonitorsTest";
        static char* argv[] = {name, nullptr};
        app_ = new QGuiApplication(argc, argv);
    }

    static void TearDownTestSuite() {
        delete app_;
        app_ = nullptr;
        if (xvfb_ > 0) {
            ::kill(xvfb_, SIGTERM);
            ::waitpid(xvfb_, nullptr, 0);
        }
    }

    template <class Condition>
    static bool eventually(Condition condition) {
        QElapsedTimer timer;
        timer.start();
        while (!condition() && timer.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        return condition();
    }

    static inline pid_t xvfb_ = -1;
    static inline QGuiApplication* app_ = nullptr;
};

TEST_P(KeyMonitors, BothReadTheSameKeyByItsPlaceWhateverShiftAndTheLayout) {
    ASSERT_TRUE(app_);
    ASSERT_EQ(std::system(("setxkbmap " + std::string(GetParam().layout)).c_str()), 0);
    QRasterWindow window;
    window.resize(200, 100);
    window.show();
    window.requestActivate();
    ASSERT_TRUE(eventually([&] { return QGuiApplication::focusWindow() == &window; }));

    QObject context;
    QtMainQueue queue(&context);
    XRecordKeyMonitor recorder(queue);
    LinuxKeyMonitor monitor(queue);
    std::vector<KeyEvent> global, local;
    ASSERT_TRUE(recorder.addGlobalKeyDownMonitor([&](const KeyEvent& event) { global.push_back(event); }));
    ASSERT_TRUE(monitor.addLocalKeyDownMonitor([&](const KeyEvent& event) {
        local.push_back(event);
        return true;
    }));

    for (std::size_t i = 0; i < GetParam().presses.size(); ++i) {
        const Press& press = GetParam().presses[i];
        ASSERT_EQ(std::system(("xdotool key " + std::string(press.keys)).c_str()), 0);
        ASSERT_TRUE(eventually([&] { return global.size() > i && local.size() > i; }))
            << press.keys << ": in-app " << local.size() << ", system-wide " << global.size();
        EXPECT_EQ(local[i].keyCode, press.code) << press.keys << " in-app";
        EXPECT_EQ(local[i].modifierFlags, press.flags) << press.keys << " in-app";
        EXPECT_EQ(global[i].keyCode, press.code) << press.keys << " system-wide";
        EXPECT_EQ(global[i].modifierFlags, press.flags) << press.keys << " system-wide";
    }
    EXPECT_TRUE(eventually([&] { return global.size() == local.size(); }));
    EXPECT_EQ(local.size(), GetParam().presses.size()) << "a modifier's own press is no key-down";

    // What the shortcut recorder makes of the first, ⌘⇧ and the key of 1.
    const auto recorded = editor::judgeRecordedKey(local.front());
    EXPECT_EQ(recorded.kind, editor::RecordedKey::Kind::accept);
    EXPECT_EQ(recorded.shortcut, "cmd+shift+1");
    ASSERT_EQ(std::system("setxkbmap us"), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Linux, KeyMonitors,
    ::testing::Values(LayoutCase{"US",
                                 "us",
                                 {{"super+shift+1", 18, command | shift},
                                  {"ctrl+shift+equal", 24, control | shift},
                                  {"ctrl+shift+grave", 50, control | shift},
                                  {"alt+q", 12, option},
                                  {"KP_End", 83, 1u << 21}}},
                      // The same places: AZERTY's "&" is the key of 1, its "a" the key of Q.
                      LayoutCase{"French",
                                 "fr",
                                 {{"super+shift+ampersand", 18, command | shift},
                                  {"ctrl+shift+equal", 24, control | shift},
                                  {"ctrl+shift+twosuperior", 50, control | shift},
                                  {"alt+a", 12, option},
                                  {"KP_End", 83, 1u << 21}}}),
    testing::caseName);

}  // namespace
}  // namespace moorvane
