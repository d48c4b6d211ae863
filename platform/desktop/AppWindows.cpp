#include "platform/desktop/AppWindows.h"

#include <unistd.h>

#include <algorithm>
#include <array>

#include "base/Log.h"

// Last: Xlib defines macros (None, Bool, Status) that would clash with the names above.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace moorvane::desktop {

namespace {

// A window may go away between listing it and reading it: the BadWindow that follows is expected, and Xlib's
// default handler would end the process for it. Kept while a scope runs, with everything sent before synced.
int ignoreError(Display*, XErrorEvent*) {
    return 0;
}

class ErrorTrap {
  public:
    explicit ErrorTrap(Display* display) : display_(display), previous_(XSetErrorHandler(ignoreError)) {}
    ~ErrorTrap() {
        XSync(display_, False);
        XSetErrorHandler(previous_);
    }
    ErrorTrap(const ErrorTrap&) = delete;
    ErrorTrap& operator=(const ErrorTrap&) = delete;

  private:
    Display* display_;
    int (*previous_)(Display*, XErrorEvent*);
};

// One property's items (format 32, as `long`s, Xlib's way); empty when missing or of another type.
std::vector<unsigned long> cardinals(Display* display, Window window, Atom property, Atom type) {
    Atom actualType = 0;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    std::vector<unsigned long> out;
    if (XGetWindowProperty(display, window, property, 0, 65536, False, type, &actualType, &format, &count,
                           &after, &data) == Success &&
        data && actualType == type && format == 32) {
        const auto* items = reinterpret_cast<const unsigned long*>(data);
        out.assign(items, items + count);
    }
    if (data) XFree(data);
    return out;
}

std::string textProperty(Display* display, Window window, Atom property) {
    XTextProperty value{};
    std::string out;
    if (XGetTextProperty(display, window, &value, property) && value.value) {
        out.assign(reinterpret_cast<const char*>(value.value), value.nitems);
        XFree(value.value);
    }
    return out;
}

}  // namespace

AppWindows::AppWindows(std::string display) {
    display_ = XOpenDisplay(display.empty() ? nullptr : display.c_str());
    std::array<char, 256> host{};
    if (::gethostname(host.data(), host.size() - 1) == 0) hostName_ = host.data();
}

AppWindows::~AppWindows() {
    if (display_) XCloseDisplay(display_);
}

bool AppWindows::windowManagerRuns() {
    const Atom check = XInternAtom(display_, "_NET_SUPPORTING_WM_CHECK", False);
    const Window root = DefaultRootWindow(display_);
    const std::vector<unsigned long> fromRoot = cardinals(display_, root, check, XA_WINDOW);
    if (fromRoot.empty()) return false;
    // A window manager that died leaves the root's property behind; its own window then is gone.
    const std::vector<unsigned long> fromChild = cardinals(display_, fromRoot[0], check, XA_WINDOW);
    return !fromChild.empty() && fromChild[0] == fromRoot[0];
}

std::vector<ClientWindow> AppWindows::clientWindows() {
    std::vector<ClientWindow> out;
    if (!display_) return out;
    ErrorTrap trap(display_);
    const Window root = DefaultRootWindow(display_);
    std::vector<unsigned long> windows;
    if (windowManagerRuns()) {
        windows = cardinals(display_, root, XInternAtom(display_, "_NET_CLIENT_LIST", False), XA_WINDOW);
    } else {
        Window rootReturn = 0;
        Window parent = 0;
        Window* children = nullptr;
        unsigned int count = 0;
        if (XQueryTree(display_, root, &rootReturn, &parent, &children, &count) && children) {
            for (unsigned int i = 0; i < count; ++i) {
                XWindowAttributes attributes{};
                if (XGetWindowAttributes(display_, children[i], &attributes) &&
                    attributes.map_state == IsViewable && !attributes.override_redirect)
                    windows.push_back(children[i]);
            }
            XFree(children);
        }
    }
    const Atom pidAtom = XInternAtom(display_, "_NET_WM_PID", False);
    for (const unsigned long window : windows) {
        ClientWindow client;
        client.window = window;
        const std::vector<unsigned long> pid = cardinals(display_, window, pidAtom, XA_CARDINAL);
        const std::string machine = textProperty(display_, window, XA_WM_CLIENT_MACHINE);
        if (!pid.empty() && pid[0] > 0 && pid[0] < 0x7fffffff && (machine.empty() || machine == hostName_))
            client.pid = static_cast<ProcessId>(pid[0]);
        XClassHint hint{};
        if (XGetClassHint(display_, window, &hint)) {
            if (hint.res_class) client.windowClass = hint.res_class;
            if (hint.res_name) XFree(hint.res_name);
            if (hint.res_class) XFree(hint.res_class);
        }
        out.push_back(std::move(client));
    }
    return out;
}

