// The GLU calls the game makes, over the fixed-function layer. They follow the platform's own
// GLU (SGI's sample implementation, as Mesa ships it) step for step: the same vertices in the
// same order, the same single-precision stores, the same box filter for the mipmaps, so that the
// picture is built from the same numbers as on the desktop.
#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

class GLUquadric {
public:
    GLenum normals = GLU_SMOOTH;
    bool textureCoords = false;
    GLenum orientation = GLU_OUTSIDE;
    GLenum drawStyle = GLU_FILL;
};

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kCacheSize = 240;

void Normalize(float v[3]) {
    const float r = static_cast<float>(std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]));
    if (r == 0.0f) return;
    v[0] /= r;
    v[1] /= r;
    v[2] /= r;
}

void Cross(const float a[3], const float b[3], float out[3]) {
    out[0] = a[1] * b[2] - a[2] * b[1];
    out[1] = a[2] * b[0] - a[0] * b[2];
    out[2] = a[0] * b[1] - a[1] * b[0];
}

bool PowerOfTwo(int n) { return n > 0 && (n & (n - 1)) == 0; }

// One level down: each pixel the rounded mean of the 2 x 2 above it, or of the pair above it
// once one side is down to a single pixel.
void HalveImage(const unsigned char* in, int width, int height, int components,
                unsigned char* out) {
    if (width == 1 || height == 1) {
        const int length = width == 1 ? height : width;
        for (int i = 0; i < length / 2; ++i) {
            for (int k = 0; k < components; ++k) {
                out[i * components + k] = static_cast<unsigned char>(
                    (in[(2 * i) * components + k] + in[(2 * i + 1) * components + k]) / 2);
            }
        }
        return;
    }
    const int row = width * components;
    for (int y = 0; y < height / 2; ++y) {
        for (int x = 0; x < width / 2; ++x) {
            for (int k = 0; k < components; ++k) {
                const unsigned char* p = in + (2 * y) * row + (2 * x) * components + k;
                out[(y * (width / 2) + x) * components + k] = static_cast<unsigned char>(
                    (p[0] + p[components] + p[row] + p[row + components] + 2) / 4);
            }
        }
    }
}

}  // namespace

extern "C" {

void gluPerspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar) {
    const double radians = fovy / 2 * kPi / 180;
    const double deltaZ = zFar - zNear;
    const double sine = std::sin(radians);
    if (deltaZ == 0 || sine == 0 || aspect == 0) return;
    const double cotangent = std::cos(radians) / sine;
    double m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    m[0] = cotangent / aspect;
    m[5] = cotangent;
    m[10] = -(zFar + zNear) / deltaZ;
    m[11] = -1;
    m[14] = -2 * zNear * zFar / deltaZ;
    m[15] = 0;
    glMultMatrixd(m);
}

void gluLookAt(GLdouble eyeX, GLdouble eyeY, GLdouble eyeZ, GLdouble centerX, GLdouble centerY,
               GLdouble centerZ, GLdouble upX, GLdouble upY, GLdouble upZ) {
    float forward[3] = {static_cast<float>(centerX - eyeX), static_cast<float>(centerY - eyeY),
                        static_cast<float>(centerZ - eyeZ)};
    float up[3] = {static_cast<float>(upX), static_cast<float>(upY), static_cast<float>(upZ)};
    float side[3];
    Normalize(forward);
    Cross(forward, up, side);
    Normalize(side);
    Cross(side, forward, up);
    GLfloat m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    m[0] = side[0];
    m[4] = side[1];
    m[8] = side[2];
    m[1] = up[0];
    m[5] = up[1];
    m[9] = up[2];
    m[2] = -forward[0];
    m[6] = -forward[1];
    m[10] = -forward[2];
    glMultMatrixf(m);
    glTranslated(-eyeX, -eyeY, -eyeZ);
}

GLUquadric* gluNewQuadric() { return new (std::nothrow) GLUquadric; }

void gluDeleteQuadric(GLUquadric* quadric) { delete quadric; }

void gluQuadricTexture(GLUquadric* quadric, GLboolean textureCoords) {
    quadric->textureCoords = textureCoords != 0;
}

void gluQuadricDrawStyle(GLUquadric* quadric, GLenum drawStyle) {
    if (drawStyle == GLU_POINT || drawStyle == GLU_LINE || drawStyle == GLU_FILL ||
        drawStyle == GLU_SILHOUETTE)
        quadric->drawStyle = drawStyle;
}

