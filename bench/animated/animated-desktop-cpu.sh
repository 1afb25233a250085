#!/usr/bin/env bash
# CPU cost of an animated desktop: a 10-frame-per-second GIF of 1920 x 1080
# playing on our desktop window of a private 1920 x 1080 Xvfb with openbox.
# Reads the program's (and the X server's) CPU time from /proc over a window of
# SECONDS after the first pass, and prints it as a share of one core.
#   bench/animated/animated-desktop-cpu.sh BUILD_DIR [SECONDS] [STYLE]
set -euo pipefail
build=${1:?usage: $0 BUILD_DIR [SECONDS] [centered|tiled|stretched]}
seconds=${2:-30}
style=${3:-centered}
bench="$build/bench/animated/animated_desktop_bench"
[ -x "$bench" ] || { echo "build $bench first (cmake --build $build --target animated_desktop_bench)" >&2; exit 1; }
for tool in Xvfb openbox convert; do
    command -v "$tool" >/dev/null || { echo "$tool is missing (scripts/install-deps.sh)" >&2; exit 1; }
done

work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT

# Ten full frames: a ball crossing a gradient, 10 hundredths each, looping.
for i in $(seq 0 9); do
    x=$((160 + i * 160))
    convert -size 1920x1080 gradient:'#203060'-'#90c0f0' -fill '#f0d020' \
        -draw "circle $x,540 $((x + 120)),540" +dither -colors 64 "$work/f$i.gif"
done
convert -delay 10 -loop 0 "$work"/f?.gif "$work/ball.gif"

Xvfb -displayfd 3 -screen 0 1920x1080x24 -noreset -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb=$!
pids+=("$xvfb")
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=:$(head -n1 "$work/display")
openbox --sm-disable >/dev/null 2>&1 &
pids+=("$!")
sleep 1

"$bench" "$work/ball.gif" $((seconds + 10)) "$style" >"$work/out" 2>&1 &
player=$!
pids+=("$player")
for _ in $(seq 200); do grep -q playing "$work/out" 2>/dev/null && break; sleep 0.05; done
grep -q playing "$work/out" || { cat "$work/out" >&2; exit 1; }
sleep 3  # the first pass decodes and sends each frame once

ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
hz=$(getconf CLK_TCK)
p0=$(ticks "$player"); x0=$(ticks "$xvfb"); t0=$(date +%s.%N)
sleep "$seconds"
p1=$(ticks "$player"); x1=$(ticks "$xvfb"); t1=$(date +%s.%N)
wait "$player" || true
echo "GIF 1920x1080, 10 frames of 100 ms, style $style, on Xvfb 1920x1080; $(tail -n1 "$work/out")"
awk -v p=$((p1 - p0)) -v x=$((x1 - x0)) -v hz="$hz" -v t0="$t0" -v t1="$t1" 'BEGIN {
    wall = t1 - t0
    printf "over %.1f s: WallPaper animation %.2f %% of a core, Xvfb %.2f %% of a core\n",
        wall, 100 * p / hz / wall, 100 * x / hz / wall
}'
