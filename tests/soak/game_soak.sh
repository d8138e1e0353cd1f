#!/usr/bin/env bash
# Ten minutes of the real game under Xvfb with random key presses, its resident memory sampled
# every 10 s. Run by hand (not part of ctest):
#   tests/soak/game_soak.sh [BUILD_DIR] [SECONDS] [SEED]
# BUILD_DIR must hold the kelvado binary and the generated data (targets kelvado, kelvado_data).
# Esc is never pressed: on the title it would end the program, and the point is one long-lived
# process. The game ends games by itself (walls, trees, withdrawal), so the name entry and the
# title are visited too; letters, digits and Backspace feed the name entry.
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-"$here/../../build-soak"}" && pwd) || exit 1
seconds=${2:-600}
RANDOM=${3:-1}
export KELVADO=$build/kelvado KELVADO_DATA=$build/data
source "$here/../e2e/lib.sh"

[ -x "$KELVADO" ] || fail "no game binary at $KELVADO"
start_display 640 480
start_game
game_window >/dev/null

keys=(Left Left Left Right Right Right Return Return a e k z 0 7 BackSpace space Up Down)
rss() { awk '/^VmRSS/ {print $2}' "/proc/$GAME_PID/status" 2>/dev/null; }
hwm() { awk '/^VmHWM/ {print $2}' "/proc/$GAME_PID/status" 2>/dev/null; }

start=$(date +%s)
next_sample=$start
samples=()
presses=0
echo "seconds rss_kb"
while :; do
    now=$(date +%s)
    elapsed=$(( now - start ))
    if ! kill -0 "$GAME_PID" 2>/dev/null; then
        wait "$GAME_PID"; code=$?
        GAME_PID=""
        fail "the game ended by itself after $elapsed s (exit code $code)"
    fi
    if [ "$now" -ge "$next_sample" ]; then
        value=$(rss)
        echo "$elapsed $value"
        samples+=("$elapsed:$value")
        next_sample=$(( next_sample + 10 ))
    fi
    [ "$elapsed" -ge "$seconds" ] && break
    k=${keys[$(( RANDOM % ${#keys[@]} ))]}
    # Held for 0.05 to 1.5 s: short taps and long turns.
    hold "$k" "$(printf '0.%02d' $(( 5 + RANDOM % 95 )))"
    [ $(( RANDOM % 4 )) = 0 ] && sleep 0.5
    presses=$(( presses + 1 ))
done

peak=$(hwm)
# Flat after the first minute: the spread of the later samples.
later=$(printf '%s\n' "${samples[@]}" | awk -F: '$1 >= 60 {print $2}')
low=$(echo "$later" | sort -n | head -n1)
high=$(echo "$later" | sort -n | tail -n1)
first=$(echo "$later" | head -n1)
last=$(echo "$later" | tail -n1)
echo "key presses: $presses in $elapsed s"
echo "rss after the first minute: first $first kB, last $last kB, min $low kB, max $high kB, spread $(( high - low )) kB"
# The trend, not the spread, tells growth from the driver's working set going up and down.
printf '%s\n' "${samples[@]}" | awk -F: '$1 >= 60 { n++; sx += $1; sy += $2; sxx += $1 * $1; sxy += $1 * $2 }
    END { if (n > 1) printf "rss trend after the first minute: %+.0f kB per minute (least squares, %d samples)\n",
                             60 * (n * sxy - sx * sy) / (n * sxx - sx * sx), n }'
echo "peak rss (VmHWM): $peak kB"
