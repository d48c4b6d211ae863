#!/usr/bin/env python3
"""End-to-end tests of GNOME's Do Not Disturb as the Focus mode "Do Not Disturb", with the real GNOME Shell on a
private session (tests/e2e/desktop_session.py): the switch in the shell's menu writes the key that
`gsettings set org.gnome.desktop.notifications show-banners` writes here.

Usage (ctest runs it so): gnome_focus_e2e.py BUILD_FOLDER
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

SCHEMA = "org.gnome.desktop.notifications"
# Set to a folder to keep a screenshot of the popover's Focus badge.
SCREENS = os.environ.get("MOORVANE_SCREENS")


class DoNotDisturbTest(OneSession):
    """One session and one Moorvane; the tests run in order, each going on from where the one before left it."""

    @classmethod
    def new_session(cls):
        return DesktopSession("gnome")

    @classmethod
    def prepare(cls, s):
        cls.quiet = s.profile("Quiet", [s.tile("Dictionary"), s.tile("Graphics")], focusFilter="Do Not Disturb")
        cls.work = s.profile("Work", [s.tile("Calculator"), s.tile("Editor")])
        s.seed_profiles([cls.work, cls.quiet], active=cls.work["id"])
        s.gsettings_set("org.gnome.shell", "favorite-apps", [s.desktop_id("Calculator"), s.desktop_id("Editor")])
        cls.offset = log_size()
        s.start_moorvane()
        wait_for(lambda: "FocusModeObserver: following GNOME\u2019s Do Not Disturb" in log_since(cls.offset),
                 what="the log line saying Moorvane follows Do Not Disturb")

    def do_not_disturb(self, on):
        self.s.gsettings_set(SCHEMA, "show-banners", "false" if on else "true")
        return time.monotonic()

    def badge(self):
        """The popover's Focus badge, or None while it does not show."""
        s = self.s
        # Read afresh: the bindings' copy of the tree follows the app's changes only while this process runs a
        # GLib main loop, and a badge that went would still read as showing.
        app = s.application()
        if app is not None:
            app.set_cache_mask(desktop_session.Atspi.Cache.NONE)
            app.clear_cache()
        return next((n for n in s.nodes("Moorvane") if n.description == "Focus"), None)

    def test_1_turning_it_on_switches_within_a_second(self):
        s = self.s
        offset = log_size()
        started = self.do_not_disturb(True)
        wanted = [s.desktop_id("Dictionary"), s.desktop_id("Graphics")]
        wait_for(lambda: s.favorite_apps() == wanted, timeout=5, step=0.02, what="the dash to hold Quiet")
        self.assertLess(time.monotonic() - started, 1.0, "switched within a second, not at the next 5 s poll")
        wait_for(lambda: "switchTo 'Quiet'" in log_since(offset), what="the switch in the log")
        wait_for(lambda: s.active_id() == self.quiet["id"], what="Quiet recorded as active")
        s.dash_shows(["Dictionary", "Graphics"])

    def test_2_the_popover_badge_names_it(self):
        s = self.s
        s.open_popover("Save Current Dock")
        badge = s.until(self.badge, "the Focus badge")
        self.assertEqual(badge.name, "Do Not Disturb")
        if SCREENS:
            os.makedirs(SCREENS, exist_ok=True)
            time.sleep(0.5)
            s.screenshot(os.path.join(SCREENS, "gnome-focus-badge.png"))
        # The badge follows the mode while the popover shows.
        self.do_not_disturb(False)
        s.until(lambda: self.badge() is None, "the badge to go")
        s.key("Escape")
        s.until(lambda: s.lookup("Save Current Dock", window_title="Moorvane") is None, "the popover to close")

    def test_3_turning_it_off_switches_nothing_and_on_again_switches_again(self):
        s = self.s
        reply = s.switch_profile("Work")
        self.assertEqual(reply.returncode, 0, reply.stderr)
        work = [s.desktop_id("Calculator"), s.desktop_id("Editor")]
        wait_for(lambda: s.favorite_apps() == work, what="the dash to hold Work")

        offset = log_size()
        self.do_not_disturb(True)
        self.do_not_disturb(False)
        wait_for(lambda: "switchTo 'Quiet'" in log_since(offset), what="the switch on turning it on")
        offset = log_size()
        s.switch_profile("Work")
        wait_for(lambda: s.favorite_apps() == work, what="the dash to hold Work again")
        self.do_not_disturb(False)  # already off: nothing changes
        time.sleep(6)  # past the next 5 s poll as well
        self.assertNotIn("switchTo 'Quiet'", log_since(offset))
        self.assertEqual(s.favorite_apps(), work)
        self.assertEqual(s.active_id(), self.work["id"])

        self.do_not_disturb(True)
        wait_for(lambda: s.favorite_apps() == [s.desktop_id("Dictionary"), s.desktop_id("Graphics")],
                 timeout=2, what="the dash to hold Quiet again")

    def test_4_the_editor_picker_offers_and_shows_it(self):
        s = self.s
        reply = s.dbus("com.moorvane.app", "/com/moorvane/app/instance", "com.moorvane.app.Instance.OpenEditor",
                       "string:" + self.quiet["id"])
        self.assertEqual(reply.returncode, 0, reply.stderr)
        window = "Edit \u2014 Quiet"
        picker = s.find("Focus", window_title=window)
        self.assertEqual(picker.description, "Do Not Disturb")
        s.click(picker)
        s.find("Do Not Disturb", window_title=window, role=desktop_session.pyatspi.ROLE_LIST_ITEM)
        if SCREENS:
            time.sleep(0.5)
            s.screenshot(os.path.join(SCREENS, "gnome-focus-editor.png"))
        s.key("Escape")
        s.key("Escape")
        s.gone("Focus", window_title=window)


if __name__ == "__main__":
    if not shutil.which("gnome-shell"):
        print("skipped: gnome-shell is not installed (scripts/install-deps.sh installs it)")
        sys.exit(77)
    unittest.main(verbosity=2)
