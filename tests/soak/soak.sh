#!/usr/bin/env bash
# Soak of the simulation: the autopilot plays many games (and presses random keys in some), each
# game is replayed by kelvado-sim built with AddressSanitizer and UndefinedBehaviorSanitizer, and
# the output is checked: exit code 0, nothing on stderr (no sanitizer report), the same trace the
# autopilot saw, every number finite, never more than 4999 records. The longest worm is
# reported: no autopilot game has come near 4999 records (docs/benchmarks.md), so the
# limit itself is left to the unit test that runs a worm at it.
#
#   tests/soak/soak.sh [--short]
# Environment: SIM (default build-soak-asan/tools/sim/kelvado-sim), AUTOPILOT (default
# build-soak/tools/autopilot/kelvado-autopilot), SEED (default 1), SOAK_DIR (kept output).
# --short is the ctest version: a few thousand steps.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
SIM=${SIM:-$root/build-soak-asan/tools/sim/kelvado-sim}
AUTOPILOT=${AUTOPILOT:-$root/build-soak/tools/autopilot/kelvado-autopilot}
SEED=${SEED:-1}
short=false
[ "${1:-}" = --short ] && short=true

work=${SOAK_DIR:-$(mktemp -d)}
mkdir -p "$work"
[ -z "${SOAK_DIR:-}" ] && trap 'rm -rf "$work"' EXIT

if $short; then
    pilot_args=(--seed "$SEED" --games 4 --random-every 2 --max-game-steps 1200 --backtracks 20)
else
    # Game 1 is the long one that grows the worm as far as it can; then autopilot and random
    # games alternate until an hour of play is reached.
    pilot_args=(--seed "$SEED" --games 100000 --play-steps 144000 --random-every 3
                --max-game-steps 25000 --backtracks 50)
fi

start=$(date +%s)
"$AUTOPILOT" "${pilot_args[@]}" --trace "$work/expected.trace" >"$work/soak.sim" 2>"$work/autopilot.log"
planned=$(date +%s)

# One kelvado-sim run per game: the simulator stays in the name entry once a game is over.
rm -f "$work"/game_*.sim
awk -v dir="$work" '/^# game / { file = sprintf("%s/game_%05d.sim", dir, ++n) } { print > file }' \
    "$work/soak.sim"
: >"$work/actual.trace"
games=0
for script in "$work"/game_*.sim; do
    games=$((games + 1))
    status=0
    ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
        "$SIM" <"$script" >>"$work/actual.trace" 2>"$work/sim.err" || status=$?
    if [ "$status" != 0 ] || [ -s "$work/sim.err" ]; then
        head -n 40 "$work/sim.err" >&2
        echo "FAIL: kelvado-sim exit code $status on $(basename "$script")" >&2
        exit 1
    fi
done
replayed=$(date +%s)

cmp -s "$work/expected.trace" "$work/actual.trace" || {
    cmp "$work/expected.trace" "$work/actual.trace" >&2 || true
    echo "FAIL: kelvado-sim did not replay the games as the autopilot played them" >&2
    exit 1
}
summary=$(python3 "$root/tests/soak/check_trace.py" "$work/actual.trace") || {
    echo "FAIL: $summary" >&2
    exit 1
}
echo "soak: $games games; $summary"
grep -c 'pilot play' "$work/autopilot.log" | xargs echo "autopilot games:"
grep -c 'random play' "$work/autopilot.log" | xargs echo "random-key games:"
echo "planning $((planned - start)) s, sanitizer replay $((replayed - planned)) s"
echo "soak passed"
