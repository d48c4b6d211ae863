#!/bin/sh
# Builds Moorvane and brings up the reference Dock and the app.
#
# On the current display (DISPLAY set) they run in the user's own home, on the session's bus (a private one when
# there is none), and nothing is seeded. Without a display the script starts an Xvfb of its own on the first
# free display from :64, a tray and a private bus, and runs everything in a demo home under the build folder
# (never the user's $HOME): sample apps, a Dock of them and two profiles, so there is something to switch.
set -eu
cd "$(dirname "$0")/.."
root=$PWD
bin="$root/build/dev/bin"

if [ -z "${MOORVANE_BUILT:-}" ]; then
    . scripts/phase.sh
    scripts/install-deps.sh
    # One build at a time: a second run started meanwhile waits rather than relinking the programs under the first.
    mkdir -p build
    phase "Configuring" flock build/.run.lock cmake --preset dev
    phase "Building" flock build/.run.lock cmake --build --preset dev --target moorvane moorvane_refdock
    # Without a display the demo gets its own bus, so a session's own Moorvane or Dock is never reached.
    if [ -z "${DISPLAY:-}" ] || [ -z "${DBUS_SESSION_BUS_ADDRESS:-}" ]; then
        MOORVANE_BUILT=1 exec dbus-run-session -- "$0" "$@"
    fi
fi

cleanup=""
example=Work
stop="Stop with Ctrl+C (the reference Dock keeps running: $bin/moorvane-refdock --stop ends it)."
on_exit() {
    # Ctrl+C also ends dbus-run-session, and the hang-up that follows must not cut the clean-up short.
    trap '' INT TERM HUP
    eval "$cleanup"
}
trap on_exit EXIT
trap 'exit 130' INT TERM HUP

if [ -z "${DISPLAY:-}" ]; then
    # The first display from :64 that is free; two runs at once take two displays.
    number=64
    while :; do
        if [ ! -e "/tmp/.X$number-lock" ] && [ ! -e "/tmp/.X11-unix/X$number" ]; then
            # In a session of its own, so that Ctrl+C reaches Moorvane and this script, not the display under them:
            # it goes once they have ended.
            setsid Xvfb ":$number" -screen 0 1440x900x24 -nolisten tcp >/dev/null 2>&1 &
            xvfb=$!
            tries=0
            while kill -0 "$xvfb" 2>/dev/null && ! DISPLAY=":$number" xdpyinfo >/dev/null 2>&1; do
                tries=$((tries + 1))
                [ "$tries" -gt 100 ] && break
                sleep 0.1
            done
            if DISPLAY=":$number" xdpyinfo >/dev/null 2>&1; then
                break
            fi
            # Taken by another run in the meantime, or stuck: try the next one.
            kill "$xvfb" 2>/dev/null || true
        fi
        number=$((number + 1))
        [ "$number" -gt 164 ] && { echo "No free X display between :64 and :164" >&2; exit 1; }
    done
    DISPLAY=":$number"
    export DISPLAY
    cleanup="$cleanup kill $xvfb 2>/dev/null;"

    # A home of the demo's own, one per display so that two runs at once do not share a store or a Dock.
    home="$root/build/dev/demo/home$number"
    mkdir -p "$home"
    python3 scripts/demo-home.py "$home"
    HOME=$home
    XDG_RUNTIME_DIR="$home/.run"
    mkdir -p "$XDG_RUNTIME_DIR"
    chmod 700 "$XDG_RUNTIME_DIR"
    export HOME XDG_RUNTIME_DIR
    unset XDG_DATA_HOME XDG_CONFIG_HOME XDG_CACHE_HOME XDG_STATE_HOME
    cleanup="'$bin/moorvane-refdock' --stop >/dev/null 2>&1; $cleanup"
    example=Studio
    stop="Stop with Ctrl+C (it ends the reference Dock, the tray and Xvfb too)."

    echo "No display was set: running on Xvfb $DISPLAY, in the demo home $home"
    echo "  (screenshot: import -display $DISPLAY -window root shot.png; start afresh: rm -r $home)"
    # A tray for the status item, so the popover can be opened there too.
    setsid trayer --edge top --align right --widthtype request --height 24 --SetDockType true --transparent true \
        --alpha 0 --tint 0x202022 >/dev/null 2>&1 &
    cleanup="kill $! 2>/dev/null; $cleanup"
fi

# On a desktop whose own dock Moorvane drives (GNOME Shell's dash, Plank), the reference Dock stays out of the way
# unless asked for: Moorvane picks the reference Dock whenever it runs.
own_dock=""
if [ -z "${home:-}" ] && [ -z "${MOORVANE_REFERENCE_DOCK:-}" ]; then
    case ":${XDG_CURRENT_DESKTOP:-}:" in *:GNOME:*) own_dock="GNOME Shell's dash" ;; esac
    if pgrep -u "$(id -u)" -x plank >/dev/null 2>&1; then own_dock="Plank"; fi
fi
if [ -n "$own_dock" ]; then
    what="Moorvane starts now and drives $own_dock (MOORVANE_REFERENCE_DOCK=1 $0 runs the reference Dock instead)"
    stop="Stop with Ctrl+C."
else
    "$bin/moorvane-refdock"
    what="The reference Dock runs. Moorvane starts now"
fi
cat <<HELP
$what; drive it with:
  the popover: click the tray icon at the top right (xdotool: search --name '^Moorvane$' in the trayer panel)
  a URL:       $bin/moorvane 'moorvane://switch?profile=$example'
  D-Bus:       dbus-send --session --print-reply --dest=com.moorvane.app /com/moorvane/app \\
                 com.moorvane.app.Automation.SwitchDockProfile string:$example
  a shortcut:  give a profile one (the demo's have ctrl+opt+1 and ctrl+opt+2) and press it (Ctrl+Alt+1) anywhere
  the log:     tail -f /tmp/moorvane.log (/tmp/moorvane-\$(id -u).log if another user owns that one)
$stop
HELP
"$bin/moorvane" "$@"
