#!/bin/sh
# Installs the Debian packages that building and testing Moorvane need. Quick when everything is there: apt is
# only asked for what is missing. It prints one line; apt's own output goes to the set-up log.
set -eu
# shellcheck source=scripts/phase.sh
. "$(dirname "$0")/phase.sh"

packages="build-essential cmake ninja-build pkg-config clang clang-format libclang-rt-dev
nlohmann-json3-dev libplist-dev libicu-dev liburiparser-dev uuid-dev libhowardhinnant-date-dev
libgtest-dev libgmock-dev libbenchmark-dev
qt6-base-dev qt6-declarative-dev qt6-declarative-dev-tools qt6-svg-dev libqt6svg6 qt6-image-formats-plugins qt6-qpa-plugins libgl-dev
qml6-module-qtqml qml6-module-qtquick qml6-module-qtquick-controls qml6-module-qtquick-window
qml6-module-qtquick-layouts qml6-module-qtquick-templates qml6-module-qtqml-workerscript
qml6-module-qtquick-dialogs qml6-module-qt-labs-platform
libxtst-dev libx11-dev libdbus-1-dev xvfb xdotool x11-utils imagemagick dbus dbus-x11 procps
fonts-material-design-icons-iconfont fonts-dejavu-core
trayer at-spi2-core python3 python3-pyatspi
libglib2.0-dev dconf-cli dconf-gsettings-backend gnome-shell plank
librsvg2-bin appstream desktop-file-utils man-db lintian mmdebstrap"

missing=""
for package in $packages; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $package"
    fi
done

[ -z "$missing" ] && exit 0
# shellcheck disable=SC2086
count=$(echo $missing | wc -w)
what="$count Debian packages"
[ "$count" -eq 1 ] && what="1 Debian package"
install="apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends$missing"

if [ "$(id -u)" -eq 0 ]; then
    phase "Installing $what" sh -c "$install"
elif command -v sudo >/dev/null 2>&1; then
    # Asked here, on the terminal, rather than inside the logged step where the prompt would not show.
    echo "Installing $what needs root, through sudo (which may ask for your password)."
    sudo -v
    phase "Installing $what" sudo sh -c "$install"
else
    cat >&2 <<ADVICE
Moorvane needs $what not installed yet. Installing needs root, and sudo is not installed here.
Run this as root (su asks for the root password), then run the same command again:

  su -c '$install'
ADVICE
    exit 1
fi
