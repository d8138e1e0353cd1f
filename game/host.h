// What the simulation does outside itself. The simulation only declares these; whoever runs it
// supplies them at link time: the engine (app/mainloop.cpp, app/audio.cpp,
// frontend/namekeys.cpp), the simulator's shell (tools/sim), the board's server (server/host.cpp)
// and the test fakes.
#pragma once

// Starts a game's world: ResetGameState, then whatever the host keeps for a game (the engine:
// the quit flag, the fog and the display lists). Always returns 1.
int ResetGame();

// An item has been eaten.
void PlayPickupSound();

// The game is over: the name entry starts from an empty name.
void BeginNameEntry();
