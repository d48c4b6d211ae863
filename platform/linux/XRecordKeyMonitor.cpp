#include "platform/linux/XRecordKeyMonitor.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <future>
#include <set>
#include <unordered_map>
#include <utility>
#include <vector>

#include "model/Log.h"

// Xlib's macros (None, Bool, KeyPress...) would clash with the headers above; it comes last.
#include <X11/Xlib.h>
#include <X11/extensions/record.h>
#include <X11/keysym.h>

namespace moorvane {

namespace {

constexpr std::uint32_t shiftFlag = 1u << 17;
constexpr std::uint32_t controlFlag = 1u << 18;
constexpr std::uint32_t optionFlag = 1u << 19;
constexpr std::uint32_t commandFlag = 1u << 20;
// The wait for the server's first recorded reply; a local server answers at once.
constexpr int startTimeoutMilliseconds = 5000;

const std::unordered_map<unsigned long, std::uint16_t>& keyCodeTable() {
    static const std::unordered_map<unsigned long, std::uint16_t> table = [] {
        std::unordered_map<unsigned long, std::uint16_t> codes = {
            {XK_a, 0},
            {XK_s, 1},
            {XK_d, 2},
            {XK_f, 3},
            {XK_h, 4},
            {XK_g, 5},
            {XK_z, 6},
            {XK_x, 7},
            {XK_c, 8},
            {XK_v, 9},
            {XK_b, 11},
            {XK_q, 12},
            {XK_w, 13},
            {XK_e, 14},
            {XK_r, 15},
            {XK_y, 16},
            {XK_t, 17},
            {XK_1, 18},
            {XK_2, 19},
            {XK_3, 20},
            {XK_4, 21},
            {XK_6, 22},
            {XK_5, 23},
            {XK_equal, 24},
            {XK_9, 25},
            {XK_7, 26},
            {XK_minus, 27},
            {XK_8, 28},
            {XK_0, 29},
            {XK_bracketright, 30},
            {XK_o, 31},
            {XK_u, 32},
            {XK_bracketleft, 33},
            {XK_i, 34},
            {XK_p, 35},
            {XK_Return, 36},
            {XK_l, 37},
            {XK_j, 38},
            {XK_apostrophe, 39},
            {XK_k, 40},
            {XK_semicolon, 41},
            {XK_backslash, 42},
            {XK_comma, 43},
            {XK_slash, 44},
            {XK_n, 45},
            {XK_m, 46},
            {XK_period, 47},
            {XK_Tab, 48},
            {XK_ISO_Left_Tab, 48},
            {XK_space, 49},
            {XK_grave, 50},
            {XK_BackSpace, 51},
            {XK_Escape, 53},
            {XK_Super_R, 54},
            {XK_Super_L, 55},
            {XK_Shift_L, 56},
            {XK_Caps_Lock, 57},
            {XK_Alt_L, 58},
            {XK_Control_L, 59},
            {XK_Shift_R, 60},
            {XK_Alt_R, 61},
            {XK_Control_R, 62},
            {XK_F17, 64},
            {XK_F18, 79},
            {XK_F19, 80},
            {XK_F20, 90},
            {XK_F5, 96},
            {XK_F6, 97},
            {XK_F7, 98},
            {XK_F3, 99},
            {XK_F8, 100},
            {XK_F9, 101},
            {XK_F11, 103},
            {XK_F13, 105},
            {XK_F16, 106},
            {XK_F14, 107},
            {XK_F10, 109},
            {XK_F12, 111},
            {XK_F15, 113},
            {XK_Help, 114},
            {XK_Insert, 114},
            {XK_Home, 115},
            {XK_Prior, 116},
            {XK_Delete, 117},
            {XK_F4, 118},
            {XK_End, 119},
            {XK_F2, 120},
            {XK_Next, 121},
            {XK_F1, 122},
            {XK_Left, 123},
            {XK_Right, 124},
            {XK_Down, 125},
            {XK_Up, 126},
            // The keypad, under both of its Num Lock levels.
            {XK_KP_Decimal, 65},
            {XK_KP_Delete, 65},
            {XK_KP_Multiply, 67},
            {XK_KP_Add, 69},
            {XK_KP_Divide, 75},
            {XK_KP_Enter, 76},
            {XK_KP_Subtract, 78},
            {XK_KP_Equal, 81},
            {XK_KP_0, 82},
            {XK_KP_Insert, 82},
            {XK_KP_1, 83},
            {XK_KP_End, 83},
            {XK_KP_2, 84},
            {XK_KP_Down, 84},
            {XK_KP_3, 85},
            {XK_KP_Next, 85},
            {XK_KP_4, 86},
            {XK_KP_Left, 86},
            {XK_KP_5, 87},
            {XK_KP_Begin, 87},
            {XK_KP_6, 88},
            {XK_KP_Right, 88},
            {XK_KP_7, 89},
            {XK_KP_Home, 89},
            {XK_KP_8, 91},
            {XK_KP_Up, 91},
            {XK_KP_9, 92},
            {XK_KP_Prior, 92},
        };
        // A layout whose first level is a capital still names the same key.
        for (unsigned long letter = XK_A; letter <= XK_Z; ++letter) {
            codes.emplace(letter, codes.at(letter - XK_A + XK_a));
        }
        return codes;
    }();
    return table;
}

bool isKeypadKeysym(unsigned long keysym) {
    return keysym >= XK_KP_Space && keysym <= XK_KP_Equal;
}

// Xlib's default error handler ends the process. Errors on the recorder's own connections are noted and
// dropped; any other connection's go to whichever handler was installed before. Never destroyed: the toolkit
// may end the process (exit() when its display goes) while the recording thread still closes its connections.
struct ErrorTrap {
    std::mutex mutex;
    std::set<Display*> displays;
    XErrorHandler previous = nullptr;
    XIOErrorHandler previousIO = nullptr;
};

ErrorTrap& errorTrap() {
    static auto* trap = new ErrorTrap;
    return *trap;
}

int recorderErrorHandler(Display* display, XErrorEvent* event) {
    XErrorHandler forward = nullptr;
    {
        ErrorTrap& trap = errorTrap();
        std::lock_guard lock(trap.mutex);
        if (trap.displays.contains(display)) return 0;
        forward = trap.previous;
    }
    return forward != nullptr ? forward(display, event) : 0;
}

bool isRecorderDisplay(Display* display) {
    ErrorTrap& trap = errorTrap();
    std::lock_guard lock(trap.mutex);
    return trap.displays.contains(display);
}

// Xlib's default for a lost connection (and the toolkit's handler, which ends in it) calls exit() from the
// thread that noticed, here the recording thread, while the main thread's toolkit tears its own connection
// down (seen: a double free, Qt timers stopped from the wrong thread). For the recorder's connections the
// handler returns, so Xlib calls the display's exit handler instead, which only notes the loss; the thread
// then ends, and the toolkit's own loss of the display ends the app.
int recorderIOErrorHandler(Display* display) {
    if (isRecorderDisplay(display)) return 0;
    XIOErrorHandler forward = nullptr;
    {
        std::lock_guard lock(errorTrap().mutex);
        forward = errorTrap().previousIO;
    }
    return forward != nullptr ? forward(display) : 0;
}

void noteConnectionLost(Display*, void* lost) {
    static_cast<std::atomic<bool>*>(lost)->store(true);
}

void trapErrorsOn(Display* display, std::atomic<bool>& lost) {
    static std::once_flag installed;
    std::call_once(installed, [] {
        XErrorHandler previous = XSetErrorHandler(recorderErrorHandler);
        XIOErrorHandler previousIO = XSetIOErrorHandler(recorderIOErrorHandler);
        std::lock_guard lock(errorTrap().mutex);
        errorTrap().previous = previous;
        errorTrap().previousIO = previousIO;
    });
    XSetIOErrorExitHandler(display, noteConnectionLost, &lost);
    std::lock_guard lock(errorTrap().mutex);
    errorTrap().displays.insert(display);
}

void closeTrapped(Display* display) {
    if (display == nullptr) return;
    // Still trapped while it closes: closing syncs with a server that may have gone since the other
    // connection noticed.
    XCloseDisplay(display);
    std::lock_guard lock(errorTrap().mutex);
    errorTrap().displays.erase(display);
}

// Lives on the recording thread; the record callback reaches it through its closure pointer.
struct Recorder {
    Display* control = nullptr;
    MainQueue* queue = nullptr;
    std::shared_ptr<XRecordKeyMonitor::Handlers> handlers;
    std::optional<std::promise<bool>> ready;
    // Set by Xlib, on this thread, when either connection is lost.
    std::atomic<bool> lost = false;
    std::set<unsigned> keysDown;
    std::unordered_map<std::uint32_t, int> held;
    bool capsLock = false;

