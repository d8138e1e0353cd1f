#include "render/worm.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>

#include "game/rules.h"
#include "game/state.h"
#include "render/camera.h"
#include "render/scene.h"
#include "screen/textures.h"

namespace {

// The inverse of a turn by `degrees`, written as the rest of a full turn.
float TurnBack(float degrees) { return static_cast<float>(360.0 - static_cast<double>(degrees)); }

}  // namespace

int DrawItem(float x, float y, float z, float spinDeg) {
    glTranslatef(x, y, z);
    GLUquadric* q = gluNewQuadric();
    gluQuadricTexture(q, GL_TRUE);
    gluQuadricDrawStyle(q, GLU_FILL);
    glRotatef(spinDeg, 0.0f, 1.0f, 0.0f);

    // Paper, then the filter just behind the item's point.
    glColor3f(1.0f, 1.0f, 1.0f);
    glBindTexture(GL_TEXTURE_2D, 0);
    gluCylinder(q, 0.01, 0.01, 0.1, 10, 10);
    glTranslatef(0.0f, 0.0f, -0.05f);
    glColor3f(0.6f, 0.5f, 0.5f);
    gluCylinder(q, 0.01, 0.01, 0.05, 10, 10);
    glTranslatef(0.0f, 0.0f, 0.05f);
    glColor3f(1.0f, 1.0f, 1.0f);

    glRotatef(TurnBack(spinDeg), 0.0f, 1.0f, 0.0f);

    // The glow square turns to face along the line from the eye. With the eye straight above
    // the item the quotient is 0/0; the glow then keeps its unturned facing, so that the
    // rotation and its inverse stay finite and the matrix comes back as it was.
    const float dx = x - cameraEye.x;
    const float dz = z - cameraEye.z;
    const float quotient = dx / dz;
    const float angle =
        std::isnan(quotient) ? 0.0f : static_cast<float>(std::atan(static_cast<double>(quotient)));
    const float facing = RadToDeg(angle);
    glRotatef(facing, 0.0f, 1.0f, 0.0f);

    glBindTexture(GL_TEXTURE_2D, textures[kGlowTexture]);
    glColor4f(1.0f, 1.0f, 1.0f, 0.2f);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glEnable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex3f(-0.15f, -0.15f, 0.0f);
    glTexCoord2f(1.0f, 0.0f);
    glVertex3f(0.15f, -0.15f, 0.0f);
    glTexCoord2f(1.0f, 1.0f);
    glVertex3f(0.15f, 0.15f, 0.0f);
    glTexCoord2f(0.0f, 1.0f);
    glVertex3f(-0.15f, 0.15f, 0.0f);
    glEnd();
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);

    glRotatef(TurnBack(facing), 0.0f, 1.0f, 0.0f);
    glTranslatef(-x, -y, -z);
    gluDeleteQuadric(q);
    return 1;
}

void DrawWorm() {
    const float fade = static_cast<float>(1.0 - static_cast<double>(tintLevel));
    glColor3f(1.0f, fade, fade);
    // Every fifth trail record is a sphere; its centre sits on y = 0.
    for (int i = 1; static_cast<float>(i) <= segmentCount && i < kSegmentTableSize; i += 5) {
        const SegmentRecord& s = segments[i];
        glBindTexture(GL_TEXTURE_2D, textures[kWormTexture]);
        glTranslatef(s.x, 0.0f, s.z);
        glRotatef(s.rotY, 0.0f, 1.0f, 0.0f);
        glRotatef(s.rotZ, 0.0f, 0.0f, 1.0f);
        glCallList(segmentList);
        glRotatef(TurnBack(s.rotZ), 0.0f, 0.0f, 1.0f);
        glRotatef(TurnBack(s.rotY), 0.0f, 1.0f, 0.0f);
        glTranslatef(-s.x, 0.0f, -s.z);
    }
}
