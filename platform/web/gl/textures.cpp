// The fixed-function layer's texture objects: their names, their levels and filters (which
// decide whether a texture is complete enough to be sampled, as in GL 1.1), and the uploads,
// converted to packed rows of three bytes for draw.cpp.
#include <GL/gl.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/web/gl/fixed_gl_parts.h"

namespace fixed_gl {

namespace {

int unpackAlignment = 4;

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

unsigned TextureToDraw() {
    const bool bound = boundTexture < kMaxTextures && Complete(textureTable[boundTexture]);
    return bound ? textureTable[boundTexture].webgl : 0;
}

}  // namespace fixed_gl

using namespace fixed_gl;

extern "C" {

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
