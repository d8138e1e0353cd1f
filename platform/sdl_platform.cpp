// The system interface over SDL2: one window with an OpenGL context, its events as Win32-style
// messages, the keyboard by virtual-key code, game controllers as keys, the clocks and message
// boxes.
#include <SDL.h>
#ifdef __GLIBC__
#include <malloc.h>
#endif

#include <cstdio>
#include <initializer_list>

#include "platform/controller.h"
#include "platform/platform.h"

namespace {

SDL_Window* window = nullptr;
SDL_DisplayMode fullscreenDisplayMode;
bool haveFullscreenDisplayMode = false;
Uint32 quitEventType = 0;  // our own event carrying PostQuitMessage's exit code
Uint64 lastMemoryReturnAt = 0;
bool controllersStarted = false;
// The open controllers by slot; the slot is what the key mapping knows them by.
SDL_GameController* controllers[kMaxControllers];
SDL_JoystickID controllerIds[kMaxControllers];

// The GL driver allocates and frees many small blocks every frame. glibc keeps freed pages
// inside its heap, so without an occasional trim the resident size creeps up for many minutes
// although the live heap does not grow. A trim takes well under a millisecond.
void ReturnFreedMemory() {
#ifdef __GLIBC__
    const Uint64 now = SDL_GetTicks64();
    if (now - lastMemoryReturnAt < 1000) return;
    lastMemoryReturnAt = now;
    malloc_trim(0);
#endif
}

WindowHandle AsHandle(SDL_Window* w) { return reinterpret_cast<WindowHandle>(w); }
SDL_Window* AsWindow(WindowHandle handle) { return reinterpret_cast<SDL_Window*>(handle); }

// Win32 virtual-key code of a key event, or 0 for keys the game has no code for. Letters follow
// the keyboard layout and digits the key position, as Win32's codes do.
int VirtualKeyOf(const SDL_Keysym& key) {
    const SDL_Keycode code = key.sym;
    if (code >= SDLK_a && code <= SDLK_z) return 'A' + (code - SDLK_a);
    const SDL_Scancode scan = key.scancode;
    if (scan >= SDL_SCANCODE_1 && scan <= SDL_SCANCODE_9) return '1' + (scan - SDL_SCANCODE_1);
    if (scan == SDL_SCANCODE_0) return '0';
    if (scan >= SDL_SCANCODE_F1 && scan <= SDL_SCANCODE_F12)
        return VK_F1 + (scan - SDL_SCANCODE_F1);
    if (scan >= SDL_SCANCODE_KP_1 && scan <= SDL_SCANCODE_KP_9) {
        return VK_NUMPAD0 + 1 + (scan - SDL_SCANCODE_KP_1);
    }
    switch (scan) {
        case SDL_SCANCODE_BACKSPACE:
            return VK_BACK;
        case SDL_SCANCODE_TAB:
            return VK_TAB;
        case SDL_SCANCODE_RETURN:
        case SDL_SCANCODE_KP_ENTER:
            return VK_RETURN;
        case SDL_SCANCODE_LSHIFT:
        case SDL_SCANCODE_RSHIFT:
            return VK_SHIFT;
        case SDL_SCANCODE_LCTRL:
        case SDL_SCANCODE_RCTRL:
            return VK_CONTROL;
        case SDL_SCANCODE_PAUSE:
            return VK_PAUSE;
        case SDL_SCANCODE_CAPSLOCK:
            return VK_CAPITAL;
        case SDL_SCANCODE_ESCAPE:
            return VK_ESCAPE;
        case SDL_SCANCODE_SPACE:
            return VK_SPACE;
        case SDL_SCANCODE_PAGEUP:
            return VK_PRIOR;
        case SDL_SCANCODE_PAGEDOWN:
            return VK_NEXT;
        case SDL_SCANCODE_END:
            return VK_END;
        case SDL_SCANCODE_HOME:
            return VK_HOME;
        case SDL_SCANCODE_LEFT:
            return VK_LEFT;
        case SDL_SCANCODE_UP:
            return VK_UP;
        case SDL_SCANCODE_RIGHT:
            return VK_RIGHT;
        case SDL_SCANCODE_DOWN:
            return VK_DOWN;
        case SDL_SCANCODE_INSERT:
            return VK_INSERT;
        case SDL_SCANCODE_DELETE:
            return VK_DELETE;
        case SDL_SCANCODE_KP_0:
            return VK_NUMPAD0;
        case SDL_SCANCODE_KP_MULTIPLY:
            return VK_MULTIPLY;
        case SDL_SCANCODE_KP_PLUS:
            return VK_ADD;
        case SDL_SCANCODE_KP_MINUS:
            return VK_SUBTRACT;
        case SDL_SCANCODE_KP_PERIOD:
            return VK_DECIMAL;
        case SDL_SCANCODE_KP_DIVIDE:
            return VK_DIVIDE;
        default:
            return 0;  // Alt is a system key: it never reaches the game
    }
}

// The physical keys that report a virtual-key code.
int ScancodesOf(int virtualKey, SDL_Scancode out[2]) {
    if (virtualKey >= 'A' && virtualKey <= 'Z') {
        out[0] = SDL_GetScancodeFromKey(SDLK_a + (virtualKey - 'A'));
        return out[0] == SDL_SCANCODE_UNKNOWN ? 0 : 1;
    }
    if (virtualKey == VK_RETURN) {
        out[0] = SDL_SCANCODE_RETURN;
        out[1] = SDL_SCANCODE_KP_ENTER;
        return 2;
    }
    if (virtualKey == VK_SHIFT) {
        out[0] = SDL_SCANCODE_LSHIFT;
        out[1] = SDL_SCANCODE_RSHIFT;
        return 2;
    }
    if (virtualKey == VK_CONTROL) {
        out[0] = SDL_SCANCODE_LCTRL;
        out[1] = SDL_SCANCODE_RCTRL;
        return 2;
    }
    // Every other code comes from exactly one key, found once from the table the events use.
    static SDL_Scancode keyOfCode[256];
    static bool tableBuilt = false;
    if (!tableBuilt) {
        for (int scan = SDL_SCANCODE_UNKNOWN + 1; scan < SDL_NUM_SCANCODES; ++scan) {
            SDL_Keysym key{};
            key.scancode = static_cast<SDL_Scancode>(scan);
            key.sym = SDL_GetKeyFromScancode(key.scancode);
            if (key.sym >= SDLK_a && key.sym <= SDLK_z) continue;
            const int code = VirtualKeyOf(key);
            if (code != 0 && keyOfCode[code] == SDL_SCANCODE_UNKNOWN)
                keyOfCode[code] = key.scancode;
        }
        tableBuilt = true;
    }
    if (virtualKey < 0 || virtualKey > 255 || keyOfCode[virtualKey] == SDL_SCANCODE_UNKNOWN)
        return 0;
    out[0] = keyOfCode[virtualKey];
    return 1;
}

// The controller inputs the game uses, by SDL's button; kControllerInputs for the others.
int InputOfButton(Uint8 button) {
    switch (button) {
        case SDL_CONTROLLER_BUTTON_A:
            return kPadA;
        case SDL_CONTROLLER_BUTTON_B:
            return kPadB;
        case SDL_CONTROLLER_BUTTON_BACK:
            return kPadBack;
        case SDL_CONTROLLER_BUTTON_START:
            return kPadStart;
        case SDL_CONTROLLER_BUTTON_DPAD_UP:
            return kPadUp;
        case SDL_CONTROLLER_BUTTON_DPAD_DOWN:
            return kPadDown;
        case SDL_CONTROLLER_BUTTON_DPAD_LEFT:
            return kPadLeft;
        case SDL_CONTROLLER_BUTTON_DPAD_RIGHT:
            return kPadRight;
        default:
            return kControllerInputs;
    }
}

int SlotOf(SDL_JoystickID id) {
    for (int slot = 0; slot < kMaxControllers; ++slot) {
        if (controllers[slot] && controllerIds[slot] == id) return slot;
    }
    return -1;
}

void OpenController(int deviceIndex) {
    if (SlotOf(SDL_JoystickGetDeviceInstanceID(deviceIndex)) >= 0) return;  // already open
    for (int slot = 0; slot < kMaxControllers; ++slot) {
        if (controllers[slot]) continue;
        SDL_GameController* pad = SDL_GameControllerOpen(deviceIndex);
        if (!pad) return;
        controllers[slot] = pad;
        controllerIds[slot] = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(pad));
        return;
    }
}

