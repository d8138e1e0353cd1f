// One frame of a running game: the chase camera, the world and the heads-up display.
#pragma once

#include "render/camera.h"

// Draws the world from the chase camera; without captureOnly also the heads-up display.
void DrawGameScene(bool captureOnly);
