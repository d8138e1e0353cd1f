// The texture table: every picture of the game uploaded once at start-up, by slot, and the blur's
// empty render texture.
#include "screen/textures.h"

#include <GL/glu.h>

#include <cstdlib>

#include "screen/bitmap.h"

GLuint LoadTexture(const char* fileName, bool mipmapped, bool rgba8) {
    ImageRecord* image = LoadBitmapFile(fileName);
    if (!image) return 0;
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    if (mipmapped) {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_NEAREST);
    }
    const GLint internalFormat = rgba8 ? GL_RGBA8 : 3;
    // Rows are packed: a width whose rows are not whole 4-byte words is read with byte
    // alignment, so that the upload never reads past the pixels.
    const bool packedRows = (image->width * 3) % 4 != 0;
    if (packedRows) glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    if (mipmapped) {
        gluBuild2DMipmaps(GL_TEXTURE_2D, internalFormat, image->width, image->height, GL_RGB,
                          GL_UNSIGNED_BYTE, image->pixels);
    } else {
        glTexImage2D(GL_TEXTURE_2D, 0, internalFormat, image->width, image->height, 0, GL_RGB,
                     GL_UNSIGNED_BYTE, image->pixels);
    }
    if (packedRows) glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    FreeImage(image);
    return name;
}

void CreateRenderTexture(GLuint* table, int width, int height, int channels, GLenum format,
                         int slot) {
    // One 32-bit unsigned integer per component, all zero: a black picture.
    const std::size_t bytes = static_cast<std::size_t>(width) * height * channels * 4;
    void* buffer = std::calloc(bytes, 1);
    glGenTextures(1, &table[slot]);
    glBindTexture(GL_TEXTURE_2D, table[slot]);
    glTexImage2D(GL_TEXTURE_2D, 0, channels, width, height, 0, format, GL_UNSIGNED_INT, buffer);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    std::free(buffer);
}

bool LoadTextures() {
    textures[kGroundTexture] = LoadTexture("texture.bmp", true, false);
    textures[kWormTexture] = LoadTexture("matohanta.bmp", true, false);
    textures[kBarkTexture] = LoadTexture("puutexture.bmp", true, false);
    textures[kGlowTexture] = LoadTexture("valo.bmp", true, false);
    textures[kFontTexture] = LoadTexture("font1.bmp", false, false);
    textures[kFontMaskTexture] = LoadTexture("font1mask.bmp", false, true);
    textures[kWormHeadTexture] = LoadTexture("art_matopaa.bmp", false, false);
    textures[kWormHeadMaskTexture] = LoadTexture("art_matopaamask.bmp", false, true);
    CreateRenderTexture(textures, 256, 256, 3, GL_RGB, kBlurTexture);
    textures[kTitleTexture] = LoadTexture("alku.bmp", false, true);
    textures[kSkyTexture] = LoadTexture("sky.bmp", true, false);
    ReleaseBitmapReadBuffer();  // no picture is read again
    return true;
}
