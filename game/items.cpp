// Items, contacts and scoring: phases 3, 5, 6 and 7 of a play step, and item placement.
#include <cmath>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "game/host.h"
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
Box BoxAbout(double x, double z, double s) {
    return {static_cast<float>(x - s), static_cast<float>(z - s), static_cast<float>(x + s),
            static_cast<float>(z + s)};
}

bool Overlap(const Box& a, const Box& b) {
    return BoxesOverlap(a.minX, a.minZ, a.maxX, a.maxZ, b.minX, b.minZ, b.maxX, b.maxZ);
}

int RandomAngle() { return (NextRandom() % 628) / 100; }  // whole radians 0 to 6

// The wall and the trees are tested at fixed points of their circles: a = 0, 0.1, 0.2, ... for
// the wall and a = 0, 0.2, 0.4, ... for a tree, while a <= 6.283, a single-precision angle.
// The points never change, so their sines and cosines are taken once.
constexpr int kWallSamples = 63;
constexpr int kTreeSamples = 32;
constexpr double kTreeRingRadius = 1.05;

struct SampleCircles {
    Box wall[kWallSamples];
    double treeOffsetX[kTreeSamples];  // 1.05 sin a
    double treeOffsetZ[kTreeSamples];  // 1.05 cos a
};

SampleCircles MakeSampleCircles() {
    SampleCircles circles{};
    int k = 0;
    for (float a = 0.0f; a <= 6.283 && k < kWallSamples; a = static_cast<float>(a + 0.1), ++k) {
        const double s = 13.0 * std::sin(static_cast<double>(a));
        const double c = 13.0 * std::cos(static_cast<double>(a));
        circles.wall[k] = {static_cast<float>(s - 1.0), static_cast<float>(c - 11.0),
                           static_cast<float>(s + 1.0), static_cast<float>(c - 9.0)};
    }
    k = 0;
    for (float a = 0.0f; a <= 6.283 && k < kTreeSamples; a = static_cast<float>(a + 0.2), ++k) {
        circles.treeOffsetX[k] = kTreeRingRadius * std::sin(static_cast<double>(a));
        circles.treeOffsetZ[k] = kTreeRingRadius * std::cos(static_cast<double>(a));
    }
    return circles;
}

const SampleCircles sampleCircles = MakeSampleCircles();

// How far from a body record or a tree the head box must lie to be sure that none of its
// boxes can be touched: the reach of the boxes plus a margin for rounding them to floats.
constexpr double kBodyReach = kHeadHalfSize + 0.05;
constexpr double kTreeReach = kTreeRingRadius + kHeadHalfSize + 0.05;

// The head box widened by `reach`: a record or tree centre outside it is too far away for any
// of its boxes to touch the head box.
Box Widened(const Box& box, double reach) {
    return {static_cast<float>(box.minX - reach), static_cast<float>(box.minZ - reach),
            static_cast<float>(box.maxX + reach), static_cast<float>(box.maxZ + reach)};
}

// Decided only for coordinates small enough that rounding a box bound to a float moves it by far
// less than the margin in the reach; elsewhere (and for NaN) the exact tests run.
bool Outside(float x, float z, const Box& reach) {
    const bool outside = x < reach.minX || x > reach.maxX || z < reach.minZ || z > reach.maxZ;
    return outside && std::fabs(x) < 1.0e4f && std::fabs(z) < 1.0e4f;
}
}  // namespace

bool BoxesOverlap(float aMinX, float aMinZ, float aMaxX, float aMaxZ, float bMinX, float bMinZ,
                  float bMaxX, float bMaxZ) {
    auto inside = [&](float cx, float cz) {
        return aMinX <= cx && cx <= aMaxX && aMinZ <= cz && cz <= aMaxZ;
    };
    return inside(bMinX, bMinZ) || inside(bMaxX, bMaxZ) || inside(bMaxX, bMinZ) ||
           inside(bMinX, bMaxZ);
}

