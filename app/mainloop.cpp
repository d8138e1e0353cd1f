#include "app/mainloop.h"

#include "app/audio.h"
#include "app/frame.h"
#include "app/window.h"
#include "frontend/demos.h"
#include "game/demo.h"
#include "game/host.h"
#include "game/state.h"
#include "platform/bass.h"
#include "platform/platform.h"
#include "platform/read_ahead.h"
#include "render/scene.h"

namespace {

// The exit code: the WM_QUIT's own code when a close ended the loop, 0 for Esc.
int exitCode = 0;

// A watched demo ends this long after its game did.
constexpr std::uint64_t kWatchedEndPause = 2000;
bool watchedGameOver = false;
std::uint64_t watchedEndTime = 0;

void WatchDemoToItsEnd() {
    if (!DemoWatched()) return;
    if (!watchedGameOver) {
        watchedGameOver = true;
        watchedEndTime = passStartTime;
    }
    if (passStartTime - watchedEndTime >= kWatchedEndPause) quitRequested = 1;
}

// The clock reading widened to 64 bits. The 32-bit millisecond clock wraps after 49.7 days;
// extending the previous reading by the wrapped difference keeps every pass's duration right
// across the wrap.
std::uint64_t ReadClock(std::uint64_t previous) {
    const DWORD now = timeGetTime();
    return previous + static_cast<DWORD>(now - static_cast<DWORD>(previous));
}

}  // namespace

// A game's start as the engine makes it (game/host.h): the game state, the quit flag, then the
// world's GL objects.
int ResetGame() {
    ResetGameState();
    quitRequested = 0;
    BuildWorld();
    return 1;
}

bool StartUp() {
    fullscreenMode = !startWindowed;
    desktopMode = startOnDesktop && !startWindowed;
    if (!CreateGameWindow("Kelvado", screenWidth, screenHeight, 32, fullscreenMode)) {
        FinishWorkAhead();  // nothing started for the start-up is left running
        return false;
    }
    InitAudio(windowHandle);
    lastPassTime = timeGetTime();
    return true;
}

void RunPass() {
    passStartTime = ReadClock(lastPassTime);
    // The accumulator takes the previous pass's duration, so it lags one pass behind the clock.
    stepAccumulator = static_cast<float>(stepAccumulator + 2.0 * frameDelta);

    Message message;
    if (PeekMessage(&message)) {
        if (message.message == WM_QUIT) {
            quitRequested = 1;
            exitCode = static_cast<int>(message.wParam);
        } else {
            WindowProc(windowHandle, message.message, message.wParam, message.lParam);
        }
    }

    if (!keyDown[VK_ESCAPE] && escapeLatch) escapeLatch = false;
    if (keyDown[VK_ESCAPE]) {
        // Esc quits from the title, leaves a game, and freezes the picture while held. A demo
        // being watched ends at once.
        if (gameMode == kModeTitle && !escapeLatch) quitRequested = 1;
        if (demoWatching) quitRequested = 1;
        if (gameMode == kModePlaying && !demoWatching) {
            gameMode = kModeTitle;
            escapeLatch = true;
            EndDemoGameLeft();
            KeepLastDemo();
        }
    } else {
        while (stepAccumulator > 0.0f) {
            UpdateGame();
            stepAccumulator = static_cast<float>(stepAccumulator - 1.0);
        }
        KeepLastDemo();
        WatchDemoToItsEnd();
        if (quitRequested && musicEnabled) FadeOutMusic();
        DrawFrame();
        SwapBuffers(deviceContext);
    }

    const std::int64_t elapsedHundredths = static_cast<std::int64_t>(passStartTime) * 100 -
                                           static_cast<std::int64_t>(lastPassTime) * 100;
    frameDelta = static_cast<float>(static_cast<double>(elapsedHundredths) / 5000.0);
    lastPassTime = passStartTime;
}

int ShutDown() {
    // A game still running when the window closes is left like one left with Esc.
    if (gameMode == kModePlaying) {
        EndDemoGameLeft();
        KeepLastDemo();
    }
    if (musicEnabled) FadeOutMusic();
    DestroyGameWindow();
    BASS_SetVolume(100);
    return exitCode;
}

int WinMain() {
    // No window is a failure, and says so (1), unless the player chose it.
    if (!StartUp()) return windowedModeDeclined ? 0 : 1;
    while (quitRequested == 0) RunPass();
    return ShutDown();
}
