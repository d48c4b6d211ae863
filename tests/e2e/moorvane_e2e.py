#!/usr/bin/env python3
"""End-to-end tests: the reference Dock and Moorvane as real processes on a private X server and session bus.

Each test class gets a fresh $HOME with fixture bundles, Xvfb with two screens, its own dbus-daemon and a
supervised reference Dock. Run by ctest with the build folder as the only argument.
"""

import base64
import json
import os
import plistlib
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest
import uuid

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts"))
from dockfiles import REFERENCE_EPOCH, app_tile, blob  # noqa: E402  (shared with the demo home)

BUILD = os.path.abspath(sys.argv.pop(1)) if len(sys.argv) > 1 else os.getcwd()
SOURCE = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
MOORVANE = os.path.join(BUILD, "bin", "moorvane")
REFDOCK = os.path.join(BUILD, "bin", "moorvane-refdock")
SHARED_LOG = "/tmp/moorvane.log"
BUNDLE_IDS = {"Safari": "com.apple.Safari", "Mail": "com.apple.mail", "Notes": "com.apple.Notes",
              "Music": "com.apple.Music"}


def wait_for(condition, timeout=10.0, step=0.05, what="condition"):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        value = condition()
        if value:
            return value
        time.sleep(step)
    raise AssertionError("timed out waiting for " + what)


def started_with_fd(spawn, argv):
    """A process started by `spawn(argv(fd), pass_fds=...)` that writes a line on fd once up, and that line."""
    ready, told = os.pipe()
    process = spawn(argv(told), pass_fds=(told,))
    os.close(told)
    with os.fdopen(ready) as f:
        line = f.readline().strip()
    if not line:
        raise RuntimeError(argv(told)[0] + " did not start")
    return process, line


def pids_with_home(home, pids=None):
    """Processes of this user (or of `pids`) whose environment holds this home."""
    marker = ("HOME=%s\0" % home).encode()
    found = []
    for pid in pids if pids is not None else [int(e) for e in os.listdir("/proc") if e.isdigit()]:
        try:
            with open("/proc/%d/environ" % pid, "rb") as f:
                if pid != os.getpid() and marker in f.read():
                    found.append(pid)
        except OSError:
            continue
    return found


def tile_labels(tiles):
    """The tiles' labels, a spacer by its type."""
    return [t.get("tile-data", {}).get("file-label") or t.get("tile-type") for t in tiles]


def profile_tiles(profile, key="persistentApps"):
    return plistlib.loads(base64.b64decode(profile[key]))


def profile_labels(profile):
    """A stored profile's tiles by label, a spacer by its type."""
    return tile_labels(profile_tiles(profile))


def profile_record(name, tiles, **extra):
    """A profile as the store keeps it."""
    now = time.time() - REFERENCE_EPOCH
    record = {"id": str(uuid.uuid4()).upper(), "name": name, "colorName": "blue", "persistentApps": blob(tiles),
              "persistentOthers": blob([]), "quitOtherApps": False, "createdAt": now, "updatedAt": now}
    record.update(extra)
    return record


def read_json(path, missing):
    """The file's contents, or `missing` while there is none yet."""
    try:
        with open(path) as f:
            return json.load(f)
    except (OSError, ValueError):
        return missing


class OneSession(unittest.TestCase):
    """A class of tests on one session of its own, made by `new_session` and set up by `prepare`, and closed when
    the class ends or its set-up fails: the tests run in order, each going on from where the one before left it."""

    @classmethod
    def new_session(cls):
        raise NotImplementedError

    @classmethod
    def prepare(cls, s):
        pass

    @classmethod
    def setUpClass(cls):
        cls.s = cls.new_session()
        try:
            cls.prepare(cls.s)
        except BaseException:
            cls.s.close()
            raise

    @classmethod
    def tearDownClass(cls):
        cls.s.close()


