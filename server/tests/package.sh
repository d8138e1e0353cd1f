#!/usr/bin/env bash
# The board's Debian package, from the same CPack run as the game's: lintian finds nothing to say
# about it, it holds the server, its unit, manual page and documents, its unit verifies with
# systemd's own checks and is sandboxed (DynamicUser, StateDirectory, a low exposure), and the
# unpacked server takes a demo the game recorded.
#   package.sh BUILD SOURCE
set -euo pipefail
build=$1 source=$2
tmp=$(mktemp -d)
server=""
trap '[ -z "$server" ] || kill "$server" 2>/dev/null || true; rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

(cd "$build" && cpack -G DEB -B "$tmp/package" >"$tmp/cpack.log" 2>&1) ||
    fail "cpack failed: $(tail -n 5 "$tmp/cpack.log")"
deb=$(ls "$tmp"/package/kelvado-board_*.deb) || fail "no kelvado-board package: $(ls "$tmp/package")"
ls "$tmp"/package/kelvado_*.deb >/dev/null || fail "the game's package is gone"
case "$(dpkg-deb --field "$deb" Depends)" in
    *libmicrohttpd*) ;;
    *) fail "the package names no dependencies: $(dpkg-deb --field "$deb" Depends)" ;;
esac
case "$(dpkg-deb --field "$deb" Depends)" in
    *libsdl*|*libgl*) fail "the board depends on the game's libraries" ;;
esac
lintian --display-info --fail-on error,warning,info "$deb" >"$tmp/lintian.log" 2>&1 ||
    fail "lintian: $(grep -v 'root privileges' "$tmp/lintian.log")"

root=$tmp/root
dpkg-deb -x "$deb" "$root"
unit=lib/systemd/system/kelvado-board.service
for f in usr/bin/kelvado-board "$unit" usr/share/man/man8/kelvado-board.8.gz \
         usr/share/doc/kelvado-board/copyright usr/share/doc/kelvado-board/changelog.gz; do
    [ -e "$root/$f" ] || fail "the package lacks /$f"
done
for setting in DynamicUser=yes StateDirectory=kelvado-board ProtectSystem=strict \
               ExecStart=/usr/bin/kelvado-board; do
    grep -q "^$setting" "$root/$unit" || fail "the unit has no $setting"
done
systemd-analyze verify --man=no --recursive-errors=no --root="$root" "/$unit" \
    >"$tmp/verify.log" 2>&1 || fail "the unit does not verify: $(cat "$tmp/verify.log")"
[ ! -s "$tmp/verify.log" ] || fail "systemd-analyze verify: $(cat "$tmp/verify.log")"
exposure=$(systemd-analyze security --offline=yes --root="$root" kelvado-board.service 2>/dev/null |
    sed -n 's/.*Overall exposure level for kelvado-board.service: \([0-9.]*\).*/\1/p')
echo "the unit's exposure: $exposure"
awk -v e="$exposure" 'BEGIN { exit !(e != "" && e + 0 <= 2.0) }' ||
    fail "the unit's exposure is $exposure, more than 2.0"
man -l "$root/usr/share/man/man8/kelvado-board.8.gz" >/dev/null 2>"$tmp/man.log" &&
    [ ! -s "$tmp/man.log" ] || fail "the manual page: $(cat "$tmp/man.log")"

# The packaged server on a board of its own takes the game's demo.
[ "$("$root/usr/bin/kelvado-board" --version)" = "kelvado-board 0.8" ] || fail "--version"
"$root/usr/bin/kelvado-board" --db "sqlite:$tmp/board.db" --listen 127.0.0.1:0 >"$tmp/server.log" 2>&1 &
server=$!
for _ in $(seq 100); do grep -q listening "$tmp/server.log" && break; sleep 0.05; done
port=$(sed -n 's/.*listening on 127\.0\.0\.1:\([0-9]*\).*/\1/p' "$tmp/server.log")
[ -n "$port" ] || fail "the packaged server did not start: $(cat "$tmp/server.log")"
answer=$(python3 - "$port" "$source/tests/web/golden.demo" <<'PY'
import sys, urllib.request
body = open(sys.argv[2], "rb").read()
r = urllib.request.urlopen(urllib.request.Request(
    "http://127.0.0.1:%s/api/demos" % sys.argv[1], data=body, method="POST"), timeout=10)
print(r.status, r.read().decode())
PY
)
case "$answer" in
    "201 "*'"name":"GOLD"'*) ;;
    *) fail "the packaged server answered: $answer" ;;
esac
echo "board package: 1 passed, 0 failed"
