#include "tests/frontend/overlay_recorder.h"

#include <cstring>

#include "screen/overlay.h"

void OrthoMode(int left, int top, int right, int bottom) {
    (void)left;
    (void)top;
    (void)right;
    (void)bottom;
    ++overlayLog.orthoCalls;
    overlayLog.overlayOn = true;
}

void PerspectiveMode() {
    ++overlayLog.perspectiveCalls;
    overlayLog.overlayOn = false;
}

int PrintText(float x, float y, const char* text, const unsigned int* textures, int maskIndex,
              int fontIndex, float scaleX, float scaleY, int cellWidth, int cellHeight,
              float spacing, const char* charset) {
    (void)textures;
    (void)charset;
    overlayLog.texts.push_back({x, y, text, maskIndex, fontIndex, scaleX, scaleY, cellWidth,
                                cellHeight, spacing, overlayLog.overlayOn});
    return 1;
}
