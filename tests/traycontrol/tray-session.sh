#!/usr/bin/env bash
# Runs a tray test program on a private X server, never the shared one: the
# test owns the display's tray and moves its pointer.
#   tray-session.sh [--dbus] PROGRAM [ARGUMENTS...]
# With --dbus the program gets a private session bus (dbus-run-session), else
# none. Without Xvfb the program runs with no PELLIMORE_X_DISPLAY and its
# tests skip, saying so.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
bus=0
if [ "${1:-}" = --dbus ]; then
    bus=1
    shift
fi
unset PELLIMORE_X_DISPLAY
if command -v Xvfb >/dev/null; then
    . "$here/../../scripts/xvfb.sh"
    start_private_xvfb
    export PELLIMORE_X_DISPLAY=$XVFB_DISPLAY
fi
if [ $bus = 1 ] && command -v dbus-run-session >/dev/null; then
    dbus-run-session -- "$@"
else
    env -u DBUS_SESSION_BUS_ADDRESS "$@"
fi
