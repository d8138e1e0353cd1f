#!/usr/bin/env bash
# A display without a 640 x 480 mode: the game asks whether to run in a window. Yes gives a
# 640 x 480 window; No ends the program with exit code 0. Where no box can be shown at all (an
# X server without the core fonts that SDL's box draws with, and no zenity), the game plays in
# the window and says why on stderr. --window plays in a window without asking.
source "$(dirname "$0")/lib.sh"

# check_window: the game's window has a 640 x 480 client area; a close request ends it with 0.
check_window() {
    local window geometry
    window=$(game_window)
    geometry=$(xwininfo -id "$window" | awk '/Width:/{w=$2} /Height:/{h=$2} END{print w "x" h}')
    [ "$geometry" = "640x480" ] || fail "the window's client area is $geometry ($1)"
    "$WM_CLOSE" "$window"
    wait_exit 10
    [ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE after the close ($1)"
}

start_display 800 600
start_game
answer_box "$(box_window Kelvado)" Return
check_window "Yes"

start_game
answer_box "$(box_window Kelvado)" Escape
wait_exit 10
[ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE after No"
grep -q "Not Supported" "$E2E_TMP/game.log" || fail "the question was not the expected one"

# SDL falls back on zenity when its own box fails: the game gets a PATH without it.
mkdir -p "$E2E_TMP/bin"
start_display 800 600 -fp built-ins
GAME_PATH="$E2E_TMP/bin" start_game
check_window "no box"
grep -q "Not Supported" "$E2E_TMP/game.log" || fail "the question did not reach stderr"
grep -q "playing in a 640 x 480 window" "$E2E_TMP/game.log" ||
    fail "the game did not say why it did not ask"
# --window plays in a window straight away: a question would hold the window back.
start_display 800 600
start_game "$E2E_TMP/game" --window
check_window "--window"

echo "windowed fallback: 1 passed, 0 failed"
