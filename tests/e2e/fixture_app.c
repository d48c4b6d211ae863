/* A stand-in app for the end-to-end suites: shows one window (or none, with --no-window) and writes what
 * happens to it, one line each, to $MOORVANE_FIXTURE_RECORD: how it was started, a close request ("closed",
 * after which it exits 0 on its own) and SIGTERM ("SIGTERM", exit 143). SIGKILL leaves no line: the suite
 * sees it as an exit that is neither.
 *
 * Usage: moorvane-fixture-app --class CLASS [--no-window] */
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

static int record_fd = -1;

static void record(const char* line) {
    if (record_fd >= 0) {
        /* One write per line, so lines of several fixtures appending to one file do not mix. */
        (void)!write(record_fd, line, strlen(line));
    }
}

static void on_sigterm(int signal_number) {
    (void)signal_number;
    char line[64];
    snprintf(line, sizeof line, "%d SIGTERM\n", (int)getpid());
    record(line);
    _exit(143);
}

int main(int argc, char** argv) {
    const char* class_name = "Fixture";
    int windowed = 1;
    for (int i = 1; i < argc; ++i) {
        if (strcmp(argv[i], "--class") == 0 && i + 1 < argc) {
            class_name = argv[++i];
        } else if (strcmp(argv[i], "--no-window") == 0) {
            windowed = 0;
        }
    }
    const char* path = getenv("MOORVANE_FIXTURE_RECORD");
    if (path) record_fd = open(path, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    signal(SIGTERM, on_sigterm);

    const char* launched = getenv("GIO_LAUNCHED_DESKTOP_FILE");
    const char* startup = getenv("DESKTOP_STARTUP_ID");
    char line[1024];
    snprintf(line, sizeof line, "%d started class=%s window=%d launched=%s startup=%s\n", (int)getpid(), class_name,
             windowed, launched ? launched : "-", startup ? startup : "-");
    record(line);
    if (!windowed) {
        for (;;) pause();
    }

    Display* display = XOpenDisplay(NULL);
    if (!display) {
        snprintf(line, sizeof line, "%d no-display\n", (int)getpid());
        record(line);
        return 2;
    }
    const int screen = DefaultScreen(display);
    const Window window = XCreateSimpleWindow(display, RootWindow(display, screen), 200, 200, 320, 160, 1,
                                              BlackPixel(display, screen), WhitePixel(display, screen));
    XStoreName(display, window, class_name);
    XClassHint hint = {(char*)"fixture", (char*)class_name};
    XSetClassHint(display, window, &hint);
    const long pid = (long)getpid();
    XChangeProperty(display, window, XInternAtom(display, "_NET_WM_PID", False), XA_CARDINAL, 32, PropModeReplace,
                    (const unsigned char*)&pid, 1);
    char host[256] = {0};
    gethostname(host, sizeof host - 1);
    XTextProperty machine;
    char* hosts[] = {host};
    if (XStringListToTextProperty(hosts, 1, &machine)) {
        XSetWMClientMachine(display, window, &machine);
        XFree(machine.value);
    }
    Atom delete_window = XInternAtom(display, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display, window, &delete_window, 1);
    XMapWindow(display, window);
    XFlush(display);
    for (;;) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == ClientMessage && (Atom)event.xclient.data.l[0] == delete_window) {
            snprintf(line, sizeof line, "%d closed\n", (int)getpid());
            record(line);
            XCloseDisplay(display);
            return 0;
        }
    }
}
