// The WebGL 2 side of the fixed-function layer: what the GL 1.1 calls turn into once their
// matrices, colours and fog have been worked out on the CPU. Enums are the GL ones, which WebGL
// shares.
#pragma once

// One vertex as the shader takes it: clip-space position, clamped colour, texture coordinate
// and the fog coordinate (the distance from the eye plane).
struct DrawVertex {
    float x, y, z, w;
    float r, g, b, a;
    float s, t;
    float fog;
};

enum class FogMode { kOff, kLinear, kExp, kExp2 };

struct DrawState {
    unsigned texture;  // the WebGL texture to sample, 0 for none
    FogMode fogMode;
    float fogDensity, fogStart, fogEnd;
    float fogColor[3];
};

// Once the context is current: the program and the vertex buffer. False when WebGL refuses.
bool StartDrawing();
void DrawTriangles(const DrawVertex* vertices, int count, const DrawState& state);

void SetCapability(unsigned capability, bool enabled);  // GL_BLEND, GL_DEPTH_TEST
void SetBlendFunction(unsigned source, unsigned destination);
void SetDepthFunction(unsigned function);
void SetViewport(int x, int y, int width, int height);
void ClearBuffers(unsigned mask, const float color[4], float depth);

unsigned NewTextureObject();
void BindTextureObject(unsigned texture);
void SetTextureParameter(unsigned parameter, int value);
// rgb: width x height pixels of three bytes, rows packed; nullptr for a black level.
void UploadTextureLevel(int level, int width, int height, const unsigned char* rgb);
void CopyFramebufferToTexture(int level, int x, int y, int width, int height);
