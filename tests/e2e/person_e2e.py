#!/usr/bin/env python3
"""Moorvane driven as a person drives it: a click on the tray icon, controls found by their accessible names,
the real pointer and real keys. Each flow is checked in the store files, the Dock's domain and the log.

Run by ctest with the build folder and a test class; with no class, each class runs in a process of its own.
`--screens DIR` also saves the popover in each of its states, and the editor and the picker on Plank, as PNGs
into DIR.
"""

import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

SCREENS = None
if "--screens" in sys.argv:
    at = sys.argv.index("--screens")
    SCREENS = os.path.abspath(sys.argv[at + 1])
    del sys.argv[at:at + 2]

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from moorvane_e2e import BUILD, MOORVANE, OneSession, Session, log_since, log_size, profile_labels as labels, read_json, wait_for  # noqa: E402  (it takes the build folder)

# A Python of its own (pyenv) may run this beside the system's, which carries the accessibility bindings. They
# are imported only once the session's bus and display are this process's own.
sys.path.append("/usr/lib/python3/dist-packages")
pyatspi = None


# Enough installed apps that the picker's lists and a crowded strip scroll; none has "not" in its name, which the
# picker flow searches for.
MORE_APPS = ("Books", "Calendar", "Contacts", "Maps", "Numbers", "Pages", "Photos", "Podcasts", "Reminders",
             "Stocks", "Terminal", "Weather", "Xcode")

# The app's icon by its three layers' colours: blue on top, orange, purple below. A blank tray slot, a dock's
# generic icon or an icon of another app's lacks at least one.
ICON_COLOURS = ((0x62, 0xA0, 0xEA), (0xFF, 0x78, 0x00), (0x91, 0x41, 0xAC))


