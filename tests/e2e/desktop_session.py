"""A private desktop session with a real dock: GNOME Shell (its dash) or Plank, on Xvfb and private buses.

Every session has a fresh $HOME and every XDG_* folder of its own, set before the first bus starts: services the
bus starts (dconf-service, the accessibility bus) take the bus daemon's environment, and a dconf-service started
with the real $HOME would write the real user's settings. Fixture desktop entries, whose Exec is a harmless
program, are found through XDG_DATA_DIRS ahead of /usr/share. Every process started here runs in a process group
of its own, and the whole group goes at the end.

Used by the end-to-end suites and by bench/app_timings.py.
"""

import hashlib
import os
import shutil
import signal
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts"))
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import person_e2e  # noqa: E402  (the tray, the accessibility tree, the pointer; it takes the build folder)
import moorvane_e2e  # noqa: E402  (the store's files, as the reference Dock's suite reads them)
from moorvane_e2e import MOORVANE, log_since, log_size, profile_tiles, tile_labels, wait_for  # noqa: E402,F401  (shared)

# The accessibility bindings, imported once the first session's bus and display are this process's own: they
# bind to them for good, so a process serves one session that reads accessibility trees.
pyatspi = None
Atspi = None

# Fixture apps: desktop id, Name, icon (from Adwaita, so the dock draws something recognisable).
FIXTURE_APPS = (
    ("org.example.Calculator", "Calculator", "accessories-calculator"),
    ("org.example.Editor", "Editor", "accessories-text-editor"),
    ("org.example.Dictionary", "Dictionary", "accessories-dictionary"),
    ("org.example.Games", "Games", "applications-games"),
    ("org.example.Graphics", "Graphics", "applications-graphics"),
    ("org.example.Science", "Science", "applications-science"),
)
# An entry the menus do not list: a dock does not show it either.
HIDDEN_ENTRY = ("org.example.Helper", "Helper", "applications-other")

GNOME_STARTED = "GNOME Shell started"
PLANK_DOCK = "dock1"


def real_dconf_state():
    """What the real user's dconf database looks like: a session must leave it exactly so."""
    folder = os.path.join(os.path.expanduser("~"), ".config", "dconf")
    if not os.path.isdir(folder):
        return None
    state = {}
    for name in sorted(os.listdir(folder)):
        path = os.path.join(folder, name)
        if os.path.isfile(path):
            with open(path, "rb") as f:
                state[name] = (os.stat(path).st_mtime_ns, hashlib.sha256(f.read()).hexdigest())
    return state


def desktop_tile(desktop_id, label, path):
    """An app tile as Moorvane stores a desktop entry: its id as the bundle identifier, its file's URL."""
    return {"tile-data": {"bundle-identifier": desktop_id, "file-label": label,
                          "file-data": {"_CFURLString": "file://" + path, "_CFURLStringType": 15}},
            "tile-type": "file-tile"}


def folder_tile(path):
    return {"tile-data": {"file-label": os.path.basename(path.rstrip("/")),
                          "file-data": {"_CFURLString": "file://" + path.rstrip("/") + "/", "_CFURLStringType": 15}},
            "tile-type": "directory-tile"}


def spacer_tile():
    return {"tile-data": {"file-label": ""}, "tile-type": "spacer-tile"}


