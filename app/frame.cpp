#include "app/frame.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstring>

#include "app/window.h"
#include "frontend/demos.h"
#include "frontend/hiscore.h"
#include "frontend/nameentry.h"
#include "frontend/title.h"
#include "game/demo.h"
#include "game/state.h"
#include "platform/platform.h"
#include "render/blur.h"
#include "render/gamescene.h"
#include "screen/textures.h"

namespace {

constexpr int kBlurSize = 256;

void DrawPlayingFrame() {
    if (blurOn || blurCapture) {
        // The capture pass renders the scene small and keeps it for the blur copies.
        glViewport(0, 0, kBlurSize, kBlurSize);
        DrawGameScene(true);
        CopyScreenToTexture(textures, kBlurTexture, kBlurSize, kBlurSize);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }
    glViewport(pictureX, pictureY, pictureWidth, pictureHeight);
    DrawGameScene(false);
    if (blurOn) {
        DrawBlurQuads(kBlurSize, textures, kBlurTexture, 0.2f, 0.1f, 30);
        DrawBlurQuads(kBlurSize, textures, kBlurTexture, 0.2f, -0.1f, 30);
    }
}

void RunNameEntry() {
    const int place = FindHighScorePlace();
    if (place == 0) {
        gameMode = kModeTitle;
        return;
    }
    ReadNameKeys();
    DrawNameEntry();
    if ((GetAsyncKeyState(VK_RETURN) & 0x8000) && nameTyped && nameLength >= 2) {
        // The press that stores the name must not also start the next game.
        enterLatch = true;
        HighScoreEntry entry{};
        entry.score = score;
        const int length = std::min(nameLength, kMaxNameLength);
        std::memcpy(entry.name, nameText, static_cast<std::size_t>(length));
        entry.name[length] = '\0';
        highScores.Insert(entry, place);
        const bool saved = highScores.Save("hiscore.dat");
        KeepDemoOfEntry(entry.name);
        // Only a table that is on the disk says which kept demos have lost their place.
        if (saved) PruneKeptDemos();
        gameMode = kModeTitle;
    }
}

// A controller types on the name entry and plays everywhere else.
void ChooseControllerKeys() { SetTextEntry(gameMode == kModeNameEntry && !demoWatching); }

}  // namespace

int DrawFrame() {
    ChooseControllerKeys();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    // Each test reads the mode anew: a name stored below shows the title in this same frame.
    if (gameMode == kModePlaying) DrawPlayingFrame();
    // A watched game stays in view once over: no name is asked for and no table is written.
    if (gameMode == kModeNameEntry) {
        if (demoWatching) {
            DrawPlayingFrame();
        } else {
            RunNameEntry();
        }
    }
    if (gameMode == kModeTitle) DrawTitleScreen();
    glLoadIdentity();
    ChooseControllerKeys();
    return 1;
}
