// The start-up's pictures, fixed GL state and high-score table, once the GL context exists.
#include "app/startup.h"

#include <GL/gl.h>

#include "frontend/hiscore.h"
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
