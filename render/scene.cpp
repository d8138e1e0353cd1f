#include "render/scene.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include "game/state.h"

namespace {

constexpr float kGroundY = -0.08f;

GLUquadric* NewTexturedQuadric() {
    GLUquadric* q = gluNewQuadric();
    gluQuadricTexture(q, GL_TRUE);
    gluQuadricDrawStyle(q, GLU_FILL);
    return q;
}

// The crowns' and trunks' shared base height, y + h / 3.5, rounded once to float.
float CrownBase(float y, float h) {
    return static_cast<float>(static_cast<double>(y) + static_cast<double>(h) / 3.5);
}

void SetFog() {
    const GLfloat black[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    glFogi(GL_FOG_MODE, GL_EXP);
    glFogfv(GL_FOG_COLOR, black);
    glFogf(GL_FOG_DENSITY, 0.08f);
    glHint(GL_FOG_HINT, GL_DONT_CARE);
    glFogf(GL_FOG_START, 0.0f);
    glFogf(GL_FOG_END, 10.0f);
    glEnable(GL_FOG);
}

void EmitGround() {
    glBegin(GL_QUADS);
    for (int z0 = 0; z0 >= -19; --z0) {
        for (int x0 = 20; x0 >= -19; --x0) {
            const float left = static_cast<float>(x0 - 1);
            const float right = static_cast<float>(x0);
            const float back = static_cast<float>(z0 - 1);
            const float front = static_cast<float>(z0);
            glTexCoord2f(0.0f, 0.0f);
            glVertex3f(left, kGroundY, back);
            glTexCoord2f(0.0f, 1.0f);
            glVertex3f(left, kGroundY, front);
            glTexCoord2f(1.0f, 1.0f);
            glVertex3f(right, kGroundY, front);
            glTexCoord2f(1.0f, 0.0f);
            glVertex3f(right, kGroundY, back);
        }
    }
    glEnd();
}

void EmitWall() {
    glTranslatef(0.0f, 2.0f, -10.0f);
    GLUquadric* q = NewTexturedQuadric();
    glRotatef(90.0f, 1.0f, 0.0f, 0.0f);
    glColor3f(0.0f, 0.0f, 0.0f);
    glBindTexture(GL_TEXTURE_2D, 0);
    gluCylinder(q, 13.0, 13.0, static_cast<double>(2.1f), 10, 10);
    glColor3f(1.0f, 1.0f, 1.0f);
    glRotatef(-90.0f, 1.0f, 0.0f, 0.0f);
    glTranslatef(0.0f, -2.0f, 10.0f);
    // The list holds the geometry; the quadric is not needed once it is compiled.
    gluDeleteQuadric(q);
}

}  // namespace

void BuildWorld() {
    SetFog();
    BuildDisplayLists();
}

void BuildDisplayLists() {
    // The previous game's lists are never called again.
    if (groundList != 0) glDeleteLists(groundList, 5);
    groundList = glGenLists(5);
    trunkList = groundList + 1;
    wallList = groundList + 2;
    segmentList = groundList + 3;
    crownList = groundList + 4;

    glNewList(groundList, GL_COMPILE);
    EmitGround();
    glEndList();

    glNewList(trunkList, GL_COMPILE);
    for (int i = 1; i <= treeCount && i < kTreeTableSize; ++i) {
        DrawTrunk(trees[i].x, trees[i].y, trees[i].z, 4.0f, trees[i].height, 4.0f);
    }
    glEndList();

    glNewList(wallList, GL_COMPILE);
    EmitWall();
    glEndList();

    glNewList(segmentList, GL_COMPILE);
    DrawSphere(0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.1f, 10, 10);
    glEndList();

    glNewList(crownList, GL_COMPILE);
    for (int i = 1; i <= treeCount && i < kTreeTableSize; ++i) {
        DrawCrown(trees[i].x, trees[i].y, trees[i].z, 4.0f, trees[i].height, 4.0f);
    }
    glEndList();
}

int DrawTrunk(float x, float y, float z, float width, float height, float depth) {
    const float top = CrownBase(y, height);
    glTranslatef(x, top, z);
    GLUquadric* q = NewTexturedQuadric();
    glRotatef(90.0f, 1.0f, 0.0f, 0.0f);  // the cylinder's axis points down
    const double w = width;
    const double h = height;
    const double d = depth;
    gluCylinder(q, w / 4.0, d / 4.0 + h / 50.0, h / 3.0, 10, 10);
    glRotatef(-90.0f, 1.0f, 0.0f, 0.0f);
    glTranslatef(-x, -top, -z);
    gluDeleteQuadric(q);
    return 1;
}

int DrawCrown(float x, float y, float z, float width, float height, float depth) {
    const float apexY = static_cast<float>(static_cast<double>(y) + height);
    const float b = CrownBase(y, height);
    const float east = static_cast<float>(static_cast<double>(x) + width / 2.0);
    const float west = static_cast<float>(static_cast<double>(x) - width / 2.0);
    const float north = static_cast<float>(static_cast<double>(z) - depth / 2.0);
    const float south = static_cast<float>(static_cast<double>(z) + depth / 2.0);
    struct Corner {
        float x, y, z;
    };
    const Corner apex{x, apexY, z};
    const Corner p1{east, b, north};
    const Corner p2{west, b, north};
    const Corner p3{east, b, south};
    const Corner p4{west, b, south};
    auto vertex = [](const Corner& p, float s, float t) {
        glTexCoord2f(s, t);
        glVertex3f(p.x, p.y, p.z);
    };
    glBegin(GL_TRIANGLES);
    vertex(apex, 0, 0), vertex(p1, 1, 1), vertex(p2, 0, 1);
    vertex(apex, 0, 0), vertex(p3, 1, 1), vertex(p4, 0, 1);
    vertex(apex, 0, 0), vertex(p3, 0, 1), vertex(p1, 1, 1);
    vertex(apex, 0, 0), vertex(p4, 1, 1), vertex(p2, 0, 1);
    vertex(p1, 0, 0), vertex(p2, 1, 1), vertex(p3, 0, 1);
    vertex(p4, 0, 0), vertex(p3, 1, 1), vertex(p2, 0, 1);
    glEnd();
    return 1;
}

int DrawSphere(float x, float y, float z, float angleX, float angleY, float angleZ, float radius,
               int slices, int stacks) {
    glTranslatef(x, y, z);
    glRotatef(angleX, 1.0f, 0.0f, 0.0f);
    glRotatef(angleY, 0.0f, 1.0f, 0.0f);
    glRotatef(angleZ, 0.0f, 0.0f, 1.0f);
    GLUquadric* q = NewTexturedQuadric();
    gluSphere(q, radius, slices, stacks);
    glRotatef(-angleZ, 0.0f, 0.0f, 1.0f);
    glRotatef(-angleY, 0.0f, 1.0f, 0.0f);
    glRotatef(-angleX, 1.0f, 0.0f, 0.0f);
    glTranslatef(-x, -y, -z);
    gluDeleteQuadric(q);
    return 1;
}
