#!/usr/bin/env bash
# Builds the web page alone (scripts/build-web.sh --page) and serves it until Ctrl+C.
#     scripts/play-web.sh [--lan] [port]      (port 8080 when not given)
# The page is served on 127.0.0.1 only, unless --lan is given: then on every network interface,
# so that a phone or tablet on the same network can open it at the addresses printed.
set -euo pipefail
cd "$(dirname "$0")/.."

bind=127.0.0.1
if [ "${1:-}" = "--lan" ]; then
    bind=0.0.0.0
    shift
fi
port=${1:-8080}

start=$SECONDS
bash scripts/build-web.sh --page
echo "The page was built in $((SECONDS - start)) s."
echo "Stakmir is served at http://127.0.0.1:$port/ - open it in a browser; Ctrl+C stops the server."
if [ "$bind" = 0.0.0.0 ]; then
    for address in $(hostname -I 2>/dev/null); do
        case $address in *:*) continue ;; esac  # IPv6 addresses need brackets; the IPv4 ones do
        echo "On this network: http://$address:$port/ (played online there: browsers keep pages for offline play only from https or this machine)"
    done
fi
exec python3 -m http.server "$port" --bind "$bind" --directory build-web/page
