#!/bin/sh
# What the desktop and Debian's tools read of the app besides its programs: the AppStream metadata, the desktop
# entry and the manual page. Fails on any finding, hints and pedantic notes included, as lintian would. Then an
# install into a prefix of its own, as a person installs a build for themselves: the bus starts what it installed.
set -u
metainfo=$1 entry=$2 manual=$3 build=$4
failed=0

out=$(appstreamcli validate --no-net --pedantic --explain "$metainfo" 2>&1)
if [ $? -ne 0 ] || printf '%s\n' "$out" | grep -q '^[EWIP]: '; then
    printf 'appstreamcli validate %s:\n%s\n' "$metainfo" "$out"; failed=1
fi

out=$(desktop-file-validate "$entry" 2>&1)
if [ $? -ne 0 ] || [ -n "$out" ]; then
    printf 'desktop-file-validate %s:\n%s\n' "$entry" "$out"; failed=1
fi

# lintian's own rendering: every troff or man-db warning is a finding.
out=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$manual" 2>&1 >/dev/null)
if [ $? -ne 0 ] || [ -n "$out" ]; then
    printf 'man --warnings %s:\n%s\n' "$manual" "$out"; failed=1
fi
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null || failed=1
if ! grep -qx "Exec=$prefix/bin/moorvane" "$prefix/share/dbus-1/services/com.moorvane.app.service"; then
    printf 'the D-Bus service installed in %s does not start %s/bin/moorvane:\n' "$prefix" "$prefix"
    cat "$prefix/share/dbus-1/services/com.moorvane.app.service"; failed=1
fi
exit $failed
