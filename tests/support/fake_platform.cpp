#include "tests/support/fake_platform.h"

#include <GL/gl.h>

#include "platform/read_ahead.h"
#include "tests/support/gl_context.h"

namespace fake {

void Reset() {
    state = State{};
    ResetControllers();
}

void Press(int virtualKey) {
    state.asyncKeys[virtualKey & 0xFF] = true;
    if (KeyboardKeyPasses(virtualKey & 0xFF, true))
        Post(WM_KEYDOWN, static_cast<std::uintptr_t>(virtualKey));
}

void Release(int virtualKey) {
    state.asyncKeys[virtualKey & 0xFF] = false;
    if (KeyboardKeyPasses(virtualKey & 0xFF, false))
        Post(WM_KEYUP, static_cast<std::uintptr_t>(virtualKey));
}

void PressButton(int input, int slot) { ControllerInputChanged(slot, input, true); }
void ReleaseButton(int input, int slot) { ControllerInputChanged(slot, input, false); }
void MoveStick(int x, int slot) { ControllerStickMoved(slot, x); }
void Unplug(int slot) { ControllerGone(slot); }

void Post(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
    state.queue.push_back(Message{message, wParam, lParam});
}

}  // namespace fake

using fake::state;

namespace {
// The one window the fake offers; its address is the handle.
PlatformWindow* const kWindow = reinterpret_cast<PlatformWindow*>(&state);
RenderContext const kContext = &state.swaps;
}  // namespace

bool RegisterWindowClass() { return !state.failWindowClass; }
bool UnregisterWindowClass() { return true; }

bool ChangeDisplaySettings(int, int, int) {
    state.displayModeChanged = !state.refuseDisplayMode;
    return state.displayModeChanged;
}

void RestoreDisplaySettings() { state.displayModeChanged = false; }

WindowHandle CreateWindow(const char*, int width, int height, bool fullscreen,
                          const PixelFormatRequest&) {
    if (state.failWindow) return nullptr;
    state.windowExists = true;
    state.windowFullscreen = fullscreen;
    const bool desktop = fullscreen && !state.displayModeChanged;
    state.windowWidth = desktop ? state.desktopWidth : width;
    state.windowHeight = desktop ? state.desktopHeight : height;
    return kWindow;
}

bool GetClientSize(WindowHandle window, int* width, int* height) {
    if (window != kWindow || !state.windowExists) return false;
    *width = state.windowWidth;
    *height = state.windowHeight;
    return true;
}

bool DestroyWindow(WindowHandle window) {
    if (window != kWindow || !state.windowExists) return false;
    state.windowExists = false;
    return true;
}

DeviceContext GetDC(WindowHandle window) { return window; }
bool ReleaseDC(WindowHandle window, DeviceContext dc) { return window == dc; }
int ChoosePixelFormat(DeviceContext dc, const PixelFormatRequest&) { return dc ? 1 : 0; }
bool SetPixelFormat(DeviceContext dc, int format, const PixelFormatRequest&) {
    return dc && format == 1;
}

RenderContext wglCreateContext(DeviceContext) {
    if (state.failContext) return nullptr;
    return kContext;
}

bool wglMakeCurrent(DeviceContext dc, RenderContext rc) {
    if (!dc && !rc) return true;
    return rc == kContext && testgl::MakeCurrent(state.windowWidth, state.windowHeight);
}

bool wglDeleteContext(RenderContext rc) { return rc == kContext; }
void ShowWindow(WindowHandle) {}
void ShowCursor(bool show) { state.cursorShown = show; }

void SwapBuffers(DeviceContext) {
    glFinish();
    ++state.swaps;
}

bool PeekMessage(Message* message) {
    if (TakeControllerMessage(message)) return true;
    if (state.queue.empty()) return false;
    *message = state.queue.front();
    state.queue.pop_front();
    return true;
}

void PostQuitMessage(int exitCode) { fake::Post(WM_QUIT, static_cast<std::uintptr_t>(exitCode)); }

std::int16_t GetAsyncKeyState(int virtualKey) {
    const bool down = state.asyncKeys[virtualKey & 0xFF] || ControllerHoldsKey(virtualKey);
    return down ? static_cast<std::int16_t>(0x8000) : 0;
}

void SetTextEntry(bool on) {
    state.textEntry = on;
    SetControllerTextEntry(on);
}

DWORD timeGetTime() { return state.now; }
DWORD GetTickCount() { return state.now; }

void Sleep(DWORD milliseconds) {
    state.sleepTotal += milliseconds;
    state.now += milliseconds;
}

int MessageBox(WindowHandle, const char* text, const char* caption, unsigned type) {
    state.boxes.push_back({text ? text : "", caption ? caption : "", type});
    if (!state.answers.empty()) {
        int answer = state.answers.front();
        state.answers.pop_front();
        return answer;
    }
    return (type & MB_YESNO) ? IDNO : IDOK;
}

WindowHandle GetFocus() { return state.windowExists ? kWindow : nullptr; }

// The tests' platform reads ahead at once, on the test's own thread.
void StartWorkAhead(void (*work)(void*), void* context) { work(context); }
void FinishWorkAhead() {}
