// The state half of a game start: starting values, the seed, the tree ring and the items.
#include <cmath>

#include "game/demo.h"
#include "game/rules.h"
#include "game/state.h"

namespace {
constexpr float kFarAway = -999.9f;  // unplaced records lie here, where nothing can touch them
constexpr float kStartX = 0.0f;
constexpr float kStartZ = -10.0f;
constexpr float kTreeStep = 0.18f;
constexpr float kGroundY = -0.08f;

void ResetVariables() {
    segmentCount = 1;
    gameOverPending = false;
    // Headings and rolls stay, so a new game sets off where the previous one was heading.
    for (SegmentRecord& s : segments) {
        s.x = kFarAway;
        s.z = kFarAway;
        s.dirX = 0.0f;
        s.dirZ = 0.0f;
        s.active = false;
    }
    treeCount = 0;
    score = 0;
    growPending = 0;
    growthRestart = true;
    withdrawal = 0.0f;
    withdrawalRate = 0.04f;
    segments[0].x = kStartX;
    segments[0].z = kStartZ;
    segments[0].active = true;
}

void PlantTrees() {
    for (float t = 0.0f; t <= 0.18 + 6.28 && treeCount < kTreeTableSize - 1; t = t + kTreeStep) {
        ++treeCount;
        Tree& tree = trees[treeCount];
        tree.x = static_cast<float>(std::sin(static_cast<double>(t)) * (10 + NextRandom() % 3));
        tree.z =
            static_cast<float>(std::cos(static_cast<double>(t)) * (10 + NextRandom() % 3) - 10.0);
        tree.y = kGroundY;
        tree.height = static_cast<float>((600 + NextRandom() % 200) / 100);
    }
}
}  // namespace

void ResetGameState() {
    ResetVariables();
    SeedRandom(SeedTick());
    PlantTrees();
    for (int i = 1; i <= kItemCount; ++i) PlaceItem(i);
}
