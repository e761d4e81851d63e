#!/usr/bin/env bash
# Makes the release files in dist/ and prints them with their sizes:
#   stakmir_<version>_<arch>.deb        the Debian package
#   stakmir-<version>-setup.exe         the Windows installer
#   stakmir-<version>-windows-x64.zip   the Windows program to unpack and run
#   stakmir-<version>-web.zip           the page, for any static file server
#   SHA256SUMS                          their checksums (sha256sum -c SHA256SUMS)
# First the test command (scripts/test.sh) installs what is missing and builds and tests every
# build folder, unless it has passed on exactly these sources before and its files are still
# there. The files are the ones those tests checked: nothing is built or tested twice.
set -euo pipefail
cd "$(dirname "$0")/.."

version=$(sed -n 's/^project(Stakmir VERSION \([0-9.]*\) .*/\1/p' CMakeLists.txt)
if [ -z "$version" ]; then
    echo "release.sh: cannot read the version from CMakeLists.txt" >&2
    exit 1
fi
arch=$(dpkg --print-architecture)
files=(
    "build/tests/packaging/deb/stakmir_${version}_${arch}.deb"
    "build-windows/release/stakmir-${version}-setup.exe"
    "build-windows/release/stakmir-${version}-windows-x64.zip"
    "build-web/release/stakmir-${version}-web.zip"
)

all_there() {
    local file
    for file in "${files[@]}"; do [ -f "$file" ] || return 1; done
}

state=$(bash scripts/source-state.sh)
if [ -n "$state" ] && [ "$(cat build/tests-passed 2>/dev/null)" = "$state" ] && all_there; then
    echo "== the tests have passed on these sources: their builds are used as they are =="
else
    bash scripts/test.sh
fi
for file in "${files[@]}"; do
    if [ ! -f "$file" ]; then
        echo "release.sh: the tests made no $file" >&2
        exit 1
    fi
done

rm -rf dist
mkdir dist
cp -- "${files[@]}" dist/
(cd dist && sha256sum -- * > SHA256SUMS)
echo "== dist/ (Stakmir $version) =="
(cd dist && for file in *; do
    awk -v size="$(stat -c %s "$file")" -v name="$file" 'BEGIN { printf "%8.1f KiB  %s\n", size / 1024, name }'
done)
