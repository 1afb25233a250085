#!/usr/bin/env bash
# One whole wallpaper change (`WallPaper --next`, plain X11 backend) of a big
# picture onto a 1920 x 1080 X root, beside `feh --bg-max`, `hsetroot -full`
# and `xwallpaper --maximize` of the same file, in one run on one Xvfb, the
# programs taking turns. Three pictures: a 6000 x 4000 JPEG, an 8000 x 6000
# JPEG and a 6000 x 4000 PNG. Prints the median wall time and the median peak
# memory (maximum resident set) of each, and our ratios to feh. WallPaper
# runs twice: on Qt's X11 platform, as from a user's session ("wallpaper"),
# and on Qt's offscreen platform, without Qt's own X connection
# ("wallpaper-offscreen"; the wallpaper is set on the X root either way).
#
#     bench/desktop/change-bench.sh [BUILD_DIR] [RUNS]
#
# Every timed run is checked before it counts, and the script fails otherwise:
# our run must exit 0, write "Wallpaper Pellimore.bmp" at the fitted size of
# the big picture, store that picture as the current one and publish a root
# picture (_XROOTPMAP_ID, removed before each run); a peer's run must exit 0
# and publish a root picture.
#
# The pictures are made with ImageMagick from the photograph in $PHOTO
# (default tests/data/photos/LadyBird.jpg, enlarged). BUILD_DIR holds an
# optimised build of WallPaper (default: build). Needs the Debian packages
# xvfb, x11-utils, feh, hsetroot, xwallpaper and imagemagick (peers and
# picture making only; the product uses none of them).
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build}
runs=${2:-7}
program="$build/wallpaper/app/WallPaper"
for tool in Xvfb xprop feh hsetroot xwallpaper convert python3; do
    command -v "$tool" >/dev/null ||
        { echo "missing: $tool (apt-get install xvfb x11-utils feh hsetroot xwallpaper imagemagick)"; exit 2; }
done
[ -x "$program" ] || { echo "missing: $program (build WallPaper first)"; exit 2; }

work=$(mktemp -d)
display_file=$(mktemp)
Xvfb -displayfd 3 -screen 0 1920x1080x24 -noreset -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
xvfb_pid=$!
trap 'kill $xvfb_pid 2>/dev/null || true; rm -rf "$work" "$display_file"' EXIT
for _ in $(seq 100); do [ -s "$display_file" ] && break; sleep 0.1; done
export DISPLAY=:$(head -n1 "$display_file")

pictures="$work/home/Pictures"
mkdir -p "$pictures" "$work/home/.config/Corvane" "$work/runtime"
chmod 700 "$work/runtime"
source_photo=${PHOTO:-tests/data/photos/LadyBird.jpg}
[ -r "$source_photo" ] || { echo "cannot read the photograph $source_photo"; exit 2; }
convert "$source_photo" -resize '6000x4000!' -quality 90 "$work/jpeg-6000x4000.jpg"
convert "$source_photo" -resize '8000x6000!' -quality 90 "$work/jpeg-8000x6000.jpg"
convert "$source_photo" -resize '6000x4000!' -define png:compression-level=6 "$work/png-6000x4000.png"
convert -size 64x48 xc:gray "$pictures/small.bmp"

