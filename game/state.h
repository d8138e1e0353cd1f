// The game state: every variable and table of one game, and the fixed update step.
//
// Positions are world units on the ground plane (x, z); headings are radians, travelling along
// (sin h, cos h); drawing angles are degrees. Every float is single precision and every stored
// result is rounded to single precision; whole-number conversions truncate toward zero.
// Nothing here includes GL, SDL or audio headers, so the simulation runs headless.
#pragma once

#include <cstdint>

struct SegmentRecord {
    float dirX;  // sin(heading): x part of the direction of travel
    float dirZ;  // cos(heading)
    float x;
    float z;
    float heading;  // radians
    float rotY;     // RadToDeg(heading), the yaw the record is drawn with
    float rotZ;     // roll, degrees; grows by 3.5 each step the record follows
    bool active;    // placed in the world
};

struct Item {
    float x;
    float y;  // height
    float z;
    float spinDeg;   // rotation about the vertical axis, degrees
    float bobPhase;  // radians, drives the bobbing
};

struct Tree {
    float x;
    float y;
    float z;
    float unused;  // a field nothing writes or reads; kept so the record keeps its layout
    float height;
};

constexpr int kSegmentTableSize = 5000;
constexpr int kLastSegment = kSegmentTableSize - 1;
constexpr int kItemCount = 5;
constexpr int kTreeTableSize = 500;

// Record 0 is the steered leader, record 1 the head, records 2..segmentCount the body.
inline SegmentRecord segments[kSegmentTableSize];
// Entries 1 to 5; entry 0 holds nothing.
inline Item items[kItemCount + 1];
// Entries 1 to treeCount; entry 0 holds nothing.
inline Tree trees[kTreeTableSize];
inline int treeCount = 0;

inline float segmentCount = 1;  // a whole number kept in a float
inline std::int32_t growPending = 0;
inline bool growthRestart = true;
inline bool gameOverPending = false;
inline float withdrawal = 0;
inline float withdrawalRate = 0;
inline std::int32_t score = 0;
inline float tintTarget = 0;
inline float tintLevel = 0;
inline float swayPhase = 0;
inline float swayAmount = 0;
inline bool blurOn = false;
inline bool blurCapture = false;
inline float animClock = 0;

enum GameMode : std::int32_t { kModeTitle = 0, kModePlaying = 1, kModeNameEntry = 2 };

// What the frame shows and what the update step does. The update switches it on Enter and at the
// end of a game; the main loop on Esc, the frame dispatch when the name entry ends.
inline std::int32_t gameMode = kModeTitle;
// True while the Enter press that stored a high-score name has not yet been released.
inline bool enterLatch = false;

// Advances the game by one 25 ms step in whatever mode it is in.
void UpdateGame();

// The whole part of segmentCount, as the loops over the worm use it, kept inside the table.
int WormLoopCount();
// A digest of everything the rules carry from step to step, for telling two replays apart.
std::uint32_t GameStateDigest();

// The state half of starting a game: the reset of the variables above, the random seed from
// GetTickCount, the ring of trees and the items. ResetGame (game/host.h) runs it and then
// whatever its host adds.
void ResetGameState();
