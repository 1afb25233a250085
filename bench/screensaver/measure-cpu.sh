#!/usr/bin/env bash
# CPU use of the running show: starts "Wallpaper Pellimore /S" on its own
# virtual X server with a 5-second interval and slide-show-only (so the
# measurement covers the waits between pictures), lets it settle, then reads
# its user + system time from /proc over 10 seconds and prints the share of
# one core. Usage: measure-cpu.sh [path to the built program]
set -euo pipefail
program=${1:-build/screensaver/Wallpaper Pellimore}
display=:${PELLIMORE_BENCH_DISPLAY:-91}
work=$(mktemp -d)
trap 'kill $saver_pid $xvfb_pid 2>/dev/null || true; rm -rf "$work"' EXIT

Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
sleep 1

mkdir -p "$work/config/Corvane" "$work/runtime" "$work/pictures"
chmod 700 "$work/runtime"
for colour in red green blue; do
    convert -size 800x600 "xc:$colour" "$work/pictures/$colour.jpg"
done
printf '[ScreenSaver]\nFolder=%s\nDisplay=5\nSlide=1\n' "$work/pictures" >"$work/config/Corvane/Corvane.ini"

HOME=$work XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/runtime DISPLAY=$display QT_QPA_PLATFORM=xcb \
    "$program" /S >/dev/null 2>&1 &
saver_pid=$!
sleep 3

ticks() { awk '{print $14 + $15}' "/proc/$saver_pid/stat"; }
hz=$(getconf CLK_TCK)
before=$(ticks)
sleep 10
after=$(ticks)
awk -v t=$((after - before)) -v hz="$hz" 'BEGIN { printf "show CPU over 10 s (5 s interval): %.2f %% of one core\n", 100 * t / hz / 10 }'