void PlaceItem(int i) {
    Item& item = items[i];
    const int a = RandomAngle();
    item.x = static_cast<float>(std::sin(static_cast<double>(a)) * (NextRandom() % 5));
    item.y = 0.1f;
    const int a2 = RandomAngle();
    item.z = static_cast<float>(std::cos(static_cast<double>(a2)) * (NextRandom() % 5) - 10.0);
    item.spinDeg = static_cast<float>(NextRandom() % 360);
    item.bobPhase = static_cast<float>((NextRandom() % 624) / 100);
}

void MoveItem(int i) {
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

void AnimateItems() {
    for (int i = 1; i <= kItemCount; ++i) {
        Item& item = items[i];
        item.spinDeg = item.spinDeg + 5.0f;
        item.y = static_cast<float>(item.y + std::sin(static_cast<double>(item.bobPhase)) / 200.0);
        item.bobPhase = static_cast<float>(item.bobPhase + 0.1);
    }
}

void CheckPickups() {
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
        PlayPickupSound();
    }
}

void CheckCollisions() {
    const SegmentRecord& head = segments[1];
    const Box headBox = BoxAbout(head.x, head.z, kHeadHalfSize);

    // Records whose boxes certainly cannot reach the head box are passed over.
    const Box bodyReach = Widened(headBox, kBodyReach);
    const int n = WormLoopCount();
    int i = kFirstTestedRecord;
#if defined(__SSE2__)
    // Four records at a time; only those not certainly outside get the exact test.
    const __m128 minX = _mm_set1_ps(bodyReach.minX), maxX = _mm_set1_ps(bodyReach.maxX);
    const __m128 minZ = _mm_set1_ps(bodyReach.minZ), maxZ = _mm_set1_ps(bodyReach.maxZ);
    const __m128 magnitude = _mm_castsi128_ps(_mm_set1_epi32(0x7FFFFFFF));
    const __m128 smallEnough = _mm_set1_ps(1.0e4f);
    for (; i + 3 <= n; i += 4) {
        const SegmentRecord* r = &segments[i];
        const __m128 x = _mm_setr_ps(r[0].x, r[1].x, r[2].x, r[3].x);
        const __m128 z = _mm_setr_ps(r[0].z, r[1].z, r[2].z, r[3].z);
        const __m128 outside = _mm_or_ps(_mm_or_ps(_mm_cmplt_ps(x, minX), _mm_cmpgt_ps(x, maxX)),
                                         _mm_or_ps(_mm_cmplt_ps(z, minZ), _mm_cmpgt_ps(z, maxZ)));
        const __m128 small = _mm_and_ps(_mm_cmplt_ps(_mm_and_ps(x, magnitude), smallEnough),
                                        _mm_cmplt_ps(_mm_and_ps(z, magnitude), smallEnough));
        const int skipped = _mm_movemask_ps(_mm_and_ps(outside, small));
        if (skipped == 0xF) continue;
        for (int k = 0; k < 4; ++k) {
            if ((skipped >> k) & 1) continue;
            if (Overlap(BoxAbout(r[k].x, r[k].z, kHeadHalfSize), headBox)) gameOverPending = true;
        }
    }
#endif
    for (; i <= n; ++i) {
        const float x = segments[i].x, z = segments[i].z;
        if (Outside(x, z, bodyReach)) continue;
        if (Overlap(BoxAbout(x, z, kHeadHalfSize), headBox)) gameOverPending = true;
    }

    for (const Box& sample : sampleCircles.wall) {
        if (Overlap(sample, headBox)) gameOverPending = true;
    }

    const Box treeReach = Widened(headBox, kTreeReach);
    const int treeLimit = treeCount < kTreeTableSize ? treeCount : kTreeTableSize - 1;
    for (int t = 1; t <= treeLimit; ++t) {
        const double treeX = trees[t].x, treeZ = trees[t].z;
        if (Outside(trees[t].x, trees[t].z, treeReach)) continue;
        for (int k = 0; k < kTreeSamples; ++k) {
            const double x = treeX + sampleCircles.treeOffsetX[k];
            const double z = treeZ + sampleCircles.treeOffsetZ[k];
            if (Overlap(BoxAbout(x, z, kHeadHalfSize), headBox)) gameOverPending = true;
        }
    }
}

void EndGameIfOver() {
    if (!gameOverPending) return;
    BeginNameEntry();
    gameMode = kModeNameEntry;
    gameOverPending = false;
}