void CloseController(int slot) {
    ControllerGone(slot);
    SDL_GameControllerClose(controllers[slot]);
    controllers[slot] = nullptr;
}

// Controller events change the keys they stand for; the changes wait as messages.
void HandleControllerEvent(const SDL_Event& event) {
    switch (event.type) {
        case SDL_CONTROLLERDEVICEADDED:
            OpenController(event.cdevice.which);
            break;
        case SDL_CONTROLLERDEVICEREMOVED: {
            const int slot = SlotOf(event.cdevice.which);
            if (slot >= 0) CloseController(slot);
            break;
        }
        case SDL_CONTROLLERBUTTONDOWN:
        case SDL_CONTROLLERBUTTONUP:
            ControllerInputChanged(SlotOf(event.cbutton.which), InputOfButton(event.cbutton.button),
                                   event.type == SDL_CONTROLLERBUTTONDOWN);
            break;
        case SDL_CONTROLLERAXISMOTION:
            if (event.caxis.axis == SDL_CONTROLLER_AXIS_LEFTX) {
                ControllerStickMoved(SlotOf(event.caxis.which), event.caxis.value);
            }
            break;
        default:
            break;
    }
}

// Joystick and controller events, which lie together between these two.
bool IsControllerEvent(Uint32 type) {
    return type >= SDL_JOYAXISMOTION && type <= SDL_CONTROLLERDEVICEREMAPPED;
}

