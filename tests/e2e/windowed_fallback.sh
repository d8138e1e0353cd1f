#!/usr/bin/env bash
# A display without a 640 x 480 mode: the game asks whether to run in a window. Yes gives a
# 640 x 480 window; No ends the program with exit code 0; --window asks nothing.
source "$(dirname "$0")/lib.sh"

# played_in_a_window HOW: the game's window has a 640 x 480 client area, and closing it ends
# the program with exit code 0.
played_in_a_window() {
    local window geometry
    window=$(game_window)
    geometry=$(xwininfo -id "$window" | awk '/Width:/{w=$2} /Height:/{h=$2} END{print w "x" h}')
    [ "$geometry" = "640x480" ] || fail "the window's client area is $geometry after $1"
    "$WM_CLOSE" "$window"
    wait_exit 10
    [ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE after $1 and close"
}

start_display 800 600
start_game
box=$(message_box)
xdotool windowfocus --sync "$box" 2>/dev/null || true
xdotool key --window "$box" Return
sleep 1
played_in_a_window Yes

start_game
box=$(message_box)
xdotool windowfocus --sync "$box" 2>/dev/null || true
xdotool key --window "$box" Escape
wait_exit 10
[ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE after No"
grep -q "Not Supported" "$E2E_TMP/game.log" || fail "the question was not the expected one"

# --window plays in a window straight away: a question would hold the window back.
start_game "$E2E_TMP/game" --window
played_in_a_window --window
echo "windowed fallback: 1 passed, 0 failed"
