// An OpenGL compatibility context on an off-screen 640 x 480 pbuffer, made through EGL without
// any X server, for tests that draw and read pixels back.
#pragma once

namespace testgl {

// Makes the context current, creating it on the first call; false when EGL cannot give one.
bool MakeCurrent(int width = 640, int height = 480);
void Release();

}  // namespace testgl
