// The whole simulation state as one value, so that the autopilot can try a move, look at the
// outcome and put the world back exactly as it was.
#pragma once

#include <cstdint>

#include "game/state.h"

namespace autopilot {

// Every variable the update reads or writes, plus the random generator and the scripted
// platform. The update's direction memo is not part of it: it only caches values that are
// recomputed bit for bit when they do not match, so it never changes a result.
struct World {
    SegmentRecord segments[kSegmentTableSize];
    Item items[kItemCount + 1];
    Tree trees[kTreeTableSize];
    int treeCount;
    float segmentCount;
    std::int32_t growPending;
    bool growthRestart;
    bool gameOverPending;
    float withdrawal;
    float withdrawalRate;
    std::int32_t score;
    float tintTarget, tintLevel, swayPhase, swayAmount;
    bool blurOn, blurCapture;
    float animClock;
    std::int32_t gameMode;
    bool enterLatch;
    char nameText[11];
    int nameLength;
    bool keyLatch[256];
    bool nameTyped;
    bool keyDown[256];
    std::int32_t quitRequested;
    std::uint32_t randomState;
    std::uint32_t tickCount;
};

void Save(World& world);
void Restore(const World& world);

// The keys of one step, as kelvado-sim spells them.
enum Keys : std::uint8_t { kNone = 0, kLeft = 1, kRight = 2, kEnter = 4 };
// "-", or the letters L, R, E in that order.
const char* KeyLetters(std::uint8_t keys);

// One UpdateGame with the keys held.
void Step(std::uint8_t keys);

}  // namespace autopilot
