#!/usr/bin/env bash
# Checks the install and the .deb made from an existing build folder:
#
#     scripts/check-package.sh [BUILD_DIR]     (default: build)
#
# - installs into a temporary prefix and checks every path a user needs;
# - desktop-file-validate on every menu entry, appstreamcli on the metainfo;
# - runs the menu entry's "Next Wallpaper" command from the installed tree
#   alone (a private X server, a private HOME, no build folder on any path)
#   and checks that the root window got its wallpaper; starts the menu
#   entry's own command and checks that WallPaper keeps running;
# - removes every installed file again and checks that nothing is left;
# - builds the .deb with CPack and runs lintian on it: errors fail, the
#   warnings are listed.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build}")
[ -f "$build/CMakeCache.txt" ] || { echo "no build folder at $build"; exit 2; }

app_id=io.github.wallpaper_pellimore.WallPaper
work=$(mktemp -d)
prefix="$work/prefix"
pids=()
failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}

trap cleanup EXIT

echo "== install into a temporary prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null
for path in \
    bin/WallPaper bin/wptool \
    libexec/xscreensaver/wallpaper-pellimore \
    share/applications/$app_id.desktop \
    share/applications/screensavers/wallpaper-pellimore.desktop \
    share/xscreensaver/config/wallpaper-pellimore.xml \
    share/metainfo/$app_id.metainfo.xml \
    share/icons/hicolor/scalable/apps/$app_id.svg \
    share/icons/hicolor/16x16/apps/$app_id.png \
    share/icons/hicolor/48x48/apps/$app_id.png \
    share/icons/hicolor/256x256/apps/$app_id.png \
    share/man/man1/WallPaper.1.gz share/man/man1/wptool.1.gz \
    share/wallpaper-pellimore/pellimore.wav \
    share/wallpaper-pellimore/Samples/wallpaper.dat \
    share/wallpaper-pellimore/Samples/backgrounds \
    share/wallpaper-pellimore/help/WP.qhc share/wallpaper-pellimore/help/WP.qch \
    share/wallpaper-pellimore/help/index.html \
    share/doc/wallpaper-pellimore/copyright; do
    [ -e "$prefix/$path" ] || fail "not installed: $path"
done
noticon=$(find "$prefix" -name 'libNoticon.so*' -type f)
[ -n "$noticon" ] || fail "libNoticon.so is not installed"
for size in 16 22 24 32 48 64 128 256; do
    png="$prefix/share/icons/hicolor/${size}x${size}/apps/$app_id.png"
    [ "$(identify -format '%wx%h' "$png" 2>/dev/null)" = "${size}x${size}" ] || fail "icon $png is not ${size}x${size}"
done
# The SVG is drawn by hand after the program's own icon drawing: both must agree.
if command -v gdk-pixbuf-thumbnailer >/dev/null; then
    gdk-pixbuf-thumbnailer -s 256 "$prefix/share/icons/hicolor/scalable/apps/$app_id.svg" "$work/svg.png"
    # compare exits with 1 for images that differ at all.
    difference=$( (compare -metric RMSE "$prefix/share/icons/hicolor/256x256/apps/$app_id.png" "$work/svg.png" null: 2>&1 || true) |
        sed 's/.*(\(.*\))/\1/')
    awk -v d="$difference" 'BEGIN { exit !(d < 0.02) }' || fail "the SVG icon differs from the drawn one (RMSE $difference)"
fi

