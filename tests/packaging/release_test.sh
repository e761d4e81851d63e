#!/usr/bin/env bash
# scripts/release.sh in a git repository of its own, with a stand-in for the test command that
# counts its runs and makes the release files from the state of the sources it saw. The release
# runs the tests when the sources changed since their last pass (an edit, a new file), not when
# they are the same, takes the files of that run, and releases nothing when the tests fail.
#
#   release_test.sh <source> <workdir>
set -euo pipefail
readonly source=$1 work=$2

fail() { echo "FAIL: $*" >&2; exit 1; }

rm -rf "$work"
mkdir -p "$work/scripts" "$work/build"
cd "$work"
cp "$source/scripts/release.sh" "$source/scripts/source-state.sh" scripts/
grep '^project(Stakmir VERSION' "$source/CMakeLists.txt" > CMakeLists.txt
printf '/build*/\n/dist/\n' > .gitignore
version=$(sed -n 's/^project(Stakmir VERSION \([0-9.]*\) .*/\1/p' CMakeLists.txt)
arch=$(dpkg --print-architecture)
cat > scripts/test.sh <<EOF
#!/usr/bin/env bash
# The stand-in: fails when STANDIN_FAILS is set, else leaves what a passing run leaves.
set -euo pipefail
cd "\$(dirname "\$0")/.."
state=\$(bash scripts/source-state.sh)
mkdir -p build
rm -f build/tests-passed
echo run >> build/test-runs
[ -z "\${STANDIN_FAILS:-}" ] || exit 1
for file in build/tests/packaging/deb/stakmir_${version}_${arch}.deb \\
            build-windows/release/stakmir-${version}-setup.exe \\
            build-windows/release/stakmir-${version}-windows-x64.zip \\
            build-web/release/stakmir-${version}-web.zip; do
    mkdir -p "\$(dirname "\$file")"
    echo "\$state" > "\$file"
done
echo "\$state" > build/tests-passed
EOF
git init -q .
git add .
git -c user.name=test -c user.email=test@example.org commit -qm sources

# Releases and checks that the test command has run `runs` times in all and that every file in
# dist/ was made from the sources as they are now.
release() {
  local runs=$1 what=$2
  bash scripts/release.sh > build/release.log 2>&1 || { cat build/release.log >&2; fail "$what: the release failed"; }
  [[ $(wc -l < build/test-runs) == "$runs" ]] \
    || fail "$what: the tests ran $(wc -l < build/test-runs) times, not $runs"
  local state file
  state=$(bash scripts/source-state.sh)
  for file in dist/stakmir_*.deb dist/stakmir-*-setup.exe dist/stakmir-*-x64.zip dist/stakmir-*-web.zip; do
    [[ $(cat "$file") == "$state" ]] || fail "$what: $file was not made from these sources"
  done
  (cd dist && sha256sum --quiet -c SHA256SUMS) || fail "$what: SHA256SUMS does not match"
}

release 1 "the first release"
release 1 "the same sources again"
echo "# changed" >> CMakeLists.txt
release 2 "an edited file"
echo "new" > scripts/new-file
release 3 "a new file"
echo "# changed again" >> CMakeLists.txt
if STANDIN_FAILS=1 bash scripts/release.sh > build/release.log 2>&1; then
  fail "the release went on after the tests failed"
fi
[[ $(wc -l < build/test-runs) == 4 ]] || fail "the failing tests did not run"
