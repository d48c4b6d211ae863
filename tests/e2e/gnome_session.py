#!/usr/bin/env python3
"""GNOME Shell 43 on a private X server, for the end-to-end suites that drive its dash.

A fresh $HOME with every XDG_* variable set before the buses start (a bus-started dconf-service takes the bus
daemon's environment, and one with the real $HOME would write the real user's settings), Xvfb, a private session
bus, an empty private system bus (the shell aborts without one), the accessibility bus, fixture desktop entries
with coloured icons, then `gnome-shell --x11 --sm-disable` on software GL.

    with GnomeSession({"org.example.Red.desktop": ("Red", "#d01c1c"), ...}) as session:
        session.set_favorites(["org.example.Red.desktop"])
        session.wait_for_dash(["Red"])

Run on its own it starts a session, writes the key, drags a tile and saves screenshots into the folder given.
"""

import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

SHELL_STARTED = "GNOME Shell started"


def wait_for(condition, timeout=10.0, step=0.05, what="condition"):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        value = condition()
        if value:
            return value
        time.sleep(step)
    raise AssertionError("timed out waiting for " + what)


def gvariant_strings(text):
    """The list of texts of a `gsettings get` answer such as "['a.desktop', 'b.desktop']" or "@as []"."""
    text = text.strip()
    if text.startswith("@as"):
        text = text[3:].strip()
    items = []
    for part in text.strip("[]").split(","):
        part = part.strip()
        if part:
            items.append(part[1:-1])
    return items


