#!/bin/sh
# Installs the Debian packages that building and testing Moorvane need. Quick when everything is there: apt is
# only asked for what is missing.
set -eu

packages="build-essential cmake ninja-build pkg-config clang clang-format libclang-rt-dev
nlohmann-json3-dev libplist-dev libicu-dev liburiparser-dev uuid-dev libhowardhinnant-date-dev
libgtest-dev libgmock-dev libbenchmark-dev
qt6-base-dev qt6-declarative-dev qt6-svg-dev libqt6svg6 qt6-image-formats-plugins qt6-qpa-plugins libgl-dev
qml6-module-qtqml qml6-module-qtquick qml6-module-qtquick-controls qml6-module-qtquick-window
qml6-module-qtquick-layouts qml6-module-qtquick-templates qml6-module-qtqml-workerscript
qml6-module-qtquick-dialogs qml6-module-qt-labs-platform
libxtst-dev libx11-dev xvfb xdotool x11-utils imagemagick dbus dbus-x11 procps
fonts-material-design-icons-iconfont fonts-dejavu-core
trayer at-spi2-core python3-pyatspi"

missing=""
for package in $packages; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $package"
    fi
done

if [ -n "$missing" ]; then
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    echo "Installing:$missing"
    $sudo apt-get update -qq
    # shellcheck disable=SC2086
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends $missing
fi
