#!/usr/bin/env bash
# Draws the program's sample pictures into assets/Samples (and their
# "backgrounds" tiles) with ImageMagick, then writes the samples'
# "wallpaper.dat". Everything is drawn here: gradients, shapes and text.
# Run it again after changing a picture; the output is deterministic.
set -euo pipefail
cd "$(dirname "$0")"

# The real ImageMagick, not a wrapper that may flatten transparency.
im=convert
[ -x /usr/bin/convert ] && im=/usr/bin/convert
font=DejaVu-Sans
bold=DejaVu-Sans-Bold

out=Samples
rm -rf "$out"
mkdir -p "$out/backgrounds"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# No timestamps or other metadata, so the files only change when the drawing does.
clean=(-depth 8 -strip -define png:exclude-chunks=date,time)

# 1600 x 1000, larger than a 1024 x 768 desktop: a night sky over dunes.
"$im" -size 1600x1000 gradient:'#081430'-'#3b5fa8' \
    \( -size 1600x420 gradient:'#c98a4b'-'#5a3418' \) -gravity south -composite \
    -fill '#f4e9c1' -draw 'circle 1240,210 1240,290' \
    -fill '#fffbe8' -draw 'point 200,120 point 420,80 point 610,190 point 880,60 point 1010,150 point 300,300 point 760,260' \
    -fill '#7a4a24' -draw 'path "M 0,760 C 300,640 520,700 800,760 S 1300,650 1600,720 L 1600,1000 L 0,1000 Z"' \
    -fill '#4a2a12' -draw 'path "M 0,880 C 400,780 700,840 1000,900 S 1400,820 1600,870 L 1600,1000 L 0,1000 Z"' \
    -font "$font" -pointsize 28 -fill '#e8d9b0' -gravity southeast -annotate +30+24 'Dune Night' \
    "${clean[@]}" -quality 82 "$out/Dune Night.jpg"

# Exactly 1024 x 768: a harbour at dusk.
"$im" -size 1024x768 gradient:'#f6a26b'-'#5b3b7a' \
    -fill '#1d2440' -draw 'rectangle 0,520 1024,768' \
    -fill '#ffd27f' -draw 'circle 700,470 700,530' \
    -fill '#1d2440' -draw 'rectangle 0,520 1024,768' \
    -fill '#2c3560' -draw 'rectangle 0,540 1024,548 rectangle 0,580 1024,585 rectangle 0,630 1024,634' \
    -fill '#10142a' -draw 'polygon 150,520 330,520 300,560 180,560' -draw 'rectangle 236,380 242,520' \
    -fill '#f2efe6' -draw 'polygon 244,390 244,510 320,510' \
    -font "$bold" -pointsize 40 -fill '#fbe3c4' -gravity northwest -annotate +40+36 'Harbour Dusk' \
    "${clean[@]}" -quality 85 "$out/Harbour Dusk.jpg"

# 1280 x 960: aurora ribbons.
"$im" -size 1280x960 gradient:'#020814'-'#0d2a3a' \
    -stroke '#3fe0a0' -strokewidth 36 -fill none \
    -draw 'path "M -50,420 C 250,250 500,520 800,330 S 1200,260 1350,360"' \
    -stroke '#7cf5c8' -strokewidth 14 \
    -draw 'path "M -50,470 C 260,300 520,560 820,380 S 1210,310 1350,410"' \
    -stroke '#a070ff' -strokewidth 22 \
    -draw 'path "M -50,300 C 300,160 560,380 860,220 S 1220,180 1350,240"' \
    -stroke none -fill '#061018' -draw 'path "M 0,960 L 0,800 L 160,700 L 300,780 L 470,660 L 640,790 L 820,690 L 1000,800 L 1150,720 L 1280,790 L 1280,960 Z"' \
    -blur 0x1.2 "${clean[@]}" -quality 80 "$out/Aurora Ribbons.jpg"