    unsigned long keysymOf(unsigned keycode) const {
        int perKeycode = 0;
        KeySym* symbols = XGetKeyboardMapping(control, static_cast<KeyCode>(keycode), 1, &perKeycode);
        if (symbols == nullptr) return NoSymbol;
        unsigned long keysym = perKeycode > 0 ? symbols[0] : NoSymbol;
        if (keysym == NoSymbol && perKeycode > 1) keysym = symbols[1];
        XFree(symbols);
        return keysym;
    }

    std::uint32_t flags() const {
        std::uint32_t value = capsLock ? macCapsLockFlag : 0;
        for (const auto& [flag, count] : held) {
            if (count > 0) value |= flag;
        }
        return value;
    }

    void keyChanged(bool pressed, unsigned keycode) {
        const unsigned long keysym = keysymOf(keycode);
        const std::uint32_t modifier = macModifierForKeysym(keysym);
        if (!pressed) {
            keysDown.erase(keycode);
            if (modifier != 0 && modifier != macCapsLockFlag && held[modifier] > 0) --held[modifier];
            return;
        }
        const bool isRepeat = !keysDown.insert(keycode).second;
        if (modifier == macCapsLockFlag) {
            if (!isRepeat) capsLock = !capsLock;
            return;
        }
        if (modifier != 0) {
            if (!isRepeat) ++held[modifier];
            return;
        }
        const std::optional<std::uint16_t> code = macKeyCodeForKeysym(keysym);
        if (!code) return;
        KeyEvent event{*code, flags() | (isKeypadKeysym(keysym) ? macNumericPadFlag : 0u), isRepeat};
        queue->post([handlers = handlers, event] {
            std::vector<XRecordKeyMonitor::GlobalHandler> current;
            {
                std::lock_guard lock(handlers->mutex);
                for (const auto& [token, handler] : handlers->byToken) current.push_back(handler);
            }
            for (const auto& handler : current) handler(event);
        });
    }

