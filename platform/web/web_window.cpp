// The window in a web page: the canvas, its WebGL 2 context under the fixed-function layer
// (platform/web/gl/), and its frames, each shown when the browser next paints; the wait for that
// gives the browser its turn through Asyncify.
#include <emscripten.h>
#include <emscripten/html5.h>

#include <cstdint>

#include "platform/web/gl/fixed_gl.h"
#include "platform/web/web_platform.h"

PlatformWindow canvasWindow;
bool windowExists = false;

namespace {

EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context = 0;
bool drawingStarted = false;
bool swappedSincePeek = true;

EM_JS(void, SizeCanvas, (int width, int height), {
    const canvas = Module.canvas;
    if (!canvas) return;
    canvas.width = width;
    canvas.height = height;
});

EM_JS(void, SetCanvasCursor, (bool visible), {
    if (Module.canvas) Module.canvas.style.cursor = visible ? "" : "none";
});

EM_JS(void, FocusCanvas, (), {
    if (Module.canvas) Module.canvas.focus();
});

// The frame is shown when the browser next paints; records still being stored are waited for,
// so that nothing the game has saved is lost with a tab closed just after.
EM_ASYNC_JS(void, WaitForNextFrame, (), {
    await new Promise((resolve) => requestAnimationFrame(resolve));
    await Module.kelvado.recordsStored();
    const bench = Module.kelvado.bench;
    if (bench) bench.passStart = performance.now();
});

// When the first frame was drawn, and for a benchmark the time each pass took to draw its
// frame, the GPU's work included (a one-pixel read waits for it). True when the benchmark asked
// for the next frame at once, without waiting for the browser to show this one.
EM_JS(bool, NoteFrameDrawn, (), {
    const page = Module.kelvado;
    if (page.firstFrameTime === undefined) page.firstFrameTime = performance.now();
    const bench = page.bench;
    if (!bench) return false;
    const drawn = performance.now();
    GLctx.readPixels(0, 0, 1, 1, GLctx.RGBA, GLctx.UNSIGNED_BYTE, bench.pixel);
    if (bench.passStart !== undefined) {
        bench.frames.push(performance.now() - bench.passStart);
        bench.cpuFrames.push(drawn - bench.passStart);
    }
    if (!bench.unpaced) return false;
    bench.passStart = performance.now();
    return true;
});

}  // namespace

bool RegisterWindowClass() { return true; }
bool UnregisterWindowClass() { return true; }

// The page itself is the screen: every mode is the canvas's.
bool ChangeDisplaySettings(int, int, int) { return true; }
void RestoreDisplaySettings() {}

WindowHandle CreateWindow(const char*, int width, int height, bool,
                          const PixelFormatRequest&) {
    if (windowExists || width <= 0 || height <= 0) return nullptr;
    canvasWindow = PlatformWindow{width, height};
    SizeCanvas(width, height);
    windowExists = true;
    return &canvasWindow;
}

// The canvas's drawing buffer, which the page keeps at the size the game asked for.
bool GetClientSize(WindowHandle window, int* width, int* height) {
    if (!windowExists || window != &canvasWindow) return false;
    *width = canvasWindow.width;
    *height = canvasWindow.height;
    return true;
}

bool DestroyWindow(WindowHandle window) {
    if (!windowExists || window != &canvasWindow) return false;
    windowExists = false;
    return true;
}

DeviceContext GetDC(WindowHandle window) { return window; }
bool ReleaseDC(WindowHandle window, DeviceContext dc) { return window && window == dc; }

int ChoosePixelFormat(DeviceContext dc, const PixelFormatRequest&) { return dc ? 1 : 0; }
bool SetPixelFormat(DeviceContext dc, int format, const PixelFormatRequest&) {
    return dc && format == 1;
}

RenderContext wglCreateContext(DeviceContext dc) {
    if (!dc || context != 0) return nullptr;
    EmscriptenWebGLContextAttributes attributes;
    emscripten_webgl_init_context_attributes(&attributes);
    attributes.majorVersion = 2;
    attributes.minorVersion = 0;
    attributes.alpha = false;
    attributes.depth = true;
    attributes.stencil = false;
    attributes.antialias = false;
    attributes.premultipliedAlpha = false;
    attributes.preserveDrawingBuffer = false;
    context = emscripten_webgl_create_context("#canvas", &attributes);
    if (context <= 0) {
        context = 0;
        return nullptr;
    }
    return reinterpret_cast<RenderContext>(static_cast<std::intptr_t>(context));
}

bool wglMakeCurrent(DeviceContext dc, RenderContext rc) {
    if (!dc && !rc) return emscripten_webgl_make_context_current(0) == EMSCRIPTEN_RESULT_SUCCESS;
    if (!dc || !rc || rc != reinterpret_cast<RenderContext>(static_cast<std::intptr_t>(context)))
        return false;
    if (emscripten_webgl_make_context_current(context) != EMSCRIPTEN_RESULT_SUCCESS) return false;
    if (!drawingStarted) drawingStarted = StartFixedGl();
    return drawingStarted;
}

bool wglDeleteContext(RenderContext rc) {
    if (!rc || rc != reinterpret_cast<RenderContext>(static_cast<std::intptr_t>(context)))
        return false;
    emscripten_webgl_destroy_context(context);
    context = 0;
    drawingStarted = false;
    return true;
}

void ShowWindow(WindowHandle) { FocusCanvas(); }
void ShowCursor(bool show) { SetCanvasCursor(show); }

void SwapBuffers(DeviceContext) {
    FlushFixedGl();
    const bool unpaced = NoteFrameDrawn();
    swappedSincePeek = true;
    if (!unpaced) WaitForNextFrame();
}

void GiveTurnUnlessSwapped() {
    if (!swappedSincePeek) WaitForNextFrame();
    swappedSincePeek = false;
}
