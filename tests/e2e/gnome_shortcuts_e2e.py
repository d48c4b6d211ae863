#!/usr/bin/env python3
"""End-to-end tests of the profiles' shortcuts in GNOME's own keyboard shortcuts, on a private GNOME Shell
session (tests/e2e/desktop_session.py): set, renamed and released in the editor, the person's own shortcut left
as it was, a press served once by gnome-settings-daemon's media keys; and a Wayland session that is not GNOME,
where the editor says how to bind the switch in the desktop's settings.

Usage (ctest runs it so): gnome_shortcuts_e2e.py BUILD_FOLDER
"""

import os
import shutil
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import desktop_session  # noqa: E402
from desktop_session import DesktopSession, log_since, log_size, wait_for  # noqa: E402
from moorvane_e2e import OneSession  # noqa: E402

SCHEMA = "org.gnome.settings-daemon.plugins.media-keys"
FOLDER = "/org/gnome/settings-daemon/plugins/media-keys/custom-keybindings/"
USER_PATH = FOLDER + "custom0/"
MEDIA_KEYS = "/usr/libexec/gsd-media-keys"
# Set to a folder to keep screenshots of the editor's notice.
SCREENS = os.environ.get("MOORVANE_SCREENS")


class ShortcutsTest(OneSession):
    """The flows in order on one session, each going on from where the one before left the store."""

    @classmethod
    def new_session(cls):
        return DesktopSession("gnome")

    @classmethod
    def prepare(cls, s):
        cls.work = s.profile("Atelier", [s.tile("Calculator")])
        cls.home = s.profile("Harbour", [s.tile("Dictionary")])
        s.seed_profiles([cls.work, cls.home], active=cls.home["id"])
        # The person's own shortcut, made in GNOME Settings before Moorvane ever ran.
        s.gsettings_set(SCHEMA, "custom-keybindings", [USER_PATH])
        for key, value in (("name", "'Terminal'"), ("binding", "'<Control><Alt>t'"),
                           ("command", "'xmessage terminal'")):
            s.gsettings_set(cls.entry_schema(USER_PATH), key, value)
        s.start_moorvane()

    @staticmethod
    def entry_schema(path):
        return SCHEMA + ".custom-keybinding:" + path

    def paths(self):
        text = self.s.gsettings_get(SCHEMA, "custom-keybindings")
        return [] if text.startswith("@as") else eval(text)  # a GVariant text of strings is a Python list

    def entry(self, path):
        return {key: eval(self.s.gsettings_get(self.entry_schema(path), key)) for key in ("name", "binding", "command")}

    def stored_by_id(self, profile_id):
        return next(p for p in self.s.stored_profiles() if p["id"] == profile_id)

    def ours(self, profile):
        return FOLDER + "moorvane-" + profile["id"].lower() + "/"

    def user_entry_untouched(self):
        self.assertEqual(self.paths()[0], USER_PATH)
        self.assertEqual(self.entry(USER_PATH),
                         {"name": "Terminal", "binding": "<Control><Alt>t", "command": "xmessage terminal"})

    def edit(self, profile):
        """The editor of a stored profile, opened as the popover's pencil does it."""
        s = self.s
        reply = s.dbus("com.moorvane.app", "/com/moorvane/app/instance", "com.moorvane.app.Instance.OpenEditor",
                       "string:" + profile["id"])
        self.assertEqual(reply.returncode, 0, reply.stderr)
        title = "Edit \u2014 " + self.stored_by_id(profile["id"])["name"]
        s.find("Profile Name", desktop_session.pyatspi.ROLE_TEXT, title)
        return title

    def save(self, title):
        s = self.s
        s.click(s.find("Save", window_title=title))
        s.gone("Save", window_title=title)

    def test_1_a_recorded_shortcut_lands_in_gnomes_shortcuts_beside_the_persons_own(self):
        s = self.s
        self.assertEqual(self.paths(), [USER_PATH], "no profile has a shortcut yet")
        title = self.edit(self.work)
        s.click(s.find("Click to record", window_title=title))
        s.key("ctrl+alt+1")
        s.find("\u2303\u23251", window_title=title)
        self.save(title)
        wait_for(lambda: self.paths() == [USER_PATH, self.ours(self.work)], what="Work's entry in the list")
        entry = self.entry(self.ours(self.work))
        self.assertEqual(entry["name"], "Atelier")
        self.assertEqual(entry["binding"], "<Control><Alt>1")
        self.assertRegex(entry["command"], r"^'/.*/moorvane' 'moorvane://switch\?profile=Atelier'$")
        self.user_entry_untouched()

        # The command as gnome-settings-daemon runs it: a desktop entry's Exec, field codes and all.
        offset = log_size()
        s.run("/usr/bin/python3", "-c", "import sys, gi; gi.require_version('Gio', '2.0');"
              "from gi.repository import Gio;"
              "Gio.AppInfo.create_from_commandline(sys.argv[1], None, 0).launch([], None)", entry["command"])
        wait_for(lambda: "switchTo 'Atelier'" in log_since(offset), what="the entry's command to switch")
        wait_for(lambda: s.active_id() == self.work["id"], what="Atelier active")

    def test_2_a_press_served_by_gnome_switches_once(self):
        s = self.s
        if not os.path.exists(MEDIA_KEYS):
            self.skipTest("gnome-settings-daemon is not installed")
        s.switch_profile("Harbour")
        wait_for(lambda: s.active_id() == self.home["id"], what="Harbour active")
        gsd_log, started = os.path.join(s.root, "gsd-media-keys.log"), log_size()
        s.spawn([MEDIA_KEYS], log=gsd_log, env=dict(s.env, G_MESSAGES_DEBUG="all"))
        try:
            wait_for(lambda: s.bus_has("org.gnome.SettingsDaemon.MediaKeys"), timeout=15, what="media keys")
        except AssertionError:
            self.skipTest("gsd-media-keys does not run under this session")
        wait_for(lambda: "GNOME's media-keys service runs the mirrored shortcuts" in log_since(started),
                 what="Moorvane to see the media keys")
        time.sleep(1)  # its grabs follow its start
        offset = log_size()
        s.key("Escape")  # nothing of ours has the focus
        s.key("ctrl+alt+1")
        try:
            wait_for(lambda: s.active_id() == self.work["id"], what="the press to switch to Atelier")
        except AssertionError:
            raise AssertionError("no switch; gsd-media-keys said:\n" + s.read(gsd_log)[-3000:]
                                 + "\nMoorvane:\n" + log_since(offset)) from None
        time.sleep(2)  # a second switch, had there been one, would have come by now
        text = log_since(offset)
        self.assertEqual(text.count("switchTo 'Atelier'"), 1, text)
        self.assertNotIn("HotkeyManager: ctrl+opt+1", text, "X RECORD leaves it to GNOME")

        # While the recorder records, GNOME lets go of the keys: the press is recorded, nothing switches.
        title = self.edit(self.home)
        s.click(s.find("Click to record", window_title=title))
        wait_for(lambda: self.entry(self.ours(self.work))["binding"] == "", what="GNOME's binding let go")
        time.sleep(0.5)  # the daemon ungrabs on the change
        offset = log_size()
        s.key("ctrl+alt+1")
        s.find("\u2303\u23251", window_title=title)
        s.find("Currently used by \u201cAtelier\u201d \u2014 saving will move it here.", window_title=title)
        s.click(s.find("Cancel", window_title=title))
        wait_for(lambda: self.entry(self.ours(self.work))["binding"] == "<Control><Alt>1", what="the binding back")
        text = log_since(offset)
        self.assertNotIn("switchTo 'Atelier'", text)
        self.assertNotIn("switchTo 'Harbour'", text)

    def test_3_a_rename_updates_the_entry_and_a_release_removes_it(self):
        s = self.s
        title = self.edit(self.work)
        s.click(s.find("Profile Name", desktop_session.pyatspi.ROLE_TEXT, title))
        s.key("ctrl+a")
        s.type_text("Deep Atelier")
        self.save(title)
        path = self.ours(self.work)
        wait_for(lambda: self.entry(path)["name"] == "Deep Atelier", what="the renamed entry")
        self.assertTrue(self.entry(path)["command"].endswith(" 'moorvane://switch?profile=Deep%%20Atelier'"))
        self.assertEqual(self.paths(), [USER_PATH, path])

        title = self.edit(self.work)
        s.click(s.find("Remove shortcut", window_title=title))
        self.save(title)
        wait_for(lambda: self.paths() == [USER_PATH], what="the entry out of the list")
        self.assertEqual(self.entry(path), {"name": "", "binding": "", "command": ""})
        self.user_entry_untouched()

    def test_4_on_a_wayland_session_that_is_not_gnome_the_editor_says_how_to_bind_the_switch(self):
        s = self.s
        s.stop_moorvane()
        home = dict(s.stored("Harbour"), keyboardShortcut="ctrl+opt+h")
        s.seed_profiles([self.stored_by_id(self.work["id"]), home], active=self.work["id"])
        offset = log_size()
        # Wayland as the session names itself; the app still draws through the X server the tests read.
        s.start_moorvane(env=dict(s.env, XDG_CURRENT_DESKTOP="KDE", XDG_SESSION_TYPE="wayland",
                                  WAYLAND_DISPLAY="wayland-moorvane-test"))
        text = wait_for(lambda: (t := log_since(offset)) and "HotkeyManager: started" in t and t, what="the start")
        self.assertIn("HotkeyManager: started (accessibility granted: false)", text)
        self.assertIn("KeyMonitor: Wayland session: shortcuts work only while Moorvane has focus", text)
        self.assertNotIn("RECORD", text)
        self.assertEqual(self.paths(), [USER_PATH], "no GNOME here: its shortcuts are left alone")

        offset = log_size()
        s.key("ctrl+alt+h")
        title = self.edit(home)
        s.find("Works only while Moorvane has focus: Wayland hides other apps\u2019 keys.",
               window_title=title)
        s.click(s.find("Grant\u2026", window_title=title))
        s.find(lambda text: text and text.endswith("moorvane 'moorvane://switch?profile=Harbour'"),
               window_title=title)
        if SCREENS:
            os.makedirs(SCREENS, exist_ok=True)
            time.sleep(0.5)  # drawn a frame after the tree shows it
            s.screenshot(os.path.join(SCREENS, "wayland-notice.png"))
        self.assertNotIn("switchTo 'Harbour'", log_since(offset), "no system-wide monitor heard the press")
        s.click(s.find("Cancel", window_title=title))


if __name__ == "__main__":
    if not shutil.which("gnome-shell"):
        print("skipped: gnome-shell is not installed (scripts/install-deps.sh installs it)")
        sys.exit(77)
    unittest.main(verbosity=2)
