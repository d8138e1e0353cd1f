// One frame of a running game: the chase camera, the world and the heads-up display.
#pragma once

struct Vec3f {
    float x;
    float y;
    float z;
};

inline Vec3f cameraEye;
inline Vec3f cameraTarget;

// Draws the world from the chase camera; without captureOnly also the heads-up display.
void DrawGameScene(bool captureOnly);
