#!/usr/bin/env python3
"""Whole-app figures on a private Xvfb and bus: switch latency by URL and by a click on a popover row, start-up
time, a second `moorvane ARG` against `dbus-send` handing the same argument to the running instance, the tray
click until the popover shows, idle memory around the first opening, idle CPU. Then the same switch by URL on
GNOME Shell's dash and on Plank, each on a private session of its own, beside the reference Dock's; and on GNOME
the automation action sent by `dbus-send` against a bare `gsettings set` of the same list.

Usage: bench/app_timings.py BUILD_FOLDER [--docks]
  --docks: only the switch figures of the three docks, side by side.
"""

import json
import os
import shutil
import subprocess
import sys
import time

DOCKS_ONLY = "--docks" in sys.argv
# A desktop dock's figures run in a process of their own (the accessibility bindings serve one session).
DESKTOP_DOCK = sys.argv[sys.argv.index("--dock") + 1] if "--dock" in sys.argv else None
arguments = [a for a in sys.argv[1:] if a not in ("--docks", "--dock", DESKTOP_DOCK)]
build = os.path.abspath(arguments[0] if arguments else "build/dev")
here = os.path.dirname(os.path.abspath(__file__))
sys.argv = [sys.argv[0], build]
sys.path.insert(0, os.path.join(here, "..", "tests", "e2e"))
import moorvane_e2e as e2e  # noqa: E402  (both read the build folder from the arguments)
import person_e2e  # noqa: E402


def cpu_seconds(pid):
    fields = open("/proc/%d/stat" % pid).read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def rss_mb(pid):
    for line in open("/proc/%d/status" % pid):
        if line.startswith("VmRSS:"):
            return int(line.split()[1]) / 1024
    return 0.0


def pss_mb(pid):
    for line in open("/proc/%d/smaps_rollup" % pid):
        if line.startswith("Pss:"):
            return int(line.split()[1]) / 1024
    return 0.0


