#!/usr/bin/env python3
"""Whole-app figures on a private Xvfb and bus: switch latency by URL, start-up time, idle memory and CPU.

Usage: bench/app_timings.py BUILD_FOLDER
"""

import importlib.util
import os
import subprocess
import sys
import time

build = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else "build/dev")
here = os.path.dirname(os.path.abspath(__file__))
loader = importlib.util.spec_from_file_location("e2e", os.path.join(here, "..", "tests", "e2e", "moorvane_e2e.py"))
sys.argv = [sys.argv[0], build]
e2e = importlib.util.module_from_spec(loader)
loader.loader.exec_module(e2e)


def cpu_seconds(pid):
    fields = open("/proc/%d/stat" % pid).read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def rss_mb(pid):
    for line in open("/proc/%d/status" % pid):
        if line.startswith("VmRSS:"):
            return int(line.split()[1]) / 1024
    return 0.0


s = e2e.Session()
try:
    profiles = [s.profile("P%d" % i, ["Safari", "Mail", "Notes"] if i % 2 else ["Notes", "Music"])
                for i in range(20)]
    s.seed_profiles(profiles)
    started = time.monotonic()
    app = s.start_moorvane()
    startup = time.monotonic() - started
    time.sleep(1)

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

    time.sleep(9)  # past the re-enables and the overlays
    cpu0, t0 = cpu_seconds(app.pid), time.monotonic()
    time.sleep(20)
    idle_cpu = (cpu_seconds(app.pid) - cpu0) / (time.monotonic() - t0) * 100
    latencies.sort()
    own.sort()
    print("start-up until on the bus: %.0f ms" % (startup * 1000))
    print("URL to the new Dock with the new tiles: median %.0f ms, worst %.0f ms" %
          (latencies[len(latencies) // 2] * 1000, latencies[-1] * 1000))
    print("Moorvane's share (URL handed over until the domain holds the tiles): median %.0f ms" %
          (own[len(own) // 2] * 1000))
    print("idle: %.1f MB resident, %.2f %% CPU over 20 s (four Focus polls)" % (rss_mb(app.pid), idle_cpu))
finally:
    s.close()