echo "== the installed programs find their library relative to themselves"
for elf in "$prefix/bin/WallPaper" "$prefix/bin/wptool" "$prefix/libexec/xscreensaver/wallpaper-pellimore" $noticon; do
    runpath=$(readelf -d "$elf" | sed -n 's/.*R\(UN\)\?PATH.*\[\(.*\)\]/\2/p')
    case "$runpath" in *"$build"*|/*) fail "$(basename "$elf") has the search path '$runpath'" ;; esac
done
for elf in "$prefix/bin/WallPaper" "$prefix/libexec/xscreensaver/wallpaper-pellimore"; do
    if env -i ldd "$elf" | grep -q 'not found'; then
        fail "$(basename "$elf") misses libraries: $(env -i ldd "$elf" | grep 'not found' | tr -s ' \t' ' ')"
    fi
done
env -i ldd "$prefix/bin/WallPaper" | grep -q "libNoticon.so.* => $prefix/" ||
    fail "WallPaper does not load libNoticon.so from the installed tree"

echo "== desktop-file-validate, appstreamcli validate"
while IFS= read -r -d '' entry; do
    desktop-file-validate "$entry" || fail "desktop-file-validate ${entry#"$prefix/"}"
done < <(find "$prefix/share/applications" -name '*.desktop' -print0)
appstreamcli validate --no-net --explain "$prefix/share/metainfo/$app_id.metainfo.xml" ||
    fail "appstreamcli validate"
grep -qx "Exec=\"$prefix/libexec/xscreensaver/wallpaper-pellimore\" --root" \
    "$prefix/share/applications/screensavers/wallpaper-pellimore.desktop" ||
    fail "the screen saver theme does not name the installed saver"

echo "== the installed tree changes the wallpaper on a private X server"
. scripts/xvfb.sh
start_private_xvfb
trap cleanup EXIT
home="$work/home"
mkdir -p "$home"
# Only what a desktop session would set: no build folder on any path.
run_env=(env -i HOME="$home" PATH=/usr/bin:/bin DISPLAY="$XVFB_DISPLAY" LANG=C.UTF-8)
exec_line() { sed -n "/^\[$1\]/,/^\[/s/^Exec=//p" "$prefix/share/applications/$app_id.desktop"; }
read -ra next_command <<<"$(exec_line 'Desktop Action next')"
[ "${next_command[0]}" = "$prefix/bin/WallPaper" ] || fail "the menu entry runs '${next_command[0]}'"
if xprop -display "$XVFB_DISPLAY" -root _XROOTPMAP_ID | grep -q 'id #'; then
    fail "the fresh X server has a wallpaper already"
fi
# The root as the server draws it before any wallpaper (its weave).
root_pixels() { import -display "$XVFB_DISPLAY" -window root rgb:- 2>/dev/null | md5sum; }
bare_root=$(root_pixels)
if (cd "$work" && "${run_env[@]}" "${next_command[@]}"); then
    xprop -display "$XVFB_DISPLAY" -root _XROOTPMAP_ID | grep -q 'id #' ||
        fail "WallPaper --next set no root window pixmap"
    [ -f "$home/Documents/Wallpaper Pellimore/wallpaper.dat" ] ||
        fail "the samples were not copied from the installed tree"
    # Which sample comes first is random (the play order is shuffled), and
    # some have few colours: the root must show something else than before.
    [ "$(root_pixels)" != "$bare_root" ] || fail "the root window still shows the bare server background"
else
    fail "the menu entry's next-wallpaper command failed"
fi
read -ra main_command <<<"$(exec_line 'Desktop Entry')"
(cd "$work" && exec "${run_env[@]}" "${main_command[@]}") >"$work/resident.log" 2>&1 &
resident=$!
pids+=("$resident")
sleep 3
if kill -0 "$resident" 2>/dev/null; then
    kill "$resident"
    wait "$resident" 2>/dev/null || true
else
    fail "WallPaper from the menu entry ended at once: $(cat "$work/resident.log")"
fi

echo "== uninstall leaves nothing behind"
# The manifest's last line has no line end.
while IFS= read -r file || [ -n "$file" ]; do rm -f "$file"; done <"$build/install_manifest.txt"
find "$prefix" -depth -type d -empty -delete
[ ! -e "$prefix" ] || fail "left after removing the installed files: $(find "$prefix" -not -type d | head -5)"

echo "== the .deb"
rm -rf "$build/packages"
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/packages/*.deb)
echo "$(basename "$deb"): Installed-Size $(dpkg-deb -f "$deb" Installed-Size) KiB"
echo "Depends: $(dpkg-deb -f "$deb" Depends)"
dpkg-deb -c "$deb" | awk '{ print $6 }' | grep -v '^\./usr/' | grep -v '^\./$' && fail "the .deb installs outside /usr"
# lintian refuses to run as root without this flag; the .deb is only read.
lintian_args=(--fail-on error --tag-display-limit 0)
[ "$(id -u)" -eq 0 ] && lintian_args+=(--allow-root)
lintian "${lintian_args[@]}" "$deb" || fail "lintian found errors"

if [ $failures -gt 0 ]; then
    echo "$failures packaging checks failed"
    exit 1
fi
echo "The install, the menu entries, the metainfo and the .deb passed."
