#!/usr/bin/env bash
# Cross-builds the Windows program and its tests (scripts/build-windows.sh) and runs the tests
# under Wine: the rules' unit tests, and the window tests on a virtual X display, and the
# installer and the portable zip.
# The Wine prefix lives in build-windows/wineprefix; its server runs only while the tests do.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/build-windows.sh

export WINEPREFIX=$PWD/build-windows/wineprefix
tests/windows/wine-run.sh "$WINEPREFIX" --init

# One virtual display for the window layer's tests; Xvfb picks a free display number itself.
display_file=$(mktemp)
xvfb_pid=""
stop() {
    # Only this prefix's server and its programs, and only the display started here.
    wineserver -k 2>/dev/null || true
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
    fi
    rm -f "$display_file"
}
trap stop EXIT
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do
    grep -q . "$display_file" && break
    sleep 0.1
done
display=":$(head -n1 "$display_file" | tr -d '[:space:]')"
if [ "$display" = ":" ]; then
    echo "test-windows.sh: Xvfb did not start" >&2
    exit 1
fi
export DISPLAY=$display

# A server that stays up between the tests, with Wine's own services started here, so that no
# test's output pipe is held open by a service it happened to start.
wineserver -p </dev/null >/dev/null 2>&1
tests/windows/wine-run.sh "$WINEPREFIX" wineboot >/dev/null 2>&1 </dev/null

(cd build-windows && ctest --output-on-failure -j "${STAKMIR_JOBS:-$(nproc)}")
