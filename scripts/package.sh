#!/bin/sh
# Builds the Debian packages, moorvane and moorvane-refdock, into build/package and checks them: lintian (any
# error fails, warnings are printed) and appstreamcli on the metadata they install. One line per phase, as
# scripts/test.sh; the tools' output goes to the set-up log. Install one with `apt install ./build/package/….deb`.
set -eu
cd "$(dirname "$0")/.."
. scripts/phase.sh
scripts/install-deps.sh
phase "Configuring (package)" cmake --preset package
phase "Building (package)" cmake --build --preset package
# Packages of an earlier version would otherwise sit beside the new ones.
rm -f build/package/*.deb
phase "Packaging" sh -c "cd build/package && cpack -G DEB"
debs=$(ls build/package/*.deb)

# lintian runs once on both, so it sees the pair (the Dock's package depends on the app's).
echo "Checking the packages with lintian"
# shellcheck disable=SC2086
if ! lintian --fail-on error --tag-display-limit 0 $debs >build/package/lintian.log 2>&1; then
    cat build/package/lintian.log >&2
    echo "lintian found errors in the packages" >&2
    exit 1
fi
sed 's/^/  /' build/package/lintian.log

# The metadata a software centre reads, as the package installs it.
metainfo=$(mktemp -d)
trap 'rm -rf "$metainfo"' EXIT
dpkg-deb -x build/package/moorvane_*.deb "$metainfo"
phase "Validating the AppStream metadata" \
    appstreamcli validate --no-net "$metainfo/usr/share/metainfo/com.moorvane.app.metainfo.xml"

echo "The packages:"
for deb in $debs; do echo "  $deb"; done
