#!/usr/bin/env bash
# Builds the web version and serves it on this machine: open the address it prints.
#   scripts/play-web.sh          (PORT=8080 by default)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
port=${PORT:-8080}
"$root/scripts/build-web.sh"
echo "Kelvado in a browser: http://127.0.0.1:$port/ (Ctrl+C stops the server)"
exec python3 -m http.server "$port" --bind 127.0.0.1 --directory "$root/build-web/site"
