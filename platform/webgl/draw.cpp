// The fixed-function layer's drawing over WebGL 2: one program that does GL 1.1's texture
// modulation and fog, and one stream buffer that each batch of triangles is written into.
#include "platform/webgl/draw.h"

#include <GLES3/gl3.h>
#include <webgl/webgl1.h>
#include <webgl/webgl2.h>

#include <cstddef>

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

const char* const kFragmentShader = R"(#version 300 es
precision highp float;
uniform sampler2D image;
uniform bool textured;
uniform int fogMode;
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
    if (textured) c *= texture(image, vTexCoord);
    if (fogMode != 0) {
        float f;
        if (fogMode == 1) {
            f = (fogEnd - vFog) / (fogEnd - fogStart);
        } else if (fogMode == 2) {
            f = exp(-fogDensity * vFog);
        } else {
            float d = fogDensity * vFog;
            f = exp(-d * d);
        }
        f = clamp(f, 0.0, 1.0);
        c.rgb = mix(fogColor, c.rgb, f);
    }
    fragment = c;
}
)";

GLuint program = 0;
GLuint vertexBuffer = 0;
GLuint vertexArray = 0;
GLint texturedLocation = -1;
GLint fogModeLocation = -1;
GLint fogDensityLocation = -1;
GLint fogStartLocation = -1;
GLint fogEndLocation = -1;
GLint fogColorLocation = -1;
GLsizeiptr bufferBytes = 0;
GLsizeiptr bufferUsed = 0;
unsigned boundTexture = 0;

GLuint Compile(GLenum type, const char* source) {
    const GLuint shader = emscripten_glCreateShader(type);
    emscripten_glShaderSource(shader, 1, &source, nullptr);
    emscripten_glCompileShader(shader);
    GLint ok = 0;
    emscripten_glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    return ok ? shader : 0;
}

void Attribute(const char* name, int components, std::size_t offset) {
    const GLint location = emscripten_glGetAttribLocation(program, name);
    if (location < 0) return;
    emscripten_glEnableVertexAttribArray(static_cast<GLuint>(location));
    emscripten_glVertexAttribPointer(static_cast<GLuint>(location), components, GL_FLOAT,
                                     GL_FALSE, sizeof(DrawVertex),
                                     reinterpret_cast<const void*>(offset));
}

}  // namespace

bool StartDrawing() {
    const GLuint vertexShader = Compile(GL_VERTEX_SHADER, kVertexShader);
    const GLuint fragmentShader = Compile(GL_FRAGMENT_SHADER, kFragmentShader);
    if (!vertexShader || !fragmentShader) return false;
    program = emscripten_glCreateProgram();
    emscripten_glAttachShader(program, vertexShader);
    emscripten_glAttachShader(program, fragmentShader);
    emscripten_glLinkProgram(program);
    GLint linked = 0;
    emscripten_glGetProgramiv(program, GL_LINK_STATUS, &linked);
    if (!linked) return false;
    emscripten_glUseProgram(program);
    emscripten_glUniform1i(emscripten_glGetUniformLocation(program, "image"), 0);
    texturedLocation = emscripten_glGetUniformLocation(program, "textured");
    fogModeLocation = emscripten_glGetUniformLocation(program, "fogMode");
    fogDensityLocation = emscripten_glGetUniformLocation(program, "fogDensity");
    fogStartLocation = emscripten_glGetUniformLocation(program, "fogStart");
    fogEndLocation = emscripten_glGetUniformLocation(program, "fogEnd");
    fogColorLocation = emscripten_glGetUniformLocation(program, "fogColor");

    emscripten_glGenVertexArrays(1, &vertexArray);
    emscripten_glBindVertexArray(vertexArray);
    emscripten_glGenBuffers(1, &vertexBuffer);
    emscripten_glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer);
    Attribute("position", 4, offsetof(DrawVertex, x));
    Attribute("color", 4, offsetof(DrawVertex, r));
    Attribute("texCoord", 2, offsetof(DrawVertex, s));
    Attribute("fogCoord", 1, offsetof(DrawVertex, fog));
    // Rows of every width are uploaded packed.
    emscripten_glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    return true;
}

void DrawTriangles(const DrawVertex* vertices, int count, const DrawState& state) {
    if (count <= 0 || program == 0) return;
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
    const GLint first = static_cast<GLint>(bufferUsed / static_cast<GLsizeiptr>(sizeof(DrawVertex)));
    bufferUsed += bytes;
    emscripten_glUniform1i(texturedLocation, state.texture != 0);
    if (state.texture != 0 && state.texture != boundTexture) BindTextureObject(state.texture);
    emscripten_glUniform1i(fogModeLocation, static_cast<int>(state.fogMode));
    emscripten_glUniform1f(fogDensityLocation, state.fogDensity);
    emscripten_glUniform1f(fogStartLocation, state.fogStart);
    emscripten_glUniform1f(fogEndLocation, state.fogEnd);
    emscripten_glUniform3f(fogColorLocation, state.fogColor[0], state.fogColor[1],
                           state.fogColor[2]);
    emscripten_glDrawArrays(GL_TRIANGLES, first, count);
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
