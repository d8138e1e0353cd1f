// The fixed-function layer's drawing over WebGL 2: GL 1.1's texture modulation and fog as one
// small program for each combination the game switches between, and one stream buffer that each
// batch of triangles is written into.
#include "platform/web/gl/draw.h"

#include <GLES3/gl3.h>
#include <webgl/webgl1.h>
#include <webgl/webgl2.h>

#include <cstddef>
#include <cstdio>
#include <cstring>

namespace {

const char* const kVertexShader = R"(#version 300 es
in vec4 position;
in vec4 color;
in vec2 texCoord;
in float fogCoord;
out vec4 vColor;
out vec2 vTexCoord;
out float vFog;
void main() {
    gl_Position = position;
    vColor = clamp(color, 0.0, 1.0);
    vTexCoord = texCoord;
    vFog = fogCoord;
}
)";

// Texturing and the fog mode are compiled in rather than tested per fragment: a software
// rasteriser may pay for what a branch on a uniform skips on every fragment, the texture lookup
// and the fog included (in SwiftShader a game frame took 15% less time this way).
const char* const kFragmentShader = R"(
precision highp float;
uniform sampler2D image;
uniform float fogDensity;
uniform float fogStart;
uniform float fogEnd;
uniform vec3 fogColor;
in vec4 vColor;
in vec2 vTexCoord;
in float vFog;
out vec4 fragment;
void main() {
    vec4 c = vColor;
#if TEXTURED
    c *= texture(image, vTexCoord);
#endif
#if FOG_MODE != 0
#if FOG_MODE == 1
    float f = (fogEnd - vFog) / (fogEnd - fogStart);
#elif FOG_MODE == 2
    float f = exp(-fogDensity * vFog);
#else
    float d = fogDensity * vFog;
    float f = exp(-d * d);
#endif
    f = clamp(f, 0.0, 1.0);
    c.rgb = mix(fogColor, c.rgb, f);
#endif
    fragment = c;
}
)";

constexpr int kFogModes = 4;

// One program and the fog uniforms it was last given, so that only changes are sent.
struct Program {
    GLuint name;
    bool refused;  // WebGL would not compile or link it: not tried again on every draw
    GLint fogDensity, fogStart, fogEnd, fogColor;
    float density, start, end, color[3];
};
Program programs[2][kFogModes];
GLuint vertexShader = 0;
Program* current = nullptr;
GLuint vertexBuffer = 0;
GLuint vertexArray = 0;
GLsizeiptr bufferBytes = 0;
GLsizeiptr bufferUsed = 0;
unsigned boundTexture = 0;

// The browser's GPU process is handed the frame in pieces of about this many vertices, so that
// it rasterises the first batches while the page and it prepare the rest, rather than all of a
// frame after its last draw. On llvmpipe in Chromium a mid-game frame drawn back to back took
// 10.0 ms this way against 10.7 ms with one hand-over at the end.
constexpr int kVerticesPerHandOver = 3000;
int verticesSinceHandOver = 0;

// The attributes sit at the same places in every program, so one vertex array serves them all.
enum Attribute : GLuint { kPosition, kColor, kTexCoord, kFogCoord };

GLuint Compile(GLenum type, const char* const* sources, int count) {
    const GLuint shader = emscripten_glCreateShader(type);
    emscripten_glShaderSource(shader, count, sources, nullptr);
    emscripten_glCompileShader(shader);
    GLint ok = 0;
    emscripten_glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    return ok ? shader : 0;
}

// Compiled the first time a combination is drawn with; null when WebGL refused it.
Program* ProgramFor(bool textured, FogMode fog) {
    const int mode = static_cast<int>(fog);
    Program& p = programs[textured ? 1 : 0][mode];
    if (p.name != 0) return &p;
    if (p.refused) return nullptr;
    p.refused = true;  // until it links
    char defines[64];
    std::snprintf(defines, sizeof defines,
                  "#version 300 es\n#define TEXTURED %d\n#define FOG_MODE %d\n", textured ? 1 : 0,
                  mode);
    const char* sources[] = {defines, kFragmentShader};
    const GLuint fragmentShader = Compile(GL_FRAGMENT_SHADER, sources, 2);
    if (!fragmentShader) return nullptr;
    const GLuint name = emscripten_glCreateProgram();
    emscripten_glAttachShader(name, vertexShader);
    emscripten_glAttachShader(name, fragmentShader);
    emscripten_glBindAttribLocation(name, kPosition, "position");
    emscripten_glBindAttribLocation(name, kColor, "color");
    emscripten_glBindAttribLocation(name, kTexCoord, "texCoord");
    emscripten_glBindAttribLocation(name, kFogCoord, "fogCoord");
    emscripten_glLinkProgram(name);
    emscripten_glDeleteShader(fragmentShader);
    GLint linked = 0;
    emscripten_glGetProgramiv(name, GL_LINK_STATUS, &linked);
    if (!linked) {
        emscripten_glDeleteProgram(name);
        return nullptr;
    }
    p.refused = false;
    emscripten_glUseProgram(name);
    current = &p;
    emscripten_glUniform1i(emscripten_glGetUniformLocation(name, "image"), 0);
    p.name = name;
    p.fogDensity = emscripten_glGetUniformLocation(name, "fogDensity");
    p.fogStart = emscripten_glGetUniformLocation(name, "fogStart");
    p.fogEnd = emscripten_glGetUniformLocation(name, "fogEnd");
    p.fogColor = emscripten_glGetUniformLocation(name, "fogColor");
    // The cached fog stays at zero, what a new program's uniforms hold.
    return &p;
}

