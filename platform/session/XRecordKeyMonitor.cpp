#include "platform/session/XRecordKeyMonitor.h"

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

#include "base/Log.h"

// Xlib's macros (None, Bool, KeyPress...) would clash with the headers above; it comes last.
#include <X11/Xlib.h>
#include <X11/extensions/record.h>
#include <X11/keysym.h>
#include <linux/input-event-codes.h>

namespace moorvane {

namespace {

constexpr std::uint32_t shiftFlag = 1u << 17;
constexpr std::uint32_t controlFlag = 1u << 18;
constexpr std::uint32_t optionFlag = 1u << 19;
constexpr std::uint32_t commandFlag = 1u << 20;
// The wait for the server's first recorded reply; a local server answers at once.
constexpr int startTimeoutMilliseconds = 5000;

// The Mac virtual key codes name keys by their place on the keyboard, whatever the layout prints on them; so
// do Linux's input codes, which X servers on Linux number as X keycodes 8 higher (the "evdev" keycodes). The
// table goes by place, so Shift, the layout and its levels never change a key's code.
constexpr unsigned evdevKeycodeOffset = 8;

const std::unordered_map<unsigned, std::uint16_t>& keyCodeTable() {
    // Never destroyed: the recording thread may still read it while exit() runs.
    static const auto* table = new std::unordered_map<unsigned, std::uint16_t>{
        {KEY_A, 0},          {KEY_S, 1},           {KEY_D, 2},           {KEY_F, 3},
        {KEY_H, 4},          {KEY_G, 5},           {KEY_Z, 6},           {KEY_X, 7},
        {KEY_C, 8},          {KEY_V, 9},           {KEY_B, 11},          {KEY_Q, 12},
        {KEY_W, 13},         {KEY_E, 14},          {KEY_R, 15},          {KEY_Y, 16},
        {KEY_T, 17},         {KEY_1, 18},          {KEY_2, 19},          {KEY_3, 20},
        {KEY_4, 21},         {KEY_6, 22},          {KEY_5, 23},          {KEY_EQUAL, 24},
        {KEY_9, 25},         {KEY_7, 26},          {KEY_MINUS, 27},      {KEY_8, 28},
        {KEY_0, 29},         {KEY_RIGHTBRACE, 30}, {KEY_O, 31},          {KEY_U, 32},
        {KEY_LEFTBRACE, 33}, {KEY_I, 34},          {KEY_P, 35},          {KEY_ENTER, 36},
        {KEY_L, 37},         {KEY_J, 38},          {KEY_APOSTROPHE, 39}, {KEY_K, 40},
        {KEY_SEMICOLON, 41}, {KEY_BACKSLASH, 42},  {KEY_COMMA, 43},      {KEY_SLASH, 44},
        {KEY_N, 45},         {KEY_M, 46},          {KEY_DOT, 47},        {KEY_TAB, 48},
        {KEY_SPACE, 49},     {KEY_GRAVE, 50},      {KEY_BACKSPACE, 51},  {KEY_ESC, 53},
        {KEY_RIGHTMETA, 54}, {KEY_LEFTMETA, 55},   {KEY_LEFTSHIFT, 56},  {KEY_CAPSLOCK, 57},
        {KEY_LEFTALT, 58},   {KEY_LEFTCTRL, 59},   {KEY_RIGHTSHIFT, 60}, {KEY_RIGHTALT, 61},
        {KEY_RIGHTCTRL, 62}, {KEY_F17, 64},        {KEY_F18, 79},        {KEY_F19, 80},
        {KEY_F20, 90},       {KEY_F5, 96},         {KEY_F6, 97},         {KEY_F7, 98},
        {KEY_F3, 99},        {KEY_F8, 100},        {KEY_F9, 101},        {KEY_F11, 103},
        {KEY_F13, 105},      {KEY_F16, 106},       {KEY_F14, 107},       {KEY_F10, 109},
        {KEY_F12, 111},      {KEY_F15, 113},       {KEY_HELP, 114},      {KEY_INSERT, 114},
        {KEY_HOME, 115},     {KEY_PAGEUP, 116},    {KEY_DELETE, 117},    {KEY_F4, 118},
        {KEY_END, 119},      {KEY_F2, 120},        {KEY_PAGEDOWN, 121},  {KEY_F1, 122},
        {KEY_LEFT, 123},     {KEY_RIGHT, 124},     {KEY_DOWN, 125},      {KEY_UP, 126},
        {KEY_KPDOT, 65},     {KEY_KPASTERISK, 67}, {KEY_KPPLUS, 69},     {KEY_KPSLASH, 75},
        {KEY_KPENTER, 76},   {KEY_KPMINUS, 78},    {KEY_KPEQUAL, 81},    {KEY_KP0, 82},
        {KEY_KP1, 83},       {KEY_KP2, 84},        {KEY_KP3, 85},        {KEY_KP4, 86},
        {KEY_KP5, 87},       {KEY_KP6, 88},        {KEY_KP7, 89},        {KEY_KP8, 91},
        {KEY_KP9, 92},
    };
    return *table;
}

bool isKeypadInputCode(unsigned code) {
    switch (code) {
        case KEY_KPDOT:
        case KEY_KPASTERISK:
        case KEY_KPPLUS:
        case KEY_KPSLASH:
        case KEY_KPENTER:
        case KEY_KPMINUS:
        case KEY_KPEQUAL:
        case KEY_KP0:
        case KEY_KP1:
        case KEY_KP2:
        case KEY_KP3:
        case KEY_KP4:
        case KEY_KP5:
        case KEY_KP6:
        case KEY_KP7:
        case KEY_KP8:
        case KEY_KP9:
            return true;
        default:
            return false;
    }
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
        const std::optional<MacKey> key = macKeyForKeycode(keycode);
        if (!key) return;
        KeyEvent event{key->code, flags() | (key->keypad ? macNumericPadFlag : 0u), isRepeat};
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

std::optional<MacKey> macKeyForKeycode(unsigned keycode) {
    if (keycode < evdevKeycodeOffset) return std::nullopt;
    const unsigned input = keycode - evdevKeycodeOffset;
    const auto& table = keyCodeTable();
    const auto found = table.find(input);
    if (found == table.end()) return std::nullopt;
    return MacKey{found->second, isKeypadInputCode(input)};
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
        while (::write(wakeWrite_.get(), &byte, 1) < 0 && errno == EINTR) {
        }
        recorder_.join();
    }
    wakeRead_.reset();
    wakeWrite_.reset();
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
        wakeRead_.reset(fds[0]);
        wakeWrite_.reset(fds[1]);
        std::promise<bool> ready;
        std::future<bool> started = ready.get_future();
        recorder_ =
            std::thread(record, *display_, std::ref(queue_), handlers_, wakeRead_.get(), std::move(ready));
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
