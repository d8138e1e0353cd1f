// What the start-up sets up once the GL context exists, and the engine's start of a game.
#pragma once

#include "game/host.h"

// The pictures, the fixed GL state every frame relies on, and the high-score table.
bool InitRenderState();
// ResetGame (game/host.h) is defined here: the game state (ResetGameState), the quit flag, then
// the world's GL objects (BuildWorld). Needs a current GL context.