void VertexAttribute(Attribute attribute, int components, std::size_t offset) {
    emscripten_glEnableVertexAttribArray(attribute);
    emscripten_glVertexAttribPointer(attribute, components, GL_FLOAT, GL_FALSE, sizeof(DrawVertex),
                                     reinterpret_cast<const void*>(offset));
}

void SendFog(Program* p, const DrawState& state) {
    if (state.fogMode == FogMode::kOff) return;
    if (p->density != state.fogDensity) {
        p->density = state.fogDensity;
        emscripten_glUniform1f(p->fogDensity, p->density);
    }
    if (p->start != state.fogStart) {
        p->start = state.fogStart;
        emscripten_glUniform1f(p->fogStart, p->start);
    }
    if (p->end != state.fogEnd) {
        p->end = state.fogEnd;
        emscripten_glUniform1f(p->fogEnd, p->end);
    }
    if (std::memcmp(p->color, state.fogColor, sizeof p->color) != 0) {
        std::memcpy(p->color, state.fogColor, sizeof p->color);
        emscripten_glUniform3f(p->fogColor, p->color[0], p->color[1], p->color[2]);
    }
}

}  // namespace

bool StartDrawing() {
    const char* sources[] = {kVertexShader};
    vertexShader = Compile(GL_VERTEX_SHADER, sources, 1);
    // The untextured, fogless program proves that WebGL takes the shaders at all.
    if (!vertexShader || !ProgramFor(false, FogMode::kOff)) return false;

    emscripten_glGenVertexArrays(1, &vertexArray);
    emscripten_glBindVertexArray(vertexArray);
    emscripten_glGenBuffers(1, &vertexBuffer);
    emscripten_glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer);
    VertexAttribute(kPosition, 4, offsetof(DrawVertex, x));
    VertexAttribute(kColor, 4, offsetof(DrawVertex, r));
    VertexAttribute(kTexCoord, 2, offsetof(DrawVertex, s));
    VertexAttribute(kFogCoord, 1, offsetof(DrawVertex, fog));
    // Rows of every width are uploaded packed.
    emscripten_glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    return true;
}

void DrawTriangles(const DrawVertex* vertices, int count, const DrawState& state) {
    if (count <= 0 || vertexShader == 0) return;
    const GLsizeiptr bytes = static_cast<GLsizeiptr>(count) * sizeof(DrawVertex);
    // Each batch of a frame goes after the one before, so that no draw waits for the one before
    // it to have read its vertices; a full buffer is replaced by a fresh one, twice the size
    // when one batch alone would not fit.
    if (bufferUsed + bytes > bufferBytes) {
        while (bufferBytes < bytes * 4) bufferBytes = bufferBytes ? bufferBytes * 2 : (1 << 20);
        emscripten_glBufferData(GL_ARRAY_BUFFER, bufferBytes, nullptr, GL_STREAM_DRAW);
        bufferUsed = 0;
    }
    emscripten_glBufferSubData(GL_ARRAY_BUFFER, bufferUsed, bytes, vertices);
    const GLint first =
        static_cast<GLint>(bufferUsed / static_cast<GLsizeiptr>(sizeof(DrawVertex)));
    bufferUsed += bytes;
    Program* p = ProgramFor(state.texture != 0, state.fogMode);
    if (!p) return;
    if (p != current) {
        emscripten_glUseProgram(p->name);
        current = p;
    }
    SendFog(p, state);
    if (state.texture != 0 && state.texture != boundTexture) BindTextureObject(state.texture);
    emscripten_glDrawArrays(GL_TRIANGLES, first, count);
    verticesSinceHandOver += count;
    if (verticesSinceHandOver >= kVerticesPerHandOver) {
        emscripten_glFlush();
        verticesSinceHandOver = 0;
    }
}

void SetCapability(unsigned capability, bool enabled) {
    if (enabled) {
        emscripten_glEnable(capability);
    } else {
        emscripten_glDisable(capability);
    }
}

void SetBlendFunction(unsigned source, unsigned destination) {
    emscripten_glBlendFunc(source, destination);
}

void SetDepthFunction(unsigned function) { emscripten_glDepthFunc(function); }

void SetViewport(int x, int y, int width, int height) {
    emscripten_glViewport(x, y, width, height);
}

void ClearBuffers(unsigned mask, const float color[4], float depth) {
    emscripten_glClearColor(color[0], color[1], color[2], color[3]);
    emscripten_glClearDepthf(depth);
    emscripten_glClear(mask & (GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT));
}

unsigned NewTextureObject() {
    GLuint texture = 0;
    emscripten_glGenTextures(1, &texture);
    return texture;
}

void BindTextureObject(unsigned texture) {
    emscripten_glBindTexture(GL_TEXTURE_2D, texture);
    boundTexture = texture;
}

void SetTextureParameter(unsigned parameter, int value) {
    emscripten_glTexParameteri(GL_TEXTURE_2D, parameter, value);
}

void UploadTextureLevel(int level, int width, int height, const unsigned char* rgb) {
    emscripten_glTexImage2D(GL_TEXTURE_2D, level, GL_RGB8, width, height, 0, GL_RGB,
                            GL_UNSIGNED_BYTE, rgb);
}

void CopyFramebufferToTexture(int level, int x, int y, int width, int height) {
    emscripten_glCopyTexImage2D(GL_TEXTURE_2D, level, GL_RGB, x, y, width, height, 0);
}