int AppWindows::closeWindowsOf(ProcessId pid) {
    if (!display_ || pid <= 0) return 0;
    const std::vector<ClientWindow> windows = clientWindows();
    ErrorTrap trap(display_);
    const Window root = DefaultRootWindow(display_);
    const bool managed = windowManagerRuns();
    const Atom protocols = XInternAtom(display_, "WM_PROTOCOLS", False);
    const Atom deleteWindow = XInternAtom(display_, "WM_DELETE_WINDOW", False);
    int asked = 0;
    for (const ClientWindow& client : windows) {
        if (client.pid != pid) continue;
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.format = 32;
        if (managed) {
            // As a pager asks (source indication 2): the window manager closes it as its own button would,
            // sending WM_DELETE_WINDOW or, for a client that takes none, closing the connection.
            event.xclient.window = client.window;
            event.xclient.message_type = XInternAtom(display_, "_NET_CLOSE_WINDOW", False);
            event.xclient.data.l[0] = CurrentTime;
            event.xclient.data.l[1] = 2;
            XSendEvent(display_, root, False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
            ++asked;
            continue;
        }
        Atom* offered = nullptr;
        int count = 0;
        bool takesDelete = false;
        if (XGetWMProtocols(display_, client.window, &offered, &count) && offered) {
            takesDelete = std::find(offered, offered + count, deleteWindow) != offered + count;
            XFree(offered);
        }
        // Without a window manager nothing else would close it politely; a client that takes no
        // WM_DELETE_WINDOW is left running rather than cut off.
        if (!takesDelete) continue;
        event.xclient.window = client.window;
        event.xclient.message_type = protocols;
        event.xclient.data.l[0] = static_cast<long>(deleteWindow);
        event.xclient.data.l[1] = CurrentTime;
        XSendEvent(display_, client.window, False, NoEventMask, &event);
        ++asked;
    }
    return asked;
}

void AppWindows::announceStartup(const std::string& startupId, const std::string& name,
                                 const std::string& icon, const std::string& wmClass) {
    if (!display_) return;
    // The startup-notification message: key="value" pairs, sent in 20-byte pieces to the root, the first as
    // _NET_STARTUP_INFO_BEGIN and the rest as _NET_STARTUP_INFO, ending with a NUL.
    const auto quoted = [](const std::string& value) {
        std::string out = "\"";
        for (const char c : value) {
            if (c == '"' || c == '\\') out.push_back('\\');
            out.push_back(c);
        }
        return out + "\"";
    };
    std::string message = "new: ID=" + quoted(startupId) + " NAME=" + quoted(name) +
                          " SCREEN=" + std::to_string(DefaultScreen(display_));
    if (!icon.empty()) message += " ICON=" + quoted(icon);
    if (!wmClass.empty()) message += " WMCLASS=" + quoted(wmClass);
    message.push_back('\0');

    ErrorTrap trap(display_);
    const Window root = DefaultRootWindow(display_);
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    // The messages come from a window of the sender's own, as the startup-notification library sends them.
    const Window sender = XCreateWindow(display_, root, -100, -100, 1, 1, 0, CopyFromParent, CopyFromParent,
                                        CopyFromParent, CWOverrideRedirect, &attributes);
    const Atom begin = XInternAtom(display_, "_NET_STARTUP_INFO_BEGIN", False);
    const Atom more = XInternAtom(display_, "_NET_STARTUP_INFO", False);
    for (std::size_t offset = 0; offset < message.size(); offset += 20) {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = sender;
        event.xclient.message_type = offset == 0 ? begin : more;
        event.xclient.format = 8;
        const std::size_t piece = std::min<std::size_t>(20, message.size() - offset);
        std::copy_n(message.data() + offset, piece, event.xclient.data.b);
        XSendEvent(display_, root, False, PropertyChangeMask, &event);
    }
    XDestroyWindow(display_, sender);
    XFlush(display_);
}

}  // namespace moorvane::desktop
