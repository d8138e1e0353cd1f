#!/usr/bin/env bash
# The real window under X: it opens at 640 x 480, swaps frames, and a window manager's close
# request ends the program with exit code 0. With no display at all the first step of window
# creation fails, says so, and the program ends at once with exit code 1.
source "$(dirname "$0")/lib.sh"

# no_display CASE: a start that finds no display.
no_display() {
    start_game
    wait_exit 10
    [ "$EXIT_CODE" = 1 ] || fail "exit code $EXIT_CODE with $1"
    grep -q "ERROR: Failed To Register The Window Class." "$E2E_TMP/game.log" ||
        fail "no window-class message with $1"
    grep -q "SDL video: " "$E2E_TMP/game.log" || fail "SDL's reason is missing with $1"
}

# Neither X nor Wayland: SDL would fall back on its off-screen driver by itself.
unset DISPLAY WAYLAND_DISPLAY
no_display "DISPLAY and WAYLAND_DISPLAY unset"

start_display 640 480
start_game
window=$(game_window)
geometry=$(xwininfo -id "$window" | awk '/Width:/{w=$2} /Height:/{h=$2} END{print w "x" h}')
[ "$geometry" = "640x480" ] || fail "window is $geometry"
sleep 1.5
picture=$(shot title)
[ "$(mean "$picture")" -gt 10 ] || fail "nothing was drawn: the screen is black"

"$WM_CLOSE" "$window"
wait_exit 10
[ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE after the close request"
# A display that has gone away.
stop_display
no_display "a display that is gone"
echo "window smoke: 1 passed, 0 failed"
