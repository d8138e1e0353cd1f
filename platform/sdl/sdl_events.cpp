// SDL2's events as the game's messages, and the keyboard by virtual-key code: which events are
// queued at all, the key, window and quit messages, and the keys' state at the moment of asking.
// The key table itself is platform/keys.cpp, by HID usage, which SDL's scancodes are.
#include "platform/controller.h"
#include "platform/keys.h"
#include "platform/sdl/sdl_platform.h"

static_assert(SDL_SCANCODE_A == kUsageA && SDL_SCANCODE_1 == kUsage1 &&
                  SDL_SCANCODE_F1 == kUsageF1 && SDL_SCANCODE_KP_1 == kUsageNumpad1 &&
                  SDL_SCANCODE_RETURN == 0x28 && SDL_SCANCODE_RSHIFT == 0xE5,
              "SDL's scancodes are the keys' HID usages");

namespace {

Uint32 quitEventType = 0;  // our own event carrying PostQuitMessage's exit code

// Win32 virtual-key code of a key event, or 0 for keys the game has no code for. The letter is
// the layout's (SDL's key code), everything else the key's position (its scancode).
int VirtualKeyOf(const SDL_Keysym& key) {
    const SDL_Keycode code = key.sym;
    const int letter = code >= SDLK_a && code <= SDLK_z ? static_cast<int>(code) : 0;
    return ::VirtualKeyOf(static_cast<int>(key.scancode), letter);
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

// Only the events the game handles are queued, so that nothing (mouse motion, say) waits in
// front of a key when the loop takes one event per pass. Key repeats change no key state.
int KeepGameEvents(void*, SDL_Event* event) {
    switch (event->type) {
        case SDL_QUIT:
            return 1;
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            return KeyEventCounts(VirtualKeyOf(event->key.keysym), event->type == SDL_KEYDOWN,
                                  event->key.repeat != 0);
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
            return ControllerButtonCounts(event->cbutton.button);
        case SDL_CONTROLLERAXISMOTION:
            return ControllerAxisCounts(event->caxis.axis);
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

std::intptr_t SizeParam(int width, int height) {
    return static_cast<std::intptr_t>((width & 0xFFFF) | ((height & 0xFFFF) << 16));
}

}  // namespace

void StartEvents() {
    if (quitEventType == 0) quitEventType = SDL_RegisterEvents(1);
    SDL_SetEventFilter(KeepGameEvents, nullptr);
}

void StopEvents() { SDL_SetEventFilter(nullptr, nullptr); }

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
                if (sdlWindow) SDL_GL_GetDrawableSize(sdlWindow, &width, &height);
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