class Session:
    """Xvfb, a session bus, a fresh home and the supervised reference Dock."""

    def __init__(self):
        self.root = tempfile.mkdtemp(prefix="moorvane-e2e-")
        self.home = os.path.join(self.root, "home")
        os.makedirs(os.path.join(self.home, "Library", "Preferences"))
        os.makedirs(os.path.join(self.home, "Library", "DoNotDisturb", "DB"))
        runtime = os.path.join(self.root, "run")
        os.makedirs(runtime, mode=0o700)
        self.display = None
        self.env = {k: v for k, v in os.environ.items() if not k.startswith(("XDG_", "DBUS_", "WAYLAND"))}
        self.env.pop("DISPLAY", None)
        self.env.update(HOME=self.home, XDG_RUNTIME_DIR=runtime,
                        XDG_DATA_HOME=os.path.join(self.home, ".local", "share"),
                        XDG_CONFIG_HOME=os.path.join(self.home, ".config"),
                        QT_QPA_PLATFORM="xcb", LANG="C.UTF-8")
        self.env.pop("QT_QPA_PLATFORM_PLUGIN_PATH", None)
        self.processes = []
        self.apps = {name: self.make_bundle(name, bundle_id) for name, bundle_id in BUNDLE_IDS.items()}
        self.xvfb, self.display = self.start_xvfb()
        self.env["DISPLAY"] = self.display
        bus = subprocess.run(["dbus-daemon", "--session", "--fork", "--print-address=1", "--print-pid=1"],
                             env=self.env, capture_output=True, text=True, check=True).stdout.split()
        self.env["DBUS_SESSION_BUS_ADDRESS"] = bus[0]
        self.bus_pid = int(bus[1])
        # The Dock's domain starts as the user left it: Notes and Music.
        self.write_domain([self.app_tile("Notes"), self.app_tile("Music")])
        subprocess.run([REFDOCK], env=self.env, check=True, timeout=20)
        self.moorvane = None

    def start_xvfb(self):
        """A new X server with two screens, and its display name."""
        # Xvfb takes the first free display and names it: a fixed number could meet another run's server or a
        # lock file another user's run left under /tmp.
        xvfb, number = started_with_fd(self.spawn, lambda fd: [
            "Xvfb", "-displayfd", str(fd), "-screen", "0", "1280x800x24", "-screen", "1", "1024x768x24",
            "-nolisten", "tcp"])
        return xvfb, ":" + number

    def make_bundle(self, name, bundle_id):
        bundle = os.path.join(self.home, "Applications", name + ".app")
        os.makedirs(os.path.join(bundle, "Contents", "MacOS"))
        with open(os.path.join(bundle, "Contents", "Info.plist"), "wb") as f:
            plistlib.dump({"CFBundleIdentifier": bundle_id, "CFBundleName": name, "CFBundleExecutable": name}, f)
        shutil.copy("/bin/sleep", os.path.join(bundle, "Contents", "MacOS", name))
        return bundle

    def spawn(self, argv, **kwargs):
        process = subprocess.Popen(argv, env=kwargs.pop("env", self.env), stdout=subprocess.DEVNULL,
                                   stderr=subprocess.DEVNULL, **kwargs)
        self.processes.append(process)
        return process

    @property
    def domain_path(self):
        return os.path.join(self.home, "Library", "Preferences", "com.apple.dock.plist")

    @property
    def store_folder(self):
        return os.path.join(self.env["XDG_DATA_HOME"], "Moorvane")

    def write_domain(self, apps):
        with open(self.domain_path, "wb") as f:
            plistlib.dump({"persistent-apps": apps, "persistent-others": [], "tilesize": 48}, f,
                          fmt=plistlib.FMT_BINARY)

    def domain_labels(self):
        try:
            with open(self.domain_path, "rb") as f:
                domain = plistlib.load(f)
        except Exception:
            return None
        return tile_labels(domain.get("persistent-apps", []))

    def dock_pid(self):
        found = subprocess.run(["pgrep", "-x", "-U", str(os.getuid()), "Dock"], capture_output=True, text=True)
        mine = pids_with_home(self.home, [int(p) for p in found.stdout.split()])
        return mine[0] if mine else None

    def seed_profiles(self, profiles, active=None):
        os.makedirs(self.store_folder, exist_ok=True)
        with open(os.path.join(self.store_folder, "profiles.json"), "w") as f:
            json.dump(profiles, f)
        if active:
            with open(os.path.join(self.store_folder, "active.txt"), "w") as f:
                f.write(active)

    def app_tile(self, name):
        return app_tile(self.apps_id(name), name, self.apps[name])

    def profile(self, name, apps, **extra):
        return profile_record(name, [self.app_tile(a) for a in apps], **extra)

    @staticmethod
    def apps_id(name):
        return BUNDLE_IDS[name]

    def stored_profiles(self):
        return read_json(os.path.join(self.store_folder, "profiles.json"), [])

    def stored(self, name):
        return next((p for p in self.stored_profiles() if p["name"] == name), None)

    def active_id(self):
        try:
            with open(os.path.join(self.store_folder, "active.txt")) as f:
                return f.read().strip()
        except OSError:
            return None

    def switch_profile(self, name):
        """The automation action, as Shortcuts would run it."""
        return self.dbus("com.moorvane.app", "/com/moorvane/app", "com.moorvane.app.Automation.SwitchDockProfile",
                         "string:" + name)

    def enter_focus_work(self):
        """The system's Focus files as they read while the Work mode is on."""
        db = os.path.join(self.home, "Library", "DoNotDisturb", "DB")
        for fixture, name in (("focus-modeconfigs.json", "ModeConfigurations.json"),
                              ("focus-assertions-work.json", "Assertions.json")):
            shutil.copy(os.path.join(SOURCE, "tests", "fixtures", fixture), os.path.join(db, name))

    def start_moorvane(self, *arguments, env=None):
        self.moorvane = self.spawn([MOORVANE, *arguments], env=env or self.env)
        wait_for(lambda: self.bus_has("com.moorvane.app"), timeout=20, what="Moorvane on the bus")
        return self.moorvane

    def stop_moorvane(self):
        if self.moorvane and self.moorvane.poll() is None:
            self.moorvane.terminate()
            self.moorvane.wait(10)
            wait_for(lambda: not self.bus_has("com.moorvane.app"), what="Moorvane off the bus")

    def bus_has(self, name):
        reply = self.dbus("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus.NameHasOwner",
                          "string:" + name)
        return reply.returncode == 0 and "true" in reply.stdout

    def dbus(self, destination, path, method, *arguments):
        return subprocess.run(["dbus-send", "--session", "--print-reply", "--dest=" + destination, path, method,
                               *arguments], env=self.env, capture_output=True, text=True, timeout=15)

    def overlay_windows(self, label):
        found = []
        for screen in (0, 1):
            env = dict(self.env, DISPLAY="%s.%d" % (self.display, screen))
            tree = subprocess.run(["xwininfo", "-root", "-tree"], env=env, capture_output=True, text=True).stdout
            found += [line for line in tree.splitlines() if '"%s"' % label in line and "1x1" not in line]
        return found

    def close(self):
        subprocess.run([REFDOCK, "--stop"], env=self.env, timeout=20)
        for process in reversed(self.processes):
            if process.poll() is None:
                process.terminate()
                try:
                    process.wait(5)
                except subprocess.TimeoutExpired:
                    process.kill()
        # SIGTERM lets the bus remove its socket under /tmp; it is not our child, so its socket tells it is gone.
        try:
            os.kill(self.bus_pid, signal.SIGTERM)
            socket = self.env["DBUS_SESSION_BUS_ADDRESS"].partition("unix:path=")[2].split(",")[0]
            wait_for(lambda: not socket or not os.path.exists(socket), timeout=5, what="the bus to stop")
        except ProcessLookupError:
            pass
        shutil.rmtree(self.root, ignore_errors=True)


