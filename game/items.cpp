// Items, contacts and scoring: phases 3, 5, 6 and 7 of a play step, and item placement.
#include <cmath>

#include "app/audio.h"
#include "app/frame.h"
#include "app/window.h"
#include "frontend/nameentry.h"
#include "game/rules.h"
#include "game/state.h"

namespace {
constexpr double kPickupHalfSize = 0.1;
constexpr double kPlacementHalfSize = 0.2;
constexpr double kHeadHalfSize = 0.04;  // head box for the body, wall and tree tests
constexpr int kFirstTestedRecord = 10;  // records 2 to 9 can never be hit
constexpr int kGrowthPerItem = 25;
constexpr int kPointsPerItem = 100;
constexpr float kRateRisePerItem = 0.0125f;
constexpr double kReductionFactor = 150.0;

struct Box {
    float minX, minZ, maxX, maxZ;
};

// The box of half-size s about (x, z), each bound evaluated in double and stored as a float.
Box BoxAbout(double x, double z, double s)
{
    return {static_cast<float>(x - s), static_cast<float>(z - s), static_cast<float>(x + s),
            static_cast<float>(z + s)};
}

bool Overlap(const Box& a, const Box& b)
{
    return BoxesOverlap(a.minX, a.minZ, a.maxX, a.maxZ, b.minX, b.minZ, b.maxX, b.maxZ);
}

int RandomAngle() { return (NextRandom() % 628) / 100; }  // whole radians 0 to 6
}  // namespace

bool BoxesOverlap(float aMinX, float aMinZ, float aMaxX, float aMaxZ,
                  float bMinX, float bMinZ, float bMaxX, float bMaxZ)
{
    auto inside = [&](float cx, float cz) {
        return aMinX <= cx && cx <= aMaxX && aMinZ <= cz && cz <= aMaxZ;
    };
    return inside(bMinX, bMinZ) || inside(bMaxX, bMaxZ) || inside(bMaxX, bMinZ) ||
           inside(bMinX, bMaxZ);
}

void PlaceItem(int i)
{
    Item& item = items[i];
    const int a = RandomAngle();
    item.x = static_cast<float>(std::sin(static_cast<double>(a)) * (NextRandom() % 5));
    item.y = 0.1f;
    const int a2 = RandomAngle();
    item.z = static_cast<float>(std::cos(static_cast<double>(a2)) * (NextRandom() % 5) - 10.0);
    item.spinDeg = static_cast<float>(NextRandom() % 360);
    item.bobPhase = static_cast<float>((NextRandom() % 624) / 100);
}

void MoveItem(int i)
{
    for (;;) {
        PlaceItem(i);
        const Box placed = BoxAbout(items[i].x, items[i].z, kPlacementHalfSize);
        bool crowded = false;
        for (int j = 1; j <= kItemCount; ++j) {
            if (j != i && Overlap(placed, BoxAbout(items[j].x, items[j].z, kPlacementHalfSize)))
                crowded = true;
        }
        if (!crowded) return;
    }
}

void AnimateItems()
{
    for (int i = 1; i <= kItemCount; ++i) {
        Item& item = items[i];
        item.spinDeg = item.spinDeg + 5.0f;
        item.y = static_cast<float>(item.y + std::sin(static_cast<double>(item.bobPhase)) / 200.0);
        item.bobPhase = static_cast<float>(item.bobPhase + 0.1);
    }
}

void CheckPickups()
{
    const SegmentRecord& head = segments[1];
    const Box headBox = BoxAbout(head.x, head.z, kPickupHalfSize);
    for (int i = 1; i <= kItemCount; ++i) {
        if (!Overlap(BoxAbout(items[i].x, items[i].z, kPickupHalfSize), headBox)) continue;
        MoveItem(i);
        growPending += kGrowthPerItem;
        score += kPointsPerItem + static_cast<int>(withdrawal);
        // The product of the stored rate and 150 is exact in double: 0.04 takes off 5, not 6.
        const int reduction = static_cast<int>(kReductionFactor * withdrawalRate);
        withdrawal = static_cast<float>(static_cast<double>(withdrawal) - reduction);
        withdrawalRate = withdrawalRate + kRateRisePerItem;
        BASS_SamplePlay(plopSample);
    }
}

void CheckCollisions()
{
    const SegmentRecord& head = segments[1];
    const Box headBox = BoxAbout(head.x, head.z, kHeadHalfSize);

    const int n = WormLoopCount();
    for (int i = kFirstTestedRecord; i <= n; ++i) {
        if (Overlap(BoxAbout(segments[i].x, segments[i].z, kHeadHalfSize), headBox))
            gameOverPending = true;
    }

    // The wall: 2 x 2 boxes at 63 points of the circle of radius 13 about (0, -10).
    for (float a = 0.0f; a <= 6.283; a = static_cast<float>(a + 0.1)) {
        const double s = 13.0 * std::sin(static_cast<double>(a));
        const double c = 13.0 * std::cos(static_cast<double>(a));
        const Box sample = {static_cast<float>(s - 1.0), static_cast<float>(c - 11.0),
                            static_cast<float>(s + 1.0), static_cast<float>(c - 9.0)};
        if (Overlap(sample, headBox)) gameOverPending = true;
    }

    // The trees: small boxes at 32 points of a circle of radius 1.05 about each trunk.
    const int treeLimit = treeCount < kTreeTableSize ? treeCount : kTreeTableSize - 1;
    for (int t = 1; t <= treeLimit; ++t) {
        for (float a = 0.0f; a <= 6.283; a = static_cast<float>(a + 0.2)) {
            const double x = trees[t].x + 1.05 * std::sin(static_cast<double>(a));
            const double z = trees[t].z + 1.05 * std::cos(static_cast<double>(a));
            if (Overlap(BoxAbout(x, z, kHeadHalfSize), headBox)) gameOverPending = true;
        }
    }
}

void EndGameIfOver()
{
    if (!gameOverPending) return;
    for (int i = 0; i <= kMaxNameLength; ++i) nameText[i] = 0;
    gameMode = kModeNameEntry;
    nameTyped = false;
    nameLength = 0;
    keyLatch[VK_BACK] = false;
    keyDown[VK_BACK] = false;
    gameOverPending = false;
}
