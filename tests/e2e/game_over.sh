#!/usr/bin/env bash
# Games left to run straight into the tree ring: with a score that earns a place the name entry
# follows and the typed name is kept; without one the title follows directly.
source "$(dirname "$0")/lib.sh"

is_name_entry() {
    # Black but for three lines of text at the top left.
    [ "$(mean "$1" 640x280+0+200)" -lt 3 ] && [ "$(mean "$1" 400x110+20+25)" -gt 8 ]
}
is_not_playing() { is_title "$1" || is_name_entry "$1"; }

start_display 640 480

# A table of nine places scored -1: any score beats them all.
mkdir -p "$E2E_TMP/ranked"
write_table "$E2E_TMP/ranked/hiscore.dat" -1
# The games run on a clock the test moves: the same steps on any machine, however busy.
use_test_clock 100000
start_game "$E2E_TMP/ranked"
window=$(game_window)
wait_for 10 is_title || fail "no title"
before=$(shot before)
press_for Return 100
play_until 30 is_not_playing || fail "the game did not end"
picture=$(shot ended)
is_name_entry "$picture" || fail "a score with a place did not ask for a name"
key B O B
sleep 0.3
hold Return 0.2
wait_for 5 is_title || fail "the stored name did not lead to the title"
after=$(shot after)
[ "$(compare -metric AE -crop 260x22+20+248 "$before" "$after" null: 2>&1 | cut -d' ' -f1)" -gt 50 ] ||
    fail "the first place of the table did not change on the title"
# The game may have eaten an item on its way: any score of 0 or more stands at place 1.
python3 -c 'import re, sys; sys.exit(not re.match(rb"BOB\r\n[0-9]+\r\nP1\r\n-1\r\n", open(sys.argv[1], "rb").read()))' \
    "$E2E_TMP/ranked/hiscore.dat" ||
    fail "hiscore.dat does not start with BOB: $(head -c 30 "$E2E_TMP/ranked/hiscore.dat" | od -c)"
"$WM_CLOSE" "$window"
wait_exit 10
[ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE"

# Nine places no short game can beat.
mkdir -p "$E2E_TMP/unranked"
write_table "$E2E_TMP/unranked/hiscore.dat" 1000000
cp "$E2E_TMP/unranked/hiscore.dat" "$E2E_TMP/unranked.before"
start_game "$E2E_TMP/unranked"
game_window >/dev/null
wait_for 10 is_title || fail "no title"
press_for Return 100
play_until 30 is_not_playing || fail "the second game did not end"
is_title "$(shot ended2)" || fail "a score without a place did not go straight to the title"
cmp -s "$E2E_TMP/unranked/hiscore.dat" "$E2E_TMP/unranked.before" ||
    fail "a game without a place changed hiscore.dat"
key Escape
wait_exit 10
[ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE"
echo "game over: 1 passed, 0 failed"