// Takes every joystick and controller event already queued, leaving the others in place: a moved
// stick sends many, and one message a pass would fall behind them.
void TakeControllerEvents() {
    if (!controllersStarted) return;
    SDL_Event events[32];
    int count;
    while ((count = SDL_PeepEvents(events, 32, SDL_GETEVENT, SDL_JOYAXISMOTION,
                                   SDL_CONTROLLERDEVICEREMAPPED)) > 0) {
        for (int i = 0; i < count; ++i) HandleControllerEvent(events[i]);
    }
}

// Only the events the game handles are queued, so that nothing (mouse motion, say) waits in
// front of a key when the loop takes one event per pass. Key repeats change no key state.
int KeepGameEvents(void*, SDL_Event* event) {
    switch (event->type) {
        case SDL_QUIT:
            return 1;
        case SDL_KEYDOWN:
            return event->key.repeat == 0 && VirtualKeyOf(event->key.keysym) != 0;
        case SDL_KEYUP:
            return VirtualKeyOf(event->key.keysym) != 0;
        case SDL_CONTROLLERDEVICEADDED:
        case SDL_CONTROLLERDEVICEREMOVED:
            return 1;
        // SDL makes its controller events out of the joystick events as they are queued, and
        // not out of those held back here.
        case SDL_JOYAXISMOTION:
        case SDL_JOYHATMOTION:
        case SDL_JOYBUTTONDOWN:
        case SDL_JOYBUTTONUP:
        case SDL_JOYDEVICEADDED:
        case SDL_JOYDEVICEREMOVED:
            return 1;
        case SDL_CONTROLLERBUTTONDOWN:
        case SDL_CONTROLLERBUTTONUP:
            return InputOfButton(event->cbutton.button) != kControllerInputs;
        case SDL_CONTROLLERAXISMOTION:
            return event->caxis.axis == SDL_CONTROLLER_AXIS_LEFTX;
        case SDL_WINDOWEVENT:
            switch (event->window.event) {
                case SDL_WINDOWEVENT_CLOSE:
                case SDL_WINDOWEVENT_SIZE_CHANGED:
                case SDL_WINDOWEVENT_MINIMIZED:
                case SDL_WINDOWEVENT_RESTORED:
                    return 1;
                default:
                    return 0;
            }
        default:
            return event->type == quitEventType;
    }
}

