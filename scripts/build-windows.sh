#!/usr/bin/env bash
# Cross-builds the Windows program with Debian's mingw-w64 into build-windows/:
# build-windows/stakmir.exe, which needs only DLLs that come with Windows, and from it the
# installer and the portable zip in build-windows/release/ (made with NSIS).
# Extra arguments go to the CMake configure step (for instance -DCMAKE_BUILD_TYPE=Debug).
set -euo pipefail
cd "$(dirname "$0")/.."

if ! command -v x86_64-w64-mingw32-g++-posix >/dev/null; then
    echo "build-windows.sh: mingw-w64 is missing; run scripts/setup.sh (package g++-mingw-w64-x86-64-posix)" >&2
    exit 1
fi

jobs=${STAKMIR_JOBS:-$(nproc)}
cmake -S . -B build-windows -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
      -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSTAKMIR_WERROR=ON \
      -DSTAKMIR_BUILD_TOOLS=OFF -DSTAKMIR_BUILD_BENCH=OFF \
      -DCMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE=PRE_TEST "$@"
cmake --build build-windows -j "$jobs"
echo "Built build-windows/stakmir.exe and build-windows/release/"
