#!/usr/bin/env bash
# Checks what `cmake --install` and the Debian package put in place, with the validators of the
# desktop ecosystem itself. One check per call:
#
#   check.sh stage    <build> <stage>                  install the build tree into <stage>
#   check.sh tree     <stage> <has-game>               the installed files, no more and no less
#   check.sh desktop  <stage>                          the desktop entry
#   check.sh metainfo <stage> <source>                 the AppStream metadata and its screenshot
#   check.sh manual   <stage>                          the manual page renders without warnings
#   check.sh icons    <stage>                          the icons at every size
#   check.sh launch   <stage> <workdir>                the installed game starts and quits
#   check.sh versions <stage> <version>                every installed file names the version
#   check.sh deb      <build> <workdir> <version>      the Debian package
#   check.sh route    <source> <workdir>               the package's build holds the game alone
#
# Exits 0 on success, 77 when the game executable is not built, 1 with a message otherwise.
set -euo pipefail
export LC_ALL=C.UTF-8

readonly APP_ID=io.github.stakmir.Stakmir
readonly ICON_SIZES=(16 32 48 64 128 256)

fail() { echo "FAIL: $*" >&2; exit 1; }
skip() { echo "SKIP: $*"; exit 77; }
need() { command -v "$1" >/dev/null || fail "$1 is missing (package $2): run scripts/setup.sh"; }

# Prints the width and height of a PNG file from its IHDR chunk, or fails.
png_size() {
  local sig
  sig=$(od -An -tx1 -N8 "$1" | tr -d ' \n')
  [[ $sig == 89504e470d0a1a0a ]] || fail "$1 is not a PNG file"
  echo "$(( 0x$(od -An -tx1 -j16 -N4 "$1" | tr -d ' \n') ))" \
       "$(( 0x$(od -An -tx1 -j20 -N4 "$1" | tr -d ' \n') ))"
}

check_stage() {
  local build=$1 stage=$2
  rm -rf "$stage"
  cmake --install "$build" --prefix "$stage" >/dev/null || fail "cmake --install failed"
}

check_tree() {
  local stage=$1 has_game=$2
  [[ -d $stage ]] || fail "nothing installed in $stage"
  local expected=(
    share/applications/$APP_ID.desktop
    share/doc/stakmir/changelog.gz
    share/doc/stakmir/copyright
    share/licenses/stakmir/LICENSE
    share/man/man6/stakmir.6.gz
    share/metainfo/$APP_ID.metainfo.xml
  )
  if [[ $has_game == 1 ]]; then
    expected+=(bin/stakmir)
    [[ -x $stage/bin/stakmir ]] || fail "bin/stakmir is not executable"
    [[ $(od -An -c -j1 -N3 "$stage/bin/stakmir" | tr -d ' ') == ELF ]] \
      || fail "bin/stakmir is not an ELF executable"
  fi
  local size
  for size in "${ICON_SIZES[@]}"; do
    expected+=("share/icons/hicolor/${size}x${size}/apps/$APP_ID.png")
  done
  local licence
  for licence in "$stage"/share/licenses/stakmir/*; do
    [[ $licence == */LICENSE ]] || expected+=("${licence#"$stage"/}")
  done
  # Every file installed must be one we mean to ship: a stray tool, test or library installed
  # by mistake would land in the player's system and in the package.
  local want have
  want=$(printf '%s\n' "${expected[@]}" | sort)
  have=$(cd "$stage" && find . \( -type f -o -type l \) | sed 's|^\./||' | sort)
  [[ $want == "$have" ]] || fail "installed files differ from the expected list:
$(diff <(echo "$want") <(echo "$have") || true)"
  local text
  text=$(zcat "$stage/share/doc/stakmir/changelog.gz") || fail "changelog.gz is not gzip data"
  [[ $text == stakmir\ \(* ]] || fail "changelog.gz does not start with a stakmir entry"
  grep -q 'Bitstream' "$stage/share/doc/stakmir/copyright" \
    || fail "the copyright file lacks the notice of the built-in fonts"
  if [[ $has_game == 0 ]]; then skip "the game executable is not built yet"; fi
}

