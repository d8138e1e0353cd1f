#!/usr/bin/env bash
# A player's first minute: the title screen, Enter into a game with its heads-up display and the
# red-lit world, Esc back to the title and Esc to quit; then the worm steered with the arrows.
# The game runs on a clock the test moves, so every run plays the same world for the same steps.
source "$(dirname "$0")/lib.sh"
here=$(dirname "$0")

# enter_game: Enter held for the step that starts a game, then a second of play.
enter_game() {
    xdotool keydown Return
    advance_clock 100
    xdotool keyup Return
    advance_clock 900
}

start_display 640 480
use_test_clock 100000
start_game
game_window >/dev/null
wait_for 10 is_title || fail "the title screen did not appear"
title=$(shot title)
[ "$(differs_from_backdrop "$title" 60x180+20+245)" -gt 8 ] || fail "no high-score table on the title"

enter_game
play=$(shot play)
is_title "$play" && fail "Enter did not start a game"
# The bar's frame is white added at half strength over the scene: brighter than beside it.
[ "$(mean "$play" 20x300+8+40)" -gt $(( $(mean "$play" 20x300+40+120) + 40 )) ] ||
    fail "no withdrawal bar"
[ "$(mean "$play" 28x30+37+6)" -gt 40 ] || fail "no score"
red=$(channel_mean "$play" 640x120+0+360 R)
green=$(channel_mean "$play" 640x120+0+360 G)
[ "$red" -gt 40 ] && [ "$red" -gt $(( green * 2 )) ] || fail "the ground is not red ($red/$green)"

# Esc leaves the game; held, it does not quit; a second press does, with exit code 0.
xdotool keydown Escape
sleep 1.5
kill -0 "$GAME_PID" 2>/dev/null || fail "holding Esc in a game quit the program"
xdotool keyup Escape
wait_for 5 is_title || fail "Esc did not return to the title"
key Escape
wait_exit 10
[ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE after Esc on the title"

# Steering, in a new game: the camera stays behind the head, so after a turn it sees the body
# trailing off to the side the worm came from.
use_test_clock 100000
start_game
window=$(game_window)
wait_for 10 is_title || fail "no title in the second run"
enter_game
side=$("$here/worm_side.py" "$(shot straight)")
[ "$side" != none ] && [ "$side" -gt -30 ] && [ "$side" -lt 30 ] ||
    fail "the worm going straight lies at $side"
# The shot is taken while the key is held: the worm then circles and its body keeps the same
# curve, whereas after the release the body straightens out within half a second.
xdotool keydown Left
advance_clock 600
left=$(shot left)
xdotool keyup Left
side=$("$here/worm_side.py" "$left")
[ "$side" != none ] && [ "$side" -lt -30 ] || fail "after turning left the body lies at $side"
xdotool keydown Right
advance_clock 1200
right=$(shot right)
xdotool keyup Right
side=$("$here/worm_side.py" "$right")
[ "$side" != none ] && [ "$side" -gt 30 ] || fail "after turning right the body lies at $side"

"$WM_CLOSE" "$window"
wait_exit 10
[ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE after the close request"
echo "title and play: 1 passed, 0 failed"
