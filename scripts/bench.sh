#!/usr/bin/env bash
# Every benchmark of the game in one table: builds a Release tree in build-bench, runs the
# Google Benchmark programs with JSON output, times the real game's start-up under Xvfb and
# takes its peak memory over a short session of random keys; then times the web version in
# headless Chromium and weighs its site.
#   scripts/bench.sh            (REPS=5 repetitions by default)
#   scripts/bench.sh --startup  (only the start-up against its floor, STARTUP_REPS=11 pairs)
#   scripts/bench.sh --board    (only the board's server: server/tests/bench_board.sh)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BENCH_BUILD:-$root/build-bench}
reps=${REPS:-5}
out=$build/bench
mkdir -p "$out"
only_startup=0
[ "${1:-}" = --startup ] && only_startup=1

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release >"$out/configure.log"

# ---- The board's server ------------------------------------------------------------------------
# Verification in the server against kelvado-sim --verify, its reads against nginx's, and its
# submissions with reads beside them, on SQLite and on a throwaway PostgreSQL that syncs as in
# use. Its rows follow the main table.
board_bench() {
    cmake --build "$build" -j2 --target kelvado-board kelvado-sim kelvado_board_make_demos \
        >"$out/build-board.log"
    echo "load before the board's runs: $(cut -d' ' -f1-3 /proc/loadavg)" >&2
    KELVADO_PG_FSYNC=on "$root/server/tests/with_postgres.sh" \
        "$root/server/tests/bench_board.sh" "$build" >"$out/board.md"
}
if [ "${1:-}" = --board ]; then
    board_bench
    echo "| measure | median |"
    echo "|---------|--------|"
    cat "$out/board.md"
    exit 0
fi
if [ "$only_startup" = 1 ]; then
    cmake --build "$build" -j2 --target kelvado kelvado_data kelvado_first_swap \
        kelvado_floor_window >"$out/build.log"
else
    cmake --build "$build" -j2 --target kelvado kelvado_data kelvado_bench_update \
        kelvado_bench_frames kelvado_first_swap kelvado_floor_window kelvado_wm_close \
        >"$out/build.log"
fi

echo "load before the runs: $(cut -d' ' -f1-3 /proc/loadavg)" >&2
if [ "$only_startup" = 0 ]; then
    "$build/tests/game/kelvado_bench_update" --benchmark_out="$out/update.json" \
        --benchmark_out_format=json >&2
    "$build/tests/render/kelvado_bench_frames" \
        --benchmark_filter='Title|MidGame|WorstCase|DemoFrame' --benchmark_repetitions="$reps" --benchmark_report_aggregates_only=true \
        --benchmark_out="$out/frames.json" --benchmark_out_format=json >&2
fi

