// Whole frames at 640 x 480 on the software renderer, each finished with glFinish: the title
// screen, a mid-game frame and the worst case, a full-length worm under the blur; and the frames
// of the demos the web version's benchmark watches, drawn after each of their steps.
#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>

#include "app/frame.h"
#include "app/startup.h"
#include "app/window.h"
#include "frontend/demos.h"
#include "game/demo.h"
#include "game/host.h"
#include "game/state.h"
#include "render/scene.h"
#include "screen/textures.h"
#include "tests/support/gl_context.h"

namespace {

bool StartOnce() {
    static bool ready = false;
    if (ready) return true;
    if (!testgl::MakeCurrent(640, 480)) return false;
    screenWidth = 640;
    screenHeight = 480;
    std::error_code error;
    const auto before = std::filesystem::current_path();
    const bool haveData = std::filesystem::is_directory(KELVADO_DATA_DIR, error);
    if (haveData) std::filesystem::current_path(KELVADO_DATA_DIR);
    std::fprintf(stderr, "textures: %s\n", haveData ? KELVADO_DATA_DIR : "none (default texture)");
    ResizeScene(640, 480);
    ResetGame();
    InitRenderState();
    std::filesystem::current_path(before);
    ready = true;
    return true;
}

// A worm of `count` records coiled inside the arena, as a long game leaves it.
void CoilWorm(int count) {
    segmentCount = static_cast<float>(count);
    for (int i = 0; i <= count; ++i) {
        const double t = i * 0.02;
        const double radius = 2.0 + 8.0 * i / 5000.0;
        segments[i].x = static_cast<float>(radius * std::sin(t));
        segments[i].z = static_cast<float>(-10.0 + radius * std::cos(t));
        segments[i].heading = static_cast<float>(t + 1.5707963);
        segments[i].rotY = static_cast<float>(segments[i].heading / 6.2831853 * 360.0);
        segments[i].rotZ = static_cast<float>(3.5 * i);
        segments[i].active = true;
    }
}

void RunFrames(benchmark::State& state, int records, bool blur, float level) {
    if (!StartOnce()) {
        state.SkipWithError("no headless GL context");
        return;
    }
    gameMode = kModePlaying;
    CoilWorm(records);
    withdrawal = level;
    tintLevel = level / 300.0f;
    swayAmount = level > 100 ? 0.2f : 0.0f;
    swayPhase = 1.0f;
    score = 12345;
    blurOn = blur;
    blurCapture = blur;
    for (auto _ : state) {
        DrawFrame();
        glFinish();
    }
    state.counters["fps"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["gl_error"] = static_cast<double>(glGetError());
}

void BM_TitleFrame(benchmark::State& state) {
    if (!StartOnce()) {
        state.SkipWithError("no headless GL context");
        return;
    }
    gameMode = kModeTitle;
    for (auto _ : state) {
        DrawFrame();
        glFinish();
    }
    state.counters["gl_error"] = static_cast<double>(glGetError());
}

void BM_MidGameFrame(benchmark::State& state) { RunFrames(state, 300, false, 150.0f); }
void BM_WorstCaseFrame(benchmark::State& state) { RunFrames(state, 4999, true, 250.0f); }

// The worst case taken apart: the long worm alone, and the blur over a short worm.
void BM_LongWormFrame(benchmark::State& state) { RunFrames(state, 4999, false, 150.0f); }
void BM_BlurFrame(benchmark::State& state) { RunFrames(state, 300, true, 250.0f); }

// One frame after each play step of a demo, the demo replayed as often as needed; `lastSteps`
// keeps only the frames of its game's last steps (0: all of them).
void RunDemoFrames(benchmark::State& state, const char* path, std::uint32_t lastSteps) {
    if (!StartOnce()) {
        state.SkipWithError("no headless GL context");
        return;
    }
    if (!LoadDemoToWatch(path)) {
        state.SkipWithError("cannot read the demo");
        return;
    }
    const std::uint32_t firstDrawn =
        lastSteps && demoGame.playSteps > lastSteps ? demoGame.playSteps - lastSteps : 0;
    bool watching = false;
    for (auto _ : state) {
        if (!watching || DemoWatched()) {
            gameMode = kModeTitle;
            BeginWatchingDemo();
            UpdateGame();  // the Enter step
            while (demoOutcome.playSteps < firstDrawn) UpdateGame();
            watching = true;
        }
        UpdateGame();
        const auto start = std::chrono::steady_clock::now();
        DrawFrame();
        glFinish();
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    demoWatching = false;
    state.counters["score"] = static_cast<double>(score);
    state.counters["gl_error"] = static_cast<double>(glGetError());
}

void BM_GoldenDemoFrame(benchmark::State& state) { RunDemoFrames(state, KELVADO_GOLDEN_DEMO, 0); }
void BM_BlurDemoFrame(benchmark::State& state) { RunDemoFrames(state, KELVADO_BLUR_DEMO, 200); }

BENCHMARK(BM_TitleFrame)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_MidGameFrame)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_WorstCaseFrame)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LongWormFrame)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BlurFrame)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_GoldenDemoFrame)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_BlurDemoFrame)->Unit(benchmark::kMillisecond)->UseManualTime();

}  // namespace

BENCHMARK_MAIN();
