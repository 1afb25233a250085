#!/usr/bin/env bash
# The designer's compositions beside ImageMagick doing the same work, in one
# run, alternating:
#   compose  a 3840 x 2160 gradient, a 6000 x 4000 JPEG fitted onto it and
#            centred (ours also draws the border), saved as JPEG quality 85;
#   tile     a 100 x 100 tile over 3840 x 2160, saved as a 24-bit BMP.
# Prints the median wall time and peak memory (maximum resident set) of each
# and the ratios ours / ImageMagick.
#
#     bench/designer/compose-bench.sh [BUILD_DIR] [RUNS]
#
# Every timed run is checked before its time counts: exit status 0, the
# output file of the right size, and its pixels (the photograph's centre, the
# gradient's corner, the tile's pattern). A run that did other work fails the
# benchmark. The 6000 x 4000 JPEG is made with ImageMagick from $PHOTO
# (default tests/data/photos/LadyBird.jpg, enlarged).
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build}
runs=${2:-5}
wptool="$build/tools/wptool/wptool"
# The real ImageMagick, not a wrapper that may stand before it in PATH.
convert=/usr/bin/convert
[ -x "$convert" ] || convert=$(command -v convert || true)
[ -n "$convert" ] || { echo "missing: convert (apt-get install imagemagick)"; exit 2; }
command -v python3 >/dev/null || { echo "missing: python3"; exit 2; }
[ -x "$wptool" ] || { echo "missing: $wptool (build wptool first)"; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
photo_source=${PHOTO:-tests/data/photos/LadyBird.jpg}
"$convert" "$photo_source" -resize '6000x4000!' -quality 90 "$work/photo.jpg"
"$convert" -size 100x100 pattern:checkerboard -fill '#3050A0' -draw 'rectangle 0,0 9,9' -type TrueColor \
    "$work/tile.png"

# Runs a command and prints "seconds peak-KiB".
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

# "r g b" of a pixel of a picture.
pixel() {
    "$convert" "$1" -format "%[fx:int(255*p{$2,$3}.r)] %[fx:int(255*p{$2,$3}.g)] %[fx:int(255*p{$2,$3}.b)]" info:
}

# Fails the benchmark unless pixel $2,$3 of $1 is within 40 of "r g b" $4.
expect_pixel() {
    local got
    got=$(pixel "$1" "$2" "$3")
    python3 - "$got" "$4" "$1 at $2,$3" <<'PY' || exit 1
import sys
got = [int(v) for v in sys.argv[1].split()]
want = [int(v) for v in sys.argv[2].split()]
if any(abs(a - b) > 40 for a, b in zip(got, want)):
    sys.exit(f"wrong picture: {sys.argv[3]} is {got}, expected about {want}")
PY
}

expect_size() {
    local size
    size=$("$convert" "$1" -format '%wx%h' info:)
    [ "$size" = 3840x2160 ] || { echo "wrong picture: $1 is $size, expected 3840x2160" >&2; exit 1; }
}

# What the checks compare with: the photograph's centre; the tile's corner
# square and its first checker colour.
photo_centre=$(pixel "$work/photo.jpg" 3000 2000)
tile_corner=$(pixel "$work/tile.png" 2 2)
tile_next=$(pixel "$work/tile.png" 12 2)

run_one() {
    local name=$1 out
    rm -f "$work/out.jpg" "$work/out.bmp"
    case $name in
    ours-compose)
        out=$(QT_QPA_PLATFORM=offscreen measure "$wptool" compose "$work/photo.jpg" "$work/out.jpg" \
              --desktop 3840x2160 --gradient 1:255:16711680 --border 65280 --jpeg 85)
        expect_size "$work/out.jpg"
        expect_pixel "$work/out.jpg" 1920 1080 "$photo_centre"
        ;;
    magick-compose)
        out=$(measure "$convert" -size 3840x2160 gradient:'#FF0000-#0000FF' \( "$work/photo.jpg" -resize 3840x2160 \) \
              -gravity center -composite -quality 85 "$work/out.jpg")
        expect_size "$work/out.jpg"
        expect_pixel "$work/out.jpg" 1920 1080 "$photo_centre"
        ;;
    ours-tile)
        out=$(QT_QPA_PLATFORM=offscreen measure "$wptool" compose "$work/tile.png" "$work/out.bmp" \
              --desktop 3840x2160 --background "$work/tile.png" --background-only)
        ;;
    magick-tile)
        out=$(measure "$convert" -size 3840x2160 tile:"$work/tile.png" -type TrueColor BMP3:"$work/out.bmp")
        ;;
    esac
    if [ "${name#*-}" = tile ]; then
        expect_size "$work/out.bmp"
        expect_pixel "$work/out.bmp" 3702 2102 "$tile_corner"
        expect_pixel "$work/out.bmp" 3712 2102 "$tile_next"
    fi
    echo "$out"
}

median() { sort -n | awk '{a[NR]=$0} END {print a[int((NR+1)/2)]}'; }

names=(ours-compose magick-compose ours-tile magick-tile)
for name in "${names[@]}"; do : > "$work/$name.times"; : > "$work/$name.peaks"; done
for _ in $(seq "$runs"); do
    for name in "${names[@]}"; do
        result=$(run_one "$name")
        echo "${result% *}" >> "$work/$name.times"
        echo "${result#* }" >> "$work/$name.peaks"
    done
done

declare -A times peaks
printf '%-16s %10s %10s\n' "3840x2160" "median s" "peak MiB"
for name in "${names[@]}"; do
    times[$name]=$(median < "$work/$name.times")
    peaks[$name]=$(sort -n "$work/$name.peaks" | tail -1)
    printf '%-16s %10s %10s\n' "$name" "${times[$name]}" "$(( ${peaks[$name]} / 1024 ))"
done
for job in compose tile; do
    awk -v ours="${times[ours-$job]}" -v peer="${times[magick-$job]}" \
        -v om="${peaks[ours-$job]}" -v pm="${peaks[magick-$job]}" -v job="$job" \
        'BEGIN { printf "%s: time ours / ImageMagick %.2f (target: at most 0.50), peak memory %.2f\n", job, ours / peer, om / pm }'
done
