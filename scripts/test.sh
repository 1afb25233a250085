#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: first the normal build,
# then the same suite built with AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

# One virtual X server for the tests that need a real one (root window, screen saver windows).
# Xvfb picks a free display number itself, so a stale lock of an earlier run is no obstacle.
display_file=$(mktemp)
Xvfb -displayfd 3 -screen 0 1024x768x24 -noreset -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
xvfb_pid=$!
trap 'kill $xvfb_pid 2>/dev/null || true; rm -f "$display_file"' EXIT
for _ in $(seq 100); do
    [ -s "$display_file" ] && break
    sleep 0.1
done
export PELLIMORE_X_DISPLAY=:$(head -n1 "$display_file")
echo "Tests that need an X server use $PELLIMORE_X_DISPLAY."

BUILD_DIR=build scripts/build.sh
(cd build && ctest --output-on-failure -j 2)

if [ "${PELLIMORE_SKIP_SANITIZE:-0}" != 1 ]; then
    BUILD_DIR=build-sanitize BUILD_TYPE=Debug scripts/build.sh -DPELLIMORE_SANITIZE=ON
    (cd build-sanitize && ctest --output-on-failure -j 2)
fi
