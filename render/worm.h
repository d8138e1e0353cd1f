// The moving things of the world: the five items with their glow, and the worm.
#pragma once

int DrawItem(float x, float y, float z, float spinDeg);
void DrawWorm();
