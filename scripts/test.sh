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

# The test cases that skipped, each with its reason (a part that cannot start here).
report_skips() {
    local log="$1/Testing/Temporary/LastTest.log"
    [ -f "$log" ] || return 0
    awk '/: Skipped$/ { reason = ""; grab = 1; next }
         grab && /^\[  SKIPPED \]/ { print "skipped " $4 ": " reason; grab = 0; next }
         grab && NF { reason = reason (reason == "" ? "" : " ") $0 }' "$log"
}

# Every test of a build folder. Tests labelled "retried" drive a third-party
# daemon whose start-up timing varies on a busy machine; they get up to three
# runs, and each retry is printed.
run_tests() {
    (cd "$1" && ctest --output-on-failure -j 2 -LE retried)
    report_skips "$1"
    (cd "$1" && ctest --output-on-failure -L retried --repeat until-pass:3)
    report_skips "$1"
}

BUILD_DIR=build scripts/build.sh
run_tests build
# The same build installed into a temporary prefix and packed as a .deb:
# validators, a run of the installed tree, lintian.
scripts/check-package.sh build

if [ "${PELLIMORE_SKIP_SANITIZE:-0}" != 1 ]; then
    BUILD_DIR=build-sanitize BUILD_TYPE=Debug scripts/build.sh -DPELLIMORE_SANITIZE=ON
    run_tests build-sanitize
fi
