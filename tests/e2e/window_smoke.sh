#!/usr/bin/env bash
# The real window under X: it opens at 640 x 480, swaps frames, and a window manager's close
# request ends the program with exit code 0.
source "$(dirname "$0")/lib.sh"

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
echo "window smoke: 1 passed, 0 failed"
