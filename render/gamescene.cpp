#include "render/gamescene.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>
#include <cstdio>

#include "game/state.h"
#include "render/scene.h"
#include "render/worm.h"
#include "screen/overlay.h"
#include "screen/screen.h"
#include "screen/textures.h"

namespace {

// The heading offset and the sway offset use two different approximations of pi.
constexpr double kBehind = 3.141593;
constexpr double kSwayOffset = 3.14;
constexpr double kEyeHeight = 0.7f;  // the single-precision 0.7
constexpr double kChaseDistance = 3.0;
// The single-precision value nearest 300/370: the frame is as long as the bar at 300.
constexpr double kFrameLength = 0.8108108f;

void PlaceCamera() {
    const double hx = segments[1].x;
    const double hz = segments[1].z;
    const double h = segments[1].heading;
    const double a = swayPhase;
    const double s = swayAmount;
    cameraEye.x =
        static_cast<float>(hx + kChaseDistance * std::sin(h + kBehind) + s * std::sin(2.0 * a));
    cameraEye.y = static_cast<float>(kEyeHeight + s * std::cos(a));
    cameraEye.z = static_cast<float>(hz + kChaseDistance * std::cos(h + kBehind) +
                                     s * std::cos(a + kSwayOffset));
    cameraTarget.x = static_cast<float>(hx + (s / 2.0) * std::sin(2.0 * a));
    cameraTarget.y = static_cast<float>(0.5 + s * std::sin(a));
    cameraTarget.z = static_cast<float>(hz + (s / 2.0) * std::cos(2.0 * a));
    gluLookAt(cameraEye.x, cameraEye.y, cameraEye.z, cameraTarget.x, cameraTarget.y, cameraTarget.z,
              0.0, 1.0, 0.0);
}

void DrawBarQuad(float bottom) {
    glBegin(GL_QUADS);
    glVertex2f(5.0f, 5.0f);
    glVertex2f(5.0f, bottom);
    glVertex2f(30.0f, bottom);
    glVertex2f(30.0f, 5.0f);
    glEnd();
}

void DrawHud() {
    const double height = screenHeight;
    OrthoMode(0, 0, screenWidth, screenHeight);
    char scoreText[16];
    std::snprintf(scoreText, sizeof scoreText, "%d", score);

    // Translucent frame, added onto the scene, as long as the bar at the withdrawal limit.
    glEnable(GL_BLEND);
    glColor4f(1.0f, 1.0f, 1.0f, 0.5f);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    DrawBarQuad(static_cast<float>(5.0 + kFrameLength * height));

    // The bar itself, not clamped: past 300 it runs out of the frame.
    glDisable(GL_BLEND);
    glColor3f(1.0f, 1.0f, 1.0f);
    DrawBarQuad(static_cast<float>(static_cast<double>(withdrawal) / 370.0 * height + 5.0));

    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glDisable(GL_DEPTH_TEST);
    glColor3f(1.0f, 1.0f, 1.0f);
    PrintText(35.0f, 5.0f, scoreText, textures, kFontMaskTexture, kFontTexture, 1.0f, 1.0f, 32, 32,
              -4.0f, fontCharset);
    PerspectiveMode();
    glEnable(GL_DEPTH_TEST);
}

}  // namespace

void DrawGameScene(bool captureOnly) {
    PlaceCamera();

    // Ground and crowns share the texture and the strong red; the tint drains green and blue.
    const double tint = tintLevel;
    const float red = static_cast<float>(0.2 - tint / 9.0);
    glBindTexture(GL_TEXTURE_2D, textures[kGroundTexture]);
    glColor3f(1.0f, red, red);
    glCallList(groundList);
    glCallList(crownList);

    const float fade = static_cast<float>(1.0 - tint);
    glColor3f(1.0f, fade, fade);
    glBindTexture(GL_TEXTURE_2D, textures[kBarkTexture]);
    glCallList(trunkList);

    glCallList(wallList);

    for (int i = 1; i <= kItemCount; ++i) {
        DrawItem(items[i].x, items[i].y, items[i].z, items[i].spinDeg);
    }
    DrawWorm();

    glColor3f(1.0f, 1.0f, 1.0f);
    glBindTexture(GL_TEXTURE_2D, 0);
    glLoadIdentity();
    if (captureOnly) return;
    DrawHud();
}
