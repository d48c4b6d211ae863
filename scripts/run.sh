#!/bin/sh
# Builds Moorvane and brings up the reference Dock and the app on the current display, or on Xvfb when none is
# set, with a session bus of their own when the session has none.
set -eu
cd "$(dirname "$0")/.."
if [ -z "${MOORVANE_BUILT:-}" ]; then
    scripts/install-deps.sh
    cmake --preset dev >/dev/null
    cmake --build --preset dev --target moorvane moorvane_refdock
fi
bin="$PWD/build/dev/bin"
if [ -z "${DBUS_SESSION_BUS_ADDRESS:-}" ]; then
    MOORVANE_BUILT=1 exec dbus-run-session -- "$0" "$@"
fi

if [ -z "${DISPLAY:-}" ]; then
    DISPLAY=:64
    export DISPLAY
    Xvfb "$DISPLAY" -screen 0 1440x900x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb=$!
    trap 'kill $xvfb 2>/dev/null' EXIT INT TERM
    tries=0
    until xdpyinfo >/dev/null 2>&1; do
        tries=$((tries + 1))
        [ "$tries" -gt 100 ] && { echo "Xvfb did not start" >&2; exit 1; }
        sleep 0.1
    done
    echo "No display was set: running on Xvfb $DISPLAY (screenshot: import -display $DISPLAY -window root shot.png)"
    # A tray for the status item, so the popover can be opened there too.
    trayer --edge top --align right --widthtype request --height 24 --SetDockType true --transparent true \
        --alpha 0 --tint 0x202022 >/dev/null 2>&1 &
    tray=$!
    trap 'kill $tray $xvfb 2>/dev/null' EXIT INT TERM
fi

"$bin/moorvane-refdock"
cat <<HELP
The reference Dock runs. Moorvane starts now; drive it with:
  the popover: click the tray icon at the top right (xdotool: search --name '^Moorvane$' in the trayer panel)
  a URL:       $bin/moorvane 'moorvane://switch?profile=Work'
  D-Bus:       dbus-send --session --print-reply --dest=com.moorvane.app /com/moorvane/app \\
                 com.moorvane.app.Automation.SwitchDockProfile string:Work
  a shortcut:  give a profile one (e.g. ctrl+opt+w) and press Ctrl+Alt+W anywhere
  the log:     tail -f /tmp/moorvane.log (/tmp/moorvane-\$(id -u).log if another user owns that one)
Stop with Ctrl+C (then $bin/moorvane-refdock --stop).
HELP
"$bin/moorvane" "$@"
