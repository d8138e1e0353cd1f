#!/usr/bin/env bash
# --desktop on a 1920 x 1080 screen: one window over the whole screen, the display's mode kept,
# black bars left and right, and between them the 640 x 480 picture scaled up; Esc quits.
source "$(dirname "$0")/lib.sh"

# Both runs list a table no short game beats: a game that ends by itself goes straight back to
# the title.
for run in small big; do
    mkdir -p "$E2E_TMP/$run"
    write_table "$E2E_TMP/$run/hiscore.dat" 1000000
done

# The title of a 640 x 480 screen, for comparison. The label sways with time: its column stays
# out of the comparison.
start_display 640 480
# The games run on a clock the test moves: the same steps on any machine, however busy.
use_test_clock 100000
start_game "$E2E_TMP/small"
window=$(game_window)
wait_for 10 is_title || fail "no title at 640 x 480"
small=$(shot small)
"$WM_CLOSE" "$window"
wait_exit 10

start_display 1920 1080
start_game "$E2E_TMP/big" --desktop
window=$(game_window)
# middle SCREENSHOT: the 1440 x 1080 picture between the bars, brought down to 640 x 480.
middle() {
    convert "$1" -crop 1440x1080+240+0 +repage -resize 640x480! "$E2E_TMP/middle.png"
    echo "$E2E_TMP/middle.png"
}
is_wide_title() { is_title "$(middle "$1")"; }
wait_for 10 is_wide_title || fail "no scaled title between the bars"
big=$(shot big)
[ "$(xdotool search --name '^Kelvado$' | wc -l)" = 1 ] || fail "not one game window"
geometry=$(xwininfo -id "$window" | awk '/Width:/ {w = $2} /Height:/ {h = $2} END {print w "x" h}')
[ "$geometry" = 1920x1080 ] || fail "the window is $geometry"
screen_size() { xdpyinfo | awk '/dimensions:/ {print $2}'; }
[ "$(screen_size)" = 1920x1080 ] || fail "the screen changed to $(screen_size)"
[ "$(mean "$big" 240x1080+0+0)" = 0 ] && [ "$(mean "$big" 240x1080+1680+0)" = 0 ] ||
    fail "the bars are not black"
scaled=$(middle "$big")
# Root mean square difference over the picture without the label's column, 0 to 255: about 4
# here, where the picture moved by two pixels gives 17.
rmse=$( (compare -metric RMSE "$scaled[540x480+0+0]" "$small[540x480+0+0]" null: 2>&1 || true) |
    sed 's/.*(\(.*\))/\1/' | awk '{printf "%.1f\n", $1 * 255}')
echo "title scaled from 1440 x 1080 against 640 x 480: RMSE $rmse of 255"
awk -v e="$rmse" 'BEGIN {exit !(e < 8)}' || fail "the scaled title differs from the small one: RMSE $rmse"

# A game: the bars stay black around the scene. It runs into the trees by itself and, with no
# place in the table, goes back to the title, where Esc quits.
press_for Return 100
advance_clock 900
play=$(shot play)
is_title "$(middle "$play")" && fail "Enter did not start a game"
[ "$(mean "$play" 240x1080+0+0)" = 0 ] && [ "$(mean "$play" 240x1080+1680+0)" = 0 ] ||
    fail "the bars are not black in a game"
[ "$(mean "$play" 1440x1080+240+0)" -gt 20 ] || fail "no scene between the bars"
play_until 40 is_wide_title || fail "the game did not end"
hold Escape 0.2
wait_exit 10
[ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE"
[ "$(screen_size)" = 1920x1080 ] || fail "the screen changed to $(screen_size) at exit"
echo "desktop: 1 passed, 0 failed"