// Without a display to reach, SDL falls back on drivers that show nothing (offscreen, dummy)
// and the game would run unseen. Unless one of them is asked for by name (SDL_VIDEODRIVER, as
// the tests do), only the drivers that show a window are tried, so that SDL says why none works.
void AskForARealDisplay() {
    const char* asked = SDL_GetHint(SDL_HINT_VIDEODRIVER);
    if (asked && *asked) return;
    char drivers[256] = "";
    for (int i = 0; i < SDL_GetNumVideoDrivers(); ++i) {
        const char* name = SDL_GetVideoDriver(i);
        if (!name || SDL_strcasecmp(name, "offscreen") == 0 || SDL_strcasecmp(name, "dummy") == 0)
            continue;
        if (drivers[0]) SDL_strlcat(drivers, ",", sizeof drivers);
        SDL_strlcat(drivers, name, sizeof drivers);
    }
    if (drivers[0]) SDL_SetHint(SDL_HINT_VIDEODRIVER, drivers);
}

std::intptr_t SizeParam(int width, int height) {
    return static_cast<std::intptr_t>((width & 0xFFFF) | ((height & 0xFFFF) << 16));
}

}  // namespace

bool RegisterWindowClass() {
    // The window closes only when the game says so: a close request is a message to the game.
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    AskForARealDisplay();
    if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
        std::fprintf(stderr, "kelvado: SDL video: %s\n", SDL_GetError());
        return false;
    }
    if (quitEventType == 0) quitEventType = SDL_RegisterEvents(1);
    SDL_SetEventFilter(KeepGameEvents, nullptr);
    SDL_DisableScreenSaver();
    // Controllers are welcome, not needed: without them the keyboard is all there is. Those
    // plugged in already are announced like those plugged in later.
    ResetControllers();
    controllersStarted = SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0;
    return true;
}

bool UnregisterWindowClass() {
    if (controllersStarted) {
        for (int slot = 0; slot < kMaxControllers; ++slot) {
            if (controllers[slot]) CloseController(slot);
        }
        SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
        controllersStarted = false;
    }
    SDL_SetEventFilter(nullptr, nullptr);
    SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
    return true;
}

bool ChangeDisplaySettings(int width, int height, int bits) {
    // A display whose mode list lacks the size refuses it, whatever a later switch would claim.
    haveFullscreenDisplayMode = false;
    const int count = SDL_GetNumDisplayModes(0);
    for (int i = 0; i < count; ++i) {
        SDL_DisplayMode mode;
        if (SDL_GetDisplayMode(0, i, &mode) != 0) continue;
        const int modeBits = static_cast<int>(SDL_BYTESPERPIXEL(mode.format)) * 8;
        if (mode.w == width && mode.h == height && modeBits >= bits) {
            fullscreenDisplayMode = mode;
            haveFullscreenDisplayMode = true;
            return true;
        }
    }
    return false;
}

void RestoreDisplaySettings() {
    if (window) SDL_SetWindowFullscreen(window, 0);
}

