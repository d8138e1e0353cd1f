#include "app/window.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cstdint>
#include <cstdio>

#include "app/audio.h"
#include "app/startup.h"
#include "game/host.h"
#include "platform/bass.h"

namespace {

// The pixel format the game asks for: double-buffered RGBA, 32 colour bits, 32 depth bits.
PixelFormatRequest pixelFormat;
bool pixelFormatFilled = false;

void ShowCreationError(const char* text) {
    MessageBox(nullptr, text, "ERROR", MB_OK | MB_ICONEXCLAMATION);
}

void ShowShutdownError(const char* text) {
    MessageBox(nullptr, text, "SHUTDOWN ERROR", MB_OK | MB_ICONINFORMATION);
}

// Every failure once the window exists releases everything made so far before it is reported.
bool FailCreation(const char* text) {
    DestroyGameWindow();
    ShowCreationError(text);
    return false;
}

}  // namespace

bool CreateGameWindow(const char* title, int width, int height, int bits, bool fullscreen) {
    fullscreenMode = fullscreen;
    windowedModeDeclined = false;

    if (!RegisterWindowClass()) {
        ShowCreationError("Failed To Register The Window Class.");
        return false;
    }

    // On the desktop the display keeps its mode, so there is nothing to refuse.
    if (fullscreenMode && !desktopMode && !ChangeDisplaySettings(width, height, bits)) {
        const int answer = MessageBox(nullptr,
                                      "The Requested Fullscreen Mode Is Not Supported By\nYour "
                                      "Video Card. Use Windowed Mode Instead?",
                                      title, MB_YESNO | MB_ICONEXCLAMATION);
        // A question that cannot be shown gets no answer. Being asked only gives the player a
        // say before the game takes a window; with no way to ask, the game plays rather than
        // end unseen.
        if (answer == 0) {
            std::fprintf(stderr,
                         "kelvado: the question could not be shown; playing in a %d x %d "
                         "window\n",
                         width, height);
        } else if (answer != IDYES) {
            windowedModeDeclined = true;
            return false;
        }
        fullscreenMode = false;
    }
    if (fullscreenMode) ShowCursor(false);

    if (!pixelFormatFilled) {
        pixelFormat = PixelFormatRequest{true, bits, 32};
        pixelFormatFilled = true;
    }
    windowHandle = CreateWindow(title, width, height, fullscreenMode, pixelFormat);
    if (!windowHandle) return FailCreation("Window Creation Error.");

    deviceContext = GetDC(windowHandle);
    if (!deviceContext) return FailCreation("Can't Create A GL Device Context.");
    const int format = ChoosePixelFormat(deviceContext, pixelFormat);
    if (format == 0) return FailCreation("Can't Find A Suitable PixelFormat.");
    if (!SetPixelFormat(deviceContext, format, pixelFormat)) {
        return FailCreation("Can't Set The PixelFormat.");
    }
    renderContext = wglCreateContext(deviceContext);
    if (!renderContext) return FailCreation("Can't Create A GL Rendering Context.");
    if (!wglMakeCurrent(deviceContext, renderContext)) {
        return FailCreation("Can't Activate The GL Rendering Context.");
    }

    // Showing the window waits on the display (full screen, up to a tenth of a second for a
    // window manager to confirm the switch); the music module is decoded meanwhile.
    StartReadingAudioAhead();
    ShowWindow(windowHandle);
    int clientWidth = width;
    int clientHeight = height;
    if (desktopMode && !GetClientSize(windowHandle, &clientWidth, &clientHeight)) {
        return FailCreation("Window Creation Error.");
    }
    ResizeScene(clientWidth, clientHeight);
    // The first game state and the world's display lists exist before the first game starts.
    ResetGame();
    if (!InitRenderState()) return FailCreation("Initialization Failed.");
    return true;
}

void DestroyGameWindow() {
    if (fullscreenMode) {
        RestoreDisplaySettings();
        ShowCursor(true);
    }
    if (renderContext) {
        if (!wglMakeCurrent(nullptr, nullptr)) ShowShutdownError("Release Of DC And RC Failed.");
        if (!wglDeleteContext(renderContext))
            ShowShutdownError("Release Rendering Context Failed.");
        renderContext = nullptr;
    }
    // Every handle is cleared once released, so a second call finds nothing left to release.
    if (deviceContext) {
        if (!ReleaseDC(windowHandle, deviceContext))
            ShowShutdownError("Release Device Context Failed.");
        deviceContext = nullptr;
    }
    if (windowHandle) {
        if (!DestroyWindow(windowHandle)) ShowShutdownError("Could Not Release hWnd.");
        windowHandle = nullptr;
    }
    if (!UnregisterWindowClass()) ShowShutdownError("Could Not Unregister Class.");
}

std::intptr_t WindowProc(WindowHandle, unsigned message, std::uintptr_t wParam,
                         std::intptr_t lParam) {
    switch (message) {
        case WM_CLOSE:
            // Closing does not destroy the window: the main loop ends and shuts down in order.
            BASS_Free();
            PostQuitMessage(0);
            return 0;
        case WM_KEYDOWN:
            if (wParam < 256) keyDown[wParam] = true;
            return 0;
        case WM_KEYUP:
            if (wParam < 256) keyDown[wParam] = false;
            return 0;
        case WM_SIZE:
            ResizeScene(static_cast<int>(lParam & 0xFFFF),
                        static_cast<int>((lParam >> 16) & 0xFFFF));
            return 0;
        default:
            return 0;
    }
}

void ResizeScene(int width, int height) {
    if (height == 0) height = 1;
    if (desktopMode) {
        FitPicture(width, height);
        glViewport(pictureX, pictureY, pictureWidth, pictureHeight);
        width = pictureWidth;
        height = pictureHeight;
    } else {
        glViewport(0, 0, width, height);
    }
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, static_cast<double>(width) / static_cast<double>(height), 0.1f, 100.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void FitPicture(int width, int height) {
    // Widths and heights are compared crosswise, in 64 bits, to keep clear of rounding.
    const std::int64_t w = width;
    const std::int64_t h = height;
    if (w * screenHeight >= h * screenWidth) {
        pictureHeight = height;
        pictureWidth = static_cast<int>(h * screenWidth / screenHeight);
    } else {
        pictureWidth = width;
        pictureHeight = static_cast<int>(w * screenHeight / screenWidth);
    }
    if (pictureWidth < 1) pictureWidth = 1;
    if (pictureHeight < 1) pictureHeight = 1;
    pictureX = (width - pictureWidth) / 2;
    pictureY = (height - pictureHeight) / 2;
}
