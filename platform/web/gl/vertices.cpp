// The fixed-function layer's vertices: the current colour and texture coordinate, primitives
// assembled into triangles as glBegin and glEnd draw them, and the batch of triangles handed
// to draw.cpp, drawn whenever the state it is drawn with changes and before the frame is shown.
#include <GL/gl.h>

#include <cstring>

#include "platform/web/gl/fixed_gl.h"
#include "platform/web/gl/fixed_gl_parts.h"

namespace fixed_gl {

namespace {

float currentColor[4] = {1, 1, 1, 1};
float currentTexCoord[2] = {0, 0};

constexpr int kBatchCapacity = 3 * 8192;
DrawVertex batch[kBatchCapacity];
int batchCount = 0;

GLenum primitive = 0;
bool insideBegin = false;
int primitiveVertices = 0;
DrawVertex recent[4];  // the last four vertices of the primitive, by index modulo 4
DrawVertex fanCentre;

void EmitTriangle(const DrawVertex& a, const DrawVertex& b, const DrawVertex& c) {
    if (batchCount + 3 > kBatchCapacity) Flush();
    batch[batchCount++] = a;
    batch[batchCount++] = b;
    batch[batchCount++] = c;
}

void ColorCall(float r, float g, float b, float a) {
    if (Record(Op::kColor, r, g, b, a)) return;
    currentColor[0] = r;
    currentColor[1] = g;
    currentColor[2] = b;
    currentColor[3] = a;
}

}  // namespace

void Flush() {
    if (batchCount == 0) return;
    DrawState state{};
    FillDrawState(&state);
    DrawTriangles(batch, batchCount, state);
    batchCount = 0;
}

void AddVertex(float x, float y, float z) {
    DrawVertex v;
    TransformVertex(x, y, z, &v);
    v.r = currentColor[0];
    v.g = currentColor[1];
    v.b = currentColor[2];
    v.a = currentColor[3];
    v.s = currentTexCoord[0];
    v.t = currentTexCoord[1];


    const int n = primitiveVertices++;
    recent[n & 3] = v;
    switch (primitive) {
        case GL_TRIANGLES:
            if (n % 3 == 2) EmitTriangle(recent[(n - 2) & 3], recent[(n - 1) & 3], v);
            break;
        case GL_QUADS:
            if (n % 4 == 3) {
                EmitTriangle(recent[0], recent[1], recent[2]);
                EmitTriangle(recent[0], recent[2], recent[3]);
            }
            break;
        case GL_QUAD_STRIP:
            if (n >= 3 && n % 2 == 1) {
                const DrawVertex& a = recent[(n - 3) & 3];
                const DrawVertex& b = recent[(n - 2) & 3];
                const DrawVertex& d = recent[(n - 1) & 3];
                EmitTriangle(a, b, v);
                EmitTriangle(a, v, d);
            }
            break;
        case GL_TRIANGLE_STRIP:
            if (n >= 2) EmitTriangle(recent[(n - 2) & 3], recent[(n - 1) & 3], v);
            break;
        case GL_TRIANGLE_FAN:
        case GL_POLYGON:
            if (n == 0) fanCentre = v;
            if (n >= 2) EmitTriangle(fanCentre, recent[(n - 1) & 3], v);
            break;
        default:
            break;  // points and lines: the game draws none
    }
}

void Begin(GLenum mode) {
    primitive = mode;
    insideBegin = true;
    primitiveVertices = 0;
}

void End() {
    insideBegin = false;
    primitive = 0;
}

void SetTexCoord(float s, float t) {
    currentTexCoord[0] = s;
    currentTexCoord[1] = t;
}

void SetColor(const float rgba[4]) { std::memcpy(currentColor, rgba, sizeof currentColor); }

}  // namespace fixed_gl

using namespace fixed_gl;

void FlushFixedGl() { Flush(); }

bool StartFixedGl() { return StartDrawing(); }

extern "C" {

void glBegin(GLenum mode) {
    if (Record(Op::kBegin, static_cast<float>(mode))) return;
    Begin(mode);
}

void glEnd() {
    if (Record(Op::kEnd)) return;
    End();
}

void glVertex3f(GLfloat x, GLfloat y, GLfloat z) {
    if (Record(Op::kVertex, x, y, z)) return;
    if (insideBegin) AddVertex(x, y, z);
}

void glVertex2f(GLfloat x, GLfloat y) { glVertex3f(x, y, 0.0f); }

void glVertex2i(GLint x, GLint y) {
    glVertex3f(static_cast<GLfloat>(x), static_cast<GLfloat>(y), 0.0f);
}

void glTexCoord2f(GLfloat s, GLfloat t) {
    if (Record(Op::kTexCoord, s, t)) return;
    SetTexCoord(s, t);
}

void glNormal3f(GLfloat, GLfloat, GLfloat) {}  // no lighting: normals change nothing drawn

void glColor3f(GLfloat r, GLfloat g, GLfloat b) { ColorCall(r, g, b, 1.0f); }

void glColor4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a) { ColorCall(r, g, b, a); }

}  // extern "C"
