#!/usr/bin/env bash
# Runs a Windows program under Wine in a private prefix, and returns the program's exit status.
#   wine-run.sh PREFIX PROGRAM [ARGUMENTS...]   run PROGRAM (making the prefix first if needed)
#   wine-run.sh PREFIX --init                   only make the prefix
# The prefix is made once, under a lock so that parallel tests share it: no Mono or Gecko
# installers, focus handled without a window manager, and a crash prints instead of opening a
# dialog that nobody would close.
set -euo pipefail

if [ $# -lt 2 ]; then
    echo "usage: wine-run.sh PREFIX PROGRAM [ARGUMENTS...] | wine-run.sh PREFIX --init" >&2
    exit 2
fi
prefix=$1
shift

wine=$(command -v wine || command -v wine64 || true)
if [ -z "$wine" ]; then
    echo "wine-run.sh: Wine is not installed (Debian packages wine and wine64)" >&2
    exit 1
fi

mkdir -p "$prefix"
export WINEPREFIX
WINEPREFIX=$(cd "$prefix" && pwd)
export WINEDLLOVERRIDES="mscoree,mshtml="
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
    # Wait until the registry is written, so that later runs see the settings.
    wineserver -w
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
