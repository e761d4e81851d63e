#!/usr/bin/env bash
# Builds the web version of Stakmir with Debian's Emscripten (fully offline) into one folder,
# build-web/page/: index.html, stakmir.js, stakmir.wasm and the icons, for any static file server.
# Installs whatever is missing first. Extra arguments go to the CMake configure step.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh

jobs=${STAKMIR_JOBS:-$(nproc)}
cmake -S . -B build-web -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/emscripten.cmake \
      -DCMAKE_BUILD_TYPE=Release -DSTAKMIR_WERROR=ON \
      -DSTAKMIR_BUILD_TOOLS=OFF -DSTAKMIR_BUILD_BENCH=OFF "$@"
cmake --build build-web -j "$jobs"
echo "Built build-web/page/"
