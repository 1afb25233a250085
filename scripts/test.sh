#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: first the normal build,
# then the same suite built with AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

# One virtual X server for the tests that need a real one (root window, screen saver windows).
. scripts/xvfb.sh
start_private_xvfb
export PELLIMORE_X_DISPLAY=$XVFB_DISPLAY
echo "Tests that need an X server use $PELLIMORE_X_DISPLAY."

BUILD_DIR=build scripts/build.sh
(cd build && ctest --output-on-failure -j 2)

if [ "${PELLIMORE_SKIP_SANITIZE:-0}" != 1 ]; then
    BUILD_DIR=build-sanitize BUILD_TYPE=Debug scripts/build.sh -DPELLIMORE_SANITIZE=ON
    (cd build-sanitize && ctest --output-on-failure -j 2)
fi