WindowHandle CreateWindow(const char* title, int width, int height, bool fullscreen,
                          const PixelFormatRequest& request) {
    SDL_GL_ResetAttributes();
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, request.doubleBuffer ? 1 : 0);
    const int channelBits = request.colorBits >= 24 ? 8 : 5;
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, channelBits);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, channelBits);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, channelBits);

    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
    if (!fullscreen) {
        flags |= SDL_WINDOW_RESIZABLE;
    } else if (haveFullscreenDisplayMode) {
        flags |= SDL_WINDOW_FULLSCREEN;
    } else {
        // No mode was asked for: the display stays as it is, and all of its pixels are used.
        // The window is made at the display's size too, for an X server without a window
        // manager, which would leave it at the size it was made with.
        flags |= SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_ALLOW_HIGHDPI;
        SDL_DisplayMode desktop;
        if (SDL_GetDesktopDisplayMode(0, &desktop) == 0) {
            width = desktop.w;
            height = desktop.h;
        }
    }
    // Drivers that cannot give the depth asked for get the deepest buffer they offer.
    for (int depth : {request.depthBits, 24, 16}) {
        if (depth > request.depthBits) continue;
        SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, depth);
        window = SDL_CreateWindow(title, 0, 0, width, height, flags);
        if (window) break;
    }
    if (!window) {
        std::fprintf(stderr, "kelvado: window: %s\n", SDL_GetError());
        return nullptr;
    }
    if (fullscreen && haveFullscreenDisplayMode) {
        SDL_SetWindowDisplayMode(window, &fullscreenDisplayMode);
    }
    return AsHandle(window);
}

bool DestroyWindow(WindowHandle handle) {
    if (!handle || AsWindow(handle) != window) return false;
    SDL_DestroyWindow(window);
    window = nullptr;
    return true;
}

bool GetClientSize(WindowHandle handle, int* width, int* height) {
    if (!handle) return false;
    SDL_GL_GetDrawableSize(AsWindow(handle), width, height);
    return *width > 0 && *height > 0;
}

DeviceContext GetDC(WindowHandle handle) { return handle; }

bool ReleaseDC(WindowHandle handle, DeviceContext dc) { return handle && handle == dc; }

// SDL fixes the pixel format when it makes the window; these report and confirm it.
int ChoosePixelFormat(DeviceContext dc, const PixelFormatRequest&) {
    if (!dc) return 0;
    return static_cast<int>(SDL_GetWindowPixelFormat(AsWindow(dc)));
}

bool SetPixelFormat(DeviceContext dc, int format, const PixelFormatRequest&) {
    return dc && format != static_cast<int>(SDL_PIXELFORMAT_UNKNOWN) &&
           static_cast<Uint32>(format) == SDL_GetWindowPixelFormat(AsWindow(dc));
}

RenderContext wglCreateContext(DeviceContext dc) {
    if (!dc) return nullptr;
    SDL_GLContext context = SDL_GL_CreateContext(AsWindow(dc));
    if (!context) std::fprintf(stderr, "kelvado: GL context: %s\n", SDL_GetError());
    return context;
}

bool wglMakeCurrent(DeviceContext dc, RenderContext rc) {
    if (!rc) return SDL_GL_MakeCurrent(window, nullptr) == 0;
    if (SDL_GL_MakeCurrent(AsWindow(dc), rc) != 0) return false;
    SDL_GL_SetSwapInterval(1);  // pace the loop by the display where the driver allows it
    return true;
}

bool wglDeleteContext(RenderContext rc) {
    if (!rc) return false;
    SDL_GL_DeleteContext(rc);
    return true;
}

void ShowWindow(WindowHandle handle) {
    SDL_Window* w = AsWindow(handle);
    SDL_ShowWindow(w);
    SDL_RaiseWindow(w);
}

void ShowCursor(bool show) { SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE); }

void SwapBuffers(DeviceContext dc) {
    SDL_GL_SwapWindow(AsWindow(dc));
    ReturnFreedMemory();
}

