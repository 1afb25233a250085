# Sourced by the scripts: start_private_xvfb starts a virtual X server on a
# display it picks itself (so a stale lock of an earlier run is no obstacle),
# sets XVFB_DISPLAY to ":N", and ends the server when the script exits.
start_private_xvfb() {
    local display_file
    display_file=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1024x768x24 -noreset -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
    xvfb_pid=$!
    trap 'kill $xvfb_pid 2>/dev/null || true' EXIT
    for _ in $(seq 100); do
        [ -s "$display_file" ] && break
        sleep 0.1
    done
    XVFB_DISPLAY=:$(head -n1 "$display_file")
    rm -f "$display_file"
}
