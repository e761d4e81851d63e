#!/usr/bin/env bash
# Builds the web version (scripts/build-web.sh) and runs its tests: the rules' and the main
# loop's unit tests compiled with Emscripten and run under Node.js, and the page served on
# 127.0.0.1 and played in Debian's Chromium (headless) and Firefox ESR through puppeteer-core,
# and in WebKitGTK through its own WebDriver (those two on private X displays). puppeteer-core
# comes from the npm registry at the version tests/web/package-lock.json pins, into
# build-web/npm/; no browser is downloaded.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh

npm_dir=build-web/npm
if ! cmp -s tests/web/package-lock.json "$npm_dir/package-lock.json" ||
   [ ! -d "$npm_dir/node_modules/puppeteer-core" ]; then
    mkdir -p "$npm_dir"
    cp tests/web/package.json tests/web/package-lock.json "$npm_dir/"
    (cd "$npm_dir" && PUPPETEER_SKIP_DOWNLOAD=1 npm ci --no-audit --no-fund)
fi

bash scripts/build-web.sh -DSTAKMIR_WEB_NODE_MODULES="$PWD/$npm_dir/node_modules"
(cd build-web && ctest --output-on-failure -j "${STAKMIR_JOBS:-$(nproc)}")
