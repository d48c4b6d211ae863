#!/usr/bin/env python3
"""Fills a demo home for `scripts/run.sh` on its own Xvfb: a few sample app bundles with icons, a Dock of them,
and two profiles with different apps, colours and shortcuts, so the first click on a row visibly switches the
Dock. A home seeded before is left as the last run left it.

Usage: demo-home.py HOME
"""

import json
import os
import plistlib
import shutil
import subprocess
import sys
import time
import uuid

from dockfiles import REFERENCE_EPOCH, app_tile, blob

SYMBOL_FONT = "/usr/share/fonts/truetype/material-design-icons-iconfont/MaterialIcons-Regular.ttf"
MARKER = ".moorvane-demo"

# Name, bundle identifier, the icon's symbol (a Material Icons code point) and its two gradient colours.
APPS = [
    ("Safari", "com.apple.Safari", 0xE87A, "#5AB0FF", "#0A60E0"),
    ("Mail", "com.apple.mail", 0xE158, "#6CC4FF", "#1A78F0"),
    ("Calendar", "com.apple.iCal", 0xE935, "#FF7A70", "#D8302A"),
    ("Notes", "com.apple.Notes", 0xE873, "#FFE27A", "#E8B100"),
    ("Terminal", "com.apple.Terminal", 0xEB8E, "#4A4A4E", "#1C1C1E"),
    ("Music", "com.apple.Music", 0xE405, "#FF7A9A", "#F0244E"),
    ("Photos", "com.apple.Photos", 0xE410, "#FFB860", "#E86A10"),
    ("Maps", "com.apple.Maps", 0xE55B, "#7EE08A", "#22A84A"),
]

# The Dock starts as the Work profile has it; Studio is one click away.
PROFILES = [
    ("Work", "blue", "ctrl+opt+1", ["Safari", "Mail", "Calendar", "Notes", "Terminal"]),
    ("Studio", "pink", "ctrl+opt+2", ["Music", "Photos", "Maps", "Safari"]),
]


def make_icon(path, code_point, top, bottom):
    """A rounded square in a gradient with the symbol in white; no icon (the generic one) if that fails."""
    command = [
        "convert", "-size", "128x128", "gradient:%s-%s" % (top, bottom),
        "(", "-size", "128x128", "xc:black", "-fill", "white", "-draw", "roundrectangle 8,8,119,119,28,28", ")",
        "-alpha", "off", "-compose", "CopyOpacity", "-composite",
        "(", "-background", "none", "-fill", "white", "-font", SYMBOL_FONT, "-pointsize", "80",
        "label:" + chr(code_point), "-trim", "+repage", ")",
        "-gravity", "center", "-compose", "over", "-composite", "-depth", "8", path]
    try:
        return subprocess.run(command, capture_output=True, timeout=30).returncode == 0
    except (OSError, subprocess.TimeoutExpired):
        return False


def make_bundle(folder, name, bundle_id, code_point, top, bottom):
    bundle = os.path.join(folder, name + ".app")
    os.makedirs(os.path.join(bundle, "Contents", "MacOS"), exist_ok=True)
    os.makedirs(os.path.join(bundle, "Contents", "Resources"), exist_ok=True)
    info = {"CFBundleIdentifier": bundle_id, "CFBundleName": name, "CFBundleExecutable": name,
            "CFBundlePackageType": "APPL"}
    if make_icon(os.path.join(bundle, "Contents", "Resources", "AppIcon.png"), code_point, top, bottom):
        info["CFBundleIconFile"] = "AppIcon.png"
    with open(os.path.join(bundle, "Contents", "Info.plist"), "wb") as f:
        plistlib.dump(info, f)
    # A stand-in program: launching the app runs it, and it ends at once.
    executable = os.path.join(bundle, "Contents", "MacOS", name)
    shutil.copy("/bin/true", executable)
    return bundle


def seed(home):
    if os.path.exists(os.path.join(home, MARKER)):
        return False
    applications = os.path.join(home, "Applications")
    tiles = {}
    for name, bundle_id, code_point, top, bottom in APPS:
        path = make_bundle(applications, name, bundle_id, code_point, top, bottom)
        tiles[name] = app_tile(bundle_id, name, path)

    preferences = os.path.join(home, "Library", "Preferences")
    os.makedirs(preferences, exist_ok=True)
    os.makedirs(os.path.join(home, "Library", "DoNotDisturb", "DB"), exist_ok=True)
    os.makedirs(os.path.join(home, "Documents"), exist_ok=True)  # where the import and export panels start
    with open(os.path.join(preferences, "com.apple.dock.plist"), "wb") as f:
        plistlib.dump({"persistent-apps": [tiles[a] for a in PROFILES[0][3]], "persistent-others": [],
                       "tilesize": 48}, f, fmt=plistlib.FMT_BINARY)

    now = time.time() - REFERENCE_EPOCH
    profiles = [{"id": str(uuid.uuid4()).upper(), "name": name, "colorName": colour, "keyboardShortcut": shortcut,
                 "persistentApps": blob([tiles[a] for a in apps]), "persistentOthers": blob([]),
                 "quitOtherApps": False, "createdAt": now, "updatedAt": now}
                for name, colour, shortcut, apps in PROFILES]
    store = os.path.join(home, ".local", "share", "Moorvane")
    os.makedirs(store, exist_ok=True)
    with open(os.path.join(store, "profiles.json"), "w") as f:
        json.dump(profiles, f, indent=2)
    with open(os.path.join(store, "active.txt"), "w") as f:
        f.write(profiles[0]["id"])

    with open(os.path.join(home, MARKER), "w") as f:
        f.write("Seeded by scripts/demo-home.py; delete this folder to start afresh.\n")
    return True


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__.strip().splitlines()[-1])
    home = os.path.abspath(sys.argv[1])
    os.makedirs(home, exist_ok=True)
    if seed(home):
        print("Seeded the demo home %s: %d sample apps, a Dock of them, and the profiles %s."
              % (home, len(APPS), " and ".join(p[0] for p in PROFILES)))


if __name__ == "__main__":
    main()
