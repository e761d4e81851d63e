#!/usr/bin/env bash
# Plays Stakmir on a Debian or Ubuntu desktop: installs whatever is missing, builds the game
# in build/ (once; later runs only rebuild what changed) and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
if [ ! -f build/CMakeCache.txt ]; then
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build build --target stakmir
exec build/stakmir
