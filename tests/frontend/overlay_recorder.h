// Stands in for the text printer and the overlay bracket, keeping every call, so the screens'
// layout can be checked without reading pixels.
#pragma once

#include <string>
#include <vector>

struct PrintedText {
    float x;
    float y;
    std::string text;
    int maskIndex;
    int fontIndex;
    float scaleX;
    float scaleY;
    int cellWidth;
    int cellHeight;
    float spacing;
    bool insideOverlay;
};

struct OverlayLog {
    std::vector<PrintedText> texts;
    int orthoCalls = 0;
    int perspectiveCalls = 0;
    bool overlayOn = false;
};

inline OverlayLog overlayLog;
