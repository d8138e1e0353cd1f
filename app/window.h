// The game's one window and its OpenGL context, the window procedure and the projection.
#pragma once

#include "platform/platform.h"
#include "screen/screen.h"

inline bool fullscreenMode = true;
inline WindowHandle windowHandle = nullptr;
inline DeviceContext deviceContext = nullptr;
inline RenderContext renderContext = nullptr;
// The player answered No to playing in a window: no window, by choice rather than by a fault.
inline bool windowedModeDeclined = false;
// Full screen at the display's own mode (--desktop): no mode change, and the 4:3 picture is
// drawn at the largest size that fits, centred between black bars.
inline bool desktopMode = false;
// Where the picture is drawn in the window, in pixels from its lower-left corner: everything
// drawn in screenWidth x screenHeight coordinates is scaled into it. Moved only in desktopMode.
inline int pictureX = 0;
inline int pictureY = 0;
inline int pictureWidth = 640;
inline int pictureHeight = 480;

// False when there is no window to play in: a fault (already reported) or the player's No.
bool CreateGameWindow(const char* title, int width, int height, int bits, bool fullscreen);
void DestroyGameWindow();
// Handles one window message; the result is 0 for the messages the game handles.
std::intptr_t WindowProc(WindowHandle window, unsigned message, std::uintptr_t wParam,
                         std::intptr_t lParam);
// Viewport and 45-degree perspective projection for a client area of the given size; in
// desktopMode for the picture placed in it.
void ResizeScene(int width, int height);
// Places the largest picture of screenWidth x screenHeight's shape in a client area, centred.
void FitPicture(int width, int height);
