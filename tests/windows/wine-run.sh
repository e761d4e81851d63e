#!/usr/bin/env bash
# wine-run.sh PREFIX PROGRAM [ARGUMENTS...] | wine-run.sh PREFIX --init
# Runs PROGRAM under Wine in PREFIX and returns its exit status. The prefix is made once, under a
# lock: no Mono or Gecko installers, focus without a window manager, crashes print (no dialog).
# No menu builder either: a Start menu shortcut made in the prefix gives no menu entry or icon
# in the host's home folder.
set -euo pipefail

[ $# -ge 2 ] || { echo "usage: wine-run.sh PREFIX PROGRAM [ARGUMENTS...] | wine-run.sh PREFIX --init" >&2; exit 2; }
prefix=$1
shift
wine=$(command -v wine || command -v wine64) || { echo "wine-run.sh: Wine is not installed" >&2; exit 1; }
mkdir -p "$prefix"
export WINEPREFIX
WINEPREFIX=$(cd "$prefix" && pwd)
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export WINEDEBUG=${WINEDEBUG:--all}
export WINEARCH=win64

make_prefix() {
    local reg="$WINEPREFIX/stakmir-settings.reg"
    cat >"$reg" <<'EOF'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"UseTakeFocus"="N"
"Managed"="N"

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000
EOF
    "$wine" wineboot --init >/dev/null 2>&1 || true
    "$wine" regedit /S "$reg" >/dev/null 2>&1
    wineserver -w  # the registry written, so that later runs see the settings
    if ! grep -q '"ShowCrashDialog"=dword:00000000' "$WINEPREFIX/user.reg" 2>/dev/null; then
        echo "wine-run.sh: could not set up the Wine prefix $WINEPREFIX" >&2
        return 1
    fi
    touch "$WINEPREFIX/.stakmir-ready"
}

if [ ! -f "$WINEPREFIX/.stakmir-ready" ]; then
    (
        flock 9
        [ -f "$WINEPREFIX/.stakmir-ready" ] || make_prefix
    ) 9>"$WINEPREFIX/.stakmir-lock"
fi

[ "$1" = "--init" ] && exit 0
exec "$wine" "$@"