    // The state when recording starts, so a modifier already held or Caps Lock already on counts.
    void readInitialState() {
        Window root = 0;
        Window child = 0;
        int rootX = 0, rootY = 0, x = 0, y = 0;
        unsigned mask = 0;
        if (!XQueryPointer(control, DefaultRootWindow(control), &root, &child, &rootX, &rootY, &x, &y,
                           &mask)) {
            return;
        }
        if (mask & ShiftMask) held[shiftFlag] = 1;
        if (mask & ControlMask) held[controlFlag] = 1;
        if (mask & Mod1Mask) held[optionFlag] = 1;
        if (mask & Mod4Mask) held[commandFlag] = 1;
        capsLock = (mask & LockMask) != 0;
    }
};

void onRecorded(XPointer closure, XRecordInterceptData* data) {
    auto* recorder = reinterpret_cast<Recorder*>(closure);
    if (data->category == XRecordStartOfData && recorder->ready) {
        recorder->handlers->recording = true;
        recorder->ready->set_value(true);
        recorder->ready.reset();
    } else if (data->category == XRecordFromServer && data->data != nullptr && data->data_len >= 1) {
        // A recorded device event is a wire event: its type, then the key code as its detail byte.
        const int type = data->data[0] & 0x7f;
        if (type == KeyPress || type == KeyRelease) recorder->keyChanged(type == KeyPress, data->data[1]);
    }
    XRecordFreeData(data);
}

void record(std::string displayName, MainQueue& queue, std::shared_ptr<XRecordKeyMonitor::Handlers> handlers,
            int wakeFd, std::promise<bool> ready) {
    Recorder recorder;
    recorder.queue = &queue;
    recorder.handlers = std::move(handlers);
    recorder.ready = std::move(ready);
    const auto fail = [&recorder](const std::string& why) {
        log("KeyMonitor: system-wide key monitor unavailable: " + why);
        if (recorder.ready) recorder.ready->set_value(false);
        recorder.ready.reset();
    };

    // Recording occupies one connection entirely; the other makes the requests.
    Display* control = XOpenDisplay(displayName.c_str());
    Display* data = control != nullptr ? XOpenDisplay(displayName.c_str()) : nullptr;
    if (control == nullptr || data == nullptr) {
        fail("cannot open display " + displayName);
        if (control != nullptr) XCloseDisplay(control);
        return;
    }
    trapErrorsOn(control, recorder.lost);
    trapErrorsOn(data, recorder.lost);
    recorder.control = control;

    XRecordContext context = 0;
    XRecordRange* range = XRecordAllocRange();
    if (range != nullptr) {
        range->device_events.first = KeyPress;
        range->device_events.last = KeyRelease;
        XRecordClientSpec clients = XRecordAllClients;
        context = XRecordCreateContext(control, 0, &clients, 1, &range, 1);
        XFree(range);
    }
    // The context must exist on the server before the other connection enables it.
    XSync(control, False);
    recorder.readInitialState();
    if (context == 0 ||
        !XRecordEnableContextAsync(data, context, onRecorded, reinterpret_cast<XPointer>(&recorder))) {
        fail("the RECORD context could not be created");
    } else {
        XFlush(data);
        const auto startDeadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(startTimeoutMilliseconds);
        for (;;) {
            XRecordProcessReplies(data);
            while (!recorder.lost && XPending(control) > 0) {
                XEvent event;
                XNextEvent(control, &event);
                // Layout changes arrive here; XGetKeyboardMapping asks the server each time, so there is no
                // cached map to refresh.
            }
            pollfd fds[] = {{ConnectionNumber(data), POLLIN, 0},
                            {ConnectionNumber(control), POLLIN, 0},
                            {wakeFd, POLLIN, 0}};
            int timeout = -1;
            if (recorder.ready) {
                const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                    startDeadline - std::chrono::steady_clock::now());
                if (left.count() <= 0) {
                    fail("the X server did not start recording");
                    break;
                }
                timeout = static_cast<int>(left.count());
            }
            if (recorder.lost) {
                log("KeyMonitor: lost the connection to display " + displayName);
                break;
            }
            if (::poll(fds, 3, timeout) < 0 && errno != EINTR) break;
            if (fds[2].revents != 0) break;
            if ((fds[0].revents | fds[1].revents) & (POLLHUP | POLLERR)) {
                log("KeyMonitor: lost the connection to display " + displayName);
                break;
            }
        }
        if (!recorder.lost) XRecordDisableContext(control, context);
    }
    if (!recorder.lost) {
        if (context != 0) XRecordFreeContext(control, context);
        XSync(control, False);
    }
    recorder.handlers->recording = false;
    if (recorder.ready) fail("recording ended before it started");
    closeTrapped(data);
    closeTrapped(control);
}

}  // namespace