check_desktop() {
  local stage=$1
  need desktop-file-validate desktop-file-utils
  local entry=$stage/share/applications/$APP_ID.desktop
  desktop-file-validate "$entry" || fail "desktop-file-validate rejects $entry"
  local exec icon
  exec=$(sed -n 's/^Exec=//p' "$entry")
  icon=$(sed -n 's/^Icon=//p' "$entry")
  [[ $exec == stakmir ]] || fail "Exec is '$exec', not the game's command"
  [[ $icon == "$APP_ID" ]] || fail "Icon '$icon' is not the application id"
  grep -qx 'Categories=Game;LogicGame;' "$entry" || fail "Categories are not Game;LogicGame;"
  [[ $(grep -c '^Comment=' "$entry") == 1 ]] || fail "the entry needs one Comment line"
}

check_metainfo() {
  local stage=$1 source=$2
  need appstreamcli appstream
  local meta=$stage/share/metainfo/$APP_ID.metainfo.xml
  appstreamcli validate --no-net --strict "$meta" || fail "appstreamcli rejects $meta"
  grep -q "<launchable type=\"desktop-id\">$APP_ID.desktop</launchable>" "$meta" \
    || fail "the metadata does not launch $APP_ID.desktop"
  [[ -e $stage/share/applications/$APP_ID.desktop ]] || fail "the launchable is not installed"
  grep -q '<content_rating type="oars-1.1"' "$meta" || fail "no OARS content rating"
  # Each screenshot named in the metadata must be a picture kept in the repository.
  local urls url
  urls=$(sed -n 's|.*<image[^>]*>\(.*\)</image>.*|\1|p' "$meta")
  [[ -n $urls ]] || fail "the metadata shows no screenshot"
  while read -r url; do
    local name=${url##*/docs/screenshots/}
    [[ $name != "$url" ]] || fail "screenshot $url is not under docs/screenshots/"
    [[ -e $source/docs/screenshots/$name ]] || fail "screenshot docs/screenshots/$name is missing"
    local size
    size=$(png_size "$source/docs/screenshots/$name")
    grep -q "width=\"${size% *}\" height=\"${size#* }\">$url<" "$meta" \
      || fail "docs/screenshots/$name is $size, not the size the metadata gives"
  done <<< "$urls"
}

check_manual() {
  local stage=$1
  local page=$stage/share/man/man6/stakmir.6.gz
  local out
  out=$(zcat "$page" | groff -ww -man -Tutf8 -z 2>&1) || fail "groff failed on $page"
  [[ -z $out ]] || fail "groff warns about $page:
$out"
  out=$(MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null) \
    || fail "man failed on $page"
  [[ -z $out ]] || fail "man warns about $page:
$out"
  out=$(MANWIDTH=80 man -l "$page" 2>/dev/null | sed "s/.\x08//g")
  [[ $out == *"stakmir - falling-block puzzle game"* ]] || fail "the NAME line is not stakmir's"
}

check_icons() {
  local stage=$1
  local size
  for size in "${ICON_SIZES[@]}"; do
    local icon=$stage/share/icons/hicolor/${size}x${size}/apps/$APP_ID.png
    [[ -e $icon ]] || fail "no ${size}x${size} icon installed"
    [[ $(png_size "$icon") == "$size $size" ]] \
      || fail "the ${size}x${size} icon is $(png_size "$icon") pixels"
  done
}

# Waits up to ten seconds for a command to succeed.
wait_for() {
  local i
  for i in $(seq 100); do "$@" && return 0; sleep 0.1; done
  return 1
}

# Starts the installed game as its desktop entry does, on a private X server: its window must
# carry the class the entry names for it, and the Escape key must end it with status 0.
check_launch() {
  local stage=$1 work=$2
  [[ -x $stage/bin/stakmir ]] || skip "the game executable is not built yet"
  need Xvfb xvfb
  need xdotool xdotool
  need xprop x11-utils
  local entry=$stage/share/applications/$APP_ID.desktop
  local exec wm_class
  exec=$(sed -n 's/^Exec=//p' "$entry")
  wm_class=$(sed -n 's/^StartupWMClass=//p' "$entry")
  rm -rf "$work"
  mkdir -p "$work"

  # Both are killed on any exit; neither keeps the test's output open.
  XVFB_PID= GAME_PID=
  trap 'kill -KILL $GAME_PID 2>/dev/null || true; kill $XVFB_PID 2>/dev/null || true' EXIT
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
  XVFB_PID=$!
  wait_for test -s "$work/display" || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
  export DISPLAY=:$(cat "$work/display")

  PATH=$stage/bin:$PATH "$exec" >"$work/game.log" 2>&1 &
  GAME_PID=$!
  local window=
  find_window() { window=$(xdotool search --onlyvisible --name '^Stakmir$' 2>/dev/null | head -1); [[ -n $window ]]; }
  wait_for find_window || fail "the game opened no window: $(cat "$work/game.log")"
  [[ $(xprop -id "$window" WM_CLASS) == "WM_CLASS(STRING) = \"$wm_class\", \"$wm_class\"" ]] \
    || fail "the window's $(xprop -id "$window" WM_CLASS) is not the entry's StartupWMClass $wm_class"

  xdotool windowfocus --sync "$window" key Escape >/dev/null 2>&1 || true
  wait_for eval '! kill -0 $GAME_PID 2>/dev/null' || fail "the game did not quit on Escape"
  local status=0
  wait "$GAME_PID" || status=$?
  GAME_PID=
  [[ $status == 0 ]] || fail "the game quit with status $status: $(cat "$work/game.log")"
}

# The version the build was made with, in every installed file that names one and in the
# game's welcome text.
check_versions() {
  local stage=$1 version=$2
  local meta man log welcome
  meta=$(grep -m1 -o '<release version="[^"]*"' "$stage/share/metainfo/$APP_ID.metainfo.xml" | cut -d'"' -f2)
  man=$(zcat "$stage/share/man/man6/stakmir.6.gz" | sed -n 's/^\.TH STAKMIR 6 [^ ]* "Stakmir \([^"]*\)".*/\1/p')
  log=$(zcat "$stage/share/doc/stakmir/changelog.gz" | sed -n '1s/^stakmir (\([^)]*\)).*/\1/p')
  [[ $meta == "$version" ]] || fail "the newest release in the metadata is '$meta', not $version"
  [[ $man == "$version" ]] || fail "the manual page is of version '$man', not $version"
  [[ $log == "$version" ]] || fail "the changelog's newest entry is '$log', not $version"
  [[ -x $stage/bin/stakmir ]] || skip "the game executable is not built yet"
  # The text ends its line: "Welcome to Stakmir 1.0" followed by a line feed.
  welcome=$(grep -ao 'Welcome to Stakmir .*$' "$stage/bin/stakmir" | head -1)
  [[ $welcome == "Welcome to Stakmir $version" ]] \
    || fail "the game's welcome text is '$welcome', not 'Welcome to Stakmir $version'"
}

# Builds the package, reads its control data and contents, runs lintian on it, then installs,
# verifies and purges it in a private root whose database holds only the package's
# dependencies as the host has them: the real system is never touched.
check_deb() {
  local build=$1 work=$2 version=$3
  need dpkg-deb dpkg
  need lintian lintian
  rm -rf "$work"
  mkdir -p "$work"
  cpack --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1 \
    || { cat "$work/cpack.log" >&2; fail "cpack failed"; }
  local deb
  deb=$(compgen -G "$work/stakmir_${version}_*.deb") || fail "cpack made no stakmir_${version} package"

  local field
  [[ $(dpkg-deb -f "$deb" Package) == stakmir ]] || fail "the package is not named stakmir"
  [[ $(dpkg-deb -f "$deb" Version) == "$version" ]] || fail "the package version is not $version"
  [[ $(dpkg-deb -f "$deb" Section) == games ]] || fail "the package is not in section games"
  for field in Maintainer Description Architecture; do
    [[ -n $(dpkg-deb -f "$deb" "$field") ]] || fail "the control data lacks $field"
  done
  local depends
  depends=$(dpkg-deb -f "$deb" Depends)
  [[ $depends == *libc6* && $depends == *libsdl2-2.0-0* && $depends == *libgl1* ]] \
    || fail "Depends ($depends) misses the C library, SDL or the GLX library"
  [[ $depends != *-dev* ]] || fail "Depends ($depends) names a development package"

  local contents
  contents=$(dpkg-deb --contents "$deb")
  for field in ./usr/games/stakmir ./usr/share/doc/stakmir/copyright \
               ./usr/share/doc/stakmir/changelog.gz ./usr/share/man/man6/stakmir.6.gz \
               ./usr/share/applications/$APP_ID.desktop ./usr/share/metainfo/$APP_ID.metainfo.xml; do
    grep -q " $field\$" <<< "$contents" || fail "the package lacks $field"
  done
  if grep -qv ' root/root ' <<< "$contents"; then fail "the package has files not owned by root"; fi

  lintian --fail-on error,warning --display-info "$deb" \
    || fail "lintian finds errors or warnings in $deb"

  local root=$work/root admin=$work/root/var/lib/dpkg
  mkdir -p "$admin"/{info,updates,triggers} "$root/var/log"
  : > "$admin/available"
  local pkg names=()
  for pkg in $(tr ',|' '\n\n' <<< "$depends" | sed 's/(.*)//; s/ //g'); do
    dpkg-query -W "$pkg" >/dev/null 2>&1 && names+=("$pkg")
  done
  dpkg-query -s "${names[@]}" > "$admin/status" 2>/dev/null || true
  for pkg in $(dpkg-query -W -f='${binary:Package}\n' "${names[@]}"); do
    : > "$admin/info/$pkg.list"
  done
  local dpkg_root=(dpkg --root="$root" --log="$root/var/log/dpkg.log")
  "${dpkg_root[@]}" -i "$deb" >"$work/dpkg.log" 2>&1 \
    || { cat "$work/dpkg.log" >&2; fail "the package does not install with its dependencies met"; }
  [[ -x $root/usr/games/stakmir ]] || fail "the installed game is not executable"
  "${dpkg_root[@]}" --verify stakmir || fail "the installed files differ from the package's sums"
  "${dpkg_root[@]}" --purge stakmir >>"$work/dpkg.log" 2>&1 \
    || { cat "$work/dpkg.log" >&2; fail "the package does not purge"; }
  local left
  left=$(cd "$root" && find . -path ./var -prune -o -print | grep -v '^\.$' || true)
  [[ -z $left ]] || fail "purging left files behind:
$left"
}

# The route to the package: a build folder made with STAKMIR_GAME_ONLY compiles for its package
# target the game's own sources and nothing else (no test, tool or benchmark).
check_route() {
  local source=$1 work=$2
  need ninja ninja-build
  rm -rf "$work"
  cmake -S "$source" -B "$work" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSTAKMIR_GAME_ONLY=ON \
    >"$work-configure.log" 2>&1 || { cat "$work-configure.log" >&2; fail "the game alone does not configure"; }
  local outputs stray
  outputs=$(ninja -C "$work" -t commands package | grep -oE ' -o [^ ]+' | cut -c5-)
  grep -qx stakmir <<< "$outputs" || fail "the package target does not build the game"
  stray=$(grep -vE '^(src|data)/' <<< "$outputs" | grep -vx stakmir || true)
  [[ -z $stray ]] || fail "the package target builds more than the game:
$stray"
}

what=${1:-}
shift || true
case $what in
  stage|tree|desktop|metainfo|manual|icons|launch|versions|deb|route) "check_$what" "$@" ;;
  *) echo "usage: check.sh stage|tree|desktop|metainfo|manual|icons|launch|versions|deb|route ..." >&2
     exit 2 ;;
esac
