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
  libpng-dev libfreetype-dev libsquish-dev libstb-dev fonts-dejavu-core
  # the Windows build (mingw-w64) and its tests under Wine
  g++-mingw-w64-x86-64-posix wine wine64
  # installation and Debian package checks
  desktop-file-utils appstream lintian man-db groff-base dpkg-dev
)

missing=()
for p in "${packages[@]}"; do
  [[ $p == \#* ]] && continue
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
