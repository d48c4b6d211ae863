#!/usr/bin/python3
"""The Debian packages as a person gets them: installed with apt on a fresh Debian 12, run, and purged.

  package_test.py DEB_DIR ROOT

Builds a fresh Debian 12 root at ROOT (mmdebstrap, variant apt, with only what the test itself needs: Xvfb, a
session bus, and the desktop's own tools whose triggers rebuild the MIME, desktop-entry and icon caches), installs
DEB_DIR's moorvane_*.deb there with apt and no recommended packages, so only its declared dependencies come along,
and checks that it runs: its version, the app on Xvfb and a private bus until it owns its name and shows its
popover, the desktop files where the desktop looks for them. Then the reference Dock's package, and finally that
purging both leaves the root as it was. Needs root (chroot, mounts). The root is removed at the end.
"""
import base64
import glob
import hashlib
import json
import os
import plistlib
import re
import shutil
import stat
import subprocess
import sys
import textwrap
import time

USER = "tester"
PROFILE_ID = "3F2504E0-4F89-41D3-9A0C-0305E82C3301"
# What the test needs in the root, beside apt: a display and a bus to start the app on, and the tools a desktop
# has whose triggers the package sets off (their caches must come back as they were after a purge).
TEST_PACKAGES = ["xvfb", "dbus", "desktop-file-utils", "shared-mime-info", "hicolor-icon-theme",
                 "gtk-update-icon-cache"]
# Outside these, a purge must leave every file as it found it: dpkg's and apt's own records and caches, the
# backups debconf makes of its database at each run (the database itself is compared), the logs, ldconfig's cache
# of the files it read (which mmdebstrap deletes from its roots and any library install writes; the library cache
# itself, /etc/ld.so.cache, is compared), the test user's home, and /tmp where the app's run left its log.
IGNORED = ("var/lib/dpkg", "var/lib/apt", "var/cache/apt", "var/cache/debconf/config.dat-old",
           "var/cache/debconf/templates.dat-old", "var/cache/ldconfig/aux-cache", "var/log", "home/" + USER, "tmp",
           "run", "proc", "dev")
# The app and the Dock say so on stderr or in the log when a module, a plugin, a font or a program they load or
# run by name is missing.
LOAD_FAULT = re.compile(r'is not installed|Cannot load library|could not be loaded|failed to load|ProcessProbe: |'
                        r'Could not find the Qt platform plugin|cannot open shared object|'
                        r'module "[^"]*" plugin|Fontconfig error|QQmlApplicationEngine failed')


# A display and a private session bus in the root, for the app and the Dock, and a look-up of a bus name's owner.
SESSION = textwrap.dedent("""\
    set -u
    rm -f /tmp/.X7-lock  # left by the last session's display, ended with its namespace
    Xvfb :7 -screen 0 1280x800x24 -nolisten tcp >/tmp/xvfb.log 2>&1 &
    export DISPLAY=:7 XDG_RUNTIME_DIR=/tmp/runtime
    mkdir -p -m 700 "$XDG_RUNTIME_DIR"
    eval "$(dbus-daemon --session --fork --print-address=1 | sed "s/.*/DBUS_SESSION_BUS_ADDRESS='&'/")"
    export DBUS_SESSION_BUS_ADDRESS
    for i in $(seq 50); do [ -S /tmp/.X11-unix/X7 ] && break; sleep 0.1; done
    has_owner() { dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \\
                    org.freedesktop.DBus.NameHasOwner string:"$1" | grep -q 'boolean true'; }
    """)


class Failure(Exception):
    pass


