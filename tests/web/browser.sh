#!/usr/bin/env bash
# The web version against the desktop game: builds the site, serves it on 127.0.0.1 and drives
# it in headless Chromium and in Firefox (browser_test.mjs), then compares what each engine's
# page showed and recorded with the desktop build: the title with the same table, the page's
# demo verified by kelvado-sim, and a desktop demo watched in the page ending as kelvado-sim
# states, on the same last frame.
#   tests/web/browser.sh BUILD     (BUILD: the desktop build tree, with kelvado and kelvado-sim)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=$(cd "$1" && pwd)
export KELVADO=$build/kelvado KELVADO_DATA=$build/data
export CLOCK_SHIM=$build/tests/support/libkelvado_clock_shim.so
SIM=$build/tools/sim/kelvado-sim
source "$root/tests/e2e/lib.sh"

KELVADO_WEB_DATA=$KELVADO_DATA "$root/scripts/build-web.sh" >"$E2E_TMP/build-web.log" 2>&1 ||
    { tail -n 30 "$E2E_TMP/build-web.log" >&2; fail "the web build failed"; }
site=$root/build-web/site

# Two sites on one server: the game, and the game without its music.
www=$E2E_TMP/www
mkdir -p "$www/nomusic"
ln -s "$site" "$www/game"
for f in "$site"/*; do [ "$(basename "$f")" = Kv_play.xm ] || ln -s "$f" "$www/nomusic/"; done
cp "$here/golden.demo" "$site/"  # the build makes the site afresh each time
port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
python3 -m http.server "$port" --bind 127.0.0.1 --directory "$www" >"$E2E_TMP/http.log" 2>&1 &
server=$!
board=""
trap 'kill $server $board 2>/dev/null || true; rm -f "$site/golden.demo"; cleanup' EXIT
python3 - "$port" <<'PY' || fail "the server did not start"
import sys, time, urllib.request
for _ in range(100):
    try:
        urllib.request.urlopen(f"http://127.0.0.1:{sys.argv[1]}/game/", timeout=1)
        sys.exit(0)
    except OSError:
        time.sleep(0.1)
sys.exit(1)
PY

out=$E2E_TMP/out
mkdir -p "$out"
write_table "$out/ranked.dat" -1
printf '\x00\x01binary\xff\xfe' >"$out/not-a-table.dat"
# Each engine writes into its own folder, $out/ENGINE.
(cd "$root/web" && node "$here/browser_test.mjs" chromium "http://127.0.0.1:$port" "$out") ||
    fail "the browser test failed in Chromium"
# The page without a keyboard (touch, a pad, offline), in $out/phone-ENGINE.
phone_test() {
    mkdir -p "$out/phone-$1"
    (cd "$root/web" && node "$here/phone_test.mjs" "$1" "$site" "$out/phone-$1" \
        "$root/web/stamp-site.sh" "$out/ranked.dat") || fail "the phone test failed in $1"
}
phone_test chromium

# Firefox has WebGL only in a window: on a screen of its own, its 800x600 view (and the
# 640x480 canvas in it) in full.
start_display 1280 1024
(cd "$root/web" && node "$here/browser_test.mjs" firefox "http://127.0.0.1:$port" "$out") ||
    fail "the browser test failed in Firefox"
phone_test firefox
stop_display  # what follows in headless Chromium runs without a display, as before
unset DISPLAY

# The site served by the board's own server: the board and #submit in the page, the entry sent
# and watched again through its Watch link to the outcome kelvado-sim gives its demo.
"$build/server/kelvado-board" --db "sqlite:$E2E_TMP/board.db" --listen 127.0.0.1:0 --site "$site" \
    >"$E2E_TMP/board.log" 2>&1 &
board=$!
for _ in $(seq 100); do grep -q listening "$E2E_TMP/board.log" && break; sleep 0.05; done
board_port=$(sed -n 's/.*listening on 127\.0\.0\.1:\([0-9]*\).*/\1/p' "$E2E_TMP/board.log")
[ -n "$board_port" ] || fail "kelvado-board did not start: $(cat "$E2E_TMP/board.log")"
(cd "$root/web" && node "$here/board_test.mjs" "http://127.0.0.1:$board_port" \
    "http://127.0.0.1:$port/game" "$out") || fail "the board's browser test failed"
