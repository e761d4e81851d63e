#!/usr/bin/env bash
# Redraws the README's screenshots with stakmir-frame from the scenes of the renderer tests.
# Usage: docs/screenshots/make-screenshots.sh [BUILD_DIR]   (default: build)
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${1:-$root/build}"
frame="$build/tools/frame/stakmir-frame"
scenes="$root/tests/render/scenes"
out="$root/docs/screenshots"
if [ ! -x "$frame" ]; then
  echo "make-screenshots.sh: $frame not found; build the target stakmir-frame first" >&2
  exit 1
fi
"$frame" --scene "$scenes/wait-start.scene" -o "$out/welcome.png"
"$frame" --scene "$scenes/falling.scene" --level 2 --score 245 -o "$out/falling.png"
"$frame" --scene "$scenes/slam.scene" --level 5 --score 530 -o "$out/slam.png"
"$frame" --scene "$scenes/clearing-white.scene" --level 7 --score 780 -o "$out/clearing.png"
echo "wrote $out/welcome.png falling.png slam.png clearing.png"

# The page on a phone, from the browser tests' screenshots (scripts/test-web.sh), at half their
# size: a 390 by 844 phone at three device pixels per CSS pixel, on its side at the welcome
# screen and upright in a game played by gestures.
screens="$root/build-web/tests/web/screens"
if [ -f "$screens/viewports/phone-landscape.png" ] && [ -f "$screens/gestures/upright-playing.png" ]; then
  convert "$screens/viewports/phone-landscape.png" -filter point -resize 50% -strip "$out/phone-landscape.png"
  convert "$screens/gestures/upright-playing.png" -filter point -resize 50% -strip "$out/phone-portrait.png"
  echo "wrote $out/phone-portrait.png phone-landscape.png"
else
  echo "make-screenshots.sh: no browser test screenshots in $screens; run scripts/test-web.sh for the phone pictures" >&2
fi
