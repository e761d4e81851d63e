#!/usr/bin/env bash
# Cross-builds the Windows program and its tests (scripts/build-windows.sh) and runs the tests
# under Wine: the rules' unit tests, and the window tests on a virtual X display.
# The Wine prefix lives in build-windows/wineprefix; its server runs only while the tests do.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/build-windows.sh

export WINEPREFIX=$PWD/build-windows/wineprefix
tests/windows/wine-run.sh "$WINEPREFIX" --init

# One virtual display for all window tests, on a display number nobody else uses.
display=""
xvfb_pid=""
stop() {
    # Only this prefix's server and its programs, and only the display started here.
    wineserver -k 2>/dev/null || true
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
    fi
}
trap stop EXIT
for n in $(seq 90 130); do
    if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
        Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
        xvfb_pid=$!
        display=":$n"
        break
    fi
done
for _ in $(seq 50); do
    [ -e "/tmp/.X11-unix/X${display#:}" ] && break
    sleep 0.1
done
export DISPLAY=$display

# A server that stays up between the tests, with Wine's own services started here, so that no
# test's output pipe is held open by a service it happened to start.
wineserver -p </dev/null >/dev/null 2>&1
tests/windows/wine-run.sh "$WINEPREFIX" wineboot >/dev/null 2>&1 </dev/null

(cd build-windows && ctest --output-on-failure -j "${STAKMIR_JOBS:-$(nproc)}")
