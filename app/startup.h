// What the start-up sets up once the GL context exists.
#pragma once

// The pictures, the fixed GL state every frame relies on, and the high-score table.
bool InitRenderState();
