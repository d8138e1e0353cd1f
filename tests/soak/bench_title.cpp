// The title frame at 640 x 480 on the software renderer, finished with glFinish: the frame
// benchmark of the render tests covers the playing frames only.
#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>

#include "app/frame.h"
#include "app/textures.h"
#include "app/window.h"
#include "render/scene.h"
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
    std::fprintf(stderr, "renderer: %s; %s\n",
                 reinterpret_cast<const char*>(glGetString(GL_RENDERER)),
                 reinterpret_cast<const char*>(glGetString(GL_VERSION)));
    ResizeScene(640, 480);
    ResetGame();
    InitRenderState();  // also reads hiscore.dat, if the data directory has one
    std::filesystem::current_path(before);
    ready = true;
    return true;
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

BENCHMARK(BM_TitleFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
