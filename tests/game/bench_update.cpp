// One play step of UpdateGame with a worm of 21, 1000 and 4999 records.
//
// The worm is grown by the game itself while the left key is held, so it lies coiled on the
// head's smallest circle: every record is near the head, the hardest case for the body test.
// The head keeps running into its body; the step is timed alone and the game is put back into
// play between steps, so every timed step is a full play step.
#include <benchmark/benchmark.h>

#include <chrono>

#include "game/rules.h"
#include "game/state.h"
#include "tools/sim/sim_shell.h"

namespace {

void GrowCoiledWorm(int records) {
    sim::tickCount = 4711;
    ResetGameState();
    gameMode = kModePlaying;
    sim::HoldKeys(true, false, false);
    UpdateGame();  // places the head
    growPending = records - 1;
    while (segmentCount < static_cast<float>(records)) {
        gameMode = kModePlaying;
        UpdateGame();
    }
}

void BM_PlayStep(benchmark::State& state) {
    const int records = static_cast<int>(state.range(0));
    GrowCoiledWorm(records);
    for (auto _ : state) {
        gameMode = kModePlaying;
        growPending = 0;
        segmentCount = static_cast<float>(records);
        withdrawal = 50.0f;
        const auto start = std::chrono::steady_clock::now();
        UpdateGame();
        const auto end = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(segments);
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
    }
    state.counters["records"] = static_cast<double>(WormLoopCount());
}

}  // namespace

BENCHMARK(BM_PlayStep)
    ->Arg(21)
    ->Arg(1000)
    ->Arg(4999)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

BENCHMARK_MAIN();