void gluQuadricNormals(GLUquadric* quadric, GLenum normals) {
    if (normals == GLU_SMOOTH || normals == GLU_FLAT || normals == GLU_NONE)
        quadric->normals = normals;
}

void gluQuadricOrientation(GLUquadric* quadric, GLenum orientation) {
    if (orientation == GLU_OUTSIDE || orientation == GLU_INSIDE) quadric->orientation = orientation;
}

// Filled cylinders only, the one style the game draws; normals are left out, as nothing is lit.
void gluCylinder(GLUquadric* q, GLdouble baseRadius, GLdouble topRadius, GLdouble height,
                 GLint slices, GLint stacks) {
    if (slices >= kCacheSize) slices = kCacheSize - 1;
    if (slices < 2 || stacks < 1 || baseRadius < 0.0 || topRadius < 0.0 || height < 0.0) return;
    const float deltaRadius = static_cast<float>(baseRadius - topRadius);
    const float length = static_cast<float>(std::sqrt(deltaRadius * deltaRadius + height * height));
    if (length == 0.0f || q->drawStyle != GLU_FILL) return;

    float sinCache[kCacheSize];
    float cosCache[kCacheSize];
    for (int i = 0; i < slices; ++i) {
        const float angle = static_cast<float>(2 * kPi * i / slices);
        sinCache[i] = static_cast<float>(std::sin(angle));
        cosCache[i] = static_cast<float>(std::cos(angle));
    }
    sinCache[slices] = sinCache[0];
    cosCache[slices] = cosCache[0];

    for (int j = 0; j < stacks; ++j) {
        const float zLow = static_cast<float>(j * height / stacks);
        const float zHigh = static_cast<float>((j + 1) * height / stacks);
        const float radiusLow = static_cast<float>(
            baseRadius - deltaRadius * (static_cast<float>(j) / stacks));
        const float radiusHigh = static_cast<float>(
            baseRadius - deltaRadius * (static_cast<float>(j + 1) / stacks));
        glBegin(GL_QUAD_STRIP);
        for (int i = 0; i <= slices; ++i) {
            const float s = 1 - static_cast<float>(i) / slices;
            const float tLow = static_cast<float>(j) / stacks;
            const float tHigh = static_cast<float>(j + 1) / stacks;
            if (q->orientation == GLU_OUTSIDE) {
                if (q->textureCoords) glTexCoord2f(s, tLow);
                glVertex3f(radiusLow * sinCache[i], radiusLow * cosCache[i], zLow);
                if (q->textureCoords) glTexCoord2f(s, tHigh);
                glVertex3f(radiusHigh * sinCache[i], radiusHigh * cosCache[i], zHigh);
            } else {
                if (q->textureCoords) glTexCoord2f(s, tHigh);
                glVertex3f(radiusHigh * sinCache[i], radiusHigh * cosCache[i], zHigh);
                if (q->textureCoords) glTexCoord2f(s, tLow);
                glVertex3f(radiusLow * sinCache[i], radiusLow * cosCache[i], zLow);
            }
        }
        glEnd();
    }
}

