#!/usr/bin/env python3
"""End-to-end tests of what a switch does to apps on a desktop session, under the real GNOME Shell (a window
manager that takes _NET_CLOSE_WINDOW) or Plank (no window manager: WM_DELETE_WINDOW goes to the app itself): the
profile's apps opened from their desktop entries, and the other apps' windows asked to close, as their close
buttons do, with nothing signalled or killed. The apps are fixture programs (tests/e2e/fixture_app.c) that write
what happens to them into a file.

Usage (ctest runs it so): desktop_apps_e2e.py BUILD_FOLDER gnome|plank
"""

import os
import shutil
import sys
import time
import unittest

DOCK = sys.argv.pop(2) if len(sys.argv) > 2 else "gnome"
PROGRAM = {"gnome": "gnome-shell", "plank": "plank"}[DOCK]
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from desktop_session import MOORVANE, DesktopSession, log_since, log_size, wait_for  # noqa: E402
from moorvane_e2e import OneSession  # noqa: E402

FIXTURE = os.path.join(os.path.dirname(MOORVANE), "moorvane-fixture-app")
# Set to a folder to keep a screenshot of the launched app.
SCREENS = os.environ.get("MOORVANE_SCREENS")


class AppsTest(OneSession):
    """One GNOME session and one Moorvane; the second test goes on from where the first left it."""

    @classmethod
    def new_session(cls):
        return DesktopSession(DOCK)

    @classmethod
    def prepare(cls, s):
        cls.record = os.path.join(s.root, "apps.log")
        s.env["MOORVANE_FIXTURE_RECORD"] = cls.record
        cls.paths = {}
        for name, extra, command in (
                ("Notes", "StartupWMClass=Notes\nStartupNotify=true\n", FIXTURE + " --class Notes"),
                ("Sketch", "StartupWMClass=Sketch\n", FIXTURE + " --class Sketch"),
                ("Agent", "NoDisplay=true\n", FIXTURE + " --class Agent --no-window"),
                ("Broken", "", "/nonexistent/moorvane-no-such-program")):
            cls.paths[name] = s.write_entry("org.example." + name, name, "applications-other", extra, command)
        s.seed_profiles([
            s.profile("Launch", [s.tile("Calculator")],
                      appsToLaunch=["org.example.Broken.desktop", "org.example.Notes.desktop"]),
            s.profile("Tidy", [s.tile("Notes")], quitOtherApps=True),
        ])
        s.start_moorvane()

    def records(self):
        return DesktopSession.read(self.record).splitlines()

    def started(self, name):
        return next((line for line in self.records() if " started class=%s " % name in line), None)

    def windows(self, name):
        """The app's windows the window manager manages (a window just created is not yet among them); without
        one, its windows shown."""
        if DOCK == "plank":
            return [int(w) for w in self.s.run("xdotool", "search", "--onlyvisible", "--class",
                                               "^%s$" % name).stdout.split()]
        found = self.s.run("xdotool", "search", "--class", "^%s$" % name).stdout.split()
        managed = self.s.run("xprop", "-root", "_NET_CLIENT_LIST").stdout.replace(",", " ").split()
        return [int(w) for w in found if "0x%x" % int(w) in managed]

    def test_1_a_switch_opens_the_profiles_apps_from_their_entries_without_the_focus(self):
        s = self.s
        offset = log_size()
        before = s.run("xdotool", "getactivewindow").stdout.strip()
        reply = s.switch_profile("Launch")
        self.assertEqual(reply.returncode, 0, reply.stderr)
        line = wait_for(lambda: self.started("Notes"), what="Notes to start")
        self.assertIn(" launched=%s " % self.paths["Notes"], line)
        startup = line.split(" startup=")[1]
        self.assertTrue(startup.startswith("moorvane-") and startup.endswith("_TIME0"), startup)
        wait_for(lambda: self.windows("Notes"), what="the Notes window")
        time.sleep(0.5)
        if SCREENS:
            time.sleep(2)  # once the switching overlay has faded
            os.makedirs(SCREENS, exist_ok=True)
            s.screenshot(os.path.join(SCREENS, "apps-launched-%s.png" % DOCK))
        active = s.run("xdotool", "getactivewindow").stdout.strip()
        self.assertNotIn(int(active) if active.isdigit() else -1, self.windows("Notes"),
                         "the launched app took the focus (before: %s)" % before)
        failed = wait_for(lambda: next((l for l in log_since(offset).splitlines()
                                        if "AppLaunchManager: failed to launch org.example.Broken.desktop: " in l),
                                       None), what="the failed launch's line")
        self.assertIn("moorvane-no-such-program", failed)

    def test_2_quitting_other_apps_asks_windows_to_close_and_signals_nothing(self):
        s = self.s
        wait_for(lambda: self.started("Notes"), what="Notes from the first test")
        sketch = s.spawn([FIXTURE, "--class", "Sketch"])
        # Started as a launcher would, whose child it is: a background process known as Agent.
        agent_env = dict(s.env, GIO_LAUNCHED_DESKTOP_FILE=self.paths["Agent"],
                         GIO_LAUNCHED_DESKTOP_FILE_PID=str(os.getpid()))
        agent = s.spawn([FIXTURE, "--class", "Agent", "--no-window"], env=agent_env)
        wait_for(lambda: self.windows("Sketch"), what="the Sketch window")
        wait_for(lambda: self.started("Agent"), what="Agent")

        offset = log_size()
        reply = s.switch_profile("Tidy")
        self.assertEqual(reply.returncode, 0, reply.stderr)
        self.assertEqual(sketch.wait(10), 0, "Sketch exits by itself once asked to close")
        self.assertIn("%d closed" % sketch.pid, self.records())
        text = wait_for(lambda: (t := log_since(offset)) and "switchTo 'Tidy'" in t and t, what="the switch")
        self.assertIn("AppLaunchManager: quitting org.example.Sketch.desktop", text)
        time.sleep(1)
        for kept in ("Notes", "Agent"):
            self.assertNotIn("AppLaunchManager: quitting org.example.%s.desktop" % kept, text)
        self.assertIsNone(agent.poll(), "the windowless Agent runs on")
        self.assertTrue(self.windows("Notes"), "the profile's own Notes keeps its window")
        self.assertIsNone((s.shell if DOCK == "gnome" else s.plank).poll(), "%s runs on" % PROGRAM)
        self.assertIsNone(s.moorvane.poll(), "Moorvane runs on")
        self.assertFalse([l for l in self.records() if "SIGTERM" in l], self.records())


if __name__ == "__main__":
    if not shutil.which(PROGRAM):
        print("skipped: %s is not installed (scripts/install-deps.sh installs it)" % PROGRAM)
        sys.exit(77)
    unittest.main(verbosity=2)
