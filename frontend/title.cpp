#include "frontend/title.h"

#include <GL/gl.h>

#include <cmath>
#include <cstdio>
#include <cstring>

#include "frontend/hiscore.h"
#include "game/state.h"
#include "screen/overlay.h"
#include "screen/screen.h"
#include "screen/textures.h"

void DrawTitleScreen() {
    OrthoMode(0, 0, screenWidth, screenHeight);

    // The backdrop, upright and stretched over the whole window.
    glBindTexture(GL_TEXTURE_2D, textures[kTitleTexture]);
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 1.0f);
    glVertex2i(0, 0);
    glTexCoord2f(1.0f, 1.0f);
    glVertex2i(screenWidth, 0);
    glTexCoord2f(1.0f, 0.0f);
    glVertex2i(screenWidth, screenHeight);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2i(0, screenHeight);
    glEnd();

    // The label runs down a column; each letter lags the one above by a radian of sway.
    const int labelLength = static_cast<int>(std::strlen(titleLabel));
    char glyph[2];
    for (int i = 0; i < labelLength; ++i) {
        std::snprintf(glyph, sizeof glyph, "%c", titleLabel[i]);
        const double phase = static_cast<double>(animClock) - static_cast<double>(i);
        const float x = static_cast<float>(580.0 + 15.0 * std::sin(phase));
        const float y = static_cast<float>(50 + 30 * i);
        PrintText(x, y, glyph, textures, kFontMaskTexture, kFontTexture, 1.0f, 1.0f, 32, 32, 1.0f,
                  fontCharset);
    }

    PrintText(430.0f, 430.0f, "BETA", textures, kFontMaskTexture, kFontTexture, 1.0f, 1.0f, 32, 32,
              19.0f, fontCharset);
    DrawHighScores();
    PerspectiveMode();
}
