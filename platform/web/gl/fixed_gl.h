// What the platform asks of the fixed-function layer around the game's own GL calls.
#pragma once

// Once the WebGL context is current; false when it cannot draw.
bool StartFixedGl();
// Draws whatever is still batched: before the frame is shown.
void FlushFixedGl();
