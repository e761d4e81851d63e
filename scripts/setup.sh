#!/usr/bin/env bash
# Installs every Debian package that building, testing and playing Stakmir needs.
# Does nothing when all are present; uses sudo when not run as root.
set -euo pipefail

packages=(
  # build
  g++ cmake ninja-build pkg-config
  # the game
  libsdl2-dev libgl-dev
  # tests and benchmarks
  googletest libgtest-dev libgmock-dev libbenchmark-dev libosmesa6-dev libegl-dev
  xvfb xauth xdotool openbox x11-xserver-utils x11-utils imagemagick python3
  # the art pipeline
  libpng-dev libfreetype-dev libsquish-dev libstb-dev fonts-dejavu-core fonts-dejavu-extra
  # installation and Debian package checks
  desktop-file-utils appstream lintian man-db groff-base dpkg-dev
  # the release script's test (a repository of its own)
  git
)
# Installed without their recommendations, which would bring a whole desktop's worth of
# fonts, codecs, printing services and 32-bit libraries that neither the Windows nor the web
# tests use.
lean_packages=(
  # the Windows build (mingw-w64), its installer (NSIS) and its tests under Wine
  g++-mingw-w64-x86-64-posix nsis wine wine64
  # the web build (Emscripten, fully offline) and its tests in real browsers: Chromium, Firefox
  # and WebKit (its WebDriver with the MiniBrowser)
  emscripten chromium firefox-esr webkit2gtk-driver
  # the sound tests and benchmarks: a private PulseAudio server and its recorder
  pulseaudio pulseaudio-utils
)
# Node.js runs Emscripten and the browser tests. A Node.js from elsewhere that already brings
# npm is used as it is (Debian's npm package would conflict with it).
command -v node >/dev/null || lean_packages+=(nodejs)
command -v npm >/dev/null || lean_packages+=(npm)

# missing NAME...: the packages among NAME that are not installed.
missing() {
  local p
  for p in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
      echo "$p"
    fi
  done
}

mapfile -t need < <(missing "${packages[@]}")
mapfile -t need_lean < <(missing "${lean_packages[@]}")
[ ${#need[@]} -eq 0 ] && [ ${#need_lean[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${need[*]} ${need_lean[*]}"
$sudo apt-get update -qq
if [ ${#need[@]} -gt 0 ]; then
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${need[@]}"
fi
if [ ${#need_lean[@]} -gt 0 ]; then
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${need_lean[@]}"
fi