def log_path():
    """The log the app writes: the shared one while it is this user's (or not there yet), else this user's own."""
    try:
        if os.lstat(SHARED_LOG).st_uid != os.geteuid():
            return "/tmp/moorvane-%d.log" % os.geteuid()
    except FileNotFoundError:
        pass
    return SHARED_LOG


def log_since(offset):
    try:
        with open(log_path(), "rb") as f:
            f.seek(offset)
            return f.read().decode(errors="replace")
    except FileNotFoundError:
        return ""


def log_size():
    try:
        return os.path.getsize(log_path())
    except FileNotFoundError:
        return 0


class SwitchingTest(OneSession):
    """Every way of switching, one Moorvane per class."""

    new_session = Session

    @classmethod
    def prepare(cls, s):
        cls.work = s.profile("Work", ["Safari", "Mail", "Music"], hiddenApps=["com.apple.Music"],
                             keyboardShortcut="ctrl+opt+w", focusFilter="Work")
        cls.home = s.profile("Home", ["Notes", "Music"], keyboardShortcut="ctrl+opt+h")
        s.seed_profiles([cls.work, cls.home])
        cls.offset = log_size()
        s.start_moorvane("moorvane://switch?profile=Work")

    def expect_switch(self, labels, before_pid, offset, name):
        s = self.s
        wait_for(lambda: s.domain_labels() == labels, what="the domain to hold " + str(labels))
        new_pid = wait_for(lambda: (p := s.dock_pid()) and p != before_pid and p, what="a new Dock")
        self.assertNotEqual(new_pid, before_pid)
        wait_for(lambda: "ProfileStore: switchTo '%s'" % name in log_since(offset), what="the switch log line")
        text = log_since(offset)
        self.assertIn("DockManager: Wrote prefs + SIGKILL Dock (pid %d)" % before_pid, text)
        self.assertEqual(s.active_id(), {"Work": self.work, "Home": self.home}[name]["id"])
        return new_pid

    def test_1_url_argument_at_start_switches_and_hides(self):
        s = self.s
        wait_for(lambda: s.domain_labels() == ["Safari", "Mail"], what="Work's tiles without Music")
        text = wait_for(lambda: (t := log_since(self.offset)) and "hid 1 of 3" in t and t, what="log")
        self.assertIn("DockManager: hid 1 of 3 apps for 'Work'", text)

    def test_2_forwarded_url_overlay_on_both_screens(self):
        s = self.s
        before, offset = wait_for(s.dock_pid, what="the Dock"), log_size()
        handed = subprocess.run([MOORVANE, "moorvane://switch?profile=home"], env=s.env, timeout=15)
        self.assertEqual(handed.returncode, 0, "the second instance hands over and exits")
        windows = wait_for(lambda: len(w := s.overlay_windows("Switching to Home...")) >= 2 and w, timeout=5,
                           step=0.02, what="an overlay on each screen")
        self.assertEqual(len(windows), 2)
        self.expect_switch(["Notes", "Music"], before, offset, "Home")
        wait_for(lambda: not s.overlay_windows("Switching to Home..."), timeout=7, what="the overlay to go")

    def test_3_dbus_method_and_its_error(self):
        s = self.s
        before, offset = wait_for(s.dock_pid, what="the Dock"), log_size()
        reply = s.switch_profile("Work")
        self.assertEqual(reply.returncode, 0, reply.stderr)
        self.assertIn('string "Work"', reply.stdout)
        self.expect_switch(["Safari", "Mail"], before, offset, "Work")
        unknown = s.switch_profile("Nope")
        self.assertNotEqual(unknown.returncode, 0)
        self.assertIn("com.moorvane.app.Error.NoSuchProfile", unknown.stderr)
        self.assertIn("\u201cNope\u201d", unknown.stderr)
        names = s.dbus("com.moorvane.app", "/com/moorvane/app", "com.moorvane.app.Automation.ProfileNames")
        self.assertIn('"Work"', names.stdout)
        self.assertIn('"Home"', names.stdout)

    def test_4_global_shortcut_while_another_client_has_focus(self):
        s = self.s
        other = s.spawn(["xmessage", "-geometry", "+200+200", "another client"])
        wait_for(lambda: subprocess.run(["xdotool", "search", "--class", "Xmessage"], env=s.env,
                                        capture_output=True).returncode == 0, what="xmessage")
        before, offset = wait_for(s.dock_pid, what="the Dock"), log_size()
        subprocess.run(["xdotool", "key", "ctrl+alt+h"], env=s.env, check=True)
        self.expect_switch(["Notes", "Music"], before, offset, "Home")
        other.terminate()

    def test_5_focus_mode_change(self):
        s = self.s
        before, offset = wait_for(s.dock_pid, what="the Dock"), log_size()
        s.enter_focus_work()
        wait_for(lambda: s.domain_labels() == ["Safari", "Mail"], timeout=12, what="the Focus switch")
        self.expect_switch(["Safari", "Mail"], before, offset, "Work")

    def test_6_autosave_blocked_then_copied(self):
        s = self.s
        # A switch's re-enable is never cancelled, so one from the tests before would end this switch's
        # blocking early: let theirs run out first.
        time.sleep(8.5)
        offset = log_size()
        s.switch_profile("Home")
        wait_for(lambda: s.domain_labels() == ["Notes", "Music"], what="Home")
        wait_for(lambda: s.dock_pid(), what="the Dock back")
        wait_for(lambda: s.bus_has("com.apple.dock"), what="the Dock on the bus")
        time.sleep(1)
        move = s.dbus("com.apple.dock", "/com/apple/dock", "com.apple.dock.Control.MoveTile",
                      "string:persistent-apps", "int32:0", "int32:1")
        self.assertEqual(move.returncode, 0, move.stderr)
        wait_for(lambda: "ProfileStore: auto-save blocked (disabled)" in log_since(offset), timeout=5,
                 what="the blocked check")
        time.sleep(8)
        move = s.dbus("com.apple.dock", "/com/apple/dock", "com.apple.dock.Control.MoveTile",
                      "string:persistent-apps", "int32:0", "int32:1")
        self.assertEqual(move.returncode, 0, move.stderr)
        moved_at, offset = time.monotonic(), log_size()

        # Two moves bring Notes, Music back in the Dock; the first was blocked, so the stored order is the
        # Dock's after the second.
        wait_for(lambda: "ProfileStore: auto-save now" in log_since(offset), timeout=6, what="the auto-save")
        self.assertGreaterEqual(time.monotonic() - moved_at, 1.5, "the check runs 2 s after the change")
        self.assertEqual(profile_labels(s.stored("Home")), ["Notes", "Music"])

    def test_7_document_handed_over_is_imported_under_a_unique_name(self):
        s = self.s
        path = os.path.join(s.root, "Work.dockprofile")
        with open(path, "w") as f:
            json.dump(self.work, f)
        handed = subprocess.run([MOORVANE, path], env=s.env, timeout=15)
        self.assertEqual(handed.returncode, 0)
        wait_for(lambda: s.stored("Work 2"), what="the import")

    def test_8_relative_paths_are_read_where_they_were_typed(self):
        s = self.s
        downloads = os.path.join(s.root, "Downloads")
        os.makedirs(downloads)
        with open(os.path.join(downloads, "Typed.dockprofile"), "w") as f:
            json.dump(dict(self.home, name="Typed"), f)
        offset = log_size()
        for argument in ("Typed.dockprofile", "Missing.dockprofile", "ftp://example.com/x"):
            handed = subprocess.run([MOORVANE, argument], env=s.env, cwd=downloads, timeout=15)
            self.assertEqual(handed.returncode, 0, argument)
        wait_for(lambda: s.stored("Typed"), what="the relative import")
        text = wait_for(lambda: (t := log_since(offset)) and "ftp:" in t and t, what="the log lines")
        self.assertIn("imported 'Typed' from " + os.path.join(downloads, "Typed.dockprofile"), text)
        self.assertIn("ProfileIO: Couldn\u2019t import \u201cMissing.dockprofile\u201d", text)
        self.assertIn("Moorvane: ignored \u201cftp://example.com/x\u201d", text)
        alert = ["xdotool", "search", "--name", "Couldn\u2019t import"]
        wait_for(lambda: subprocess.run(alert, env=s.env, capture_output=True).returncode == 0, what="the alert")