std::optional<std::uint16_t> macKeyCodeForKeysym(unsigned long keysym) {
    const auto& table = keyCodeTable();
    const auto found = table.find(keysym);
    if (found == table.end()) return std::nullopt;
    return found->second;
}

std::uint32_t macModifierForKeysym(unsigned long keysym) {
    switch (keysym) {
        case XK_Shift_L:
        case XK_Shift_R:
            return shiftFlag;
        case XK_Control_L:
        case XK_Control_R:
            return controlFlag;
        case XK_Alt_L:
        case XK_Alt_R:
        case XK_Meta_L:
        case XK_Meta_R:
            return optionFlag;
        case XK_Super_L:
        case XK_Super_R:
            return commandFlag;
        case XK_Caps_Lock:
            return macCapsLockFlag;
        default:
            return 0;
    }
}

XRecordKeyMonitor::XRecordKeyMonitor(MainQueue& queue, std::optional<std::string> display)
    : queue_(queue), display_(std::move(display)) {
    if (!display_) {
        if (const char* variable = std::getenv("DISPLAY"); variable != nullptr && variable[0] != '\0') {
            display_ = std::string(variable);
        }
    }
}

XRecordKeyMonitor::~XRecordKeyMonitor() {
    {
        // Tasks already posted find no handler and do nothing.
        std::lock_guard lock(handlers_->mutex);
        handlers_->byToken.clear();
    }
    stopRecording();
}