class PersonSession(Session):
    """The session, plus a tray host, the accessibility bus and the pointer's and keyboard's helpers."""

    def __init__(self):
        super().__init__()
        for name in MORE_APPS:
            self.apps[name] = self.make_bundle(name, self.apps_id(name))
        self.start_tray_and_accessibility()

    def start_tray_and_accessibility(self):
        self.env.update(QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_ACCESSIBILITY="1")
        self.spawn(["trayer", "--edge", "top", "--align", "right", "--widthtype", "request", "--height", "24",
                    "--SetDockType", "true", "--transparent", "false"])
        self.spawn(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"])
        wait_for(lambda: self.dbus("org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus.GetAddress").returncode == 0,
                 what="the accessibility bus")
        # The bindings find that bus through this process's own session bus and display, once, at import.
        os.environ.update(DBUS_SESSION_BUS_ADDRESS=self.env["DBUS_SESSION_BUS_ADDRESS"], DISPLAY=self.display)
        global pyatspi
        import pyatspi

    @staticmethod
    def apps_id(name):
        return "com.example." + name if name in MORE_APPS else Session.apps_id(name)

    def xdotool(self, *arguments):
        return subprocess.run(["xdotool", *arguments], env=self.env, capture_output=True, text=True, timeout=10)

    # The tray.

    def tray_icon_rect(self):
        """The icon's window embedded in trayer's panel, in root coordinates, or None while there is none."""
        tree = subprocess.run(["xwininfo", "-root", "-tree"], env=self.env, capture_output=True,
                              text=True).stdout.splitlines()
        panel = next((i for i, line in enumerate(tree) if '("panel" "trayer")' in line), None)
        if panel is None:
            return None
        depth = len(tree[panel]) - len(tree[panel].lstrip())
        for line in tree[panel + 1:]:
            if len(line) - len(line.lstrip()) <= depth:
                break
            if '("moorvane" "Moorvane")' in line:
                size, origin = line.split()[-2:]
                w, h = (int(v) for v in size.split("+")[0].split("x"))
                x, y = (int(v) for v in origin.lstrip("+").split("+"))
                return (x, y, w, h) if w > 1 else None
        return None

    def shows_app_icon(self, x, y, w, h, path=None):
        """Whether the screen shows Moorvane's icon in this box: a few pixels near each of its layers' colours."""
        crop = ["import", "-display", self.display, "-window", "root", "-crop", "%dx%d+%d+%d" % (w, h, x, y), "+repage"]
        if path:
            subprocess.run([*crop, path], env=self.env, timeout=20)
        pixels = subprocess.run([*crop, "-depth", "8", "rgb:-"], env=self.env, capture_output=True,
                                timeout=20).stdout
        found = [0] * len(ICON_COLOURS)
        for at in range(0, len(pixels) - 2, 3):
            for i, colour in enumerate(ICON_COLOURS):
                if max(abs(a - b) for a, b in zip(pixels[at:at + 3], colour)) < 40:
                    found[i] += 1
        return min(found) >= 3

    def click_tray(self):
        x, y, w, h = self.until(self.tray_icon_rect, "the tray icon")
        self.xdotool("mousemove", str(x + w // 2), str(y + h // 2), "click", "1")

    def open_popover(self, showing):
        """Clicks the tray icon until the popover shows the control named `showing`."""
        def shown():
            if self.lookup(showing, window_title="Moorvane") is not None:
                return True
            # Just after a start the tray may not act on a click yet; a lost click is repeated.
            self.click_tray()
            time.sleep(2)
            return False
        self.until(shown, "the popover", timeout=15)

    # The accessibility tree.

    def application(self):
        desktop = pyatspi.Registry.getDesktop(0)
        for i in range(desktop.childCount):
            app = desktop.getChildAtIndex(i)
            if app is not None and (app.name or "").lower() == "moorvane":
                return app
        return None

    def nodes(self, window_title=None, inside=None):
        app = self.application()
        stack = [inside] if inside else [w for w in (app or []) if w and window_title in (None, w.name)]
        while stack:
            node = stack.pop()
            try:
                if not node.getState().contains(pyatspi.STATE_SHOWING):
                    continue
                yield node
                stack.extend(c for c in node if c is not None)
            except Exception:  # the node went away while walked
                continue

    def lookup(self, name, role=None, window_title=None, inside=None):
        matches = name if callable(name) else lambda text: text == name
        roles = role if isinstance(role, tuple) else (role,)
        for node in self.nodes(window_title, inside):
            if matches(node.name) and (role is None or node.getRole() in roles):
                return node
        return None

    def until(self, condition, what, timeout=10):
        """wait_for, leaving a screenshot of the whole screen behind when it times out."""
        try:
            return wait_for(condition, timeout=timeout, what=what)
        except AssertionError:
            path = os.path.join(tempfile.gettempdir(), "moorvane-person-failure-%d.png" % time.time())
            self.screenshot(path)
            raise AssertionError("timed out waiting for %s (the screen: %s)" % (what, path)) from None

    def find(self, name, role=None, window_title=None, inside=None, timeout=10):
        return self.until(lambda: self.lookup(name, role, window_title, inside), "a showing %r" % (name,), timeout)

    def gone(self, name, role=None, window_title=None):
        self.until(lambda: self.lookup(name, role, window_title) is None, "%r to go" % (name,))

    @staticmethod
    def checked(node):
        return node.getState().contains(pyatspi.STATE_CHECKED)

    def centre(self, node):
        # A page that is still sliding in has no extents for a moment.
        box = self.until(lambda: self.extents(node), "where %r is" % node.name)
        return box.x + box.width // 2, box.y + box.height // 2

    @staticmethod
    def extents(node):
        try:
            box = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
            return box if box.width > 0 else None
        except Exception:
            return None

    # The pointer and the keys.

    # No --sync: it waits for a motion that never comes when the pointer is already there.
    def hover(self, node):
        self.xdotool("mousemove", *map(str, self.centre(node)))

    def click(self, node, button="1"):
        self.xdotool("mousemove", *map(str, self.centre(node)), "click", button)

    def right_click(self, node):
        self.click(node, "3")

    def drag(self, source, target):
        (x0, y0), (x1, y1) = self.centre(source), self.centre(target)
        self.xdotool("mousemove", str(x0), str(y0), "mousedown", "1")
        # In steps: the drag begins once the pointer is past the threshold, and the target hears of it on a later move.
        for step in range(1, 9):
            self.xdotool("mousemove", str(x0 + (x1 - x0) * step // 8), str(y0 + (y1 - y0) * step // 8))
        self.xdotool("mouseup", "1")

    def type_text(self, text):
        self.xdotool("type", "--delay", "20", text)

    def key(self, *keys):
        self.xdotool("key", *keys)

    def screenshot(self, path, node=None):
        """The whole screen, or only what is under `node`."""
        crop = []
        if node is not None:
            box = self.until(lambda: self.extents(node), "where %r is" % node.name)
            crop = ["-crop", "%dx%d+%d+%d" % (box.width, box.height, box.x, box.y), "+repage"]
        subprocess.run(["import", "-display", self.display, "-window", "root", *crop, path], env=self.env,
                       timeout=20)

    # The store.

    def dock_tiles(self, tile_list="persistent-apps"):
        """What the Dock shows; a Dock answers only once it has read (and rewritten) the domain at its start."""
        reply = self.dbus("com.apple.dock", "/com/apple/dock", "com.apple.dock.Control.Tiles", "string:" + tile_list)
        return re.findall(r'^\s*string "(.*)"$', reply.stdout, re.M) if reply.returncode == 0 else None

    def defaults(self):
        return read_json(os.path.join(self.env["XDG_CONFIG_HOME"], "Moorvane", "defaults.json"), {})


def screen_path(name):
    """Where the screenshot `name` goes with --screens, else None."""
    if not SCREENS:
        return None
    os.makedirs(SCREENS, exist_ok=True)
    return os.path.join(SCREENS, name + ".png")


def desktop_session():
    """The desktop sessions' module, which imports this one: imported once this one is."""
    import desktop_session
    return desktop_session


def use_session_bindings():
    """The accessibility bindings a desktop session bound, for this module's steps."""
    global pyatspi
    pyatspi = desktop_session().pyatspi


class Steps:
    """What a person does in the popover and the editor, for a test class whose session is `self.s`."""

    def popover(self):
        """Opens the popover unless it shows, and returns its footer's "Settings" button."""
        s = self.s
        s.open_popover("Settings")
        return s.find("Settings", pyatspi.ROLE_PUSH_BUTTON, "Moorvane")

    @staticmethod
    def toggles():
        # Qt reads a checkable button as a check box; a push or toggle button is as good.
        return pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_TOGGLE_BUTTON, pyatspi.ROLE_CHECK_BOX

    def row(self, name):
        """A profile row, or any other button of the popover that shows a checked state."""
        return self.s.find(name, self.toggles(), "Moorvane")

    def shot(self, state):
        if not SCREENS:
            return
        os.makedirs(SCREENS, exist_ok=True)
        path = os.path.join(SCREENS, "popover-%s.png" % state)

        def drawn():  # a window that has just changed size shows one flat colour until it is redrawn
            self.s.screenshot(path, self.s.find("Moorvane", None, "Moorvane"))
            return int(subprocess.run(["identify", "-format", "%k", path], capture_output=True, text=True).stdout) > 8
        self.s.until(drawn, "the popover drawn")

    def text(self, name):
        return self.s.find(name, pyatspi.ROLE_LABEL, "Moorvane")

    def cancel_editor(self, title):
        s = self.s
        s.click(s.find("Cancel", pyatspi.ROLE_PUSH_BUTTON, title))
        s.gone("Cancel", window_title=title)
        # The popover closed as the editor opened, and the app takes a tray click within 300 ms of that for the
        # closing click's echo; a person is never this quick.
        time.sleep(0.4)

    def wait_checked(self, node, checked=True):
        self.s.until(lambda: self.s.checked(node) == checked, "%r checked: %s" % (node.name, checked))

    def edit(self, name):
        """Opens the editor of a profile from its row's menu; gives the window's title."""
        s, title = self.s, "Edit \u2014 " + name

        def on_screen(name):  # a page slid aside stays in the tree, showing, outside the window
            node, window = s.lookup(name, pyatspi.ROLE_PUSH_BUTTON, "Moorvane"), s.lookup("Moorvane", None, "Moorvane")
            box, frame = node and s.extents(node), window and s.extents(window)
            return bool(box and frame) and frame.x <= box.x < frame.x + frame.width

        def profiles_shown():  # the popover may be closed, on its settings page, or sliding between the two
            settings, back = on_screen("Settings"), on_screen("Back")
            if settings and not back:
                return True
            if back and not settings:
                s.click(s.lookup("Back", pyatspi.ROLE_PUSH_BUTTON, "Moorvane"))
            elif s.lookup("Moorvane", None, "Moorvane") is None:
                s.click_tray()
            time.sleep(0.5)
            return False
        s.until(profiles_shown, "the popover's profiles")
        s.right_click(self.row(name))
        s.click(s.find("Edit\u2026", pyatspi.ROLE_MENU_ITEM, "Moorvane"))
        s.find("Profile Name", pyatspi.ROLE_TEXT, title)
        return title

    def manage_apps(self, title):
        s = self.s
        s.click(s.find("Edit Dock", window_title=title))
        s.click(s.find("Manage Apps", window_title=title))
        return title.replace("Edit", "Manage Apps", 1)

    @staticmethod
    def focused(node):
        return node.getState().contains(pyatspi.STATE_FOCUSED)

    def tab_to(self, window, name, presses=40):
        """Tab until the keyboard is on `name`."""
        s = self.s
        for _ in range(presses):
            s.key("Tab")
            if s.until(lambda: next((n for n in s.nodes(window) if self.focused(n)), None), "the focus").name == name:
                return
        self.fail("Tab never reached %r in %r" % (name, window))


class PersonTest(Steps, OneSession):
    """The flows in order on one session, each going on from where the one before left the store."""

    @classmethod
    def new_session(cls):
        return PersonSession()

    @classmethod
    def prepare(cls, s):
        s.start_moorvane()

    def restart(self):
        self.s.stop_moorvane()
        self.s.start_moorvane()

    def test_1_welcome_then_save_current_dock(self):
        s = self.s
        # The tray shows the app's own icon, the one built into the app: nothing is installed here.
        tray = screen_path("tray")
        s.until(lambda: s.shows_app_icon(*s.until(s.tray_icon_rect, "the tray icon"), tray),
                "the app's icon in the tray")
        self.popover()
        self.text("Welcome to Moorvane")
        self.shot("welcome")
        s.click(s.find("Save Current Dock"))
        s.find("Profile name", pyatspi.ROLE_TEXT)
        green = s.find("green", window_title="Moorvane")
        s.click(green)
        self.wait_checked(green)
        self.assertFalse(s.checked(s.find("blue", window_title="Moorvane")))
        self.shot("form")
        s.type_text("Desk")
        s.key("Return")
        desk = s.until(lambda: s.stored("Desk"), "Desk in profiles.json")
        self.assertEqual((desk["colorName"], labels(desk)), ("green", ["Notes", "Music"]))
        s.until(lambda: s.active_id() == desk["id"], "Desk to be active")
        self.wait_checked(self.row("Desk"))

    def test_2_a_click_on_a_row_switches_a_click_on_the_active_row_does_not(self):
        s = self.s
        s.stop_moorvane()
        garden = s.profile("Garden", ["Notes", "Music"])
        self.__class__.studio = s.profile("Studio", ["Safari", "Mail"])
        s.seed_profiles([self.studio, garden], active=garden["id"])
        s.enter_focus_work()
        s.start_moorvane()
        self.popover()
        self.text("Click a profile to switch, or hover and click the pencil to edit.")
        s.find("Dismiss", pyatspi.ROLE_PUSH_BUTTON, "Moorvane")
        s.until(lambda: any((n.name, n.description) == ("Work", "Focus") for n in s.nodes("Moorvane")),
                "the Focus badge")
        self.text("Garden")
        self.shot("hint")
        self.wait_checked(self.row("Garden"))

        before, offset = s.until(s.dock_pid, "the Dock"), log_size()
        studio = self.row("Studio")
        s.click(studio)
        s.until(lambda: s.domain_labels() == ["Safari", "Mail"], "the domain to hold Studio's tiles")
        after = s.until(lambda: (p := s.dock_pid()) != before and p, "a new Dock")
        s.until(lambda: s.dock_tiles() == ["Safari", "Mail"], "the Dock to show Studio's tiles")
        self.assertIn("ProfileStore: switchTo 'Studio'", log_since(offset))
        self.assertEqual(s.active_id(), self.studio["id"])
        self.wait_checked(studio)
        self.assertFalse(s.checked(self.row("Garden")))

        offset = log_size()
        s.click(studio)
        # Moorvane answers the bus only after it has handled the click that came before.
        s.dbus("com.moorvane.app", "/com/moorvane/app", "com.moorvane.app.Automation.ProfileNames")
        self.assertNotIn("switchTo 'Studio'", log_since(offset))
        self.assertEqual(s.dock_pid(), after)
        self.assertTrue(s.checked(studio))

    def test_2a_edit_profile_is_reachable_without_hovering(self):
        s = self.s
        self.popover()
        s.xdotool("mousemove", "5", "500")  # away from the popover
        garden = self.row("Garden")
        pencil = s.find("Edit profile", pyatspi.ROLE_PUSH_BUTTON, inside=garden)
        self.assertTrue(pencil.getState().contains(pyatspi.STATE_VISIBLE))
        pencil.queryAction().doAction(0)
        self.cancel_editor("Edit \u2014 Garden")

        # The keyboard alone: Tab from the popover's start reaches the first row's pencil, Return opens its editor.
        self.popover()
        self.tab_to("Moorvane", "Edit profile", 8)
        s.key("Return")
        self.cancel_editor("Edit \u2014 Studio")

    def test_3_edit_from_the_pencil_then_the_recorded_shortcut_switches(self):
        s, title = self.s, "Edit \u2014 Studio"
        self.popover()
        row = self.row("Studio")
        s.hover(row)
        s.click(s.find("Edit profile", inside=row))
        name = s.find("Profile Name", pyatspi.ROLE_TEXT, title)
        s.click(name)
        s.key("ctrl+a")
        s.type_text("Workshop")
        s.click(s.find("green", window_title=title))
        s.click(s.find("Edit Dock", window_title=title))
        s.click(s.find("Add Spacer", window_title=title))
        s.drag(s.find("Safari", window_title=title), s.find("Mail", window_title=title))
        s.click(s.find("Click to record", window_title=title))
        # Shift with a digit: the recorder reads the key of 1, not the "!" Shift makes of it.
        s.key("super+shift+1")
        s.find("\u21e7\u23181", window_title=title)
        before, offset = s.until(s.dock_pid, "the Dock"), log_size()
        s.click(s.find("Save", window_title=title))

        tiles = ["Mail", "Safari", "spacer-tile"]
        workshop = s.until(lambda: s.stored("Workshop"), "the renamed profile")
        self.assertEqual((workshop["id"], workshop["colorName"], workshop.get("keyboardShortcut"), labels(workshop)),
                         (self.studio["id"], "green", "cmd+shift+1", tiles))
        s.until(lambda: s.domain_labels() == tiles, "the domain to hold the edited tiles")
        s.until(lambda: s.dock_pid() not in (None, before), "a new Dock")
        s.until(lambda: s.dock_tiles() == ["Mail", "Safari", ""], "the Dock to show the edited tiles")
        # The log is shared by every session on the machine; the names here are this one's own.
        text = log_since(offset)
        self.assertEqual(text.count("switchTo 'Workshop'"), 1, text)
        self.assertNotIn("AppLaunchManager", text)

        s.switch_profile("Garden")
        s.until(lambda: s.dock_tiles() == ["Notes", "Music"], "the Dock to show Garden's tiles")
        other = s.spawn(["xmessage", "-geometry", "+200+200", "another client"])
        s.until(lambda: s.xdotool("search", "--sync", "--class", "Xmessage", "windowfocus").returncode == 0,
                "xmessage to take the focus")
        s.key("super+shift+1")
        s.until(lambda: s.domain_labels() == tiles, "the shortcut to switch back")
        s.until(lambda: s.dock_tiles() == ["Mail", "Safari", ""], "the Dock to show Workshop's tiles")
        other.terminate()

    def test_4_manage_apps_adds_an_installed_app(self):
        s = self.s
        title = self.edit("Workshop")
        picker = self.manage_apps(title)
        s.click(s.find("Search apps...", window_title=picker))
        s.type_text("not")
        s.hover(s.find("Notes", window_title=picker))
        s.click(s.find("Add", window_title=picker))
        s.click(s.find("Apply", window_title=picker))
        s.gone("Apply", window_title=picker)
        s.click(s.find("Save", window_title=title))
        s.until(lambda: "Notes" in (s.domain_labels() or []), "Notes in the Dock's domain")
        self.assertIn("Notes", labels(s.stored("Workshop")))

    def test_5_duplicate_delete_and_the_hint_dismissed_for_good(self):
        s = self.s
        self.popover()
        known, active, offset = {p["id"] for p in s.stored_profiles()}, s.active_id(), log_size()
        # The list changes under the open menu (a document handed over is imported): the menu still acts on the
        # row it opened on.
        s.right_click(self.row("Garden"))
        duplicate = s.find("Duplicate", pyatspi.ROLE_MENU_ITEM, "Moorvane")
        document = os.path.join(s.root, "Garden.dockprofile")
        with open(document, "w") as f:
            json.dump(s.stored("Garden"), f)
        subprocess.run([MOORVANE, document], env=s.env, timeout=15, check=True)
        imported = s.until(lambda: s.stored("Garden 2"), "the import")
        self.row("Garden 2")
        s.click(duplicate)
        copy = s.until(lambda: [p for p in s.stored_profiles() if p["id"] not in known | {imported["id"]}],
                       "the copy")[0]
        self.assertEqual(labels(copy), ["Notes", "Music"])
        self.assertTrue(copy["name"].startswith("Garden ("), copy["name"])
        s.right_click(self.row("Garden 2"))
        s.click(s.find("Delete", pyatspi.ROLE_MENU_ITEM, "Moorvane"))
        s.gone("Garden 2", self.toggles(), "Moorvane")
        s.right_click(self.row(copy["name"]))
        s.click(s.find("Delete", pyatspi.ROLE_MENU_ITEM, "Moorvane"))
        s.until(lambda: {p["id"] for p in s.stored_profiles()} == known, "the copy deleted")
        s.gone(copy["name"], self.toggles(), "Moorvane")
        menus = log_since(offset)

        s.click(s.find("Dismiss", pyatspi.ROLE_PUSH_BUTTON, "Moorvane"))
        s.gone("Dismiss", window_title="Moorvane")
        self.assertIs(s.defaults().get("hasSeenProfileHint"), True)
        self.restart()
        self.popover()
        self.row("Workshop")
        self.shot("list")
        self.assertIsNone(s.lookup("Dismiss", window_title="Moorvane"))
        # The right button opens the menu and nothing else.
        self.assertNotIn("switchTo 'Garden", menus)
        self.assertEqual(s.active_id(), active)

    def test_6_settings_launch_at_login_and_where_the_app_shows(self):
        s = self.s
        s.click(self.popover())
        entry = os.path.join(s.env["XDG_CONFIG_HOME"], "autostart", "moorvane.desktop")
        switch = s.find("Launch at Login", pyatspi.ROLE_CHECK_BOX, "Moorvane")
        # Every line the page shows reaches a screen reader: a switch's caption as its description.
        self.assertEqual(switch.description, "Start automatically when you log in.")
        self.assertEqual(s.find("Auto-save Dock changes", pyatspi.ROLE_CHECK_BOX, "Moorvane").description,
                         "Keep the active profile in sync when you rearrange the Dock.")
        for line in ("Show App In", "Choose whether Moorvane appears in the Dock, the menu bar, or both."):
            self.text(line)
        s.click(switch)
        s.until(lambda: os.path.isfile(entry), "the autostart entry")
        self.wait_checked(switch)
        s.click(switch)
        s.until(lambda: not os.path.exists(entry), "the autostart entry removed")
        self.wait_checked(switch, False)

        folder = os.path.dirname(entry)
        os.rmdir(folder)
        with open(folder, "w") as f:
            f.write("a file where the folder belongs\n")
        s.click(switch)
        self.text(lambda t: (t or "").startswith("Moorvane could not be set to start at login"))
        self.wait_checked(switch, False)
        self.shot("settings-error")

        for choice, stored, shown in (("Dock & Menu Bar", "dockAndMenuBar", True),
                                      ("Menu Bar Only", "menuBarOnly", False),
                                      ("Dock & Menu Bar", "dockAndMenuBar", True)):
            segment = self.row(choice)
            s.click(segment)
            self.wait_checked(segment)
            s.until(lambda: s.defaults().get("appVisibility") == stored, "appVisibility " + stored)
            s.until(lambda: ("Moorvane" in (s.dock_tiles("running") or [])) == shown, "the Dock's running tiles")
        self.restart()
        s.click(self.popover())
        self.wait_checked(self.row("Dock & Menu Bar"))
        self.assertEqual(s.defaults().get("appVisibility"), "dockAndMenuBar")

        # By keys the keyboard goes with the page that slides in, rather than away with the one sliding out.
        back = s.find("Back", pyatspi.ROLE_PUSH_BUTTON, "Moorvane")
        # At once, while the profiles page still slides out: its controls are out of the keyboard's reach.
        s.key("Tab")
        s.until(lambda: self.focused(back), "Back focused")
        s.key("Return")
        settings = s.find("Settings", pyatspi.ROLE_PUSH_BUTTON, "Moorvane")
        s.until(lambda: self.focused(settings), "the keyboard on the Settings button it came back to")
        s.key("Return")
        s.until(lambda: self.focused(back), "the keyboard on Back again")

        # "Check for Updates" tells, in a window a screen reader reads, the version the page's header shows and
        # where a newer one comes from; the keyboard alone closes it.
        version = self.text(lambda t: (t or "").startswith("Version ")).name[len("Version "):]
        s.click(s.find("Check for Updates", pyatspi.ROLE_PUSH_BUTTON, "Moorvane"))
        title = "Check for Updates"
        window = s.find(title, (pyatspi.ROLE_ALERT, pyatspi.ROLE_DIALOG), title)
        s.find("Moorvane %s was built from its source code, so no package manager updates it. To update it, build "
               "a newer version from the source and install it the same way." % version, pyatspi.ROLE_LABEL, title)
        s.until(lambda: window.getState().contains(pyatspi.STATE_ACTIVE), "the dialog holding the keyboard")
        s.key("Return")
        s.gone(title, window_title=title)

    # The editing views by pointer, wheel and keys.

    def test_8a_a_picker_row_dragged_to_another_place_reorders_the_profile(self):
        s = self.s
        title = self.edit("Workshop")
        picker = self.manage_apps(title)
        s.drag(s.find("Mail", window_title=picker), s.find("Notes", window_title=picker))
        s.click(s.find("Apply", window_title=picker))
        s.gone("Apply", window_title=picker)
        s.click(s.find("Save", window_title=title))
        s.until(lambda: labels(s.stored("Workshop")) == ["Safari", "spacer-tile", "Notes", "Mail"],
                "the dragged row's order stored")

    def test_8b_an_open_group_sheet_holds_the_keyboard_and_escape_gives_it_back(self):
        s = self.s
        title = self.edit("Workshop")
        s.click(s.find("Edit Dock", window_title=title))
        s.click(s.find("Create Group\u2026", window_title=title))
        field = s.find("Group name", pyatspi.ROLE_TEXT, title)
        s.until(lambda: self.focused(field), "the sheet's name field to take the keyboard")
        # A screen reader hears the sheet by its title and each symbol by a word, the chosen one as checked.
        s.find("Create Group", pyatspi.ROLE_DIALOG, title)
        self.assertTrue(s.checked(s.find("Folder", pyatspi.ROLE_CHECK_BOX, title)))
        self.assertIsNone(s.lookup(lambda n: "." in (n or ""), pyatspi.ROLE_CHECK_BOX, title))
        s.key("ctrl+a")
        s.type_text("Tools")
        s.until(lambda: field.queryText().getText(0, -1) == "Tools", "the typed name in the sheet")
        profile_name = s.find("Profile Name", pyatspi.ROLE_TEXT, title)
        edit_dock = s.find("Edit Dock", window_title=title)
        for _ in range(40):  # more than the sheet has controls: Tab goes round inside it
            s.key("Tab")
        self.assertIsNotNone(s.lookup("Group name", pyatspi.ROLE_TEXT, title))
        self.assertFalse(self.focused(profile_name) or self.focused(edit_dock))
        s.key("Escape")
        s.gone("Group name", pyatspi.ROLE_TEXT, title)
        s.until(lambda: self.focused(edit_dock), "the keyboard back on the button the sheet came from")
        self.assertEqual(profile_name.queryText().getText(0, -1), "Workshop")
        self.cancel_editor(title)
        self.assertNotIn("appGroups", s.stored("Workshop"))

    def test_8c_an_add_in_a_scrolled_picker_leaves_the_list_where_it_was(self):
        s = self.s
        title = self.edit("Workshop")
        picker = self.manage_apps(title)
        search = s.find("Search apps...", window_title=picker)
        books = s.find("Books", pyatspi.ROLE_LIST_ITEM, picker)
        s.hover(books)
        s.xdotool("click", "5")
        top = s.extents(search).y + s.extents(search).height
        s.until(lambda: s.extents(books).y < top, "the available list scrolled")
        time.sleep(0.5)  # the wheel's scroll runs out
        # Still short of its end, where a shorter list would have to move down whatever it kept.
        window = s.extents(s.find(picker, None, picker))
        last = s.lookup("Xcode", pyatspi.ROLE_LIST_ITEM, picker)
        self.assertTrue(last is None or s.extents(last).y > window.y + window.height - 80)
        # The row two below the list's top edge is added; the one above it must stay put.
        pane = s.extents(books).x  # rows right of here are available apps, left of it the profile's
        rows = sorted((n for n in s.nodes(picker) if n.getRole() == pyatspi.ROLE_LIST_ITEM
                       and s.extents(n) and s.extents(n).y > top and s.extents(n).x >= pane),
                      key=lambda n: s.extents(n).y)
        above, chosen = rows[1], rows[2]
        above_y, name = s.extents(above).y, chosen.name
        s.hover(chosen)
        add = s.find("Add", inside=chosen)
        row = s.extents(chosen)
        s.until(lambda: s.extents(add).x > row.x + row.width // 2, "the Add button laid out")
        s.click(add)
        s.until(lambda: s.lookup(name, pyatspi.ROLE_LIST_ITEM, picker) is not None
                and s.extents(s.lookup(name, pyatspi.ROLE_LIST_ITEM, picker)).x < pane,
                "%s in the profile's list" % name)
        self.assertEqual(s.extents(above).y, above_y)
        self.assertLess(s.extents(books).y, top)
        s.click(s.find("Apply", window_title=picker))
        self.cancel_editor(title)

    def test_8d_a_vertical_wheel_scrolls_a_crowded_strip_to_its_last_tile(self):
        s = self.s
        crowd = ["Safari", "Mail", "Notes", "Music"] + list(MORE_APPS[:9])
        s.stop_moorvane()
        s.seed_profiles(s.stored_profiles() + [s.profile("Crowd", crowd)], active=s.active_id())
        s.start_moorvane()
        title = self.edit("Crowd")
        window = s.extents(s.find(title, None, title))

        def in_view(name):
            node = s.lookup(name, pyatspi.ROLE_LIST_ITEM, title)
            box = node and s.extents(node)
            return bool(box) and box.x >= window.x and box.x + box.width <= window.x + window.width

        self.assertFalse(in_view(crowd[-1]))
        s.hover(s.find(crowd[0], pyatspi.ROLE_LIST_ITEM, title))
        for _ in range(8):
            s.xdotool("click", "5")
        s.until(lambda: in_view(crowd[-1]), "the last tile in view")
        self.assertFalse(in_view(crowd[0]))
        s.click(s.find("Cancel", window_title=title))

    def test_8e_the_keyboard_alone_reaches_the_picker_and_leaves_both_windows_without_saving(self):
        s = self.s
        title, picker = self.edit("Crowd"), "Manage Apps \u2014 Crowd"
        stored = s.stored("Crowd")

        # Return presses the focused button rather than saving: on "Edit Dock" it opens the menu.
        self.tab_to(title, "Edit Dock")
        s.key("Return")
        manage = s.find("Manage Apps", pyatspi.ROLE_MENU_ITEM, title)
        s.key("Down")
        s.until(lambda: self.focused(manage), "the menu's first item focused")
        s.key("Return")
        # The picker opens with the keyboard in its search field, not left behind with the editor.
        search = s.find("Search apps...", pyatspi.ROLE_TEXT, picker)
        s.until(lambda: self.focused(search), "the picker's search field to take the keyboard")
        s.type_text("xc")
        s.key("Tab")
        s.key("space")
        s.find("14 in the profile", pyatspi.ROLE_LABEL, picker)
        # The row added was the search's only one: the keyboard goes back to the search, not nowhere.
        s.until(lambda: self.focused(search), "the keyboard back in the search")
        self.tab_to(picker, "Cancel")
        s.key("Return")
        s.gone("Search apps...", window_title=picker)
        edit_dock = s.find("Edit Dock", window_title=title)
        s.until(lambda: self.focused(edit_dock), "the keyboard back in the editor")
        s.find("13 items", pyatspi.ROLE_LABEL, title)

        # A tile removed by Delete hands the keyboard to the one that takes its place, the first tile too (the
        # list's current one, whose place the list itself fills).
        self.tab_to(title, "Safari")
        s.key("Delete")
        s.find("12 items", pyatspi.ROLE_LABEL, title)
        s.until(lambda: self.focused(s.find("Mail", pyatspi.ROLE_LIST_ITEM, title)), "the next tile focused")

        # Escape in the editor cancels: neither the removal nor the typed name is kept.
        name = s.find("Profile Name", pyatspi.ROLE_TEXT, title)
        s.click(name)
        s.type_text(" typed")
        s.key("Escape")
        s.gone("Profile Name", pyatspi.ROLE_TEXT, title)
        self.assertEqual(s.stored("Crowd"), stored)


@unittest.skipUnless(shutil.which("plank"), "Plank is not installed")
class PlankPersonTest(Steps, OneSession):
    """Moorvane on Plank, with two apps and a folder pinned: a capture from the popover, the editor and the picker
    drawing desktop apps, and an app added there put on Plank."""

    # The Games icon: a theme icon of the session's own, a square of one colour to find in a screenshot.
    GAMES_COLOUR = (224, 27, 36)

    @classmethod
    def new_session(cls):
        return desktop_session().DesktopSession("plank", pin_folder=True)

    @classmethod
    def prepare(cls, s):
        use_session_bindings()
        icons = os.path.join(s.root, "share", "icons", "hicolor", "scalable", "apps")
        os.makedirs(icons)
        with open(os.path.join(icons, "org.example.games.svg"), "w") as f:
            f.write('<svg xmlns="http://www.w3.org/2000/svg" width="64" height="64">'
                    '<rect width="64" height="64" rx="14" fill="rgb%s"/></svg>' % (cls.GAMES_COLOUR,))
        s.write_entry("org.example.Games", "Games", "org.example.games")
        cls.offset = log_size()
        s.start_moorvane()

    def uri(self, name):
        return "file://" + self.s.entries[name][1]

    def save_screen(self, name, title):
        if SCREENS:
            os.makedirs(SCREENS, exist_ok=True)
            self.s.screenshot(os.path.join(SCREENS, name + ".png"), self.s.find(title, None, title))

    def icon_colour(self, row):
        """The colour at the centre of the icon a picker row starts with."""
        box = self.s.extents(row)
        out = subprocess.run(["import", "-display", self.s.display, "-window", "root", "-crop",
                              "1x1+%d+%d" % (box.x + 22, box.y + 16), "-format", "%[fx:int(255*r)],"
                              "%[fx:int(255*g)],%[fx:int(255*b)]", "info:"], env=self.s.env, capture_output=True,
                             text=True, timeout=20).stdout
        return tuple(int(v) for v in out.split(",")) if out.count(",") == 2 else None

    def test_1_save_current_dock_captures_plank(self):
        s = self.s
        s.until(lambda: "DockManager: driving Plank" in log_since(self.offset), "Moorvane to drive Plank")
        self.popover()
        s.click(s.find("Save Current Dock"))
        s.find("Profile name", pyatspi.ROLE_TEXT)
        s.type_text("Desk")
        s.key("Return")
        desk = s.until(lambda: s.stored("Desk"), "Desk in profiles.json")
        self.assertEqual(labels(desk), ["Calculator", "Editor", "Projects"])
        # Each tile, the folder's too, is spoken by its name.
        title = self.edit("Desk")
        for name in ("Calculator", "Editor", "Projects"):
            s.find(name, pyatspi.ROLE_LIST_ITEM, title)
        self.save_screen("plank-editor", title)

    def test_2_an_app_added_in_the_picker_goes_onto_plank(self):
        s, title = self.s, "Edit \u2014 Desk"
        picker = self.manage_apps(title)
        games = s.find("Games", pyatspi.ROLE_LIST_ITEM, picker)
        s.until(lambda: (c := self.icon_colour(games)) and max(abs(a - b) for a, b in zip(c, self.GAMES_COLOUR)) < 8,
                "the Games icon drawn from the icon theme")
        self.save_screen("plank-picker", picker)
        s.hover(games)
        add, row = s.find("Add", inside=games), s.extents(games)
        s.until(lambda: s.extents(add).x > row.x + row.width // 2, "the Add button laid out")
        s.click(add)
        s.find("4 in the profile", pyatspi.ROLE_LABEL, picker)
        s.click(s.find("Apply", window_title=picker))
        s.gone("Apply", window_title=picker)
        offset = log_size()
        s.click(s.find("Save", window_title=title))
        s.until(lambda: labels(s.stored("Desk")) == ["Calculator", "Editor", "Projects", "Games"], "Games stored")
        # Plank writes its order up to 3 s after a change.
        s.until(lambda: s.plank_shows() == [self.uri("Calculator"), self.uri("Editor"), "file://" + s.folder,
                                            self.uri("Games")], "Plank to show Games after the folder", timeout=15)
        text = log_since(offset)
        self.assertIn("switchTo 'Desk'", text)
        self.assertIn("DockManager: Wrote Plank live", text)


@unittest.skipUnless(shutil.which("gnome-shell"), "GNOME Shell is not installed")
class TraylessGnomeTest(Steps, OneSession):
    """Stock GNOME Shell, which has no tray: the popover opened by `moorvane --popover` and by starting Moorvane
    again, centred, driven by the keyboard alone; and on "Dock & Menu Bar" the app's own tile in the dash, which
    opens it too. Moorvane's desktop entry and icon are installed, as its package installs them."""

    @classmethod
    def new_session(cls):
        return desktop_session().DesktopSession("gnome", tray=False, app_entry=True)

    @classmethod
    def prepare(cls, s):
        use_session_bindings()
        s.seed_profiles([s.profile("Work", [s.tile("Calculator"), s.tile("Editor")]),
                         s.profile("Home", [s.tile("Dictionary")])])
        cls.offset = log_size()
        s.start_moorvane()
        cls.read_afresh()

    @classmethod
    def read_afresh(cls):
        """The app's tree read afresh each time: the bindings' copy follows the app's events only while this
        process runs a main loop, and each popover's objects take the identifiers of the last one's."""
        cls.s.until(cls.s.application, "Moorvane in the accessibility tree").set_cache_mask(
            desktop_session().Atspi.Cache.NONE)

    def moorvane(self, *arguments):
        """`moorvane` started again, as the desktop's menu starts it."""
        handed = subprocess.run([MOORVANE, *arguments], env=self.s.env, timeout=15)
        self.assertEqual(handed.returncode, 0)

    def shown(self):
        return self.s.find("Moorvane", None, "Moorvane", timeout=10)

    def closed(self):
        self.s.until(lambda: self.s.lookup("Moorvane", None, "Moorvane") is None, "the popover to close")

    def settings_page(self, control):
        """The settings page's `control`, the page opened from the footer."""
        s = self.s

        def shown():
            # The shell may still hold the pointer for a moment after the overview closed: a lost click is repeated.
            if (found := s.lookup(control, window_title="Moorvane")) is None:
                s.click(s.find("Settings", pyatspi.ROLE_PUSH_BUTTON, "Moorvane"))
                time.sleep(0.5)
            return found
        return s.until(shown, "the settings page")

    def app_grid_screenshot(self):
        """The app grid, where the installed entry lists Moorvane among the session's apps, left as it was found."""
        s = self.s
        button = s.find("Show Applications", pyatspi.ROLE_TOGGLE_BUTTON, inside=s.dash)
        s.click(button)
        time.sleep(2)  # the grid slides in
        s.screenshot(screen_path("gnome-app-grid"))
        s.click(button)
        time.sleep(1)

    def running_window_icon(self):
        """The icon's sizes the one-pixel window behind the dash's tile gives the window manager."""
        tree = self.s.run("xwininfo", "-root", "-tree").stdout.splitlines()
        window = next((line.split()[0] for line in tree if '("moorvane" "Moorvane")' in line and " 1x1+" in line), None)
        icon = self.s.run("xprop", "-id", window, "_NET_WM_ICON").stdout if window else ""
        return re.findall(r"Icon \((\d+ x \d+)\)", icon)

    def test_1_popover_option_opens_it_centred_and_the_keyboard_alone_switches(self):
        s = self.s
        s.until(lambda: "no system tray in this session; run \u201Cmoorvane --popover\u201D or start Moorvane "
                        "again to show the profiles" in log_since(self.offset), "the log to say how to open it")
        self.assertIsNone(s.lookup("Moorvane", None, "Moorvane"))
        self.moorvane("--popover")
        box = s.until(lambda: s.extents(self.shown()), "the popover laid out")
        self.assertLessEqual(abs(box.x + box.width // 2 - 640), 1, box)
        self.assertGreater(box.y, 100, "centred, not hanging from the top: %r" % (box,))
        # The keyboard is the popover's: Tab reaches Home's row, Return switches to it, Escape closes.
        self.tab_to("Moorvane", "Home", 12)
        s.key("Return")
        s.until(lambda: s.favorite_apps() == [s.desktop_id("Dictionary")], "the dash to hold Home's app")
        s.until(lambda: s.active_id() == s.stored("Home")["id"], "Home recorded as active")
        s.key("Escape")
        self.closed()

    def test_2_a_second_plain_start_opens_it_and_a_click_on_the_shell_closes_it(self):
        s = self.s
        self.moorvane()
        self.shown()
        # A second ask while it shows keeps the one popover, and its keyboard.
        self.moorvane("--popover")
        time.sleep(0.5)
        self.assertEqual(len([n for n in s.nodes("Moorvane") if n.name == "Settings"]), 1)
        # A click on the shell's own "Activities" takes the keyboard, which closes the popover.
        s.xdotool("mousemove", "50", "15", "click", "1")
        try:
            self.closed()
        finally:
            s.overview(False)

    def test_3_on_dock_and_menu_bar_the_apps_tile_in_the_dash_opens_it(self):
        s = self.s
        self.moorvane("--popover")
        s.click(self.settings_page("Dock & Menu Bar"))
        s.until(lambda: s.defaults().get("appVisibility") == "dockAndMenuBar", "the setting stored")
        s.key("Escape")
        self.closed()
        s.overview(True)
        try:
            # After the pinned app Home put there.
            s.until(lambda: s.dash_labels() == ["Dictionary", "Moorvane"], "Moorvane running in the dash",
                    timeout=15)
            tile = s.find("Moorvane", pyatspi.ROLE_PUSH_BUTTON, inside=s.dash)
            box = s.until(lambda: s.extents(tile), "the tile laid out")
            s.until(lambda: s.shows_app_icon(box.x, box.y, box.width, box.height, screen_path("gnome-dash-tile")),
                    "the app's icon on its tile")
            # The window behind the tile carries it too, for a dock that finds no entry to match the window to.
            self.assertTrue(self.running_window_icon(), "the running tile's window has no icon")
            if SCREENS:
                s.screenshot(screen_path("gnome-dash-running"))
                self.app_grid_screenshot()
            s.click(tile)
            self.shown()
        finally:
            s.overview(False)
        s.click(self.settings_page("Menu Bar Only"))
        s.key("Escape")
        self.closed()
        s.overview(True)
        try:
            s.until(lambda: s.dash_labels() == ["Dictionary"], "Moorvane gone from the dash", timeout=15)
        finally:
            s.overview(False)

    def test_4_the_first_instance_started_with_the_option_shows_it_once_up(self):
        s = self.s
        s.stop_moorvane()
        s.start_moorvane("--popover")
        self.read_afresh()
        box = s.until(lambda: s.extents(self.shown()), "the popover laid out")
        self.assertLessEqual(abs(box.x + box.width // 2 - 640), 1, box)
        s.key("Escape")
        self.closed()


if __name__ == "__main__":
    if len(sys.argv) == 1:
        # Each class in a process of its own: the accessibility bindings stay bound to the first session's bus.
        screens = ["--screens", SCREENS] if SCREENS else []
        sys.exit(max(subprocess.run([sys.executable, "-W", "ignore::DeprecationWarning", os.path.abspath(__file__),
                                     BUILD, *screens, name]).returncode for name in ("PersonTest", "PlankPersonTest",
                                                                                  "TraylessGnomeTest")))
    unittest.main(verbosity=2)