# ---- Start-up against its floor -------------------------------------------------------------
# From just before exec to the return of the first SDL_GL_SwapWindow, taken by a preloaded
# wrapper that ends the process there. The game runs in a copy of the data directory on its own
# Xvfb screen, as a player would start it. The floor is a bare SDL2 program that opens the same
# window, clears it and swaps once (tests/soak/floor_window.c), timed by the same wrapper: its
# time is what any SDL2 program pays here, so the ratio, not the absolute time, is the figure.
# The two are started alternately, the order swapped every pair so that a drift in the
# machine's load falls on both; one untimed pair first brings the libraries into the caches.
startup_reps=${STARTUP_REPS:-11}
game=$(mktemp -d)
cp "$build"/data/* "$game/"
Xvfb -displayfd 3 -screen 0 640x480x24 -nolisten tcp -noreset 3>"$game/.display" 2>/dev/null &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true; rm -rf "$game"' EXIT
for _ in $(seq 100); do [ -s "$game/.display" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n1 "$game/.display")"
first_swap() {  # first_swap PROGRAM LOG: one timed start
    rm -f "$game/.first_swap"
    (cd "$game" && KELVADO_T0=$(date +%s%N) FIRST_SWAP_LOG="$game/.first_swap" SDL_AUDIODRIVER=dummy \
        LD_PRELOAD="$build/tests/soak/libkelvado_first_swap.so" exec "$1") >/dev/null 2>&1 || true
    [ -z "$2" ] || cat "$game/.first_swap" >>"$2"
}
: >"$out/startup.txt"
: >"$out/floor.txt"
first_swap "$build/tests/soak/kelvado_floor_window" ""
first_swap "$build/kelvado" ""
echo "load before the start-up runs: $(cut -d' ' -f1-3 /proc/loadavg)" >&2
for i in $(seq "$startup_reps"); do
    if [ $((i % 2)) = 1 ]; then
        first_swap "$build/tests/soak/kelvado_floor_window" "$out/floor.txt"
        first_swap "$build/kelvado" "$out/startup.txt"
    else
        first_swap "$build/kelvado" "$out/startup.txt"
        first_swap "$build/tests/soak/kelvado_floor_window" "$out/floor.txt"
    fi
done
echo "load after the start-up runs: $(cut -d' ' -f1-3 /proc/loadavg)" >&2
echo "start-up, game (ms): $(tr '\n' ' ' <"$out/startup.txt")" >&2
echo "start-up, floor (ms): $(tr '\n' ' ' <"$out/floor.txt")" >&2
# The real game's own passes, the swap included, watching the golden demo on the same screen:
# what the web's frame paced by the browser is set beside. The same wrapper notes every swap.
: >"$out/game-passes.txt"
if [ "$only_startup" = 0 ]; then
    cp "$root/tests/web/golden.demo" "$game/"
    for _ in $(seq "$reps"); do
        rm -f "$game/.swaps"
        (cd "$game" && SWAP_TIMES_LOG="$game/.swaps" SDL_AUDIODRIVER=dummy \
            LD_PRELOAD="$build/tests/soak/libkelvado_first_swap.so" "$build/kelvado" \
            --demo golden.demo) >/dev/null 2>&1 || true
        [ ! -s "$game/.swaps" ] || { cat "$game/.swaps"; echo; } >>"$out/game-passes.txt"
    done
fi
kill $xvfb 2>/dev/null || true
# ---- end of the start-up block -----------------------------------------------------------------

# Peak memory: VmHWM of the game after 60 s of random keys (title, games, name entry).
: >"$out/memory.txt"
if [ "$only_startup" = 0 ]; then
    bash "$root/tests/soak/game_soak.sh" "$build" 60 7 >"$out/memory.txt" 2>&1 || true
fi

# The web version in headless Chromium with software WebGL: navigation to the first title frame,
# frames of watched demos (the desktop's golden demo mid-game, a long game for the blur), and the
# site's size.
if [ "$only_startup" = 0 ]; then
    "$root/scripts/build-web.sh" >"$out/build-web.log" 2>&1
    site=$root/build-web/site
    cp "$root/tests/web/golden.demo" "$root/tests/web/blur.demo" "$site/"
    port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
    python3 -m http.server "$port" --bind 127.0.0.1 --directory "$site" >/dev/null 2>&1 &
    server=$!
    trap 'kill $xvfb $server 2>/dev/null || true; rm -rf "$game"' EXIT
    sleep 1
    # Without the start-up's X display: Chromium on a display that has gone draws no WebGL.
    for renderer in swiftshader llvmpipe; do
        (cd "$root/web" && env -u DISPLAY node "$root/tests/web/bench_web.mjs" \
            "http://127.0.0.1:$port" golden.demo blur.demo "$reps" "$renderer") \
            >"$out/web-$renderer.json" || echo '{}' >"$out/web-$renderer.json"
    done
    kill $server 2>/dev/null || true
    rm -f "$site/golden.demo" "$site/blur.demo"
    board_bench
fi

site=$root/build-web/site
python3 - "$out" "$only_startup" "$site" <<'PY'
import json, statistics, sys
out = sys.argv[1]
only_startup = sys.argv[2] == "1"

def runs(name):
    with open(f"{out}/{name}.json") as f:
        return json.load(f)["benchmarks"]

def median(benchmarks, prefix):
    for b in benchmarks:
        if b["name"].startswith(prefix) and b.get("aggregate_name") == "median":
            return b["real_time"], b["time_unit"]
    values = [b for b in benchmarks if b["name"].startswith(prefix) and b["run_type"] == "iteration"]
    return values[0]["real_time"], values[0]["time_unit"]

rows = []
if not only_startup:
    update = runs("update")
    for records in (21, 1000, 4999):
        t, unit = median(update, f"BM_PlayStep/{records}/")
        rows.append((f"UpdateGame, one play step, {records} records", f"{t:.2f} {unit}"))
    frames = runs("frames")
    t, unit = median(frames, "BM_TitleFrame")
    rows.append(("Frame 640x480 llvmpipe: title screen", f"{t:.2f} {unit}"))
    t, unit = median(frames, "BM_MidGameFrame")
    rows.append(("Frame 640x480 llvmpipe: mid-game (300 records)", f"{t:.2f} {unit}"))
    t, unit = median(frames, "BM_WorstCaseFrame")
    rows.append(("Frame 640x480 llvmpipe: worst case (blur, 4999 records)", f"{t:.2f} {unit}"))
    t, unit = median(frames, "BM_GoldenDemoFrame")
    rows.append(("Frame 640x480 llvmpipe: the golden demo's frames (as the web's mid-game)",
                 f"{t:.2f} {unit}"))
    t, unit = median(frames, "BM_BlurDemoFrame")
    rows.append(("Frame 640x480 llvmpipe: the blur demo's last 200 frames (as the web's blur)",
                 f"{t:.2f} {unit}"))
    # Each run's swap times, runs apart by a blank line; the median pass of each run, trimmed
    # as the web's frames are, and the median of those.
    passes = []
    for run in open(f"{out}/game-passes.txt").read().split("\n\n"):
        times = [float(v) for v in run.split()]
        gaps = [b - a for a, b in zip(times, times[1:])][40:-10]
        if gaps:
            passes.append(statistics.median(gaps))
    if passes:
        rows.append(("Game pass on Xvfb, llvmpipe, swap included: the golden demo (as the web's "
                     "paced frame)", f"{statistics.median(passes):.2f} ms"))
# Start-up block: the game, its floor and the ratio of their medians.
startup = [float(v) for v in open(f"{out}/startup.txt").read().split()]
floor = [float(v) for v in open(f"{out}/floor.txt").read().split()]
if startup:
    rows.append((f"Start-up to first swapped frame (median of {len(startup)})",
                 f"{statistics.median(startup):.0f} ms"))
if floor:
    rows.append((f"Start-up floor: bare SDL2 window, one swap (median of {len(floor)})",
                 f"{statistics.median(floor):.0f} ms"))
if startup and floor:
    rows.append(("Start-up ratio, game / floor (of the medians)",
                 f"{statistics.median(startup) / statistics.median(floor):.2f}x"))
peak = [l for l in open(f"{out}/memory.txt") if l.startswith("peak rss")]
if peak:
    kb = int(peak[0].split(":")[1].split()[0])
    rows.append(("Peak memory (VmHWM, 60 s of play)", f"{kb / 1024:.1f} MiB"))
for renderer, label in (("swiftshader", "SwiftShader"), ("llvmpipe", "llvmpipe through ANGLE")):
    web = {} if only_startup else json.load(open(f"{out}/web-{renderer}.json"))
    if not web:
        continue
    rows.append((f"Web, headless Chromium, {label}: navigation to the first title frame",
                 f"{web['firstFrameMs']:.0f} ms"))
    rows.append((f"Web, headless Chromium, {label}: mid-game frame (the golden demo)",
                 f"{web['midGameFrameMs']:.2f} ms ({web['midGameOwnMs']:.2f} ms before the GPU)"))
    rows.append((f"Web, headless Chromium, {label}: blur frame (the end of a long game)",
                 f"{web['blurFrameMs']:.2f} ms ({web['blurOwnMs']:.2f} ms before the GPU)"))
    rows.append((f"Web, headless Chromium, {label}: mid-game frame drawn back to back, "
                 "not shown", f"{web['midGameUnpacedMs']:.2f} ms"))
    rows.append((f"Web, headless Chromium, {label}: blur frame drawn back to back, not shown",
                 f"{web['blurUnpacedMs']:.2f} ms"))
    rows.append((f"Web, headless Chromium, {label}: mid-game frame on an emulated phone, CPU / 4",
                 f"{web['phoneMidGameFrameMs']:.2f} ms ({web['phoneMidGameOwnMs']:.2f} ms before the GPU)"))
import gzip, os
data = {"texture.bmp", "matohanta.bmp", "puutexture.bmp", "valo.bmp", "font1.bmp", "font1mask.bmp",
        "art_matopaa.bmp", "art_matopaamask.bmp", "alku.bmp", "sky.bmp", "Kv_play.xm", "plop.wav"}
site = sys.argv[3]
if not only_startup and os.path.isdir(site):
    sizes = {name: len(gzip.compress(open(os.path.join(site, name), "rb").read(), 9))
             for name in os.listdir(site)}
    code = sum(v for k, v in sizes.items() if k not in data)
    rows.append(("Web site gzipped, without the data files", f"{code / 1e6:.2f} MB"))
    rows.append(("Web site gzipped, with the data files", f"{sum(sizes.values()) / 1e6:.2f} MB"))
width = max(len(r[0]) for r in rows)
print(f"| {'measure'.ljust(width)} | median |")
print(f"|{'-' * (width + 2)}|--------|")
for name, value in rows:
    print(f"| {name.ljust(width)} | {value} |")
PY
[ "$only_startup" = 1 ] || cat "$out/board.md"