void XRecordKeyMonitor::stopRecording() {
    if (recorder_.joinable()) {
        const char byte = 1;
        while (::write(wakeWrite_, &byte, 1) < 0 && errno == EINTR) {
        }
        recorder_.join();
    }
    for (int* fd : {&wakeRead_, &wakeWrite_}) {
        if (*fd >= 0) ::close(*fd);
        *fd = -1;
    }
}

bool XRecordKeyMonitor::recordAvailable() {
    if (recordAvailable_) return *recordAvailable_;
    recordAvailable_ = false;
    if (!display_) return false;
    Display* display = XOpenDisplay(display_->c_str());
    if (display == nullptr) return false;
    int major = 0;
    int minor = 0;
    recordAvailable_ = XRecordQueryVersion(display, &major, &minor) != 0;
    XCloseDisplay(display);
    return *recordAvailable_;
}

std::optional<KeyMonitorToken> XRecordKeyMonitor::addGlobalKeyDownMonitor(GlobalHandler handler) {
    // A recording that ended on its own is started afresh rather than handing out a token that hears nothing.
    if (recorder_.joinable() && !handlers_->recording) stopRecording();
    if (!recorder_.joinable()) {
        if (!recordAvailable()) {
            log(display_
                    ? "KeyMonitor: display " + *display_ + " has no RECORD extension; no system-wide keys"
                    : std::string("KeyMonitor: no X display (Wayland forbids watching other apps' keys); "
                                  "no system-wide keys"));
            return std::nullopt;
        }
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) {
            log("KeyMonitor: cannot create a wake-up pipe");
            return std::nullopt;
        }
        wakeRead_ = fds[0];
        wakeWrite_ = fds[1];
        std::promise<bool> ready;
        std::future<bool> started = ready.get_future();
        recorder_ = std::thread(record, *display_, std::ref(queue_), handlers_, wakeRead_, std::move(ready));
        if (!started.get()) {
            stopRecording();
            return std::nullopt;
        }
    }
    std::lock_guard lock(handlers_->mutex);
    const KeyMonitorToken token = nextToken_++;
    handlers_->byToken.emplace(token, std::move(handler));
    return token;
}

std::optional<KeyMonitorToken> XRecordKeyMonitor::addLocalKeyDownMonitor(LocalHandler) {
    return std::nullopt;
}

void XRecordKeyMonitor::removeMonitor(KeyMonitorToken token) {
    std::lock_guard lock(handlers_->mutex);
    handlers_->byToken.erase(token);
}

bool XRecordKeyMonitor::seesOtherAppsKeys() {
    if (const char* wayland = std::getenv("WAYLAND_DISPLAY"); wayland != nullptr && wayland[0] != '\0') {
        return false;
    }
    return recordAvailable();
}

}  // namespace moorvane
