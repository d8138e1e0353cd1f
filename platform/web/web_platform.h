// What the web platform's own files share (web_window.cpp, web_events.cpp, web_controllers.cpp,
// web_system.cpp);
// nothing outside platform/web/ includes it.
#pragma once

#include "platform/platform.h"

// The canvas is the window.
struct PlatformWindow {
    int width;
    int height;
};

// web_window.cpp
extern PlatformWindow canvasWindow;
extern bool windowExists;
// Before a message is taken: a pass that drew nothing (Esc held) still gives the browser its
// turn, as a swap does.
void GiveTurnUnlessSwapped();

// web_events.cpp: every held key let go, as when the page loses the keyboard.
void ReleaseAllKeys();

// web_controllers.cpp: the pads' state of now; what changed waits in the controllers' queue.
void ReadControllers();