# Runs a command and prints "seconds peak-KiB exit-status".
measure() {
    python3 - "$@" <<'PY'
import os, subprocess, sys, time
start = time.perf_counter()
child = subprocess.Popen(sys.argv[1:], stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
_, status, usage = os.wait4(child.pid, 0)
elapsed = time.perf_counter() - start
err = child.stderr.read().decode(errors="replace")
code = os.waitstatus_to_exitcode(status)
if code != 0:
    sys.stderr.write(err)
print(f"{elapsed:.3f} {usage.ru_maxrss} {code}")
PY
}

# The fitted canvas of a W x H picture on 1920 x 1080 (the changer's rule:
# by width above an aspect of 1.4, else by height).
fitted_size() {
    python3 -c "
w, h = $1, $2
dw, dh = 1920, 1080
s = dw / w if w / h > 1.4 else dh / h
print(round(w * s), round(h * s))"
}

# The width and height in a BMP file's header.
bmp_size() {
    python3 -c "
import struct, sys
d = open(sys.argv[1], 'rb').read(26)
w, h = struct.unpack('<ii', d[18:26])
print(w, abs(h))" "$1"
}

# The next change is the big picture, centred, over grey.
prepare() {
    local name=$1
    rm -f "$pictures"/big.* "$pictures/Wallpaper Pellimore.bmp"
    cp "$work/$name" "$pictures/big.${name##*.}"
    printf '"big.%s",0,8421504,2\r\n"small.bmp",0,0,1\r\n' "${name##*.}" > "$pictures/wallpaper.dat"
    cat > "$work/home/.config/Corvane/Corvane.ini" <<INI
[Wallpaper]
Folder=$pictures
Startup= 1
Current= 1
Time=Daily
Sound= 0
INI
}

root_is_set() { xprop -root _XROOTPMAP_ID 2>/dev/null | grep -q 'PIXMAP'; }

fail() { echo "FAILED: $*" >&2; exit 1; }

median() { sort -n | awk '{a[NR]=$0} END {print a[int((NR+1)/2)]}'; }

peers=(wallpaper wallpaper-offscreen feh hsetroot xwallpaper)
for picture in jpeg-6000x4000.jpg jpeg-8000x6000.jpg png-6000x4000.png; do
    dims=${picture#*-}
    dims=${dims%.*}
    expected=$(fitted_size "${dims%x*}" "${dims#*x}")
    for name in "${peers[@]}"; do
        : > "$work/$name.times"
        : > "$work/$name.peaks"
    done
    for run in $(seq "$runs"); do
        for name in "${peers[@]}"; do
            xprop -root -remove _XROOTPMAP_ID 2>/dev/null || true
            case $name in
            wallpaper | wallpaper-offscreen)
                prepare "$picture"
                platform=xcb
                [ "$name" = wallpaper ] || platform=offscreen
                out=$(HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_CACHE_HOME="$work/home/.cache" \
                      XDG_RUNTIME_DIR="$work/runtime" PELLIMORE_DESKTOP=x11 QT_QPA_PLATFORM=$platform \
                      measure "$program" --next) ;;
            feh) out=$(HOME="$work/home" measure feh --no-fehbg --bg-max "$work/$picture") ;;
            hsetroot) out=$(measure hsetroot -full "$work/$picture") ;;
            xwallpaper) out=$(measure xwallpaper --maximize "$work/$picture") ;;
            esac
            read -r seconds peak status <<<"$out"
            [ "$status" = 0 ] || fail "$name run $run on $picture exited with $status"
            root_is_set || fail "$name run $run on $picture published no root picture"
            if [ "${name%-offscreen}" = wallpaper ]; then
                bmp="$pictures/Wallpaper Pellimore.bmp"
                [ -f "$bmp" ] || fail "run $run on $picture wrote no wallpaper bitmap"
                got=$(bmp_size "$bmp")
                [ "$got" = "$expected" ] || fail "run $run on $picture: bitmap $got, expected the fitted $expected"
                grep -q '^Current="\? 2"\?$' "$work/home/.config/Corvane/Corvane.ini" ||
                    fail "run $run on $picture did not make the big picture the current one"
            fi
            echo "$seconds" >> "$work/$name.times"
            echo "$peak" >> "$work/$name.peaks"
        done
    done
    echo
    printf '%-40s %10s %12s\n' "$dims ${picture%%-*} -> 1920x1080, $runs runs" "median s" "median MiB"
    declare -A t p
    for name in "${peers[@]}"; do
        t[$name]=$(median < "$work/$name.times")
        p[$name]=$(median < "$work/$name.peaks")
        printf '%-40s %10s %12s\n' "$name" "${t[$name]}" "$(( ${p[$name]} / 1024 ))"
    done
    for name in wallpaper wallpaper-offscreen; do
        awk -v name="$name" -v t="${t[$name]}" -v tf="${t[feh]}" -v m="${p[$name]}" -v mf="${p[feh]}" \
            'BEGIN { printf "%s / feh: wall time %.2f, peak memory %.3f\n", name, t / tf, m / mf }'
    done
done