entry=$("$SIM" --verify "$out/board.demo") || fail "the board's entry does not verify: $entry"
[ "verified: $(cat "$out/board-outcome.txt")" = "$entry" ] ||
    fail "the entry watched from the board ended '$(cat "$out/board-outcome.txt")'; kelvado-sim: '$entry'"
echo "the board's entry watched in the page: $(cat "$out/board-outcome.txt")"

# The title with the same table on the desktop, and the golden demo's last frame there, still
# while the watched game stays in view: the 3D scene with its fog, textures, display lists and
# quadrics. The game runs on the test clock, moved on past the demo's last step but not past the
# two seconds its end stays in view: that frame, whatever the machine's speed.
start_display 640 480
mkdir -p "$E2E_TMP/native"
cp "$out/ranked.dat" "$E2E_TMP/native/hiscore.dat"
start_game "$E2E_TMP/native"
game_window >/dev/null
wait_for 10 is_title || fail "no desktop title"
sleep 1
native=$(shot native-title)
convert "$native" -crop 540x480+0+0 +repage "$E2E_TMP/native-left.png"
expected=$("$SIM" --verify "$here/golden.demo") || fail "the golden demo does not verify"
steps=$(sed -E 's/.*, ([0-9]+) play steps,.*/\1/' <<<"$expected")
use_test_clock 100000
start_game "$E2E_TMP/native" --demo "$here/golden.demo"
game_window >/dev/null
advance_clock $(( (steps + 1) * 25 + 500 ))
ended=$(shot demo-end-native)
is_title "$ended" && ended=""
[ -n "$ended" ] || fail "the desktop game showed no still last frame of the demo"

# compare_engine ENGINE: what the page showed and recorded in ENGINE against the desktop.
compare_engine() {
    local engine=$1 dir=$out/$1 differing verified
    # The same title picture but for the waving letters of the game's name at the right.
    convert "$dir/title.png" -crop 540x480+0+0 +repage "$E2E_TMP/web-left.png"
    # compare exits with 1 for pictures that differ at all: only its count matters here.
    differing=$({ compare -metric AE -fuzz 6% "$E2E_TMP/web-left.png" "$E2E_TMP/native-left.png" \
        null: 2>&1 || true; } | cut -d' ' -f1)
    echo "$engine: title: $differing of 259200 pixels differ by more than 6%"
    [ "${differing%.*}" -lt 2600 ] ||
        fail "the page's title in $engine differs from the desktop's ($differing pixels)"
    # The table's text itself: where the desktop draws it, the page does too.
    [ "$(differs_from_backdrop "$dir/title.png" 60x180+20+245)" -gt 8 ] ||
        fail "no table on the page's title in $engine"

    # The page's demo verifies on the desktop.
    verified=$("$SIM" --verify "$dir/last.demo") ||
        fail "the page's demo in $engine does not verify: $verified"
    echo "$engine: the page's demo: $verified"
    # So do the games played by touch and with a pad.
    for demo in touch pad; do
        verified=$("$SIM" --verify "$out/phone-$engine/$demo.demo") ||
            fail "the $demo game's demo in $engine does not verify: $verified"
        echo "$engine: the $demo game's demo: $verified"
    done

    # The desktop demo watched in the page ends as kelvado-sim states, on the same last frame.
    [ "verified: $(cat "$dir/outcome.txt")" = "$expected" ] ||
        fail "the watched demo in $engine ended '$(cat "$dir/outcome.txt")'; sim: '$expected'"
    echo "$engine: the golden demo in the page: $(cat "$dir/outcome.txt")"
    differing=$({ compare -metric AE -fuzz 10% "$dir/demo-end.png" "$ended" null: 2>&1 || true; } |
        cut -d' ' -f1)
    echo "$engine: the demo's last frame: $differing of 307200 pixels differ by more than 10%"
    [ "${differing%.*}" -lt 3072 ] ||
        fail "the page's game in $engine differs from the desktop's ($differing pixels)"

    # Without the music, the title still follows the message.
    is_title "$dir/nomusic.png" || fail "no title after the music's message in $engine"
}
compare_engine chromium
compare_engine firefox
echo "browser: 1 passed, 0 failed"