def median(values):
    values = sorted(values)
    return values[len(values) // 2]


def desktop_dock_figures(dock, rounds=10):
    """A switch by URL until the dock shows the new list, on a private session with GNOME Shell or Plank; on
    GNOME also the automation action by dbus-send against a bare gsettings set, both until favorite-apps holds
    the list. Medians in seconds."""
    import desktop_session
    s = desktop_session.DesktopSession(dock)
    try:
        lists = {"A": ["Calculator", "Editor", "Dictionary"], "B": ["Games", "Graphics"]}
        s.seed_profiles([s.profile(name, [s.tile(app) for app in apps]) for name, apps in lists.items()])
        # The bare writes below would otherwise be copied into the active profile.
        os.makedirs(os.path.join(s.env["XDG_CONFIG_HOME"], "Moorvane"))
        with open(os.path.join(s.env["XDG_CONFIG_HOME"], "Moorvane", "defaults.json"), "w") as f:
            json.dump({"autoSaveDockChanges": False}, f)
        s.start_moorvane("moorvane://switch?profile=B")
        time.sleep(2)
        if dock == "gnome":
            # The dash redraws at once only while it shows.
            s.overview(True)
            time.sleep(1.5)

        def ids(apps):
            return [s.desktop_id(app) for app in apps]

        def key_holds(apps):
            # dconf reads the database file itself: a quicker probe than a gsettings process.
            text = s.run("dconf", "read", "/org/gnome/shell/favorite-apps").stdout.strip()
            return text == str(ids(apps))

        def plank_shows(apps):
            return s.plank_items() == ["file://" + s.entries[app][1] for app in apps]

        held, shown = [], []
        for i in range(rounds):
            name = "AB"[i % 2]
            t0 = time.monotonic()
            subprocess.run([e2e.MOORVANE, "moorvane://switch?profile=" + name], env=s.env, check=True)
            if dock == "gnome":
                e2e.wait_for(lambda: key_holds(lists[name]), step=0.002, what="favorite-apps")
                held.append(time.monotonic() - t0)
                e2e.wait_for(lambda: s.dash_labels() == lists[name], step=0.002, what="the dash")
            else:
                e2e.wait_for(lambda: plank_shows(lists[name]), step=0.002, what="Plank's tiles")
            shown.append(time.monotonic() - t0)
            time.sleep(1.2)
        figures = {"url_shown": median(shown)}
        if dock != "gnome":
            return figures
        figures["url_held"] = median(held)

        # Each round changes the key: the action alternates A and B, the bare write two lists of its own.
        others = (["Science", "Calculator"], ["Dictionary", "Science"])
        by_action, by_gsettings, gsettings_shown = [], [], []
        for i in range(2 * rounds):
            name = "AB"[i % 2]
            t0 = time.monotonic()
            subprocess.run(["dbus-send", "--session", "--print-reply", "--dest=com.moorvane.app", "/com/moorvane/app",
                            "com.moorvane.app.Automation.SwitchDockProfile", "string:" + name], env=s.env,
                           check=True, stdout=subprocess.DEVNULL)
            e2e.wait_for(lambda: key_holds(lists[name]), step=0.002, what="favorite-apps")
            by_action.append(time.monotonic() - t0)
            time.sleep(0.5)
            apps = others[i % 2]
            t0 = time.monotonic()
            subprocess.run(["gsettings", "set", "org.gnome.shell", "favorite-apps", str(ids(apps))], env=s.env,
                           check=True)
            e2e.wait_for(lambda: key_holds(apps), step=0.002, what="favorite-apps")
            by_gsettings.append(time.monotonic() - t0)
            # How long the shell itself takes to redraw the dash, with no Moorvane in the way.
            e2e.wait_for(lambda: s.dash_labels() == apps, step=0.002, what="the dash")
            gsettings_shown.append(time.monotonic() - t0)
            time.sleep(0.5)
        figures.update(action=median(by_action), gsettings=median(by_gsettings),
                       gsettings_shown=median(gsettings_shown))
        return figures
    finally:
        s.close()


def desktop_dock(dock):
    """desktop_dock_figures in a process of its own, or None when the dock is not installed."""
    if not shutil.which({"gnome": "gnome-shell", "plank": "plank"}[dock]):
        return None
    python = "/usr/bin/python3" if os.path.exists("/usr/bin/python3") else sys.executable
    reply = subprocess.run([python, "-W", "ignore::DeprecationWarning", os.path.abspath(__file__), build,
                            "--dock", dock], capture_output=True, text=True, timeout=600)
    if reply.returncode != 0:
        print("%s: the figures failed:\n%s" % (dock, reply.stderr[-3000:]), file=sys.stderr)
        return None
    return json.loads(reply.stdout.strip().splitlines()[-1])


if DESKTOP_DOCK:
    print(json.dumps(desktop_dock_figures(DESKTOP_DOCK)))
    sys.exit(0)

s = person_e2e.PersonSession()
try:
    profiles = [s.profile("P%d" % i, ["Safari", "Mail", "Notes"] if i % 2 else ["Notes", "Music"])
                for i in range(50)]
    s.seed_profiles(profiles)
    # The app logs how long each popover opening took to its first frame.
    s.env["MOORVANE_TIMINGS"] = "1"
    started = time.monotonic()
    app = s.start_moorvane()
    startup = time.monotonic() - started
    time.sleep(1)

    # The same argument handed to the running instance by a second moorvane and by dbus-send, alternately so
    # that both see the same machine; a profile nobody has, so the instance only logs it.
    handed = "moorvane://switch?profile=Nobody"
    by_moorvane, by_dbus_send = [], []
    for _ in range(20):
        t0 = time.monotonic()
        subprocess.run([e2e.MOORVANE, handed], env=s.env, check=True)
        by_moorvane.append(time.monotonic() - t0)
        t0 = time.monotonic()
        subprocess.run(["dbus-send", "--session", "--print-reply", "--dest=com.moorvane.app",
                        "/com/moorvane/app/instance", "com.moorvane.app.Instance.Open", "array:string:" + handed],
                       env=s.env, check=True, stdout=subprocess.DEVNULL)
        by_dbus_send.append(time.monotonic() - t0)

    latencies, own = [], []
    for i in range(10):
        name = "P%d" % (i % 2)
        want = ["Safari", "Mail", "Notes"] if i % 2 else ["Notes", "Music"]
        before = e2e.wait_for(s.dock_pid, what="the Dock")
        offset = e2e.log_size()
        t0 = time.monotonic()
        subprocess.run([e2e.MOORVANE, "moorvane://switch?profile=" + name], env=s.env, check=True)
        e2e.wait_for(lambda: s.domain_labels() == want, step=0.002)
        written = time.monotonic()
        e2e.wait_for(lambda: (p := s.dock_pid()) and p != before, step=0.002)
        e2e.wait_for(lambda: s.bus_has("com.apple.dock"), step=0.005, what="the new Dock on the bus")
        latencies.append(time.monotonic() - t0)
        own.append(written - t0)
        time.sleep(1.2)

    if not DOCKS_ONLY:
        time.sleep(9)  # past the re-enables and the overlays
        cpu0, t0 = cpu_seconds(app.pid), time.monotonic()
        time.sleep(20)
        idle_cpu = (cpu_seconds(app.pid) - cpu0) / (time.monotonic() - t0) * 100
        before_opening, before_opening_pss = rss_mb(app.pid), pss_mb(app.pid)

        def popover_shown():
            tree = subprocess.run(["xwininfo", "-root", "-tree"], env=s.env, capture_output=True, text=True).stdout
            return any('("moorvane" "Moorvane")  340x' in line for line in tree.splitlines())

        openings, row_switches = [], []
        opened_from = e2e.log_size()
        x, y, w, h = s.until(s.tray_icon_rect, "the tray icon")
        # What xdotool's own click costs in this session, on the bare desktop, to tell it from the app's part.
        t0 = time.monotonic()
        for _ in range(5):
            s.xdotool("mousemove", "2", "400", "click", "1")
        bare_click = (time.monotonic() - t0) / 5
        for i in range(10):
            t0 = time.monotonic()
            s.xdotool("mousemove", str(x + w // 2), str(y + h // 2), "click", "1")
            e2e.wait_for(popover_shown, step=0.002, what="the popover")
            openings.append(time.monotonic() - t0)
            # The URL loop ended on P1, so the rows alternate from P0: never a click on the active row.
            name = "P%d" % (i % 2)
            want = ["Safari", "Mail", "Notes"] if i % 2 else ["Notes", "Music"]
            row = s.find(name)
            before = e2e.wait_for(s.dock_pid, what="the Dock")
            t0 = time.monotonic()
            s.click(row)
            e2e.wait_for(lambda: s.domain_labels() == want, step=0.002)
            e2e.wait_for(lambda: (p := s.dock_pid()) and p != before, step=0.002)
            e2e.wait_for(lambda: s.bus_has("com.apple.dock"), step=0.005, what="the new Dock on the bus")
            row_switches.append(time.monotonic() - t0)
            s.key("Escape")
            e2e.wait_for(lambda: not popover_shown(), what="the popover to close")
            time.sleep(1.2)
        time.sleep(9)
        after_closing = rss_mb(app.pid)
        drawn = [int(line.split("first frame ")[1].split(" ms")[0]) for line in e2e.log_since(opened_from).splitlines()
                 if "the popover drew its first frame" in line]

        # A burst of 200 switches over D-Bus in about 14 s: the overlay is reused, so memory comes back.
        burst_before, burst_peak = rss_mb(app.pid), 0.0
        for i in range(200):
            subprocess.Popen(["dbus-send", "--session", "--print-reply", "--dest=com.moorvane.app", "/com/moorvane/app",
                              "com.moorvane.app.Automation.SwitchDockProfile", "string:P%d" % (i % 50)], env=s.env,
                             stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            burst_peak = max(burst_peak, rss_mb(app.pid))
            time.sleep(0.07)
        last_switch = time.monotonic()
        while time.monotonic() - last_switch < 10:
            burst_peak = max(burst_peak, rss_mb(app.pid))
            time.sleep(0.1)
        burst_after = rss_mb(app.pid)
    latencies.sort()
    own.sort()
    print("start-up until on the bus: %.0f ms" % (startup * 1000))
    print("URL to the new Dock with the new tiles: median %.0f ms, worst %.0f ms" %
          (latencies[len(latencies) // 2] * 1000, latencies[-1] * 1000))
    print("Moorvane's share (URL handed over until the domain holds the tiles): median %.0f ms" %
          (own[len(own) // 2] * 1000))
    print("second instance handing over a URL: median %.1f ms; dbus-send with the same: median %.1f ms (%.2fx)" %
          (median(by_moorvane) * 1000, median(by_dbus_send) * 1000, median(by_moorvane) / median(by_dbus_send)))
    if not DOCKS_ONLY:
        openings.sort()
        row_switches.sort()
        print("idle: %.1f MB resident (%.1f MB proportional) before the popover first opens, %.2f %% CPU over 20 s "
              "(four Focus polls)" % (before_opening, before_opening_pss, idle_cpu))
        print("tray click until the popover is on screen (50 profiles; xdotool and the polling included, the first "
              "opening loads the pages): median %.0f ms, worst %.0f ms" %
              (openings[len(openings) // 2] * 1000, openings[-1] * 1000))
        print("  of which xdotool's own click on the bare desktop: %.0f ms" % (bare_click * 1000))
        if drawn:
            print("inside the app, from the tray click to the popover's first frame: first opening %d ms, then "
                  "median %d ms" % (drawn[0], sorted(drawn[1:])[len(drawn[1:]) // 2] if len(drawn) > 1 else drawn[0]))
        print("row click to the new Dock with the new tiles: median %.0f ms, worst %.0f ms" %
              (row_switches[len(row_switches) // 2] * 1000, row_switches[-1] * 1000))
        print("idle after ten openings and closings: %.1f MB resident" % after_closing)
        print("burst of 200 switches over D-Bus in 14 s: %.1f MB resident before, %.1f MB at the peak, %.1f MB 10 s "
              "after the last" % (burst_before, burst_peak, burst_after))
finally:
    s.close()
    # Moorvane drives the reference Dock wherever a process of that name runs, so this session's must be gone
    # before the desktop docks' sessions start.
    e2e.wait_for(lambda: s.dock_pid() is None, what="the reference Dock to stop")

# The same switch on the docks Linux users run, after the reference Dock's session has gone.
reference = median(latencies)
gnome, plank = desktop_dock("gnome"), desktop_dock("plank")
print("URL switch until the dock shows the new list (medians of 10): the reference Dock %.0f ms (it restarts)"
      % (reference * 1000))
if gnome:
    print("  GNOME Shell\u2019s dash: %.0f ms until favorite-apps holds the list (%.1fx as fast as the reference "
          "Dock), "
          "%.0f ms until the dash shows it (%.1fx)" % (gnome["url_held"] * 1000, reference / gnome["url_held"],
                                                       gnome["url_shown"] * 1000, reference / gnome["url_shown"]))
if plank:
    print("  Plank: %.0f ms until its D-Bus list holds the new tiles (%.1fx as fast as the reference Dock)" %
          (plank["url_shown"] * 1000, reference / plank["url_shown"]))
if gnome:
    print("GNOME, until favorite-apps holds the list: dbus-send of the automation action %.0f ms, a bare gsettings "
          "set %.0f ms (%.2fx); the same gsettings set until the dash shows it: %.0f ms" %
          (gnome["action"] * 1000, gnome["gsettings"] * 1000, gnome["action"] / gnome["gsettings"],
           gnome["gsettings_shown"] * 1000))
