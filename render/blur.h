// The screen blur: the scene captured small and laid over the frame in turning, fading copies.
#pragma once

#include <GL/gl.h>

void CopyScreenToTexture(GLuint* table, int slot, int width, int height);
void DrawBlurQuads(int size, GLuint* table, int slot, float alpha, float angleStep, int steps);