bool PeekMessage(Message* message) {
    TakeControllerEvents();
    if (TakeControllerMessage(message)) return true;
    SDL_Event event;
    if (!SDL_PollEvent(&event)) return false;
    *message = Message{0, 0, 0};
    if (IsControllerEvent(event.type)) {
        // Came in while the queue was being read; an event that changes no key is no message.
        HandleControllerEvent(event);
        TakeControllerMessage(message);
        return true;
    }
    switch (event.type) {
        case SDL_QUIT:  // a signal asking the process to end
            message->message = WM_QUIT;
            return true;
        case SDL_KEYDOWN:
        case SDL_KEYUP: {
            const bool down = event.type == SDL_KEYDOWN;
            const int virtualKey = VirtualKeyOf(event.key.keysym);
            // A key a controller holds too stays down until both let go.
            if (!KeyboardKeyPasses(virtualKey, down)) return true;
            message->message = down ? WM_KEYDOWN : WM_KEYUP;
            message->wParam = static_cast<std::uintptr_t>(virtualKey);
            return true;
        }
        case SDL_WINDOWEVENT:
            if (event.window.event == SDL_WINDOWEVENT_CLOSE) {
                message->message = WM_CLOSE;
            } else if (event.window.event == SDL_WINDOWEVENT_MINIMIZED) {
                message->message = WM_SIZE;
            } else {
                int width = 0;
                int height = 0;
                if (window) SDL_GL_GetDrawableSize(window, &width, &height);
                message->message = WM_SIZE;
                message->lParam = SizeParam(width, height);
            }
            return true;
        default:
            if (event.type == quitEventType) {
                message->message = WM_QUIT;
                message->wParam = static_cast<std::uintptr_t>(event.user.code);
            }
            return true;
    }
}

void PostQuitMessage(int exitCode) {
    SDL_Event event{};
    event.type = quitEventType;
    event.user.code = exitCode;
    SDL_PushEvent(&event);
}

std::int16_t GetAsyncKeyState(int virtualKey) {
    SDL_PumpEvents();  // the state of this moment, not of the last event taken
    TakeControllerEvents();
    if (ControllerHoldsKey(virtualKey)) return static_cast<std::int16_t>(0x8000);
    SDL_Scancode scans[2];
    const int count = ScancodesOf(virtualKey, scans);
    const Uint8* keys = SDL_GetKeyboardState(nullptr);
    for (int i = 0; i < count; ++i) {
        if (keys[scans[i]]) return static_cast<std::int16_t>(0x8000);
    }
    return 0;
}

void SetTextEntry(bool on) { SetControllerTextEntry(on); }

DWORD timeGetTime() {
    // Milliseconds of the monotonic clock, which counts from boot as the Win32 clocks do.
    static const Uint64 ticksPerMillisecond = SDL_GetPerformanceFrequency() / 1000;
    return static_cast<DWORD>(SDL_GetPerformanceCounter() / ticksPerMillisecond);
}

DWORD GetTickCount() { return timeGetTime(); }

void Sleep(DWORD milliseconds) { SDL_Delay(milliseconds); }

int MessageBox(WindowHandle owner, const char* text, const char* caption, unsigned type) {
    // Also on standard error, so that a message on a machine without a screen is not lost.
    std::fprintf(stderr, "kelvado: %s: %s\n", caption, text);

    const unsigned icon = type & 0xF0;
    Uint32 flags = icon == MB_ICONEXCLAMATION ? SDL_MESSAGEBOX_WARNING : SDL_MESSAGEBOX_INFORMATION;
    flags |= SDL_MESSAGEBOX_BUTTONS_LEFT_TO_RIGHT;

    const bool yesNo = (type & 0x0F) == MB_YESNO;
    const SDL_MessageBoxButtonData okButtons[] = {
        {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, IDOK,
         "OK"}};
    const SDL_MessageBoxButtonData yesNoButtons[] = {
        {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, IDYES, "Yes"},
        {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, IDNO, "No"}};
    SDL_MessageBoxData box{};
    box.flags = flags;
    box.window = AsWindow(owner);
    box.title = caption;
    box.message = text;
    box.numbuttons = yesNo ? 2 : 1;
    box.buttons = yesNo ? yesNoButtons : okButtons;

    int answer = -1;
    if (SDL_ShowMessageBox(&box, &answer) != 0) {
        // As Win32 does, 0 says that no box could be shown; the text went to standard error.
        std::fprintf(stderr, "kelvado: no message box could be shown: %s\n", SDL_GetError());
        return 0;
    }
    if (answer < 0) return yesNo ? IDNO : IDOK;  // closed without a button
    return answer;
}

WindowHandle GetFocus() {
    SDL_Window* focused = SDL_GetKeyboardFocus();
    return focused ? AsHandle(focused) : nullptr;
}
