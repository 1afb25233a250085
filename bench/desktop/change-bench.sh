#!/usr/bin/env bash
# One whole wallpaper change of a 6000 x 4000 JPEG onto a 1920 x 1080 X root,
# beside `feh --bg-max` and `hsetroot -full` (fit) of the same file, in the
# same run on the same Xvfb. Prints the median wall time and the peak memory
# (maximum resident set) of each.
#
#     bench/desktop/change-bench.sh [BUILD_DIR] [RUNS]
#
# The 6000 x 4000 JPEG is made with ImageMagick from the photograph in
# $PHOTO (default tests/data/photos/LadyBird.jpg, 2560 x 1600, enlarged).
# For a picture with real detail at that size, point PHOTO at a bigger one,
# e.g. PHOTO=/path/to/Kleiber_by_Lukas_Baubkus.jpg (6028 x 3391), which
# earlier measurements used.
#
# BUILD_DIR holds a Release build of WallPaper (default: build). Needs the
# Debian packages xvfb, feh, hsetroot and imagemagick (peers and picture
# making only; the product uses none of them).
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build}
runs=${2:-5}
program="$build/wallpaper/app/WallPaper"
for tool in Xvfb feh hsetroot convert python3; do
    command -v "$tool" >/dev/null || { echo "missing: $tool (apt-get install xvfb feh hsetroot imagemagick)"; exit 2; }
done
[ -x "$program" ] || { echo "missing: $program (build WallPaper first)"; exit 2; }

work=$(mktemp -d)
display=:93
Xvfb "$display" -screen 0 1920x1080x24 -noreset -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
trap 'kill $xvfb_pid 2>/dev/null || true; rm -rf "$work"' EXIT
sleep 1

pictures="$work/home/Pictures"
mkdir -p "$pictures" "$work/home/.config/Corvane"
source_photo=${PHOTO:-tests/data/photos/LadyBird.jpg}
[ -r "$source_photo" ] || { echo "cannot read the photograph $source_photo"; exit 2; }
convert "$source_photo" -resize '6000x4000!' -quality 90 "$pictures/big.jpg"
convert -size 64x48 xc:gray "$pictures/small.bmp"

# Runs a command and prints "seconds peak-KiB" (peak of the command's own process tree).
measure() {
    python3 - "$@" <<'PY'
import resource, subprocess, sys, time
start = time.perf_counter()
result = subprocess.run(sys.argv[1:], stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
elapsed = time.perf_counter() - start
if result.returncode != 0:
    sys.stderr.write(result.stderr.decode(errors="replace"))
    sys.exit(result.returncode)
print(f"{elapsed:.3f} {resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss}")
PY
}

# The next change is "big.jpg", centred, over grey.
prepare() {
    printf '"small.bmp",0,0,1\r\n"big.jpg",0,8421504,2\r\n' > "$pictures/wallpaper.dat"
    cat > "$work/home/.config/Corvane/Corvane.ini" <<INI
[Wallpaper]
Folder=$pictures
Startup= 1
Current= 1
Time=Daily
Sound= 0
INI
}

median() { sort -n | awk '{a[NR]=$0} END {print a[int((NR+1)/2)]}'; }

export DISPLAY=$display
declare -A times peaks
for name in wallpaper feh hsetroot; do
    : > "$work/$name.times"
    : > "$work/$name.peaks"
    for _ in $(seq "$runs"); do
        case $name in
        wallpaper)
            prepare
            out=$(HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_CACHE_HOME="$work/home/.cache" \
                  PELLIMORE_DESKTOP=x11 QT_QPA_PLATFORM=offscreen measure "$program" --next) ;;
        feh) out=$(HOME="$work/home" measure feh --no-fehbg --bg-max "$pictures/big.jpg") ;;
        hsetroot) out=$(measure hsetroot -full "$pictures/big.jpg") ;;
        esac
        echo "${out% *}" >> "$work/$name.times"
        echo "${out#* }" >> "$work/$name.peaks"
    done
    times[$name]=$(median < "$work/$name.times")
    peaks[$name]=$(sort -n "$work/$name.peaks" | tail -1)
done

printf '%-28s %10s %12s\n' "6000x4000 JPEG -> 1920x1080" "median s" "peak MiB"
for name in wallpaper feh hsetroot; do
    printf '%-28s %10s %12s\n' "$name" "${times[$name]}" "$(( ${peaks[$name]} / 1024 ))"
done
faster=$(printf '%s\n%s\n' "${times[feh]}" "${times[hsetroot]}" | sort -n | head -1)
awk -v ours="${times[wallpaper]}" -v peer="$faster" \
    'BEGIN { printf "WallPaper / faster peer: %.2f (target: at most 1.00)\n", ours / peer }'
