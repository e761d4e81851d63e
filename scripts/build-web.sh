#!/usr/bin/env bash
# Builds the web version of Stakmir with Debian's Emscripten (fully offline) into one folder,
# build-web/page/: index.html, its script, stakmir.js, stakmir.wasm, the manifest, the service
# worker and the icons, for any static file server. Installs whatever is missing first.
#     scripts/build-web.sh [--page] [CMake configure arguments...]
# --page builds the page alone; without it the web tests are built as well.
set -euo pipefail
cd "$(dirname "$0")/.."

targets=()
if [ "${1:-}" = "--page" ]; then
    targets=(--target stakmir_page)
    shift
fi

bash scripts/setup.sh

jobs=${STAKMIR_JOBS:-$(nproc)}
cmake -S . -B build-web -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/emscripten.cmake \
      -DCMAKE_BUILD_TYPE=Release -DSTAKMIR_WERROR=ON \
      -DSTAKMIR_BUILD_TOOLS=OFF -DSTAKMIR_BUILD_BENCH=OFF "$@"
cmake --build build-web -j "$jobs" "${targets[@]}"
echo "Built build-web/page/"
