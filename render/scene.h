// Starting a game and the static world: fog and the five display lists.
#pragma once

// The five list names, one contiguous block, replaced at every game start.
inline unsigned int groundList = 0;
inline unsigned int trunkList = 0;
inline unsigned int wallList = 0;
inline unsigned int segmentList = 0;
inline unsigned int crownList = 0;

// Starts a game: the game state (ResetGameState), the fog and the display lists. Needs a
// current GL context. Always returns 1.
int ResetGame();
void BuildDisplayLists();
int DrawTrunk(float x, float y, float z, float width, float height, float depth);
int DrawCrown(float x, float y, float z, float width, float height, float depth);
int DrawSphere(float x, float y, float z, float angleX, float angleY, float angleZ, float radius,
               int slices, int stacks);
