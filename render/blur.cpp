#include "render/blur.h"

#include "screen/overlay.h"

void CopyScreenToTexture(GLuint* table, int slot, int width, int height) {
    glBindTexture(GL_TEXTURE_2D, table[slot]);
    glCopyTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 0, 0, width, height, 0);
}

void DrawBlurQuads(int size, GLuint* table, int slot, float alpha, float angleStep, int steps) {
    glBindTexture(GL_TEXTURE_2D, table[slot]);
    OrthoMode(0, 0, size, size);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glColor4f(1.0f, 1.0f, 1.0f, alpha);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);

    float a = alpha + alpha;
    const float fade = (alpha + alpha) / static_cast<float>(steps);
    float angle = 0.0f;
    const float h = static_cast<float>(size / 2);
    glTranslatef(h, h, 0.0f);
    for (int i = 0; i <= steps; ++i) {
        glColor4f(1.0f, 1.0f, 1.0f, a);
        // The turns accumulate: each copy is turned further than the one before.
        glRotatef(angle, 0.0f, 0.0f, 1.0f);
        glBegin(GL_QUADS);
        glTexCoord2f(0.0f, 1.0f);
        glVertex2f(-h, -h);
        glTexCoord2f(1.0f, 1.0f);
        glVertex2f(h, -h);
        glTexCoord2f(1.0f, 0.0f);
        glVertex2f(h, h);
        glTexCoord2f(0.0f, 0.0f);
        glVertex2f(-h, h);
        glEnd();
        angle += angleStep;
        a -= fade;
    }
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    PerspectiveMode();
}
