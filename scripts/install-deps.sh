#!/usr/bin/env bash
# Installs the Debian 12 packages the build and the tests need, when any is missing.
set -euo pipefail
packages=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-base-dev-tools libgl-dev zlib1g-dev
    libgtest-dev libgmock-dev
    xvfb xauth x11-utils xdotool imagemagick
    libjpeg-turbo-progs
    libjpeg62-turbo-dev
    libpng-dev clang libclang-rt-14-dev
    libxcb1-dev libxcb-randr0-dev libxcb-render0-dev x11-xserver-utils openbox
    dbus libglib2.0-bin gsettings-desktop-schemas
    trayer haskell-status-notifier-item-utils
    qt6-tools-dev qt6-tools-dev-tools libqt6help6 desktop-file-utils xscreensaver
    appstream lintian dpkg-dev libqt6sql6-sqlite libgdk-pixbuf2.0-bin librsvg2-common
)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi
