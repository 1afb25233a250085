#!/usr/bin/env bash
# Saves a PNG of every window of WallPaper in its main states, at normal and
# double scale, into OUT_DIR (and OUT_DIR/2x):
#
#     scripts/screenshots.sh OUT_DIR
#
# Builds what is missing, then runs on a private X server with a tray
# (trayer) and a window manager when one is installed, under a temporary HOME
# that starts with the samples, so nothing of the user's is touched.
set -euo pipefail
cd "$(dirname "$0")/.."
[ $# -eq 1 ] || { echo "usage: scripts/screenshots.sh OUT_DIR"; exit 2; }
out=$(realpath -m "$1")
scripts/install-deps.sh
BUILD_DIR=${BUILD_DIR:-build} scripts/build.sh >/dev/null
tool="${BUILD_DIR:-build}/wallpaper/app/screenshots"

. scripts/xvfb.sh
start_private_xvfb
export DISPLAY=$XVFB_DISPLAY
work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
trayer --edge top --align right --widthtype request --height 32 --transparent false >/dev/null 2>&1 &
pids+=($!)
if command -v openbox >/dev/null; then
    openbox >/dev/null 2>&1 &
    pids+=($!)
fi
sleep 1

shoot() {
    local target=$1
    shift
    rm -rf "$work/home"
    mkdir -p "$work/home"
    env HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_CACHE_HOME="$work/home/.cache" \
        XDG_DOCUMENTS_DIR="$work/home/Documents" PELLIMORE_DESKTOP=x11 QT_QPA_PLATFORM=xcb "$@" "$tool" "$target"
}
shoot "$out"
shoot "$out/2x" QT_SCALE_FACTOR=2
