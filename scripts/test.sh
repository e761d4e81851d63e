#!/usr/bin/env bash
# Sets the machine up, builds Stakmir and runs every test: once in `build`, once more with
# AddressSanitizer and UndefinedBehaviorSanitizer in `build-asan`, the Windows cross build
# under Wine in `build-windows`, and the web build in Node.js, Chromium, Firefox and WebKit in
# `build-web`.
# Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh

jobs=$(nproc)
# The sources under test; scripts/release.sh reuses these builds while they stay the same.
state=$(bash scripts/source-state.sh)
rm -f build/tests-passed

echo "== build (warnings are errors) =="
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSTAKMIR_WERROR=ON
cmake --build build -j "$jobs"
(cd build && ctest --output-on-failure -j "$jobs")

echo "== build-asan (AddressSanitizer + UndefinedBehaviorSanitizer) =="
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DSTAKMIR_WERROR=ON \
      -DSTAKMIR_SANITIZE=ON -DSTAKMIR_BUILD_BENCH=OFF
cmake --build build-asan -j "$jobs"
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 ctest --output-on-failure -j "$jobs")

echo "== build-windows (64-bit Windows cross build with mingw-w64, tests under Wine) =="
bash scripts/test-windows.sh

echo "== build-web (Emscripten; unit tests under Node.js, the page in Chromium, Firefox and WebKit) =="
bash scripts/test-web.sh

[ -z "$state" ] || echo "$state" > build/tests-passed
