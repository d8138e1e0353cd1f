// The chase camera as the last frame placed it: where it stood and what it looked at.
#pragma once

struct Vec3f {
    float x;
    float y;
    float z;
};

inline Vec3f cameraEye;
inline Vec3f cameraTarget;
