// What the parts of the fixed-function layer ask of each other: matrices.cpp, vertices.cpp,
// lists.cpp, textures.cpp and fragments.cpp. Nothing outside platform/web/gl/ includes it.
#pragma once

#include <GL/gl.h>

#include <cstdint>

#include "platform/web/gl/draw.h"

namespace fixed_gl {

// matrices.cpp: the vertex through the current matrices, into clip space (x, y, z, w) and its
// distance from the eye plane (fog).
void TransformVertex(float x, float y, float z, DrawVertex* v);
void Translate(float x, float y, float z);
void Rotate(float angle, float x, float y, float z);

// vertices.cpp: the primitive being assembled, and the batch of triangles not yet drawn.
void Flush();
void Begin(GLenum mode);
void End();
void AddVertex(float x, float y, float z);
void SetTexCoord(float s, float t);
void SetColor(const float rgba[4]);

// lists.cpp: the display list being recorded, and playing one.
enum class Op : std::uint8_t {
    kBegin, kEnd, kVertex, kTexCoord, kColor, kTranslate, kRotate, kBindTexture, kCallList
};
// True when the call is only recorded, not also run.
bool Record(Op op, float a0 = 0, float a1 = 0, float a2 = 0, float a3 = 0);
void CallList(GLuint list);

// textures.cpp: the bound texture object.
void BindTexture(GLuint name);
// Its WebGL texture, or 0 when it has no complete image to sample.
unsigned TextureToDraw();

// fragments.cpp: the texturing switch and the fog a batch is drawn with.
void FillDrawState(DrawState* state);

}  // namespace fixed_gl
