// The fixed-function layer's fragments and frame buffer: the capabilities (texturing, fog,
// blending, depth test), the fog's mode and colour, blending and depth functions, the viewport
// and clearing. Each change draws the batch so far first, with the state it was made under.
#include <GL/gl.h>

#include <cstring>

#include "platform/web/gl/fixed_gl_parts.h"

namespace fixed_gl {

namespace {

float clearColor[4] = {0, 0, 0, 0};
float clearDepth = 1.0f;
bool texturing = false;
bool fogging = false;
FogMode fogMode = FogMode::kExp;
float fogDensity = 1.0f, fogStart = 0.0f, fogEnd = 1.0f;
float fogColor[3] = {0, 0, 0};
bool blending = false;
bool depthTesting = false;
GLenum blendSource = GL_ONE, blendDestination = GL_ZERO;
GLenum depthFunction = GL_LESS;

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

}  // namespace

void FillDrawState(DrawState* state) {
    state->texture = texturing ? TextureToDraw() : 0;
    state->fogMode = fogging ? fogMode : FogMode::kOff;
    state->fogDensity = fogDensity;
    state->fogStart = fogStart;
    state->fogEnd = fogEnd;
    std::memcpy(state->fogColor, fogColor, sizeof fogColor);
}

}  // namespace fixed_gl

using namespace fixed_gl;

extern "C" {

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

}  // extern "C"
