#!/usr/bin/env bash
# The music plays from start-up: the mix captured with SDL's disk audio driver is not silent,
# and closing the window fades it out.
source "$(dirname "$0")/lib.sh"

start_display 640 480
capture="$E2E_TMP/mix.raw"
SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$capture" start_game
window=$(game_window)
sleep 3
"$WM_CLOSE" "$window"
wait_exit 20
[ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE"
[ -s "$capture" ] || fail "nothing was captured"
rms=$(sox -t raw -r 44100 -e signed-integer -b 16 -c 2 -L "$capture" -n stat 2>&1 |
    awk '/RMS +amplitude/ {print $3}')
awk -v rms="$rms" 'BEGIN { exit !(rms > 0.01) }' || fail "the captured mix is silent (RMS $rms)"
echo "sound: 1 passed, 0 failed"
