// The fixed-function layer's matrices: the modelview and projection stacks, the product the
// vertices go through, and the GL calls that change them, in single precision as GL 1.1 does.
#include <GL/gl.h>

#include <cmath>
#include <cstring>

#include "platform/web/gl/fixed_gl_parts.h"

namespace fixed_gl {

namespace {

// Column-major, as GL keeps them.
struct Matrix {
    float m[16];
};

constexpr Matrix kIdentity = {{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}};
constexpr int kStackDepth = 32;

Matrix modelviewStack[kStackDepth] = {kIdentity};
Matrix projectionStack[kStackDepth] = {kIdentity};
int modelviewTop = 0;
int projectionTop = 0;
GLenum matrixMode = GL_MODELVIEW;
Matrix combined = kIdentity;  // projection x modelview, rebuilt when either changes
bool combinedStale = true;

Matrix* CurrentMatrix() {
    return matrixMode == GL_PROJECTION ? &projectionStack[projectionTop]
                                       : &modelviewStack[modelviewTop];
}

// a = a x b, each element summed in column order.
void MultiplyInto(Matrix* a, const Matrix& b) {
    Matrix product;
    for (int i = 0; i < 4; ++i) {
        const float ai0 = a->m[i], ai1 = a->m[4 + i], ai2 = a->m[8 + i], ai3 = a->m[12 + i];
        for (int j = 0; j < 4; ++j) {
            product.m[j * 4 + i] = ai0 * b.m[j * 4] + ai1 * b.m[j * 4 + 1] +
                                   ai2 * b.m[j * 4 + 2] + ai3 * b.m[j * 4 + 3];
        }
    }
    *a = product;
}

void MatrixChanged() { combinedStale = true; }


const Matrix& Combined() {
    if (combinedStale) {
        combined = projectionStack[projectionTop];
        MultiplyInto(&combined, modelviewStack[modelviewTop]);
        combinedStale = false;
    }
    return combined;
}

}  // namespace

void TransformVertex(float x, float y, float z, DrawVertex* v) {
    const float* c = Combined().m;
    const float* mv = modelviewStack[modelviewTop].m;
    v->x = c[0] * x + c[4] * y + c[8] * z + c[12];
    v->y = c[1] * x + c[5] * y + c[9] * z + c[13];
    v->z = c[2] * x + c[6] * y + c[10] * z + c[14];
    v->w = c[3] * x + c[7] * y + c[11] * z + c[15];
    // The fog coordinate is the distance from the eye plane.
    v->fog = std::fabs(mv[2] * x + mv[6] * y + mv[10] * z + mv[14]);
}

void Translate(float x, float y, float z) {
    float* m = CurrentMatrix()->m;
    m[12] = m[0] * x + m[4] * y + m[8] * z + m[12];
    m[13] = m[1] * x + m[5] * y + m[9] * z + m[13];
    m[14] = m[2] * x + m[6] * y + m[10] * z + m[14];
    m[15] = m[3] * x + m[7] * y + m[11] * z + m[15];
    MatrixChanged();
}

void Rotate(float angle, float x, float y, float z) {
    const float s = static_cast<float>(std::sin(angle * M_PI / 180.0));
    const float c = static_cast<float>(std::cos(angle * M_PI / 180.0));
    Matrix r = kIdentity;
    auto at = [&r](int row, int col) -> float& { return r.m[col * 4 + row]; };
    if (x == 0.0f && y == 0.0f && z != 0.0f) {
        at(0, 0) = c;
        at(1, 1) = c;
        at(0, 1) = z < 0.0f ? s : -s;
        at(1, 0) = z < 0.0f ? -s : s;
    } else if (x == 0.0f && z == 0.0f && y != 0.0f) {
        at(0, 0) = c;
        at(2, 2) = c;
        at(0, 2) = y < 0.0f ? -s : s;
        at(2, 0) = y < 0.0f ? s : -s;
    } else if (y == 0.0f && z == 0.0f && x != 0.0f) {
        at(1, 1) = c;
        at(2, 2) = c;
        at(1, 2) = x < 0.0f ? s : -s;
        at(2, 1) = x < 0.0f ? -s : s;
    } else {
        const float length = std::sqrt(x * x + y * y + z * z);
        if (length <= 1.0e-4f) return;
        x /= length;
        y /= length;
        z /= length;
        const float xx = x * x, yy = y * y, zz = z * z;
        const float xy = x * y, yz = y * z, zx = z * x;
        const float xs = x * s, ys = y * s, zs = z * s;
        const float oneC = 1.0f - c;
        at(0, 0) = (oneC * xx) + c;
        at(0, 1) = (oneC * xy) - zs;
        at(0, 2) = (oneC * zx) + ys;
        at(1, 0) = (oneC * xy) + zs;
        at(1, 1) = (oneC * yy) + c;
        at(1, 2) = (oneC * yz) - xs;
        at(2, 0) = (oneC * zx) - ys;
        at(2, 1) = (oneC * yz) + xs;
        at(2, 2) = (oneC * zz) + c;
    }
    MultiplyInto(CurrentMatrix(), r);
    MatrixChanged();
}

}  // namespace fixed_gl

