// The phases of one play step and the helpers they share. UpdateGame (game/update.cpp) runs the
// phases in their fixed order; they are declared here so that tests and tools can name them.
#pragma once

#include <cstdint>

// The C runtime's generator: state = state * 214013 + 2531011, result bits 16 to 30.
void SeedRandom(std::uint32_t seed);
int NextRandom();  // 0 to 32767
// The generator's state, so that a run can be repeated from this point with SeedRandom.
std::uint32_t RandomState();

// r / 6.2831853 * 360 in double precision, rounded to float.
float RadToDeg(float radians);

// True when a corner of box b lies inside box a, bounds included.
bool BoxesOverlap(float aMinX, float aMinZ, float aMaxX, float aMaxZ, float bMinX, float bMinZ,
                  float bMaxX, float bMaxZ);

// Places item i by the draws of a fresh placement, without the overlap test (game start).
void PlaceItem(int i);
// Moves item i after a pickup: placements are retried until no other item lies within 0.4.
void MoveItem(int i);

// The play phases, in the order UpdateGame runs them.
void ApplyWithdrawalEffects();  // 1
void AdvanceSegments();         // 2
void AnimateItems();            // 3
void GrowWorm();                // 4
void CheckPickups();            // 5
void CheckCollisions();         // 6
void EndGameIfOver();           // 7
void FollowAndPlaceSegments();  // 8
void ReadSteeringKeys();        // 9
void RaiseWithdrawal();         // 10