class BurstTest(unittest.TestCase):
    def test_killing_moorvane_during_a_burst_leaves_whole_files(self):
        s = Session()
        try:
            s.seed_profiles([s.profile("P%d" % i, ["Safari", "Notes"] if i % 2 else ["Mail"]) for i in range(40)])
            app = s.start_moorvane()
            active = os.path.join(s.store_folder, "active.txt")
            for i in range(60):
                subprocess.Popen(["dbus-send", "--session", "--print-reply", "--dest=com.moorvane.app",
                                  "/com/moorvane/app", "com.moorvane.app.Automation.SwitchDockProfile",
                                  "string:P%d" % (i % 40)], env=s.env, stdout=subprocess.DEVNULL,
                                 stderr=subprocess.DEVNULL)
                if i == 20:
                    wait_for(lambda: os.path.exists(active), what="the first switch")
                if i == 30:
                    app.kill()
                time.sleep(0.01)
            app.wait()
            self.assertEqual(len(s.stored_profiles()), 40)
            leftovers = [n for n in os.listdir(s.store_folder) if n.startswith(".")]
            for name in leftovers:
                os.remove(os.path.join(s.store_folder, name))
            uuid.UUID(open(os.path.join(s.store_folder, "active.txt")).read().strip())
        finally:
            s.close()


