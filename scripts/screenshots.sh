#!/usr/bin/env bash
# Takes the README's screenshots of the real game under Xvfb: the title screen and a game.
set -euo pipefail
cd "$(dirname "$0")/.."
export KELVADO=$PWD/build/kelvado KELVADO_DATA=$PWD/build/data
source tests/e2e/lib.sh

start_display 640 480
start_game
game_window >/dev/null
wait_for 10 is_title || fail "no title screen"
sleep 1.2
cp "$(shot title)" docs/title.png
hold Return 0.3
sleep 1.5
hold Left 0.25
sleep 0.8
cp "$(shot play)" docs/play.png
key Escape
sleep 0.5
key Escape
wait_exit 10
echo "docs/title.png docs/play.png"
