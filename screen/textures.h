// The texture table: the slots of every picture the game draws with, and their upload.
#pragma once

#include <GL/gl.h>

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

bool LoadTextures();
GLuint LoadTexture(const char* fileName, bool mipmapped, bool rgba8);
void CreateRenderTexture(GLuint* table, int width, int height, int channels, GLenum format,
                         int slot);
