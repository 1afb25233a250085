#!/usr/bin/env bash
# Builds the .deb (WallPaper, the screen saver, libNoticon.so, wptool and
# their data) with CPack from the build folder BUILD_DIR (default build/),
# building what is missing first, and prints the package's path:
#
#     scripts/package.sh
#
# Install it with "sudo apt install ./PATH.deb".
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
build_dir=${BUILD_DIR:-build}
BUILD_DIR=$build_dir scripts/build.sh >/dev/null
rm -rf "$build_dir/packages"
(cd "$build_dir" && cpack -G DEB >/dev/null)
realpath "$build_dir"/packages/*.deb