using namespace fixed_gl;

extern "C" {

void glMatrixMode(GLenum mode) { matrixMode = mode; }

void glLoadIdentity() {
    *CurrentMatrix() = kIdentity;
    MatrixChanged();
}

void glPushMatrix() {
    if (matrixMode == GL_PROJECTION) {
        if (projectionTop + 1 < kStackDepth) {
            projectionStack[projectionTop + 1] = projectionStack[projectionTop];
            ++projectionTop;
        }
    } else if (modelviewTop + 1 < kStackDepth) {
        modelviewStack[modelviewTop + 1] = modelviewStack[modelviewTop];
        ++modelviewTop;
    }
}

void glPopMatrix() {
    if (matrixMode == GL_PROJECTION) {
        if (projectionTop > 0) --projectionTop;
    } else if (modelviewTop > 0) {
        --modelviewTop;
    }
    MatrixChanged();
}

void glTranslatef(GLfloat x, GLfloat y, GLfloat z) {
    if (Record(Op::kTranslate, x, y, z)) return;
    Translate(x, y, z);
}

void glTranslated(GLdouble x, GLdouble y, GLdouble z) {
    glTranslatef(static_cast<float>(x), static_cast<float>(y), static_cast<float>(z));
}

void glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z) {
    if (Record(Op::kRotate, angle, x, y, z)) return;
    Rotate(angle, x, y, z);
}

void glMultMatrixf(const GLfloat* m) {
    Matrix b;
    std::memcpy(b.m, m, sizeof b.m);
    MultiplyInto(CurrentMatrix(), b);
    MatrixChanged();
}

void glMultMatrixd(const GLdouble* m) {
    Matrix b;
    for (int i = 0; i < 16; ++i) b.m[i] = static_cast<float>(m[i]);
    MultiplyInto(CurrentMatrix(), b);
    MatrixChanged();
}

void glOrtho(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top, GLdouble zNear,
             GLdouble zFar) {
    const float l = static_cast<float>(left), r = static_cast<float>(right);
    const float b = static_cast<float>(bottom), t = static_cast<float>(top);
    const float n = static_cast<float>(zNear), f = static_cast<float>(zFar);
    if (l == r || b == t || n == f) return;
    Matrix o = kIdentity;
    o.m[0] = 2.0f / (r - l);
    o.m[12] = -(r + l) / (r - l);
    o.m[5] = 2.0f / (t - b);
    o.m[13] = -(t + b) / (t - b);
    o.m[10] = -2.0f / (f - n);
    o.m[14] = -(f + n) / (f - n);
    MultiplyInto(CurrentMatrix(), o);
    MatrixChanged();
}

}  // extern "C"
