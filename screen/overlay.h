// The 2D overlay (pixel coordinates, y downward) and the bitmap-font text printer.
#pragma once

// The glyph order of the font image: 16 cells a row from the top, the digits 1 to 9 then 0.
constexpr const char* fontCharset =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz1234567890.:,;-_)(!?<>^#$%&{}[]/*~";

void OrthoMode(int left, int top, int right, int bottom);
void PerspectiveMode();
// Prints text with its top-left corner at (x, y); textures is the texture table (GLuint).
int PrintText(float x, float y, const char* text, const unsigned int* textures, int maskIndex,
              int fontIndex, float scaleX, float scaleY, int cellWidth, int cellHeight,
              float spacing, const char* charset);
