#!/usr/bin/env bash
# Regenerates every picture and font in data/ from their sources: builds the art tool (and
# the font tool) and runs them. Usage: scripts/make-art.sh [build folder] [preview folder]
# The build folder defaults to build-art; PNG previews of the pictures are written to the
# preview folder when one is given.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build-art}
preview=${2:-}

cmake -S . -B "$build" -G Ninja -DSTAKMIR_BUILD_TOOLS=ON >/dev/null
cmake --build "$build" -j 2 --target stakmir-make-art

args=(--data data)
[ -n "$preview" ] && args+=(--preview "$preview")
"$build/tools/art/stakmir-make-art" "${args[@]}"
echo "pictures written to data/ and data/icons/"

# The font tool belongs to the same pipeline; it is run whenever the build defines it.
if cmake --build "$build" --target help | grep '^stakmir-make-fonts:' >/dev/null; then
  cmake --build "$build" -j 2 --target stakmir-make-fonts
  "$build/tools/fonts/stakmir-make-fonts" data
  echo "fonts written to data/"
fi
