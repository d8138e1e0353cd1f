// The texture table, the bitmap reader and the fixed OpenGL state set at start-up.
#pragma once

#include <GL/gl.h>

#include <cstddef>

constexpr int kTextureSlots = 18;
constexpr int kGroundTexture = 0;
constexpr int kWormTexture = 7;
constexpr int kBarkTexture = 8;
constexpr int kGlowTexture = 9;
constexpr int kFontTexture = 10;
constexpr int kFontMaskTexture = 11;
constexpr int kWormHeadTexture = 12;
constexpr int kWormHeadMaskTexture = 13;
constexpr int kBlurTexture = 14;
constexpr int kTitleTexture = 15;
constexpr int kSkyTexture = 16;

inline GLuint textures[kTextureSlots];

// An image as the reader delivers it: RGB bytes, bottom row first, rows unpadded.
struct ImageRecord {
    int width;
    int height;
    unsigned char* pixels;
};

bool InitRenderState();
bool LoadTextures();
GLuint LoadTexture(const char* fileName, bool mipmapped, bool rgba8);
ImageRecord* LoadBitmapFile(const char* fileName);
ImageRecord* ReadBitmap(const char* fileName);
// Decodes a whole bitmap file held in memory; null (after its message) when it cannot. Every
// size, offset and count in the headers is checked against the data first. A top-down bitmap
// (negative height) gives the same record as the bottom-up one: bottom row first, height > 0.
ImageRecord* DecodeBitmap(const unsigned char* data, std::size_t size, const char* fileName);
// The same, with every depth (24 bits too) going through the platform's conversion: what the
// reader's own 24-bit path must match byte for byte and message for message.
ImageRecord* DecodeBitmapByConversion(const unsigned char* data, std::size_t size,
                                      const char* fileName);
void FreeImage(ImageRecord* image);
void CreateRenderTexture(GLuint* table, int width, int height, int channels, GLenum format,
                         int slot);
