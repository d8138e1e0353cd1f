#include "tools/autopilot/world.h"

#include <cstring>

#include "app/mainloop.h"
#include "app/window.h"
#include "frontend/nameentry.h"
#include "game/rules.h"
#include "game/state.h"
#include "tools/sim/sim_shell.h"

namespace autopilot {

namespace {
template <typename T, std::size_t N>
void CopyTable(T (&to)[N], const T (&from)[N]) {
    std::memcpy(to, from, sizeof to);
}
}  // namespace

void Save(World& w) {
    CopyTable(w.segments, segments);
    CopyTable(w.items, items);
    CopyTable(w.trees, trees);
    w.treeCount = treeCount;
    w.segmentCount = segmentCount;
    w.growPending = growPending;
    w.growthRestart = growthRestart;
    w.gameOverPending = gameOverPending;
    w.withdrawal = withdrawal;
    w.withdrawalRate = withdrawalRate;
    w.score = score;
    w.tintTarget = tintTarget;
    w.tintLevel = tintLevel;
    w.swayPhase = swayPhase;
    w.swayAmount = swayAmount;
    w.blurOn = blurOn;
    w.blurCapture = blurCapture;
    w.animClock = animClock;
    w.gameMode = gameMode;
    w.enterLatch = enterLatch;
    CopyTable(w.nameText, nameText);
    w.nameLength = nameLength;
    CopyTable(w.keyLatch, keyLatch);
    w.nameTyped = nameTyped;
    CopyTable(w.keyDown, keyDown);
    w.quitRequested = quitRequested;
    w.randomState = RandomState();
    w.tickCount = sim::tickCount;
}

void Restore(const World& w) {
    CopyTable(segments, w.segments);
    CopyTable(items, w.items);
    CopyTable(trees, w.trees);
    treeCount = w.treeCount;
    segmentCount = w.segmentCount;
    growPending = w.growPending;
    growthRestart = w.growthRestart;
    gameOverPending = w.gameOverPending;
    withdrawal = w.withdrawal;
    withdrawalRate = w.withdrawalRate;
    score = w.score;
    tintTarget = w.tintTarget;
    tintLevel = w.tintLevel;
    swayPhase = w.swayPhase;
    swayAmount = w.swayAmount;
    blurOn = w.blurOn;
    blurCapture = w.blurCapture;
    animClock = w.animClock;
    gameMode = w.gameMode;
    enterLatch = w.enterLatch;
    CopyTable(nameText, w.nameText);
    nameLength = w.nameLength;
    CopyTable(keyLatch, w.keyLatch);
    nameTyped = w.nameTyped;
    CopyTable(keyDown, w.keyDown);
    quitRequested = w.quitRequested;
    SeedRandom(w.randomState);
    sim::tickCount = w.tickCount;
}

const char* KeyLetters(std::uint8_t keys) {
    static const char* const names[8] = {"-", "L", "R", "LR", "E", "LE", "RE", "LRE"};
    return names[keys & 7];
}

void Step(std::uint8_t keys) {
    sim::HoldKeys((keys & kLeft) != 0, (keys & kRight) != 0, (keys & kEnter) != 0);
    UpdateGame();
}

}  // namespace autopilot
