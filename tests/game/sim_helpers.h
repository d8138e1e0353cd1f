// Helpers for driving the simulation through the simulator's platform.
#pragma once

#include <cstring>

#include "game/rules.h"
#include "game/state.h"
#include "tools/sim/sim_shell.h"

namespace simtest {

// Clears what survives a game start (headings, rolls, tint, sway, clock), so that each test
// starts from the same world whatever ran before it in this process.
inline void ForgetEarlierGames() {
    for (SegmentRecord& s : segments) {
        s.heading = 0.0f;
        s.rotY = 0.0f;
        s.rotZ = 0.0f;
    }
    tintLevel = 0.0f;
    tintTarget = 0.0f;
    swayPhase = 0.0f;
    swayAmount = 0.0f;
    blurOn = false;
    blurCapture = false;
    animClock = 0.0f;
    sim::resetCalls = 0;
    sim::samplePlays = 0;
}

// Starts a game from the title screen with Enter, as the player does.
inline void StartGame(DWORD tick) {
    ForgetEarlierGames();
    sim::tickCount = tick;
    gameMode = kModeTitle;
    enterLatch = false;
    sim::HoldKeys(false, false, true);
    UpdateGame();
    sim::HoldKeys(false, false, false);
}

// Moves every item out of the worm's reach.
inline void ParkItems() {
    for (int i = 1; i <= kItemCount; ++i) {
        items[i].x = 100.0f + 10.0f * i;
        items[i].z = 100.0f;
    }
}

inline void Step(int count, bool left = false, bool right = false) {
    sim::HoldKeys(left, right, false);
    for (int k = 0; k < count; ++k) UpdateGame();
}

inline bool SameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

}  // namespace simtest