// Filled spheres: with texture coordinates every stack is a quad strip; without, the two ends
// are fans.
void gluSphere(GLUquadric* q, GLdouble radius, GLint slices, GLint stacks) {
    if (slices >= kCacheSize) slices = kCacheSize - 1;
    if (stacks >= kCacheSize) stacks = kCacheSize - 1;
    if (slices < 2 || stacks < 1 || radius < 0.0 || q->drawStyle != GLU_FILL) return;

    float sinCache1a[kCacheSize];
    float cosCache1a[kCacheSize];
    float sinCache1b[kCacheSize];
    float cosCache1b[kCacheSize];
    for (int i = 0; i < slices; ++i) {
        const float angle = static_cast<float>(2 * kPi * i / slices);
        sinCache1a[i] = static_cast<float>(std::sin(angle));
        cosCache1a[i] = static_cast<float>(std::cos(angle));
    }
    for (int j = 0; j <= stacks; ++j) {
        const float angle = static_cast<float>(kPi * j / stacks);
        sinCache1b[j] = static_cast<float>(radius * std::sin(angle));
        cosCache1b[j] = static_cast<float>(radius * std::cos(angle));
    }
    // The poles come to a point.
    sinCache1b[0] = 0;
    sinCache1b[stacks] = 0;
    sinCache1a[slices] = sinCache1a[0];
    cosCache1a[slices] = cosCache1a[0];

    const bool outside = q->orientation == GLU_OUTSIDE;
    int start = 0;
    int finish = stacks;
    if (!q->textureCoords) {
        start = 1;
        finish = stacks - 1;
        float sintemp2 = sinCache1b[1];
        float zHigh = cosCache1b[1];
        glBegin(GL_TRIANGLE_FAN);
        glVertex3f(0.0f, 0.0f, static_cast<float>(radius));
        for (int k = 0; k <= slices; ++k) {
            const int i = outside ? slices - k : k;
            glVertex3f(sintemp2 * sinCache1a[i], sintemp2 * cosCache1a[i], zHigh);
        }
        glEnd();
        sintemp2 = sinCache1b[stacks - 1];
        zHigh = cosCache1b[stacks - 1];
        glBegin(GL_TRIANGLE_FAN);
        glVertex3f(0.0f, 0.0f, static_cast<float>(-radius));
        for (int k = 0; k <= slices; ++k) {
            const int i = outside ? k : slices - k;
            glVertex3f(sintemp2 * sinCache1a[i], sintemp2 * cosCache1a[i], zHigh);
        }
        glEnd();
    }
    for (int j = start; j < finish; ++j) {
        const float zLow = cosCache1b[j];
        const float zHigh = cosCache1b[j + 1];
        const float sintemp1 = sinCache1b[j];
        const float sintemp2 = sinCache1b[j + 1];
        glBegin(GL_QUAD_STRIP);
        for (int i = 0; i <= slices; ++i) {
            const float s = 1 - static_cast<float>(i) / slices;
            const float tLow = 1 - static_cast<float>(j) / stacks;
            const float tHigh = 1 - static_cast<float>(j + 1) / stacks;
            if (outside) {
                if (q->textureCoords) glTexCoord2f(s, tHigh);
                glVertex3f(sintemp2 * sinCache1a[i], sintemp2 * cosCache1a[i], zHigh);
                if (q->textureCoords) glTexCoord2f(s, tLow);
                glVertex3f(sintemp1 * sinCache1a[i], sintemp1 * cosCache1a[i], zLow);
            } else {
                if (q->textureCoords) glTexCoord2f(s, tLow);
                glVertex3f(sintemp1 * sinCache1a[i], sintemp1 * cosCache1a[i], zLow);
                if (q->textureCoords) glTexCoord2f(s, tHigh);
                glVertex3f(sintemp2 * sinCache1a[i], sintemp2 * cosCache1a[i], zHigh);
            }
        }
        glEnd();
    }
}

// Power-of-two pictures of bytes, the ones the game builds mipmaps of: level 0 as given, then
// each level halved down to 1 x 1.
GLint gluBuild2DMipmaps(GLenum target, GLint internalFormat, GLsizei width, GLsizei height,
                        GLenum format, GLenum type, const void* data) {
    if (width < 1 || height < 1) return GLU_INVALID_VALUE;
    if (type != GL_UNSIGNED_BYTE || (format != GL_RGB && format != GL_RGBA)) {
        return GLU_INVALID_ENUM;
    }
    if (!PowerOfTwo(width) || !PowerOfTwo(height) || !data) return GLU_INVALID_VALUE;
    const int components = format == GL_RGBA ? 4 : 3;
    GLint alignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    const std::size_t rowBytes = static_cast<std::size_t>(width) * components;
    const std::size_t stride = (rowBytes + alignment - 1) / alignment * alignment;

    std::vector<unsigned char> level(rowBytes * height);
    for (int row = 0; row < height; ++row) {
        std::memcpy(level.data() + row * rowBytes,
                    static_cast<const unsigned char*>(data) + row * stride, rowBytes);
    }
    std::vector<unsigned char> next;
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    for (int n = 0;; ++n) {
        glTexImage2D(target, n, internalFormat, width, height, 0, format, type, level.data());
        if (width == 1 && height == 1) break;
        const int nextWidth = width > 1 ? width / 2 : 1;
        const int nextHeight = height > 1 ? height / 2 : 1;
        next.assign(static_cast<std::size_t>(nextWidth) * nextHeight * components, 0);
        HalveImage(level.data(), width, height, components, next.data());
        level.swap(next);
        width = nextWidth;
        height = nextHeight;
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
    return 0;
}

}  // extern "C"
