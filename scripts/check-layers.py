#!/usr/bin/env python3
"""Fails on an #include that runs up a layer. All sources share one include root, so the compiler cannot see
such an include; the libraries only link downward, and this check keeps the headers the same way.

Each folder lists the folders it may use directly; a folder may always use itself and, through them, whatever
those may use. Tests of a folder may use what the folder may, the folder itself, and the test fakes."""
import os
import re
import subprocess
import sys

CORE = ["base", "ports", "model", "dock", "store", "triggers", "exchange"]
MAY_USE = {
    "base": [],
    "ports": ["base"],
    "model": ["ports"],
    "dock": ["model"],
    "store": ["dock"],
    "triggers": ["store"],
    "exchange": ["store"],
    "platform/session": ["triggers", "exchange"],
    "platform/referencedock": ["platform/session"],
    "platform/desktop": ["triggers", "exchange"],
    "platform/gnome": ["platform/desktop", "platform/session"],
    "platform/plank": ["platform/desktop", "platform/session"],
    "refdock": ["dock"],
    "ui/kit": ["triggers", "exchange", "platform/desktop"],
    "ui/picker": ["ui/kit"],
    "ui/editor": ["ui/picker"],
    "ui/popover": ["ui/kit"],
    "ui": ["ui/editor", "ui/popover"],
    "shell": ["platform/referencedock", "platform/gnome", "platform/plank", "ui"],
    "tools": ["ui"],
    "bench": ["tools", "tests/fakes"],
    "fuzz": ["platform/desktop", "platform/plank"],
    "tests/fakes": ["triggers", "exchange"],
}


def closure(folder, seen=None):
    seen = set() if seen is None else seen
    for used in MAY_USE.get(folder, []):
        if used not in seen:
            seen.add(used)
            closure(used, seen)
    return seen


def folder_of(path):
    """The most specific folder of MAY_USE that holds `path`, or None for files outside every layer."""
    parts = path.split("/")
    for n in range(len(parts) - 1, 0, -1):
        candidate = "/".join(parts[:n])
        if candidate in MAY_USE:
            return candidate
    return None


def allowed(source):
    if source.startswith("tests/") and not source.startswith("tests/fakes/"):
        tested = source.split("/")[1]
        under = {"linux": "shell", "e2e": "shell"}.get(tested, tested)
        if under not in MAY_USE:
            under = "shell"
        return closure(under) | {under, "tests/fakes"} | {f for f in MAY_USE if f.startswith(under + "/")}
    folder = folder_of(source)
    return None if folder is None else closure(folder) | {folder}


def main():
    root = subprocess.run(["git", "rev-parse", "--show-toplevel"], capture_output=True, text=True).stdout.strip()
    os.chdir(root or ".")
    files = subprocess.run(["git", "ls-files", "*.cpp", "*.h"], capture_output=True, text=True).stdout.split()
    faults = []
    for source in files:
        permitted = allowed(source)
        if permitted is None:
            continue
        with open(source, errors="replace") as f:
            for number, line in enumerate(f, 1):
                m = re.match(r'\s*#\s*include\s+"([^"]+)"', line)
                if not m or "/" not in m.group(1):
                    continue
                included = m.group(1)
                target = folder_of(included) or folder_of("tests/" + included)
                if target is None:
                    continue
                if target not in permitted and not any(target.startswith(p + "/") for p in permitted if p == "ui"):
                    faults.append(f"{source}:{number}: includes {included}, which is above or beside its layer")
    for fault in faults:
        print(fault)
    print(f"layers: {len(files)} files checked, {len(faults)} upward includes")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