class PackageTest:
    def __init__(self, deb_dir, root):
        self.root = os.path.abspath(root)
        self.app_deb = self.one_deb(deb_dir, "moorvane_*.deb")
        self.dock_deb = self.one_deb(deb_dir, "moorvane-refdock_*.deb")
        self.version = os.path.basename(self.app_deb).split("_")[1]
        self.started = time.monotonic()

    @staticmethod
    def one_deb(deb_dir, pattern):
        found = sorted(glob.glob(os.path.join(deb_dir, pattern)))
        if len(found) != 1:
            raise Failure("expected one %s in %s, found %d: build the packages first (scripts/package.sh)"
                          % (pattern, deb_dir, len(found)))
        return found[0]

    def step(self, title):
        print("[%5.1f s] %s" % (time.monotonic() - self.started, title), flush=True)

    # Commands in the root: a mount namespace of their own with /proc and a /dev/shm, so nothing stays mounted
    # over the build tree, and a PID namespace, so whatever they leave running ends with them. Without `network`
    # they also get a network namespace: the display and the bus use abstract sockets, which would otherwise
    # meet the host's.
    def run(self, script, user=None, network=False, check=True, timeout=300):
        inner = script if user is None else "exec setpriv --reuid=%s --regid=%s --init-groups sh -c %s" % (
            user, user, shquote("export HOME=/home/%s USER=%s; cd; %s" % (user, user, script)))
        command = ["unshare", "--mount", "--pid", "--fork", "--kill-child"] + ([] if network else ["--net"]) + [
            "sh", "-c", 'mount -t proc proc "$0/proc" && mount -t tmpfs -o mode=1777 shm "$0/dev/shm" && '
                        'exec chroot "$0" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 '
                        'sh -c "$1"', self.root, inner]
        result = subprocess.run(command, capture_output=True, text=True, timeout=timeout)
        if check and result.returncode != 0:
            raise Failure("in the root, `%s` failed (%d):\n%s%s" % (script.strip()[:300], result.returncode,
                                                                    result.stdout, result.stderr))
        return result

    def make_root(self):
        self.remove_root()
        # The host's own Debian 12 apt sources: the root gets the same archive, updates and security suites the
        # packages were built against, so shlibdeps' versions are there (and no other project's repository).
        sources = [path for path in sorted(glob.glob("/etc/apt/sources.list.d/*.sources")
                                           + glob.glob("/etc/apt/sources.list.d/*.list")
                                           + glob.glob("/etc/apt/sources.list"))
                   if "bookworm" in open(path).read()]
        if not sources:
            raise Failure("the host has no Debian 12 (bookworm) apt sources to build the root from")
        result = subprocess.run(["mmdebstrap", "--variant=apt", "--mode=root", "--skip=cleanup/apt/lists",
                                 "--include=" + ",".join(TEST_PACKAGES), "bookworm", self.root] + sources,
                                stdin=subprocess.DEVNULL, capture_output=True, text=True, timeout=900)
        if result.returncode != 0:
            raise Failure("mmdebstrap could not make a Debian 12 root:\n" + result.stderr[-3000:])
        self.run("useradd --create-home --shell /bin/sh %s" % USER)
        for deb in (self.app_deb, self.dock_deb):
            shutil.copy(deb, os.path.join(self.root, "tmp"))

    def remove_root(self):
        if os.path.lexists(self.root):
            # A run killed half-way may have left mmdebstrap's mounts; never delete through one.
            mounts = [line.split()[1] for line in open("/proc/self/mounts")
                      if line.split()[1].startswith(self.root + "/")]
            for mount in sorted(mounts, reverse=True):
                subprocess.run(["umount", "--lazy", mount], check=False)
            shutil.rmtree(self.root)

    def snapshot(self):
        """Every path of the root outside IGNORED, with its kind, owner, mode and content (or link target)."""
        files = {}
        for top, folders, names in os.walk(self.root):
            relative_top = os.path.relpath(top, self.root)
            folders[:] = [f for f in folders if not ignored(os.path.normpath(os.path.join(relative_top, f)))]
            for name in folders + names:
                path = os.path.join(top, name)
                relative = os.path.normpath(os.path.join(relative_top, name))
                if ignored(relative):
                    continue
                info = os.lstat(path)
                if stat.S_ISLNK(info.st_mode):
                    content = "-> " + os.readlink(path)
                elif stat.S_ISREG(info.st_mode):
                    with open(path, "rb") as f:
                        content = hashlib.sha256(f.read()).hexdigest()
                else:
                    content = ""
                files[relative] = (stat.filemode(info.st_mode), info.st_uid, info.st_gid, content)
        return files

    def install(self, deb):
        self.run("DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends /tmp/%s"
                 % os.path.basename(deb), network=True, timeout=600)

    def check_version(self):
        out = self.run("moorvane --version", user=USER).stdout
        if self.version.split("-")[0] not in out:
            raise Failure("`moorvane --version` printed %r, not the package's version %s" % (out, self.version))

    def check_app_runs(self):
        """The app on Xvfb and a private bus: it owns its name, shows its popover when asked again and an editor
        on a profile, and loads every module, plugin and font these need, which would be missing dependencies
        otherwise."""
        empty = base64.b64encode(plistlib.dumps([], fmt=plistlib.FMT_BINARY)).decode()
        created = time.time() - 978307200  # the store's times count from 2001, as Core Foundation's do
        with open(os.path.join(self.root, "tmp/profiles.json"), "w") as f:
            json.dump([{"id": PROFILE_ID, "name": "Work", "colorName": "blue", "persistentApps": empty,
                        "persistentOthers": empty, "quitOtherApps": False, "createdAt": created,
                        "updatedAt": created}], f)
        script = SESSION + textwrap.dedent("""\
            mkdir -p .local/share/Moorvane && cp /tmp/profiles.json .local/share/Moorvane/
            moorvane >/tmp/app.err 2>&1 &
            app=$!
            for i in $(seq 150); do has_owner com.moorvane.app && break; sleep 0.2; done
            has_owner com.moorvane.app || { echo "moorvane did not take its bus name com.moorvane.app within 30 s"; cat /tmp/app.err;
                       cat /tmp/moorvane*.log 2>/dev/null; exit 1; }
            moorvane --popover || { echo "moorvane --popover failed"; exit 1; }
            sleep 2
            kill -0 "$app" 2>/dev/null || { echo "moorvane ended after showing its popover"; cat /tmp/app.err;
                                             exit 1; }
            dbus-send --session --print-reply --dest=com.moorvane.app /com/moorvane/app/instance \\
                com.moorvane.app.Instance.OpenEditor string:PROFILE_ID | grep -q 'boolean true' ||
                { echo "moorvane did not open the editor on its one profile"; cat /tmp/app.err; exit 1; }
            sleep 2
            kill -0 "$app" 2>/dev/null || { echo "moorvane ended after opening the editor"; cat /tmp/app.err;
                                             exit 1; }
            # A switch writes the Dock's preferences and looks for a running Dock to restart, with pgrep.
            dbus-send --session --print-reply --dest=com.moorvane.app /com/moorvane/app \\
                com.moorvane.app.Automation.SwitchDockProfile string:Work >/tmp/switch.out 2>&1 ||
                { echo "switching to the profile Work failed:"; cat /tmp/switch.out; cat /tmp/moorvane*.log; exit 1; }
            [ -f Library/Preferences/com.apple.dock.plist ] ||
                { echo "the switch wrote no Dock preferences"; cat /tmp/moorvane*.log; exit 1; }
            kill -TERM "$app"
            for i in $(seq 50); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
            cat /tmp/app.err /tmp/moorvane*.log
            """).replace("PROFILE_ID", PROFILE_ID)
        result = self.run(script, user=USER, check=False, timeout=120)
        if result.returncode != 0:
            raise Failure("the app did not run on Xvfb with a session bus:\n" + result.stdout + result.stderr)
        faults = [line for line in result.stdout.splitlines() if LOAD_FAULT.search(line)]
        if faults:
            raise Failure("the app ran but could not load what it needs (a missing dependency?):\n"
                          + "\n".join(faults))

    def check_desktop_files(self):
        """The files the desktop looks for are where it looks, and the entry is valid."""
        listed = set(self.run("dpkg -L moorvane").stdout.split())
        entry = "/usr/share/applications/com.moorvane.app.desktop"
        required = [entry, "/usr/share/dbus-1/services/com.moorvane.app.service",
                    "/usr/share/mime/packages/com.moorvane.app.xml", "/usr/share/doc/moorvane/copyright",
                    "/usr/share/doc/moorvane/changelog.Debian.gz", "/usr/share/metainfo/com.moorvane.app.metainfo.xml",
                    "/usr/share/man/man1/moorvane.1.gz", "/usr/share/icons/hicolor/scalable/apps/com.moorvane.app.svg"]
        required += ["/usr/share/icons/hicolor/%dx%d/apps/com.moorvane.app.png" % (size, size)
                     for size in (16, 22, 24, 32, 48, 64, 128, 256)]
        missing = [path for path in required if path not in listed]
        missing += [path for path in listed if not os.path.lexists(self.root + path)]
        if missing:
            raise Failure("the moorvane package lacks files the desktop looks for:\n  " + "\n  ".join(missing))
        self.run("desktop-file-validate " + entry)
        # The triggers took the entry's MIME types: a moorvane:// link opens Moorvane.
        cache = open(self.root + "/usr/share/applications/mimeinfo.cache").read()
        if "x-scheme-handler/moorvane=com.moorvane.app.desktop" not in cache:
            raise Failure("mimeinfo.cache does not send moorvane:// links to the app after the install")

    def check_dock_runs(self):
        script = SESSION + textwrap.dedent("""\
            moorvane-refdock || { echo "moorvane-refdock did not start the Dock"; cat /tmp/runtime/*.log; exit 1; }
            for i in $(seq 50); do has_owner com.apple.dock && break; sleep 0.2; done
            has_owner com.apple.dock ||
                { echo "the Dock did not take its bus name com.apple.dock"; cat /tmp/runtime/*.log; exit 1; }
            # Moorvane switches it: writes its preferences, ends it, and waits (with pgrep) for its supervisor to
            # bring it back.
            moorvane >/tmp/app.err 2>&1 &
            app=$!
            for i in $(seq 150); do has_owner com.moorvane.app && break; sleep 0.2; done
            dbus-send --session --print-reply --dest=com.moorvane.app /com/moorvane/app \\
                com.moorvane.app.Automation.SwitchDockProfile string:Work >/tmp/switch.out 2>&1 ||
                { echo "switching the reference Dock to the profile Work failed:"; cat /tmp/switch.out;
                  cat /tmp/app.err /tmp/moorvane*.log; exit 1; }
            sleep 2
            for i in $(seq 50); do has_owner com.apple.dock && break; sleep 0.2; done
            has_owner com.apple.dock || { echo "the Dock did not come back after a switch"; exit 1; }
            kill -TERM "$app"
            moorvane-refdock --stop || { echo "moorvane-refdock --stop failed"; exit 1; }
            cat /tmp/runtime/*.log /tmp/app.err /tmp/moorvane*.log
            """)
        result = self.run(script, user=USER, check=False, timeout=120)
        if result.returncode != 0:
            raise Failure("the reference Dock did not run:\n" + result.stdout + result.stderr)
        faults = [line for line in result.stdout.splitlines() if LOAD_FAULT.search(line)]
        if faults:
            raise Failure("the reference Dock could not load what it needs:\n" + "\n".join(faults))

    def check_purge_restores(self, before):
        self.run("DEBIAN_FRONTEND=noninteractive apt-get purge -y -q --autoremove moorvane moorvane-refdock",
                 timeout=600)
        after = self.snapshot()
        added = sorted(set(after) - set(before))
        removed = sorted(set(before) - set(after))
        changed = sorted(p for p in set(before) & set(after) if before[p] != after[p])
        if added or removed or changed:
            report = []
            for title, paths in (("left behind", added), ("gone", removed), ("changed", changed)):
                if paths:
                    report.append("%s (%d):\n  %s" % (title, len(paths), "\n  ".join("/" + p for p in paths[:40])))
            raise Failure("purging the packages did not leave the root as it was before the install:\n"
                          + "\n".join(report))

    def main(self):
        try:
            self.step("Making a fresh Debian 12 root in " + self.root)
            self.make_root()
            before = self.snapshot()
            self.step("Installing %s with its dependencies" % os.path.basename(self.app_deb))
            self.install(self.app_deb)
            self.step("moorvane --version")
            self.check_version()
            self.step("The desktop entry, the D-Bus service, the MIME type, the icon, the metadata, the manual page")
            self.check_desktop_files()
            self.step("Starting the app on Xvfb with a private session bus")
            self.check_app_runs()
            self.step("Installing %s and starting the reference Dock" % os.path.basename(self.dock_deb))
            self.install(self.dock_deb)
            self.check_dock_runs()
            self.step("Purging both packages and comparing the root with the one before the install")
            self.check_purge_restores(before)
            self.step("Removing the root")
            self.remove_root()
            self.step("The package installs, runs and purges cleanly on Debian 12")
            return 0
        except (Failure, subprocess.TimeoutExpired) as failure:
            print("FAILED: %s" % failure, file=sys.stderr)
            if os.environ.get("MOORVANE_KEEP_ROOT"):
                print("the root is kept at %s" % self.root, file=sys.stderr)
            else:
                self.remove_root()
            return 1


def ignored(relative):
    return any(relative == prefix or relative.startswith(prefix + "/") for prefix in IGNORED)


def shquote(text):
    return "'" + text.replace("'", "'\\''") + "'"


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    if os.geteuid() != 0:
        print("the package test makes a Debian root with chroot and mounts: run it as root", file=sys.stderr)
        sys.exit(77)
    try:
        test = PackageTest(*sys.argv[1:])
    except Failure as failure:
        print("FAILED: %s" % failure, file=sys.stderr)
        sys.exit(1)
    sys.exit(test.main())
