#!/usr/bin/env bash
# Installs what is missing, builds WallPaper and does its main job on its own
# samples: the first start copies the samples into the documents folder and
# the next picture becomes the desktop wallpaper ("WallPaper --next").
# Other arguments are passed to WallPaper instead (none: the resident program).
# Without a display, a private virtual X server stands in for the desktop.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
BUILD_DIR=build-app scripts/build.sh -DPELLIMORE_TESTS=OFF

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    . scripts/xvfb.sh
    start_private_xvfb
    # Stopped however the script ends, also when it is interrupted.
    trap 'kill $xvfb_pid 2>/dev/null || true; wait $xvfb_pid 2>/dev/null || true' EXIT
    trap 'exit 130' INT TERM HUP
    export DISPLAY=$XVFB_DISPLAY
    echo "No display: using a virtual X server on $DISPLAY."
fi

if [ $# -eq 0 ]; then
    set -- --next
fi
status=0
build-app/wallpaper/app/WallPaper "$@" || status=$?
if [ "$1" = --next ] && [ $status -eq 0 ]; then
    echo "The wallpaper was changed."
    if command -v xprop >/dev/null && [ -n "${DISPLAY:-}" ]; then
        xprop -root _XROOTPMAP_ID 2>/dev/null || true
    fi
fi
# The private server is not needed once the change has been checked.
if [ -n "${xvfb_pid:-}" ]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
    xvfb_pid=
fi
exit $status