class XServerLossTest(unittest.TestCase):
    def test_moorvane_ends_in_order_when_its_x_server_goes(self):
        s = Session()
        try:
            # A shortcut, so the system-wide key monitor records on a connection of its own.
            s.seed_profiles([s.profile("Work", ["Safari"], keyboardShortcut="ctrl+opt+w")])
            for round in range(20):
                xvfb, display = s.start_xvfb()
                env = dict(s.env, DISPLAY=display)
                offset = log_size()
                app = subprocess.Popen([MOORVANE], env=env, cwd=s.root, stdout=subprocess.DEVNULL,
                                       stderr=subprocess.PIPE, text=True)
                wait_for(lambda: "HotkeyManager: started" in log_since(offset), timeout=15, what="the hotkeys")
                # Killed at once or after a while, so the loss meets the app at different points.
                time.sleep(0.1 * (round % 4))
                xvfb.kill()
                xvfb.wait()
                try:
                    _, errors = app.communicate(timeout=15)
                except subprocess.TimeoutExpired:
                    app.kill()
                    raise
                self.assertGreaterEqual(app.returncode, 0, "round %d: killed by a signal\n%s" % (round, errors))
                for sign in ("double free", "corruption", "killTimer", "another thread"):
                    self.assertNotIn(sign, errors, "round %d" % round)
                wait_for(lambda: not s.bus_has("com.moorvane.app"), what="the bus name to go")
            self.assertEqual([n for n in os.listdir(s.root) if n.startswith("core")], [])
        finally:
            s.close()


if __name__ == "__main__":
    unittest.main(verbosity=2)