# 256 x 256 PNG, smaller than the desktop and made to be tiled: a mosaic.
"$im" -size 256x256 xc:'#e9e2d0' \
    -fill '#c0583a' -draw 'rectangle 0,0 127,127' -fill '#2f6f8f' -draw 'rectangle 128,128 255,255' \
    -fill '#e0b040' -draw 'circle 192,64 192,24' -fill '#4f8f5a' -draw 'circle 64,192 64,152' \
    -fill '#e9e2d0' -draw 'rectangle 60,0 67,255 rectangle 0,60 255,67 rectangle 188,0 195,255 rectangle 0,188 255,195' \
    "${clean[@]}" "$out/Mosaic Tile.png"

# 800 x 600 PNG with a transparent background: glass orbs.
"$im" -size 800x600 xc:none \
    \( -size 260x260 radial-gradient:'#bfe8ff'-'#1f5fa0' \( -size 260x260 xc:black -fill white -draw 'circle 130,130 130,2' \) -alpha off -compose copy_opacity -composite \) \
    -geometry +90+120 -compose over -composite \
    \( -size 200x200 radial-gradient:'#ffd0e0'-'#a02050' \( -size 200x200 xc:black -fill white -draw 'circle 100,100 100,2' \) -alpha off -compose copy_opacity -composite \) \
    -geometry +420+90 -compose over -composite \
    \( -size 160x160 radial-gradient:'#e0ffd0'-'#3f8a20' \( -size 160x160 xc:black -fill white -draw 'circle 80,80 80,2' \) -alpha off -compose copy_opacity -composite \) \
    -geometry +500+360 -compose over -composite \
    "${clean[@]}" "$out/Glass Orbs.png"

# 1920 x 1080 PNG, larger than the desktop: a plain blueprint grid.
"$im" -size 1920x1080 xc:'#16365c' \
    -fill none -stroke '#2b5486' -strokewidth 1 \
    -draw "$(for x in $(seq 0 40 1920); do printf 'line %d,0 %d,1080 ' "$x" "$x"; done)" \
    -draw "$(for y in $(seq 0 40 1080); do printf 'line 0,%d 1920,%d ' "$y" "$y"; done)" \
    -stroke '#9cc4f0' -strokewidth 3 -draw 'circle 960,540 960,240 rectangle 560,340 1360,740 line 560,340 1360,740 line 560,740 1360,340' \
    -stroke none -font "$font" -pointsize 36 -fill '#cfe3fa' -gravity south -annotate +0+40 'Blueprint' \
    -colors 16 "${clean[@]}" "$out/Blueprint.png"

# 640 x 480 24-bit BMP: a woven checker.
"$im" -size 64x64 xc:'#355c7d' -fill '#f8b195' -draw 'rectangle 0,0 31,31 rectangle 32,32 63,63' "$tmp/checker.png"
"$im" -size 640x480 "tile:$tmp/checker.png" \
    -fill '#c06c84' -draw "$(for x in $(seq 12 64 640); do printf 'rectangle %d,0 %d,480 ' "$x" $((x + 7)); done)" \
    -fill '#6c5b7b' -draw "$(for y in $(seq 44 64 480); do printf 'rectangle 0,%d 640,%d ' "$y" $((y + 7)); done)" \
    -type TrueColor "${clean[@]}" "BMP3:$out/Checker Weave.bmp"

# 200 x 200 animated GIF, 12 frames that loop for ever: a turning star.
for i in $(seq 0 11); do
    angle=$((i * 6))
    hue=$((i * 20))
    "$im" -size 200x200 xc:'#101830' \
        -fill "hsl($hue,80%,60%)" \
        -draw "translate 100,100 rotate $angle polygon 0,-85 20,-28 81,-26 32,11 50,69 0,34 -50,69 -32,11 -81,-26 -20,-28" \
        "$tmp/star-$(printf %02d "$i").gif"
done
"$im" -delay 8 -loop 0 "$tmp"/star-*.gif -layers Optimize "${clean[@]}" "$out/Turning Star.gif"

