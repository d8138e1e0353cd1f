// The rest of the system over SDL2: the clocks, waiting, message boxes and the keyboard focus.
#include <cstdio>

#include "platform/sdl/sdl_platform.h"

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
