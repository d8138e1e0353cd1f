// The part of OpenGL 1.1 the game draws with, on top of WebGL 2: matrix stacks, immediate mode,
// display lists, texture objects, fog. Vertices are transformed here, in single precision as a
// GL 1.1 implementation does, and handed to draw.cpp in batches that end at every state change.
#include <GL/gl.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/webgl/draw.h"
#include "platform/webgl/fixed_gl.h"

namespace {

// --- Matrices ---------------------------------------------------------------------------------
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

// --- State ------------------------------------------------------------------------------------
float currentColor[4] = {1, 1, 1, 1};
float currentTexCoord[2] = {0, 0};
float clearColor[4] = {0, 0, 0, 0};
float clearDepth = 1.0f;
bool texturing = false;
bool fogging = false;
FogMode fogMode = FogMode::kExp;
float fogDensity = 1.0f, fogStart = 0.0f, fogEnd = 1.0f;
float fogColor[3] = {0, 0, 0};
int unpackAlignment = 4;
bool blending = false;
bool depthTesting = false;
GLenum blendSource = GL_ONE, blendDestination = GL_ZERO;
GLenum depthFunction = GL_LESS;

// Texture objects by name. A name that has no complete image samples as no texture at all, as
// GL 1.1 disables texturing for an incomplete texture.
constexpr int kMaxTextures = 256;
constexpr int kMaxLevels = 16;
struct TextureObject {
    bool named;
    unsigned webgl;
    int minFilter;
    int levelWidth[kMaxLevels];
    int levelHeight[kMaxLevels];
};
TextureObject textureTable[kMaxTextures];
GLuint nextTextureName = 1;
GLuint boundTexture = 0;

bool Complete(const TextureObject& t) {
    if (!t.named || t.levelWidth[0] <= 0 || t.levelHeight[0] <= 0) return false;
    if (t.minFilter == GL_NEAREST || t.minFilter == GL_LINEAR) return true;
    int w = t.levelWidth[0], h = t.levelHeight[0];
    for (int level = 1; level < kMaxLevels && (w > 1 || h > 1); ++level) {
        w = w > 1 ? w / 2 : 1;
        h = h > 1 ? h / 2 : 1;
        if (t.levelWidth[level] != w || t.levelHeight[level] != h) return false;
    }
    return true;
}

// --- Batches ----------------------------------------------------------------------------------
constexpr int kBatchCapacity = 3 * 8192;
DrawVertex batch[kBatchCapacity];
int batchCount = 0;

void Flush() {
    if (batchCount == 0) return;
    DrawState state{};
    const bool bound = boundTexture < kMaxTextures && Complete(textureTable[boundTexture]);
    state.texture = texturing && bound ? textureTable[boundTexture].webgl : 0;
    state.fogMode = fogging ? fogMode : FogMode::kOff;
    state.fogDensity = fogDensity;
    state.fogStart = fogStart;
    state.fogEnd = fogEnd;
    std::memcpy(state.fogColor, fogColor, sizeof fogColor);
    DrawTriangles(batch, batchCount, state);
    batchCount = 0;
}

void EmitTriangle(const DrawVertex& a, const DrawVertex& b, const DrawVertex& c) {
    if (batchCount + 3 > kBatchCapacity) Flush();
    batch[batchCount++] = a;
    batch[batchCount++] = b;
    batch[batchCount++] = c;
}

// --- Primitive assembly -----------------------------------------------------------------------
GLenum primitive = 0;
bool insideBegin = false;
int primitiveVertices = 0;
DrawVertex recent[4];  // the last four vertices of the primitive, by index modulo 4
DrawVertex fanCentre;

void AddVertex(float x, float y, float z) {
    const float* c = Combined().m;
    const float* mv = modelviewStack[modelviewTop].m;
    DrawVertex v;
    v.x = c[0] * x + c[4] * y + c[8] * z + c[12];
    v.y = c[1] * x + c[5] * y + c[9] * z + c[13];
    v.z = c[2] * x + c[6] * y + c[10] * z + c[14];
    v.w = c[3] * x + c[7] * y + c[11] * z + c[15];
    v.r = currentColor[0];
    v.g = currentColor[1];
    v.b = currentColor[2];
    v.a = currentColor[3];
    v.s = currentTexCoord[0];
    v.t = currentTexCoord[1];
    // The fog coordinate is the distance from the eye plane.
    v.fog = std::fabs(mv[2] * x + mv[6] * y + mv[10] * z + mv[14]);

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

// --- Display lists ----------------------------------------------------------------------------
enum class Op : std::uint8_t {
    kBegin, kEnd, kVertex, kTexCoord, kColor, kTranslate, kRotate, kBindTexture, kCallList
};
struct ListCommand {
    Op op;
    float a[4];
};
struct DisplayList {
    bool reserved;
    std::vector<ListCommand> commands;
};
constexpr GLuint kMaxLists = 1024;
DisplayList lists[kMaxLists];
GLuint compiling = 0;  // the list being recorded, 0 when none
bool compileAndExecute = false;
int callDepth = 0;

// True when the call is only recorded, not also run.
bool Record(Op op, float a0 = 0, float a1 = 0, float a2 = 0, float a3 = 0) {
    if (compiling == 0) return false;
    lists[compiling].commands.push_back(ListCommand{op, {a0, a1, a2, a3}});
    return !compileAndExecute;
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

void BindTexture(GLuint name) {
    if (name == boundTexture) return;
    Flush();
    boundTexture = name;
    if (name < kMaxTextures && name != 0) {
        TextureObject& t = textureTable[name];
        if (!t.named) {
            t = TextureObject{};
            t.named = true;
            t.minFilter = GL_NEAREST_MIPMAP_LINEAR;
        }
        if (t.webgl == 0) t.webgl = NewTextureObject();
        BindTextureObject(t.webgl);
    }
}

// A capability switched; the batch so far is drawn first only when it really changes.
void SetEnabled(GLenum capability, bool enabled) {
    bool* flag = capability == GL_TEXTURE_2D ? &texturing
                 : capability == GL_FOG      ? &fogging
                 : capability == GL_BLEND    ? &blending
                 : capability == GL_DEPTH_TEST ? &depthTesting
                                               : nullptr;
    if (!flag || *flag == enabled) return;
    Flush();
    *flag = enabled;
    if (capability == GL_BLEND || capability == GL_DEPTH_TEST) SetCapability(capability, enabled);
}

void CallList(GLuint list);

void Replay(const ListCommand& c) {
    switch (c.op) {
        case Op::kBegin:
            Begin(static_cast<GLenum>(c.a[0]));
            break;
        case Op::kEnd:
            End();
            break;
        case Op::kVertex:
            AddVertex(c.a[0], c.a[1], c.a[2]);
            break;
        case Op::kTexCoord:
            currentTexCoord[0] = c.a[0];
            currentTexCoord[1] = c.a[1];
            break;
        case Op::kColor:
            std::memcpy(currentColor, c.a, sizeof currentColor);
            break;
        case Op::kTranslate:
            Translate(c.a[0], c.a[1], c.a[2]);
            break;
        case Op::kRotate:
            Rotate(c.a[0], c.a[1], c.a[2], c.a[3]);
            break;
        case Op::kBindTexture:
            BindTexture(static_cast<GLuint>(c.a[0]));
            break;
        case Op::kCallList:
            CallList(static_cast<GLuint>(c.a[0]));
            break;
    }
}

void CallList(GLuint list) {
    // GL bounds the nesting of lists calling lists; 64 is its smallest allowed limit.
    if (list == 0 || list >= kMaxLists || callDepth >= 64) return;
    ++callDepth;
    for (const ListCommand& c : lists[list].commands) Replay(c);
    --callDepth;
}

void SetColor(float r, float g, float b, float a) {
    if (Record(Op::kColor, r, g, b, a)) return;
    currentColor[0] = r;
    currentColor[1] = g;
    currentColor[2] = b;
    currentColor[3] = a;
}

// Converts what the game uploads into packed rows of three bytes.
const unsigned char* PackRgb(int width, int height, GLenum format, GLenum type, const void* pixels,
                             std::vector<unsigned char>* packed) {
    if (!pixels) return nullptr;
    const int components = format == GL_RGBA ? 4 : format == GL_RGB ? 3 : 0;
    const int componentBytes = type == GL_UNSIGNED_BYTE ? 1 : type == GL_UNSIGNED_INT ? 4 : 0;
    if (components == 0 || componentBytes == 0) return nullptr;
    const std::size_t rowBytes = static_cast<std::size_t>(width) * components * componentBytes;
    const std::size_t stride =
        (rowBytes + unpackAlignment - 1) / unpackAlignment * unpackAlignment;
    packed->assign(static_cast<std::size_t>(width) * height * 3, 0);
    const auto* source = static_cast<const unsigned char*>(pixels);
    for (int row = 0; row < height; ++row) {
        const unsigned char* in = source + row * stride;
        unsigned char* out = packed->data() + static_cast<std::size_t>(row) * width * 3;
        for (int x = 0; x < width; ++x) {
            for (int k = 0; k < 3; ++k) {
                const unsigned char* p = in + (x * components + k) * componentBytes;
                if (componentBytes == 1) {
                    out[x * 3 + k] = *p;
                } else {
                    std::uint32_t v;
                    std::memcpy(&v, p, 4);
                    out[x * 3 + k] = static_cast<unsigned char>(v >> 24);
                }
            }
        }
    }
    return packed->data();
}

}  // namespace

void FlushFixedGl() { Flush(); }

bool StartFixedGl() { return StartDrawing(); }

extern "C" {

// --- Immediate mode ---------------------------------------------------------------------------
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
    currentTexCoord[0] = s;
    currentTexCoord[1] = t;
}

void glNormal3f(GLfloat, GLfloat, GLfloat) {}  // no lighting: normals change nothing drawn

void glColor3f(GLfloat r, GLfloat g, GLfloat b) { SetColor(r, g, b, 1.0f); }

void glColor4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a) { SetColor(r, g, b, a); }

// --- Matrices ---------------------------------------------------------------------------------
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

// --- Display lists ----------------------------------------------------------------------------
GLuint glGenLists(GLsizei range) {
    if (range <= 0) return 0;
    for (GLuint first = 1; first + static_cast<GLuint>(range) <= kMaxLists; ++first) {
        bool free = true;
        for (GLsizei i = 0; i < range && free; ++i) free = !lists[first + i].reserved;
        if (!free) continue;
        for (GLsizei i = 0; i < range; ++i) lists[first + i].reserved = true;
        return first;
    }
    return 0;
}

void glDeleteLists(GLuint list, GLsizei range) {
    for (GLsizei i = 0; i < range; ++i) {
        const GLuint n = list + static_cast<GLuint>(i);
        if (n == 0 || n >= kMaxLists) continue;
        lists[n].reserved = false;
        lists[n].commands.clear();  // the storage is kept for the next game's lists
    }
}

void glNewList(GLuint list, GLenum mode) {
    if (list == 0 || list >= kMaxLists || compiling != 0) return;
    compiling = list;
    compileAndExecute = mode == GL_COMPILE_AND_EXECUTE;
    lists[list].reserved = true;
    lists[list].commands.clear();
}

void glEndList() { compiling = 0; }

void glCallList(GLuint list) {
    if (Record(Op::kCallList, static_cast<float>(list))) return;
    CallList(list);
}

// --- Capabilities and fragments ---------------------------------------------------------------
void glEnable(GLenum capability) { SetEnabled(capability, true); }

void glDisable(GLenum capability) { SetEnabled(capability, false); }

void glBlendFunc(GLenum source, GLenum destination) {
    if (source == blendSource && destination == blendDestination) return;
    Flush();
    blendSource = source;
    blendDestination = destination;
    SetBlendFunction(source, destination);
}

void glDepthFunc(GLenum function) {
    if (function == depthFunction) return;
    Flush();
    depthFunction = function;
    SetDepthFunction(function);
}

void glShadeModel(GLenum) {}  // smooth, the default; the game never asks for flat
void glHint(GLenum, GLenum) {}

void glFogi(GLenum parameter, GLint value) {
    Flush();
    if (parameter == GL_FOG_MODE) {
        fogMode = value == GL_LINEAR ? FogMode::kLinear
                  : value == GL_EXP2 ? FogMode::kExp2
                                     : FogMode::kExp;
    }
}

void glFogf(GLenum parameter, GLfloat value) {
    Flush();
    switch (parameter) {
        case GL_FOG_DENSITY:
            fogDensity = value;
            break;
        case GL_FOG_START:
            fogStart = value;
            break;
        case GL_FOG_END:
            fogEnd = value;
            break;
        case GL_FOG_MODE:
            glFogi(parameter, static_cast<GLint>(value));
            break;
        default:
            break;
    }
}

void glFogfv(GLenum parameter, const GLfloat* values) {
    if (parameter == GL_FOG_COLOR) {
        Flush();
        for (int i = 0; i < 3; ++i) fogColor[i] = values[i] < 0 ? 0 : values[i] > 1 ? 1 : values[i];
    } else {
        glFogf(parameter, values[0]);
    }
}

// --- Frame buffer -----------------------------------------------------------------------------
void glViewport(GLint x, GLint y, GLsizei width, GLsizei height) {
    Flush();
    SetViewport(x, y, width, height);
}

void glClearColor(GLclampf r, GLclampf g, GLclampf b, GLclampf a) {
    clearColor[0] = r;
    clearColor[1] = g;
    clearColor[2] = b;
    clearColor[3] = a;
}

void glClearDepth(GLclampd depth) { clearDepth = static_cast<float>(depth); }

void glClear(GLbitfield mask) {
    Flush();
    ClearBuffers(mask, clearColor, clearDepth);
}

// --- Textures ---------------------------------------------------------------------------------
void glGenTextures(GLsizei n, GLuint* names) {
    for (GLsizei i = 0; i < n; ++i) {
        while (nextTextureName < kMaxTextures && textureTable[nextTextureName].named)
            ++nextTextureName;
        if (nextTextureName >= kMaxTextures) {
            names[i] = 0;
            continue;
        }
        TextureObject& t = textureTable[nextTextureName];
        t = TextureObject{};
        t.named = true;
        t.minFilter = GL_NEAREST_MIPMAP_LINEAR;  // GL's initial filter
        names[i] = nextTextureName++;
    }
}

void glBindTexture(GLenum target, GLuint name) {
    if (target != GL_TEXTURE_2D) return;
    if (Record(Op::kBindTexture, static_cast<float>(name))) return;
    BindTexture(name);
}

void glTexParameteri(GLenum target, GLenum parameter, GLint value) {
    if (target != GL_TEXTURE_2D || boundTexture == 0 || boundTexture >= kMaxTextures) return;
    Flush();
    if (parameter == GL_TEXTURE_MIN_FILTER) textureTable[boundTexture].minFilter = value;
    SetTextureParameter(parameter, value);
}

void glPixelStorei(GLenum parameter, GLint value) {
    if (parameter == GL_UNPACK_ALIGNMENT && (value == 1 || value == 2 || value == 4 || value == 8))
        unpackAlignment = value;
}

void glGetIntegerv(GLenum parameter, GLint* value) {
    switch (parameter) {
        case GL_UNPACK_ALIGNMENT:
            *value = unpackAlignment;
            break;
        case GL_MAX_TEXTURE_SIZE:
            *value = 4096;
            break;
        default:
            *value = 0;
            break;
    }
}

void glTexImage2D(GLenum target, GLint level, GLint, GLsizei width, GLsizei height, GLint,
                  GLenum format, GLenum type, const GLvoid* pixels) {
    if (target != GL_TEXTURE_2D || boundTexture == 0 || boundTexture >= kMaxTextures) return;
    if (level < 0 || level >= kMaxLevels || width < 0 || height < 0) return;
    Flush();
    std::vector<unsigned char> packed;
    UploadTextureLevel(level, width, height, PackRgb(width, height, format, type, pixels, &packed));
    textureTable[boundTexture].levelWidth[level] = width;
    textureTable[boundTexture].levelHeight[level] = height;
}

void glCopyTexImage2D(GLenum target, GLint level, GLenum, GLint x, GLint y, GLsizei width,
                      GLsizei height, GLint) {
    if (target != GL_TEXTURE_2D || boundTexture == 0 || boundTexture >= kMaxTextures) return;
    if (level < 0 || level >= kMaxLevels) return;
    Flush();
    CopyFramebufferToTexture(level, x, y, width, height);
    textureTable[boundTexture].levelWidth[level] = width;
    textureTable[boundTexture].levelHeight[level] = height;
}

}  // extern "C"