class DesktopSession:
    """Xvfb, a private session bus, a fresh home with fixture apps, and one dock: "gnome" or "plank". With `tray`
    false, no tray either, as on a stock GNOME desktop. On Plank, Calculator and Editor are pinned, and with
    `pin_folder` the Projects folder after them. With `app_entry`, Moorvane's own desktop entry and icon are
    installed, as its package installs them."""

    def __init__(self, dock, width=1280, height=800, tray=True, pin_folder=False, app_entry=False):
        if dock not in ("gnome", "plank"):
            raise ValueError(dock)
        self.dock = dock
        self.tray = tray
        self.pin_folder = pin_folder
        self.app_entry = app_entry
        self.real_dconf = real_dconf_state()
        self.root = tempfile.mkdtemp(prefix="moorvane-%s-" % dock)
        self.home = os.path.join(self.root, "home")
        self.groups = []  # process groups started here, killed in reverse order
        self.moorvane = None
        self.dash = None
        self.connection = None
        try:
            self._make_home()
            self._start_display(width, height)
            self._start_buses()
            if dock == "gnome":
                self._start_gnome_shell()
            else:
                self._start_plank()
            self._start_tray_and_accessibility()
        except BaseException:
            self.close()
            raise

    # The home and its variables.

    def _make_home(self):
        runtime = os.path.join(self.root, "run")
        os.makedirs(runtime, mode=0o700)
        os.chmod(runtime, 0o700)
        fixtures = os.path.join(self.root, "share")
        self.applications = os.path.join(fixtures, "applications")
        os.makedirs(self.applications)
        xdg = {"XDG_CONFIG_HOME": os.path.join(self.home, ".config"),
               "XDG_DATA_HOME": os.path.join(self.home, ".local", "share"),
               "XDG_CACHE_HOME": os.path.join(self.home, ".cache"),
               "XDG_STATE_HOME": os.path.join(self.home, ".local", "state")}
        for folder in xdg.values():
            os.makedirs(folder)
        self.env = {k: v for k, v in os.environ.items()
                    if not k.startswith(("XDG_", "DBUS_", "WAYLAND", "GSETTINGS", "GIO_", "DESKTOP_SESSION",
                                         "GNOME_", "QT_QPA_PLATFORM_PLUGIN_PATH", "SESSION_MANAGER"))}
        self.env.pop("DISPLAY", None)
        self.env.update(xdg, HOME=self.home, XDG_RUNTIME_DIR=runtime, XDG_CONFIG_DIRS="/etc/xdg",
                        XDG_DATA_DIRS=fixtures + ":/usr/local/share:/usr/share", XDG_SESSION_TYPE="x11",
                        LANG="C.UTF-8", QT_QPA_PLATFORM="xcb")
        if self.dock == "gnome":
            self.env.update(XDG_CURRENT_DESKTOP="GNOME", XDG_SESSION_DESKTOP="gnome", LIBGL_ALWAYS_SOFTWARE="1")
        self.entries = {}
        for desktop_id, name, icon in FIXTURE_APPS:
            self.write_entry(desktop_id, name, icon)
        self.write_entry(*HIDDEN_ENTRY, extra="NoDisplay=true\n")
        if self.app_entry:
            self._install_app_entry(fixtures)
        self.folder = os.path.join(self.home, "Projects")
        os.makedirs(self.folder)
        for name in ("plan.txt", "notes.txt"):  # Plank draws a folder by what it holds
            with open(os.path.join(self.folder, name), "w") as f:
                f.write(name)

    @staticmethod
    def _install_app_entry(share):
        with open(os.path.join(moorvane_e2e.SOURCE, "shell", "moorvane.desktop")) as f:
            entry = f.read().replace("Exec=moorvane", "Exec=" + MOORVANE)
        with open(os.path.join(share, "applications", "com.moorvane.app.desktop"), "w") as f:
            f.write(entry)
        icons = os.path.join(moorvane_e2e.BUILD, "data", "icons")
        for size in os.listdir(icons):
            if os.path.isfile(os.path.join(icons, size, "com.moorvane.app.png")):
                os.makedirs(os.path.join(share, "icons", "hicolor", size, "apps"))
                shutil.copy(os.path.join(icons, size, "com.moorvane.app.png"),
                            os.path.join(share, "icons", "hicolor", size, "apps"))
        os.makedirs(os.path.join(share, "icons", "hicolor", "scalable", "apps"))
        shutil.copy(os.path.join(moorvane_e2e.SOURCE, "data", "icons", "com.moorvane.app.svg"),
                    os.path.join(share, "icons", "hicolor", "scalable", "apps"))

    def write_entry(self, desktop_id, name, icon, extra="", command="sleep 300"):
        path = os.path.join(self.applications, desktop_id + ".desktop")
        with open(path, "w") as f:
            f.write("[Desktop Entry]\nType=Application\nName=%s\nIcon=%s\nExec=%s\n%s" % (name, icon, command, extra))
        self.entries[name] = (desktop_id + ".desktop", path)
        return path

    def tile(self, name):
        desktop_id, path = self.entries[name]
        return desktop_tile(desktop_id, name, path)

    def desktop_id(self, name):
        return self.entries[name][0]

    # Processes.

    def spawn(self, argv, log=None, **kwargs):
        """A process in a group of its own, so it and whatever it starts go together."""
        out = open(log, "ab") if log else subprocess.DEVNULL
        try:
            process = subprocess.Popen(argv, env=kwargs.pop("env", self.env), stdout=out, stderr=out,
                                       start_new_session=True, **kwargs)
        finally:
            if log:
                out.close()
        self.groups.append(process)
        return process

    def run(self, *argv, check=False, timeout=20):
        return subprocess.run(argv, env=self.env, capture_output=True, text=True, timeout=timeout, check=check)

    def _start_display(self, width, height):
        # Xvfb takes the first free display and names it: a fixed number could meet another run's server.
        _, number = moorvane_e2e.started_with_fd(self.spawn, lambda fd: [
            "Xvfb", "-displayfd", str(fd), "-screen", "0", "%dx%dx24" % (width, height), "-nolisten", "tcp"])
        self.display = ":" + number
        self.env["DISPLAY"] = self.display

    def _bus(self, *options):
        """A dbus-daemon of our own (not forked, so its group and the services it starts are ours)."""
        return moorvane_e2e.started_with_fd(
            self.spawn, lambda fd: ["dbus-daemon", "--nofork", "--print-address=%d" % fd, *options])[1]

    def _start_buses(self):
        self.env["DBUS_SESSION_BUS_ADDRESS"] = self._bus("--session")
        if self.dock == "gnome":
            # The shell aborts without a system bus; an empty one is enough.
            self.env["DBUS_SYSTEM_BUS_ADDRESS"] = self._bus(
                "--session", "--address=unix:path=" + os.path.join(self.root, "system_bus"))

    def _start_gnome_shell(self):
        # Pins of the shell's defaults that are not installed would only confuse what the dash shows.
        self.gsettings_set("org.gnome.shell", "favorite-apps", [])
        self.gsettings_set("org.gnome.shell", "welcome-dialog-last-shown-version", "'999'")
        self.gsettings_set("org.gnome.desktop.interface", "toolkit-accessibility", "true")
        # Without a display manager the shell cannot lock the screen and says so in a banner over the dash.
        self.gsettings_set("org.gnome.desktop.screensaver", "lock-enabled", "false")
        # The bus started dconf-service with this home: the writes land in this session's database.
        if not os.path.exists(os.path.join(self.env["XDG_CONFIG_HOME"], "dconf", "user")):
            raise RuntimeError("dconf did not write into the session's home")
        self.shell_log = os.path.join(self.root, "gnome-shell.log")
        self.shell = self.spawn(["gnome-shell", "--x11", "--sm-disable"], log=self.shell_log)
        wait_for(lambda: GNOME_STARTED in self.read(self.shell_log), timeout=60, step=0.1, what="GNOME Shell")
        # It starts in the overview; the desktop shows once that is left.
        self.overview(False)

    def _paint_root(self, rgb=0x2E3A48):
        """A desktop colour behind Plank, which runs without a window manager to draw one."""
        import ctypes
        x11 = ctypes.CDLL("libX11.so.6")
        x11.XOpenDisplay.restype = ctypes.c_void_p
        x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
        x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        x11.XDefaultRootWindow.restype = ctypes.c_ulong
        x11.XSetWindowBackground.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong]
        x11.XClearWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
        x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
        display = x11.XOpenDisplay(self.display.encode())
        if not display:
            return
        root = x11.XDefaultRootWindow(display)
        x11.XSetWindowBackground(display, root, rgb)
        x11.XClearWindow(display, root)
        x11.XCloseDisplay(display)

    def _start_plank(self):
        # A launchers folder that does not exist is filled with Plank's defaults.
        os.makedirs(self.launchers)
        items = [self.write_dockitem(name, "file://" + self.entries[name][1]) for name in ("Calculator", "Editor")]
        if self.pin_folder:
            items.append(self.write_dockitem("Projects", "file://" + self.folder))
        self.gsettings_set(self.plank_settings, "dock-items", items)
        self.plank_log = os.path.join(self.root, "plank.log")
        self.plank = self.spawn(["plank"], log=self.plank_log)
        wait_for(lambda: self.plank_items() is not None, timeout=20, what="Plank on the bus")
        # Once Plank holds a connection: Xvfb starts afresh, root window and all, when its last client leaves.
        self._paint_root()

    def _start_tray_and_accessibility(self):
        # A tray for Moorvane's status item: GNOME Shell has none of its own. At the bottom left, clear of the
        # shell's top bar (which takes the pointer there) and of Plank in the middle.
        if self.tray:
            self.spawn(["trayer", "--edge", "bottom", "--align", "left", "--widthtype", "request", "--height", "24",
                        "--SetDockType", "true", "--transparent", "false"])
        if self.dock == "plank":  # the shell starts the accessibility bus itself
            self.spawn(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"])
        wait_for(lambda: self.dbus("org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus.GetAddress").returncode == 0,
                 what="the accessibility bus")
        self.env.update(QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_ACCESSIBILITY="1")
        global pyatspi
        if pyatspi is None:
            os.environ.update(DBUS_SESSION_BUS_ADDRESS=self.env["DBUS_SESSION_BUS_ADDRESS"], DISPLAY=self.display)
            sys.path.append("/usr/lib/python3/dist-packages")
            import pyatspi as bindings
            pyatspi = person_e2e.pyatspi = bindings
            global Atspi
            from gi.repository import Atspi

    @staticmethod
    def read(path):
        try:
            with open(path, errors="replace") as f:
                return f.read()
        except OSError:
            return ""

    # What the dock holds and shows.

    def gsettings_get(self, schema, key):
        return self.run("gsettings", "get", schema, key, check=True).stdout.strip()

    def gsettings_set(self, schema, key, value):
        text = value if isinstance(value, str) else ("@as []" if not value else str(list(value)))
        return self.run("gsettings", "set", schema, key, text, check=True)

    def gsettings_list(self, schema, key):
        text = self.gsettings_get(schema, key)
        return [] if text in ("@as []", "[]") else [v.strip().strip("'") for v in text.strip("[]").split(",")]

    def favorite_apps(self):
        return self.gsettings_list("org.gnome.shell", "favorite-apps")

    @property
    def launchers(self):
        return os.path.join(self.env["XDG_CONFIG_HOME"], "plank", PLANK_DOCK, "launchers")

    plank_settings = "net.launchpad.plank.dock.settings:/net/launchpad/plank/docks/%s/" % PLANK_DOCK

    def write_dockitem(self, name, uri):
        """A launcher file of a Plank not yet running; its file name."""
        item = (self.desktop_id(name).replace(".desktop", "") if name in self.entries else name) + ".dockitem"
        with open(os.path.join(self.launchers, item), "w") as f:
            f.write("[PlankDockItemPreferences]\nLauncher=%s\n" % uri)
        return item

    def dock_items(self):
        """The order Plank last wrote (up to 3 s after a change)."""
        return self.gsettings_list(self.plank_settings, "dock-items")

    def plank_shows(self):
        """Plank's tiles in its order, as the launchers' URIs, a folder's without its trailing slash."""
        uris = {}
        for item in os.listdir(self.launchers):
            with open(os.path.join(self.launchers, item), errors="replace") as f:
                uris[item] = next((l[len("Launcher="):].strip() for l in f if l.startswith("Launcher=")), "")
        return [uris[item].rstrip("/") for item in self.dock_items() if item in uris]

    def plank_call(self, method, *arguments):
        """A call of Plank's D-Bus interface with string arguments, and its reply unpacked; None when Plank does
        not answer. Over a connection of this process: quick enough to time Plank with."""
        from gi.repository import Gio, GLib
        if self.connection is None:
            self.connection = Gio.DBusConnection.new_for_address_sync(
                self.env["DBUS_SESSION_BUS_ADDRESS"],
                Gio.DBusConnectionFlags.AUTHENTICATION_CLIENT | Gio.DBusConnectionFlags.MESSAGE_BUS_CONNECTION)
        try:
            reply = self.connection.call_sync(
                "net.launchpad.plank", "/net/launchpad/plank/" + PLANK_DOCK, "net.launchpad.plank.Items", method,
                GLib.Variant("(%s)" % ("s" * len(arguments)), arguments), None, Gio.DBusCallFlags.NONE, 5000)
        except GLib.Error:
            return None
        return reply.unpack()

    def plank_items(self):
        """The apps Plank shows (URIs of their desktop entries; its D-Bus interface lists no folders or files),
        or None while it does not answer."""
        reply = self.plank_call("GetPersistentApplications")
        return list(reply[0]) if reply is not None else None

    def overview(self, shown):
        """Opens or closes GNOME Shell's overview, where its dash shows."""
        self.run("gdbus", "call", "--session", "--dest", "org.gnome.Shell", "--object-path", "/org/gnome/Shell",
                 "--method", "org.freedesktop.DBus.Properties.Set", "org.gnome.Shell", "OverviewActive",
                 "<%s>" % ("true" if shown else "false"), check=True)

    def dash_shows(self, labels, timeout=10):
        """Waits until the dash shows these apps, in the overview: while the dash is out of sight the shell puts
        its redraw off (by up to 20 s), so what a person sees is what the overview shows."""
        self.overview(True)
        try:
            self.until(lambda: self.dash_labels() == labels, "the dash to show %s" % labels, timeout)
        finally:
            self.overview(False)

    def dash_labels(self):
        """The apps GNOME Shell's dash holds, in order, read from the shell's accessibility tree, or None while
        the shell does not answer."""
        if self.dash is None:
            self.dash = self._find_dash()
            if self.dash is None:
                return None
        found, inside = [], [self.dash]
        try:
            while inside:
                item = inside.pop()
                if item.getRole() == pyatspi.ROLE_PUSH_BUTTON:
                    found.append(item.name)
                inside.extend(reversed([c for c in item if c is not None]))
        except Exception:  # a tile that went away while read
            return None
        return found

    def _find_dash(self):
        desktop = pyatspi.Registry.getDesktop(0)
        shell = next((a for a in desktop if a is not None and a.name == "gnome-shell"), None)
        stack = [shell] if shell is not None else []
        while stack:
            node = stack.pop()
            try:
                if node.getRole() == pyatspi.ROLE_TOGGLE_BUTTON and node.name == "Show Applications":
                    # From here on the shell's tree is read afresh each time, not from the bindings' copy, which
                    # follows the shell's events only while this process runs a GLib main loop.
                    shell.set_cache_mask(Atspi.Cache.NONE)
                    shell.clear_cache()
                    # The dash's box holds the app tiles' box and the Show Applications button's.
                    return node.parent.parent
                stack.extend(c for c in node if c is not None)
            except Exception:  # an actor that went away while walked
                continue
        return None

    # Moorvane.

    profile = staticmethod(moorvane_e2e.profile_record)

    def save_current_dock(self, name):
        """Captures the dock as a person does: the tray icon, the popover's "Save Current Dock", a name."""
        self.open_popover("Save Current Dock")

        def form():
            self.click(self.find("Save Current Dock", window_title="Moorvane"))
            try:
                return wait_for(lambda: self.lookup("Profile name", pyatspi.ROLE_TEXT), timeout=4)
            except AssertionError:
                # A popover left open by an earlier capture may still be settling (its list grew), and the
                # click missed: click again.
                return False
        self.until(form, "the form to name the profile", timeout=15)
        self.type_text(name)
        self.key("Return")
        return self.until(lambda: self.stored(name), "%s in profiles.json" % name)

    # The end.

    def close(self):
        def signal_group(process, number):
            try:
                os.killpg(process.pid, number)
            except ProcessLookupError:
                return False
            try:
                process.wait(5)
            except subprocess.TimeoutExpired:
                pass
            return True

        for process in reversed(self.groups):
            if process.poll() is None and not signal_group(process, signal.SIGTERM):
                continue
            signal_group(process, signal.SIGKILL)  # whatever the group started and left behind
        self.groups = []
        # A service that left its group (a daemon that called setsid) still carries this session's home.
        for pid in moorvane_e2e.pids_with_home(self.home):
            try:
                os.kill(pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
        shutil.rmtree(self.root, ignore_errors=True)
        if real_dconf_state() != self.real_dconf:
            raise AssertionError("the real user's dconf database changed during the session")


# The pointer, the keys and the accessibility tree as the person-driven suite uses them.
for _name in ("xdotool", "tray_icon_rect", "click_tray", "open_popover", "application", "nodes", "lookup", "until",
              "find", "gone", "checked", "centre", "extents", "hover", "click", "right_click", "type_text", "key",
              "screenshot", "shows_app_icon", "defaults"):
    setattr(DesktopSession, _name, person_e2e.PersonSession.__dict__[_name])
# Moorvane, its store and the session bus as the reference Dock's suite reaches them.
for _name in ("store_folder", "stored_profiles", "stored", "active_id", "seed_profiles", "dbus", "bus_has",
              "switch_profile", "start_moorvane", "stop_moorvane"):
    setattr(DesktopSession, _name, moorvane_e2e.Session.__dict__[_name])
