"""Plank for the person-driven suite: its files, its settings and its D-Bus interface.

Every function takes the environment of a prepared session (fresh HOME and XDG_* folders, DISPLAY of an Xvfb,
DBUS_SESSION_BUS_ADDRESS of a private bus), so nothing reaches the real user's dock. Measured with Plank 0.11.89.
"""

import os
import signal
import subprocess
import time

SETTINGS = "net.launchpad.plank.dock.settings:/net/launchpad/plank/docks/{dock}/"


def launchers_folder(env, dock="dock1"):
    return os.path.join(env["XDG_CONFIG_HOME"], "plank", dock, "launchers")


def dockitem_text(uri):
    return "[PlankDockItemPreferences]\nLauncher=%s\n" % uri


def write_dock(env, items, dock="dock1"):
    """Plank's files for a dock not yet running: `items` is a list of (file name, launcher URI), in order.

    The folder must exist before Plank first starts, or it fills it with its defaults."""
    folder = launchers_folder(env, dock)
    os.makedirs(folder, exist_ok=True)
    for name, uri in items:
        with open(os.path.join(folder, name), "w") as f:
            f.write(dockitem_text(uri))
    set_dock_items(env, [name for name, _ in items], dock)


def dock_items(env, dock="dock1"):
    """The order Plank last wrote (it writes it up to 3 s after any change, once per drag)."""
    out = subprocess.run(["gsettings", "get", SETTINGS.format(dock=dock), "dock-items"], env=env,
                         capture_output=True, text=True, check=True).stdout.strip()
    return [] if out in ("@as []", "[]") else [item.strip(" '") for item in out.strip("[]").split(",")]


def set_dock_items(env, names, dock="dock1"):
    """Only before Plank starts: a running Plank ignores and overwrites this key."""
    value = "[" + ", ".join("'%s'" % name for name in names) + "]"
    subprocess.run(["gsettings", "set", SETTINGS.format(dock=dock), "dock-items", value], env=env, check=True)


def launchers(env, dock="dock1"):
    """Launcher URI of each .dockitem file, by file name."""
    folder = launchers_folder(env, dock)
    out = {}
    for name in sorted(os.listdir(folder)) if os.path.isdir(folder) else []:
        with open(os.path.join(folder, name), errors="replace") as f:
            for line in f:
                if line.startswith("Launcher="):
                    out[name] = line[len("Launcher="):].rstrip("\n")
    return out


def shown_launchers(env, dock="dock1"):
    """The dock as its order setting names it, as launcher URIs."""
    files = launchers(env, dock)
    return [files[name] for name in dock_items(env, dock) if name in files]


def call(env, method, *args, dock="dock1"):
    """One method of net.launchpad.plank.Items through gdbus; its printed reply, or None when Plank has no
    object yet (its bus name is owned about half a second before its object answers)."""
    result = subprocess.run(["gdbus", "call", "--session", "-d", "net.launchpad.plank", "-o",
                             "/net/launchpad/plank/" + dock, "-m", "net.launchpad.plank.Items." + method, *args],
                            env=env, capture_output=True, text=True)
    return result.stdout.strip() if result.returncode == 0 else None


def start(env, log_path, dock="dock1", timeout=15.0):
    """Plank in its own process group, once its D-Bus object answers."""
    argv = ["plank"] + (["-n", dock] if dock != "dock1" else [])
    with open(log_path, "ab") as log:
        process = subprocess.Popen(argv, env=env, stdin=subprocess.DEVNULL, stdout=log, stderr=subprocess.STDOUT,
                                   start_new_session=True)
    deadline = time.monotonic() + timeout
    while call(env, "GetCount", dock=dock) is None:
        if process.poll() is not None or time.monotonic() > deadline:
            stop(process)
            raise RuntimeError("Plank did not start; see " + log_path)
        time.sleep(0.05)
    return process


def stop(process):
    """SIGTERM to Plank's group; it takes about 1.4 s and writes its order once more on the way out."""
    if process.poll() is None:
        os.killpg(process.pid, signal.SIGTERM)
        try:
            process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            os.killpg(process.pid, signal.SIGKILL)
            process.wait()

