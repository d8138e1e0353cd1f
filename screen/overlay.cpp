#include "screen/overlay.h"

#include <GL/gl.h>

namespace {

// Glyph cells are measured on a 512 x 512 layout grid whatever the font image's real size.
constexpr int kLayoutGrid = 512;
constexpr float kLayoutUnit = 0.001953125f;  // 1/512
// Cells are numbered from 1, row after row from r = 512 down; glyph j is cell j + 17, so the
// first row (which lies above the image) is never used.
constexpr int kFirstGlyphCell = 17;

// Finds the layout position (column c, row r) of cell number `cell` (counted from 1) in the
// enumeration the font layout follows; false when the grid has fewer cells.
bool LocateCell(int cell, int cellWidth, int cellHeight, int* c, int* r) {
    const int perRow = (kLayoutGrid + cellWidth - 1) / cellWidth;  // c = 0, w, 2w, ... < 512
    const int rows = kLayoutGrid / cellHeight + 1;                 // r = 512, 512 - h, ... >= 0
    const int index = cell - 1;
    if (index < 0 || index / perRow >= rows) return false;
    *r = kLayoutGrid - (index / perRow) * cellHeight;
    *c = (index % perRow) * cellWidth;
    return true;
}

void DrawGlyphQuad(float s0, float s1, float t0, float t1, float x0, float x1, float y0, float y1) {
    glBegin(GL_QUADS);
    glTexCoord2f(s0, t0);
    glVertex2f(x0, y1);
    glTexCoord2f(s1, t0);
    glVertex2f(x1, y1);
    glTexCoord2f(s1, t1);
    glVertex2f(x1, y0);
    glTexCoord2f(s0, t1);
    glVertex2f(x0, y0);
    glEnd();
}

}  // namespace

void OrthoMode(int left, int top, int right, int bottom) {
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    // bottom before top: with (0, 0, w, h) y grows downward.
    glOrtho(static_cast<double>(left), static_cast<double>(right), static_cast<double>(bottom),
            static_cast<double>(top), 0.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
}

void PerspectiveMode() {
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glEnable(GL_DEPTH_TEST);
}

int PrintText(float x, float y, const char* text, const unsigned int* textures, int maskIndex,
              int fontIndex, float scaleX, float scaleY, int cellWidth, int cellHeight,
              float spacing, const char* charset) {
    // A cell size of zero or less would never finish enumerating the grid.
    if (cellWidth <= 0 || cellHeight <= 0) return 1;
    const float cellPixelsX = static_cast<float>(cellWidth) * scaleX;
    const float cellPixelsY = static_cast<float>(cellHeight) * scaleY;
    const float advance = cellPixelsX + spacing;
    for (int i = 0; text[i] != '\0'; ++i) {
        const float x0 = x + static_cast<float>(i) * advance;
        const float x1 = x0 + cellPixelsX;
        const float y0 = y;
        const float y1 = y + cellPixelsY;
        // A character missing from the charset draws nothing but still takes its advance.
        for (int j = 0; charset[j] != '\0'; ++j) {
            if (charset[j] != text[i]) continue;
            int c = 0;
            int r = 0;
            if (!LocateCell(j + kFirstGlyphCell, cellWidth, cellHeight, &c, &r)) continue;
            const float s0 = static_cast<float>(c) * kLayoutUnit;
            const float s1 = static_cast<float>(c + cellWidth) * kLayoutUnit;
            const float t0 = static_cast<float>(r) * kLayoutUnit;
            const float t1 = static_cast<float>(r + cellHeight) * kLayoutUnit;

            // The mask blacks out the glyph's shape, then the font image is added into it.
            glEnable(GL_BLEND);
            glBlendFunc(GL_DST_COLOR, GL_ZERO);
            glBindTexture(GL_TEXTURE_2D, textures[maskIndex]);
            DrawGlyphQuad(s0, s1, t0, t1, x0, x1, y0, y1);
            glBlendFunc(GL_ONE, GL_ONE);
            glBindTexture(GL_TEXTURE_2D, textures[fontIndex]);
            DrawGlyphQuad(s0, s1, t0, t1, x0, x1, y0, y1);
            glDisable(GL_BLEND);
        }
    }
    return 1;
}
