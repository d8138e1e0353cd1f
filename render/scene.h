// The static world: fog and the five display lists, made anew for every game.
#pragma once

// The five list names, one contiguous block, replaced at every game start.
inline unsigned int groundList = 0;
inline unsigned int trunkList = 0;
inline unsigned int wallList = 0;
inline unsigned int segmentList = 0;
inline unsigned int crownList = 0;

// The world of the game state's trees: the fog and the display lists. Needs a current GL context.
void BuildWorld();
void BuildDisplayLists();
int DrawTrunk(float x, float y, float z, float width, float height, float depth);
int DrawCrown(float x, float y, float z, float width, float height, float depth);
int DrawSphere(float x, float y, float z, float angleX, float angleY, float angleZ, float radius,
               int slices, int stacks);
