// The window system over SDL2: starting it, the display mode, the one window and its OpenGL
// context, showing it and its frames.
#include <SDL.h>
#ifdef __GLIBC__
#include <malloc.h>
#endif

#include <cstdio>
#include <initializer_list>

#include "platform/sdl/sdl_platform.h"

SDL_Window* sdlWindow = nullptr;

namespace {

SDL_DisplayMode fullscreenDisplayMode;
bool haveFullscreenDisplayMode = false;
Uint64 lastMemoryReturnAt = 0;

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
    StartEvents();
    SDL_DisableScreenSaver();
    // Controllers are welcome, not needed: without them the keyboard is all there is.
    StartControllers();
    return true;
}

bool UnregisterWindowClass() {
    StopControllers();
    StopEvents();
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
    if (sdlWindow) SDL_SetWindowFullscreen(sdlWindow, 0);
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
        sdlWindow = SDL_CreateWindow(title, 0, 0, width, height, flags);
        if (sdlWindow) break;
    }
    if (!sdlWindow) {
        std::fprintf(stderr, "kelvado: window: %s\n", SDL_GetError());
        return nullptr;
    }
    if (fullscreen && haveFullscreenDisplayMode) {
        SDL_SetWindowDisplayMode(sdlWindow, &fullscreenDisplayMode);
    }
    return AsHandle(sdlWindow);
}

bool DestroyWindow(WindowHandle handle) {
    if (!handle || AsWindow(handle) != sdlWindow) return false;
    SDL_DestroyWindow(sdlWindow);
    sdlWindow = nullptr;
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
    if (!rc) return SDL_GL_MakeCurrent(sdlWindow, nullptr) == 0;
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
