#!/usr/bin/env bash
# A player with only a controller (SDL's virtual one, plugged in by the preloaded test shim):
# Start starts a game, the D-pad steers, B leaves; a second game runs to its end, the picker
# stores a name, the kept demo verifies, and Back quits.
source "$(dirname "$0")/lib.sh"
here=$(dirname "$0")
SIM="$KELVADO_BUILD/tools/sim/kelvado-sim"

is_name_entry() {
    [ "$(mean "$1" 640x280+0+200)" -lt 3 ] && [ "$(mean "$1" 400x110+20+25)" -gt 8 ]
}
is_not_playing() { is_title "$1" || is_name_entry "$1"; }

start_display 640 480
dir="$E2E_TMP/pad"
mkdir -p "$dir"
write_table "$dir/hiscore.dat" -1
mkfifo "$E2E_TMP/pad.fifo"
exec 7<>"$E2E_TMP/pad.fifo"  # read and write: opening does not wait for the game
export KELVADO_PAD="$E2E_TMP/pad.fifo"
# The game runs on a clock the test moves, so each run plays the same steps however busy the
# machine is.
GAME_PRELOAD=$PAD_SHIM
use_test_clock 100000
start_game "$dir"
window=$(game_window)
wait_for 10 is_title || fail "no title"

pad() { echo "$*" >&7; }
# A press as long as a person's, longer than a pass and an update step.
tap() {
    pad press "$1"
    sleep 0.15
    pad release "$1"
    sleep 0.15
}

# start_game_with_start: Start held for the step that starts a game, then a second of play.
start_game_with_start() {
    pad press start
    advance_clock 100
    pad release start
    advance_clock 900
}

start_game_with_start
is_title "$(shot play)" && fail "Start did not start a game"
# Shot while Left is held: the body then trails off to the left (see title_and_play.sh).
pad press left
advance_clock 600
left=$(shot left)
pad release left
side=$("$here/worm_side.py" "$left")
[ "$side" != none ] && [ "$side" -lt -30 ] || fail "after the D-pad's left the body lies at $side"
tap b
wait_for 5 is_title || fail "B did not leave the game"
"$SIM" --verify "$dir/demos/last.demo" | grep -q "ended by Esc" ||
    fail "the game left with B did not verify as left with Esc"

start_game_with_start
for _ in $(seq 60); do
    is_not_playing "$(shot wait)" && break
    advance_clock 1000
done
is_not_playing "$(shot wait)" || fail "the second game did not end"
is_name_entry "$(shot entry)" || fail "a score with a place did not ask for a name"
# A is picked first; Up makes it B.
tap a
tap up
tap a
tap start
wait_for 5 is_title || fail "Start did not store the name"
python3 -c 'import re, sys; sys.exit(not re.match(rb"AB\r\n[0-9]+\r\nP1\r\n", open(sys.argv[1], "rb").read()))' \
    "$dir/hiscore.dat" || fail "hiscore.dat does not start with AB: $(head -c 30 "$dir/hiscore.dat" | od -c)"
stored=$(sed -n 2p "$dir/hiscore.dat" | tr -d '\r')
kept=$(find "$dir/demos" -name "*-AB-*.demo")
[ -n "$kept" ] || fail "no demo kept for AB: $(ls "$dir/demos")"
"$SIM" --verify "$kept" | grep -q "^verified: score $stored," ||
    fail "the kept demo does not verify with score $stored: $("$SIM" --verify "$kept" 2>&1)"

tap back
wait_exit 10
[ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE after Back on the title"
echo "controller: 1 passed, 0 failed"