# 320 x 240 GIF with a transparent background: a leaf.
"$im" -size 320x240 xc:none \
    -fill '#3f8f3a' -draw 'path "M 40,200 C 60,60 220,20 290,40 C 270,120 200,220 40,200 Z"' \
    -stroke '#1f5a1c' -strokewidth 4 -fill none -draw 'path "M 40,200 C 120,150 200,90 285,45"' \
    "${clean[@]}" "$out/Green Leaf.gif"

# Backgrounds for the designer: small tiles (under 400 x 400) and larger textures.
"$im" -size 128x128 xc:'#ece5d8' -seed 7 +noise Gaussian -colorspace gray -colorspace sRGB -type TrueColor \
    +level-colors '#b8ab94','#f4ede0' -blur 0x0.6 "${clean[@]}" -quality 85 "$out/backgrounds/Linen.jpg"
"$im" -size 64x64 xc:'#f4f1ea' -fill '#9bb7d4' \
    -draw 'rectangle 0,0 15,63 rectangle 32,0 47,63' "${clean[@]}" "$out/backgrounds/Blue Stripes.gif"
"$im" -size 96x96 xc:'#203040' -fill '#f0c060' \
    -draw 'circle 24,24 24,14 circle 72,72 72,62' -fill '#60a0c0' -draw 'circle 72,24 72,18 circle 24,72 24,66' \
    -type TrueColor "${clean[@]}" "BMP3:$out/backgrounds/Dots.bmp"
"$im" -seed 11 -size 600x450 plasma:'#d8d0c8'-'#8a8078' -blur 0x3 -colorspace gray -normalize -colorspace sRGB -type TrueColor \
    +level-colors '#7d7366','#ece4d8' "${clean[@]}" -quality 80 "$out/backgrounds/Marble.jpg"
"$im" -size 800x600 gradient:'#bcd8f0'-'#fdf6e8' "${clean[@]}" -quality 85 "$out/backgrounds/Sky Wash.jpg"

# The samples' library file: one record per picture in list order (names
# sorted by their bytes), with a style, a desktop colour (red in the low
# byte) and a place in the play order.
colour() { # R G B -> the colour as a number
    echo $(($1 + ($2 << 8) + ($3 << 16)))
}
declare -A style=(
    ["Aurora Ribbons.jpg"]=2 ["Blueprint.png"]=2 ["Checker Weave.bmp"]=0 ["Dune Night.jpg"]=2
    ["Glass Orbs.png"]=0 ["Green Leaf.gif"]=0 ["Harbour Dusk.jpg"]=0 ["Mosaic Tile.png"]=1
    ["Turning Star.gif"]=0
)
declare -A back=(
    ["Aurora Ribbons.jpg"]=$(colour 2 8 20) ["Blueprint.png"]=$(colour 22 54 92)
    ["Checker Weave.bmp"]=$(colour 53 92 125) ["Dune Night.jpg"]=$(colour 8 20 48)
    ["Glass Orbs.png"]=$(colour 240 240 248) ["Green Leaf.gif"]=$(colour 236 229 216)
    ["Harbour Dusk.jpg"]=$(colour 29 36 64) ["Mosaic Tile.png"]=$(colour 233 226 208)
    ["Turning Star.gif"]=$(colour 16 24 48)
)
declare -A order=(
    ["Aurora Ribbons.jpg"]=3 ["Blueprint.png"]=7 ["Checker Weave.bmp"]=5 ["Dune Night.jpg"]=1
    ["Glass Orbs.png"]=8 ["Green Leaf.gif"]=4 ["Harbour Dusk.jpg"]=2 ["Mosaic Tile.png"]=6
    ["Turning Star.gif"]=9
)
: > "$out/wallpaper.dat"
while IFS= read -r name; do
    [ -n "${style[$name]+x}" ] || { echo "no record for $name" >&2; exit 1; }
    printf '"%s",%d,%d,%d\r\n' "$name" "${style[$name]}" "${back[$name]}" "${order[$name]}" >> "$out/wallpaper.dat"
done < <(cd "$out" && find . -maxdepth 1 -type f ! -name wallpaper.dat -printf '%f\n' | LC_ALL=C sort)

du -sh "$out"
