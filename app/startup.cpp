// The start-up's GL state and table load, and a game's start as the engine makes it.
#include "app/startup.h"

#include <GL/gl.h>

#include "app/mainloop.h"
#include "frontend/hiscore.h"
#include "game/state.h"
#include "render/scene.h"
#include "screen/textures.h"

bool InitRenderState() {
    if (!LoadTextures()) return false;
    glEnable(GL_TEXTURE_2D);
    glShadeModel(GL_SMOOTH);
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    highScores.Load("hiscore.dat");
    return true;
}

int ResetGame() {
    ResetGameState();
    quitRequested = 0;
    BuildWorld();
    return 1;
}
