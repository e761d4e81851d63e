#!/usr/bin/env bash
# Builds the web version (scripts/build-web.sh) and serves it on 127.0.0.1 until Ctrl+C.
#     scripts/play-web.sh [port]        (8080 when not given)
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/build-web.sh
port=${1:-8080}
echo "Stakmir is served at http://127.0.0.1:$port/ - open it in a browser; Ctrl+C stops the server."
exec python3 -m http.server "$port" --bind 127.0.0.1 --directory build-web/page