class GnomeSession:
    """The shell with its dash, started in a fresh home; close() (or leaving the `with`) ends what it started."""

    def __init__(self, apps, favorites=None, width=1280, height=800):
        """`apps`: desktop-file id -> (Name, icon colour). They are written before the shell starts, since the
        shell notices a new .desktop file only about 6 s after it appears. `favorites`: the key's first value."""
        self.root = tempfile.mkdtemp(prefix="moorvane-gnome-")
        self.home = os.path.join(self.root, "home")
        runtime = os.path.join(self.root, "run")
        os.makedirs(runtime, mode=0o700)
        self.processes = []
        self.bus_pids = []
        self.env = {k: v for k, v in os.environ.items()
                    if not k.startswith(("XDG_", "DBUS_", "WAYLAND", "GSETTINGS_", "GIO_"))}
        self.env.pop("DISPLAY", None)
        self.env.update(HOME=self.home, XDG_RUNTIME_DIR=runtime,
                        XDG_DATA_HOME=os.path.join(self.home, ".local", "share"),
                        XDG_CONFIG_HOME=os.path.join(self.home, ".config"),
                        XDG_CACHE_HOME=os.path.join(self.home, ".cache"),
                        XDG_STATE_HOME=os.path.join(self.home, ".local", "state"),
                        XDG_DATA_DIRS="/usr/local/share:/usr/share", XDG_CONFIG_DIRS="/etc/xdg",
                        XDG_CURRENT_DESKTOP="GNOME", XDG_SESSION_DESKTOP="gnome", XDG_SESSION_TYPE="x11",
                        LANG="C.UTF-8", NO_AT_BRIDGE="0", LIBGL_ALWAYS_SOFTWARE="1")
        self.applications = os.path.join(self.env["XDG_DATA_HOME"], "applications")
        for desktop_id, (name, colour) in apps.items():
            self.add_app(desktop_id, name, colour)
        try:
            self._start(width, height, favorites)
        except BaseException:
            self.close()
            raise

    def _start(self, width, height, favorites):
        ready, told = os.pipe()
        self.spawn(["Xvfb", "-displayfd", str(told), "-screen", "0", "%dx%dx24" % (width, height),
                    "-nolisten", "tcp"], pass_fds=(told,))
        os.close(told)
        with os.fdopen(ready) as f:
            number = f.readline().strip()
        if not number:
            raise RuntimeError("Xvfb did not start")
        self.env["DISPLAY"] = ":" + number
        self.env["DBUS_SESSION_BUS_ADDRESS"] = self._bus(["--session"])
        system = os.path.join(self.root, "system_bus_socket")
        self.env["DBUS_SYSTEM_BUS_ADDRESS"] = self._bus(["--session", "--address=unix:path=" + system])
        # The shell exposes its actors through the accessibility bus only when asked to.
        self.gsettings("set", "org.gnome.desktop.interface", "toolkit-accessibility", "true")
        # Notifications ("Logged in as a privileged user") would cover the top of the screen.
        self.gsettings("set", "org.gnome.desktop.notifications", "show-banners", "false")
        if favorites is not None:
            self.set_favorites(favorites)
        self.spawn(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"])
        self.shell_log = os.path.join(self.root, "shell.log")
        with open(self.shell_log, "wb") as log:
            self.shell = self.spawn(["gnome-shell", "--x11", "--sm-disable"], stdout=log, stderr=log)
        wait_for(lambda: SHELL_STARTED in self.shell_output() or self.shell.poll() is not None, timeout=60,
                 what="GNOME Shell to start")
        if self.shell.poll() is not None:
            raise RuntimeError("gnome-shell ended:\n" + self.shell_output()[-3000:])

    def _bus(self, arguments):
        out = subprocess.run(["dbus-daemon", "--fork", "--print-address=1", "--print-pid=1", *arguments],
                             env=self.env, capture_output=True, text=True, check=True).stdout.split()
        self.bus_pids.append(int(out[1]))
        return out[0]

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def spawn(self, argv, **kwargs):
        kwargs.setdefault("stdout", subprocess.DEVNULL)
        kwargs.setdefault("stderr", subprocess.DEVNULL)
        process = subprocess.Popen(argv, env=self.env, **kwargs)
        self.processes.append(process)
        return process

    def shell_output(self):
        with open(self.shell_log, errors="replace") as f:
            return f.read()

    def add_app(self, desktop_id, name, colour):
        """A launcher whose icon is a square of `colour`, so screenshots tell the tiles apart."""
        os.makedirs(self.applications, exist_ok=True)
        icon = os.path.join(self.root, "icons", desktop_id + ".svg")
        os.makedirs(os.path.dirname(icon), exist_ok=True)
        with open(icon, "w") as f:
            f.write('<svg xmlns="http://www.w3.org/2000/svg" width="64" height="64">'
                    '<rect width="64" height="64" rx="12" fill="%s"/></svg>' % colour)
        with open(os.path.join(self.applications, desktop_id), "w") as f:
            f.write("[Desktop Entry]\nType=Application\nName=%s\nExec=true\nIcon=%s\n" % (name, icon))

    # The key, as any other GSettings client sees it.

    def gsettings(self, *arguments):
        return subprocess.run(["gsettings", *arguments], env=self.env, capture_output=True, text=True,
                              check=True, timeout=15).stdout

    def favorites(self):
        return gvariant_strings(self.gsettings("get", "org.gnome.shell", "favorite-apps"))

    def set_favorites(self, ids):
        self.gsettings("set", "org.gnome.shell", "favorite-apps", "[%s]" % ", ".join("'%s'" % i for i in ids))

    # What the dash shows.

    def show_overview(self):
        """Puts the dash on screen: the shell starts in the overview, but a click or a key may have left it."""
        if not self.dash_buttons():
            subprocess.run(["xdotool", "key", "super"], env=self.env, check=True)
        wait_for(self.dash_buttons, what="the dash to show")

    def dash_buttons(self):
        """The dash's app buttons as (name, x, y) of their centres, in their order, read from the accessibility
        tree; empty while the dash is not on screen. The dash's actors have no names: its box is the one that
        holds the "Show Applications" button."""
        import pyatspi  # Debian's /usr/bin/python3 has it
        os.environ["DBUS_SESSION_BUS_ADDRESS"] = self.env["DBUS_SESSION_BUS_ADDRESS"]
        os.environ["DISPLAY"] = self.env["DISPLAY"]
        desktop = pyatspi.Registry.getDesktop(0)
        shell = next((desktop[i] for i in range(desktop.childCount)
                      if desktop[i] is not None and desktop[i].name == "gnome-shell"), None)

        def find(node, wanted, depth=0):
            if node is None or depth > 40 or depth and not node.getState().contains(pyatspi.STATE_SHOWING):
                return []
            found = [node] if wanted(node) else []
            for i in range(node.childCount):
                try:
                    child = node[i]
                except IndexError:  # the tree changes under a walk while the dash animates
                    break
                found += find(child, wanted, depth + 1)
            return found

        if shell is None:
            return []
        try:
            show_apps = find(shell, lambda n: n.getRole() == pyatspi.ROLE_TOGGLE_BUTTON and n.name == "Show Applications")
        except Exception:
            return []
        if not show_apps:
            return []
        buttons = []
        try:
            for node in find(show_apps[0].parent.parent,
                             lambda n: n.getRole() == pyatspi.ROLE_PUSH_BUTTON and n.name):
                extents = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
                buttons.append((node.name, extents.x + extents.width // 2, extents.y + extents.height // 2))
        except Exception:  # an actor removed while the dash redraws is gone from the bus: read again later
            return []
        return sorted(buttons, key=lambda b: (b[1], b[2]))

    def wait_for_dash(self, names, timeout=5.0):
        """Waits until the dash shows exactly `names`, in order; gives the seconds it took."""
        start = time.monotonic()
        wait_for(lambda: [b[0] for b in self.dash_buttons()] == list(names), timeout=timeout,
                 what="the dash to show %s (it shows %s)" % (names, [b[0] for b in self.dash_buttons()]))
        return time.monotonic() - start

    def drag_in_dash(self, name, before):
        """Drags the dash's tile `name` with the real pointer onto the left half of the tile `before`, as a user
        reorders the dash. The shell writes the key twice: without the tile, then with it in its new place."""
        buttons = {b[0]: b[1:] for b in self.dash_buttons()}
        (x, y), (to_x, to_y) = buttons[name], buttons[before]
        to_x -= 28
        xdotool = ["xdotool"]
        subprocess.run(xdotool + ["mousemove", str(x), str(y), "mousedown", "1"], env=self.env, check=True)
        # The shell starts a drag only after the pointer has moved a few pixels with the button held.
        steps = 8
        for i in range(1, steps + 1):
            subprocess.run(xdotool + ["mousemove", str(x + (to_x - x) * i // steps), str(y + (to_y - y) * i // steps)],
                           env=self.env, check=True)
            time.sleep(0.05)
        time.sleep(0.3)
        subprocess.run(xdotool + ["mouseup", "1"], env=self.env, check=True)

    def screenshot(self, path):
        """The whole screen, with the pointer moved off the dash so that no tooltip covers it."""
        subprocess.run(["xdotool", "mousemove", "1", "400"], env=self.env, check=True)
        subprocess.run(["import", "-display", self.env["DISPLAY"], "-window", "root", path], env=self.env,
                       check=True, timeout=20)

    def close(self):
        for process in reversed(self.processes):
            if process.poll() is None:
                process.terminate()
                try:
                    process.wait(5)
                except subprocess.TimeoutExpired:
                    process.kill()
                    process.wait()
        # The buses forked away; dconf-service and the accessibility bus leave with theirs.
        for pid in self.bus_pids:
            try:
                os.kill(pid, signal.SIGTERM)
            except ProcessLookupError:
                pass
        shutil.rmtree(self.root, ignore_errors=True)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.getcwd()
    apps = {"org.example.Red.desktop": ("Red", "#d01c1c"), "org.example.Green.desktop": ("Green", "#2ec27e"),
            "org.example.Blue.desktop": ("Blue", "#1c71d8")}
    with GnomeSession(apps, favorites=["org.example.Red.desktop"]) as session:
        session.show_overview()
        session.wait_for_dash(["Red"])
        session.screenshot(os.path.join(out, "dash-1.png"))
        session.set_favorites(["org.example.Blue.desktop", "org.example.Green.desktop", "org.example.Red.desktop"])
        took = session.wait_for_dash(["Blue", "Green", "Red"])
        session.screenshot(os.path.join(out, "dash-2.png"))
        print("the dash showed a new value after %.2f s" % took)
        session.drag_in_dash("Red", "Blue")
        wait_for(lambda: session.favorites()[0] == "org.example.Red.desktop", what="the drag to be written")
        session.wait_for_dash(["Red", "Blue", "Green"])
        session.screenshot(os.path.join(out, "dash-3.png"))
        print("a drag wrote", session.favorites())


if __name__ == "__main__":
    main()
