#!/usr/bin/env bash
# Two games in one session, both stored in the table: each leaves a demo that kelvado-sim
# verifies with the score hiscore.dat holds, a demo with one key changed is refused, and
# --demo shows the last game and ends by itself without touching the table; a game left with Esc
# is recorded too. Also the command line's answers.
source "$(dirname "$0")/lib.sh"
SIM="$KELVADO_BUILD/tools/sim/kelvado-sim"

is_name_entry() {
    [ "$(mean "$1" 640x280+0+200)" -lt 3 ] && [ "$(mean "$1" 400x110+20+25)" -gt 8 ]
}
is_not_playing() { is_title "$1" || is_name_entry "$1"; }

# play_and_store STEER NAME...: starts a game, steers with STEER (arrow, seconds) and leaves the
# worm to run into the trees, then types the name.
play_and_store() {
    local arrow=$1 seconds=$2
    shift 2
    press_for Return 100
    advance_clock 400
    press_for "$arrow" "$(awk -v s="$seconds" 'BEGIN {print int(s * 1000)}')"
    play_until 40 is_not_playing || fail "the game did not end"
    is_name_entry "$(shot entry)" || fail "a score with a place did not ask for a name"
    key "$@"
    sleep 0.3
    hold Return 0.2
    wait_for 5 is_title || fail "the stored name did not lead to the title"
    # An update step sees Enter up, which lets the next press start a game.
    advance_clock 100
}

# score_of NAME: the score hiscore.dat holds for NAME.
score_of() {
    awk -v name="$1" '{ sub(/\r$/, "") } prev == name { print; exit } { prev = $0 }' \
        "$dir/hiscore.dat"
}

# kept_demo NAME: the one kept demo of NAME.
kept_demo() {
    local found
    found=$(find "$dir/demos" -name "*-$1-*.demo")
    [ "$(echo "$found" | grep -c .)" = 1 ] || fail "not one kept demo of $1: $found"
    echo "$found"
}

"$KELVADO" --help | grep -q -- '--demo FILE' || fail "--help does not show the options"
[ "$("$KELVADO" --version)" = "kelvado 0.8" ] || fail "--version: $("$KELVADO" --version)"
code=0
"$KELVADO" --frobnicate 2>"$E2E_TMP/usage" >/dev/null || code=$?
[ "$code" = 2 ] && grep -q usage "$E2E_TMP/usage" || fail "an unknown option gave exit code $code"

start_display 640 480
dir="$E2E_TMP/session"
mkdir -p "$dir"
write_table "$dir/hiscore.dat" -1
# The games run on a clock the test moves: the same steps on any machine, however busy.
use_test_clock 100000
start_game "$dir"
window=$(game_window)
wait_for 10 is_title || fail "no title"
play_and_store Left 0.6 A B
# The second game sets off where the first ended, and turns the other way.
play_and_store Right 0.4 C D
"$WM_CLOSE" "$window"
wait_exit 10
[ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE"

first=$(kept_demo AB)
second=$(kept_demo CD)
[ "$(find "$dir/demos" -type f | wc -l)" = 3 ] || fail "demos/ holds: $(ls "$dir/demos")"
cmp -s "$second" "$dir/demos/last.demo" || fail "last.demo is not the second game"
grep -q '^heading 0$' "$second" && fail "the second game did not start from the first one's heading"
for game in AB:"$first" CD:"$second"; do
    name=${game%%:*} demo=${game#*:}
    out=$("$SIM" --verify "$demo") || fail "the demo of $name does not verify: $out"
    score=$(score_of "$name")
    [[ "$out" =~ ^verified:\ score\ $score,\ [0-9]+\ play\ steps,\ ended\ by\ contact$ ]] ||
        fail "verifying $name's demo says '$out'; hiscore.dat gives $score"
    grep -q "^# name $name$" "$demo" || fail "the demo of $name does not name it"
done

# One key changed: the first left turn of the first game becomes a right turn.
sed '0,/^step \([0-9]*\) L$/s//step \1 R/' "$first" >"$E2E_TMP/changed.demo"
cmp -s "$first" "$E2E_TMP/changed.demo" && fail "no key was changed"
code=0
"$SIM" --verify "$E2E_TMP/changed.demo" >"$E2E_TMP/changed.out" || code=$?
[ "$code" = 1 ] || fail "a demo with a key changed gave exit code $code: $(cat "$E2E_TMP/changed.out")"

# Watching the last game: it is played in the window and ends by itself.
cp "$dir/hiscore.dat" "$E2E_TMP/table.before"
ls -l --time-style=full-iso "$dir/demos" >"$E2E_TMP/demos.before"
is_playing() { ! is_not_playing "$1"; }
GAME_PRELOAD="" start_game "$dir" --demo demos/last.demo
game_window >/dev/null
wait_for 10 is_playing || fail "the demo does not show the game"
wait_exit 40
[ "$EXIT_CODE" = 0 ] || fail "watching ended with exit code $EXIT_CODE"
cmp -s "$dir/hiscore.dat" "$E2E_TMP/table.before" || fail "watching changed hiscore.dat"
ls -l --time-style=full-iso "$dir/demos" | cmp -s - "$E2E_TMP/demos.before" ||
    fail "watching changed demos/"

# A later session: a game left with Esc is the last game now; the kept demos stay.
start_game "$dir"
window=$(game_window)
wait_for 10 is_title || fail "no title in the second session"
press_for Return 100
advance_clock 1400
key Escape
wait_for 5 is_title || fail "Esc did not leave the game"
"$WM_CLOSE" "$window"
wait_exit 10
out=$("$SIM" --verify "$dir/demos/last.demo") || fail "the game left with Esc does not verify: $out"
[[ "$out" =~ ended\ by\ Esc$ ]] || fail "verifying the game left with Esc says '$out'"
[ "$(find "$dir/demos" -type f | wc -l)" = 3 ] && [ -f "$first" ] && [ -f "$second" ] ||
    fail "after the third game demos/ holds: $(ls "$dir/demos")"

# A file that is no demo: a message box, then exit code 2.
printf 'step 1 E\n' >"$E2E_TMP/foreign.demo"
GAME_PRELOAD="" start_game "$dir" --demo "$E2E_TMP/foreign.demo"
answer_box "$(box_window Kelvado)" Return
wait_exit 10
[ "$EXIT_CODE" = 2 ] || fail "a foreign demo gave exit code $EXIT_CODE"
grep -q "not a Kelvado demo" "$E2E_TMP/game.log" || fail "the message does not say why"
echo "demos: 1 passed, 0 failed"
