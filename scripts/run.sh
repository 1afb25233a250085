#!/usr/bin/env bash
# Installs what is missing, builds, and starts WallPaper on its own samples.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
PELLIMORE_TESTS=OFF
BUILD_DIR=build scripts/build.sh
exec build/wallpaper/app/WallPaper "$@"
