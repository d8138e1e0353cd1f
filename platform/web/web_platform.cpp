// The system interface in a web page: the canvas is the window, the page's key events are the
// messages, performance.now() is the clock, and the waits (the frame, Sleep, a message box) give
// the browser its turn through Asyncify. The page (web/kelvado.js) keeps the key queue, the key
// table and the dialogs in Module.kelvado; this file asks it for them.
#include <emscripten.h>
#include <emscripten/html5.h>

#include <cstdint>
#include <cstdio>

#include "platform/platform.h"
#include "platform/webgl/fixed_gl.h"

struct PlatformWindow {
    int width;
    int height;
};

namespace {

PlatformWindow canvasWindow;
bool windowExists = false;
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

// Writes the next queued message into out[0] (the message) and out[1] (wParam); false when the
// queue is empty.
EM_JS(bool, TakeQueuedMessage, (std::int32_t* out), {
    const next = Module.kelvado.messages.shift();
    if (!next) return false;
    HEAP32[out >> 2] = next[0];
    HEAP32[(out >> 2) + 1] = next[1];
    return true;
});

EM_JS(void, QueueMessage, (unsigned message, int wParam), {
    Module.kelvado.messages.push([message, wParam]);
});

EM_JS(bool, KeyIsDown, (int virtualKey), { return Module.kelvado.keyIsDown(virtualKey); });

EM_JS(double, MillisecondsNow, (), { return performance.now(); });

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

EM_ASYNC_JS(int, AskInPage, (const char* text, const char* caption, bool yesNo), {
    return await Module.kelvado.showMessage(UTF8ToString(caption), UTF8ToString(text), yesNo);
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

bool PeekMessage(Message* message) {
    // A pass that drew nothing (Esc held) still gives the browser its turn, as a swap does.
    if (!swappedSincePeek) WaitForNextFrame();
    swappedSincePeek = false;
    std::int32_t next[2];
    if (!TakeQueuedMessage(next)) return false;
    *message = Message{static_cast<unsigned>(next[0]), static_cast<std::uintptr_t>(next[1]), 0};
    return true;
}

void PostQuitMessage(int exitCode) { QueueMessage(WM_QUIT, exitCode); }

std::int16_t GetAsyncKeyState(int virtualKey) {
    return KeyIsDown(virtualKey) ? static_cast<std::int16_t>(0x8000) : 0;
}

// The page reads no game controllers, so there is nothing for a text entry to change.
void SetTextEntry(bool) {}

DWORD timeGetTime() { return static_cast<DWORD>(static_cast<std::uint64_t>(MillisecondsNow())); }
DWORD GetTickCount() { return timeGetTime(); }
void Sleep(DWORD milliseconds) { emscripten_sleep(milliseconds); }

int MessageBox(WindowHandle, const char* text, const char* caption, unsigned type) {
    // Also on the console, as the desktop game also writes it to standard error.
    std::fprintf(stderr, "kelvado: %s: %s\n", caption, text);
    return AskInPage(text, caption, (type & 0x0F) == MB_YESNO);
}

WindowHandle GetFocus() { return windowExists ? &canvasWindow : nullptr; }
