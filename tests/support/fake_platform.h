// Controls of the fake platform that the tests link instead of SDL: a scripted keyboard, game
// controllers (through the platform's own controller mapping) and message queue, a clock that only moves when told, recorded message boxes with scripted answers,
// and an EGL pbuffer as the window's GL context.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "platform/controller.h"
#include "platform/platform.h"

namespace fake {

struct ShownBox {
    std::string text;
    std::string caption;
    unsigned type;
};

struct State {
    bool asyncKeys[256] = {};
    std::deque<Message> queue;
    DWORD now = 0;         // timeGetTime and GetTickCount
    DWORD sleepTotal = 0;  // milliseconds spent in Sleep
    std::vector<ShownBox> boxes;
    std::deque<int> answers;  // answers for the next boxes; IDOK (or IDNO for Yes/No) when empty
    bool refuseDisplayMode = false;
    bool failWindowClass = false;
    bool failWindow = false;
    bool failContext = false;
    bool displayModeChanged = false;
    bool windowExists = false;
    bool windowFullscreen = false;
    bool cursorShown = true;
    int swaps = 0;
    int windowWidth = 0;
    int windowHeight = 0;
    // The display's own mode, which a full-screen window made without a mode change covers.
    int desktopWidth = 640;
    int desktopHeight = 480;
    bool textEntry = false;
};

inline State state;

// Back to a fresh machine: no keys, time 0, empty queue, no boxes, no failures.
void Reset();

// Key down or up both for GetAsyncKeyState and as a queued WM_KEYDOWN/WM_KEYUP message.
void Press(int virtualKey);
void Release(int virtualKey);
void Post(unsigned message, std::uintptr_t wParam = 0, std::intptr_t lParam = 0);

// Controller `slot` presses or lets go of an input (ControllerInput), or moves its left stick.
void PressButton(int input, int slot = 0);
void ReleaseButton(int input, int slot = 0);
void MoveStick(int x, int slot = 0);
void Unplug(int slot = 0);

}  // namespace fake
