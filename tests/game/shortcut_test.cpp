// The play step reuses sines and cosines along the worm and passes over records and trees too far
// from the head to touch it. These tests hold it to the plain computation, bit for bit: the
// advance, follow and collision phases are written out here the straightforward way and both
// versions are run from the same state.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "sim_helpers.h"

using namespace simtest;

namespace {

void PlainAdvance() {
    const int n = WormLoopCount();
    for (int i = 1; i <= n; ++i) {
        SegmentRecord& s = segments[i];
        if (!s.active) continue;
        s.x = static_cast<float>(s.x + s.dirX / 30.0);
        s.z = static_cast<float>(s.z + s.dirZ / 30.0);
    }
}

void PlainFollow() {
    for (int i = WormLoopCount(); i >= 1; --i) {
        SegmentRecord& s = segments[i];
        const SegmentRecord& ahead = segments[i - 1];
        if (s.active) {
            s.heading = ahead.heading;
            s.dirX = static_cast<float>(std::sin(static_cast<double>(s.heading)));
            s.dirZ = static_cast<float>(std::cos(static_cast<double>(s.heading)));
            s.rotZ = s.rotZ + 3.5f;
            s.rotY = static_cast<float>(s.heading / 6.2831853 * 360.0);
        } else {
            s.active = true;
            s.x = ahead.x;
            s.z = ahead.z;
            s.heading = ahead.heading;
        }
    }
}

bool HitsHead(double x, double z, double s, double hx, double hz) {
    return BoxesOverlap(static_cast<float>(x - s), static_cast<float>(z - s),
                        static_cast<float>(x + s), static_cast<float>(z + s),
                        static_cast<float>(hx - 0.04), static_cast<float>(hz - 0.04),
                        static_cast<float>(hx + 0.04), static_cast<float>(hz + 0.04));
}

void PlainCollisions() {
    const double hx = segments[1].x, hz = segments[1].z;
    const float hb[4] = {static_cast<float>(hx - 0.04), static_cast<float>(hz - 0.04),
                         static_cast<float>(hx + 0.04), static_cast<float>(hz + 0.04)};
    for (int i = 10; i <= WormLoopCount(); ++i)
        if (HitsHead(segments[i].x, segments[i].z, 0.04, hx, hz)) gameOverPending = true;
    for (float a = 0.0f; a <= 6.283; a = static_cast<float>(a + 0.1)) {
        const double s = 13.0 * std::sin(static_cast<double>(a));
        const double c = 13.0 * std::cos(static_cast<double>(a));
        if (BoxesOverlap(static_cast<float>(s - 1.0), static_cast<float>(c - 11.0),
                         static_cast<float>(s + 1.0), static_cast<float>(c - 9.0), hb[0], hb[1],
                         hb[2], hb[3]))
            gameOverPending = true;
    }
    for (int t = 1; t <= treeCount; ++t) {
        for (float a = 0.0f; a <= 6.283; a = static_cast<float>(a + 0.2)) {
            const double x = trees[t].x + 1.05 * std::sin(static_cast<double>(a));
            const double z = trees[t].z + 1.05 * std::cos(static_cast<double>(a));
            if (HitsHead(x, z, 0.04, hx, hz)) gameOverPending = true;
        }
    }
}

void PlainPlayStep() {
    animClock = static_cast<float>(animClock + 0.04);
    ApplyWithdrawalEffects();
    PlainAdvance();
    AnimateItems();
    GrowWorm();
    CheckPickups();
    PlainCollisions();
    EndGameIfOver();
    PlainFollow();
    ReadSteeringKeys();
    RaiseWithdrawal();
}

// Everything a play step reads or writes.
struct Snapshot {
    SegmentRecord segments[kSegmentTableSize];
    Item items[kItemCount + 1];
    Tree trees[kTreeTableSize];
    int treeCount;
    float floats[9];
    int ints[3];
    bool flags[4];
    std::uint32_t random;
};

void Save(Snapshot& s) {
    std::memcpy(s.segments, segments, sizeof segments);
    std::memcpy(s.items, items, sizeof items);
    std::memcpy(s.trees, trees, sizeof trees);
    s.treeCount = treeCount;
    const float floats[9] = {segmentCount, withdrawal, withdrawalRate, tintTarget, tintLevel,
                             swayPhase,    swayAmount, animClock,      0.0f};
    std::memcpy(s.floats, floats, sizeof floats);
    s.ints[0] = growPending;
    s.ints[1] = score;
    s.ints[2] = gameMode;
    s.flags[0] = growthRestart;
    s.flags[1] = gameOverPending;
    s.flags[2] = blurOn;
    s.flags[3] = blurCapture;
    s.random = RandomState();
}

void Restore(const Snapshot& s) {
    std::memcpy(segments, s.segments, sizeof segments);
    std::memcpy(items, s.items, sizeof items);
    std::memcpy(trees, s.trees, sizeof trees);
    treeCount = s.treeCount;
    segmentCount = s.floats[0];
    withdrawal = s.floats[1];
    withdrawalRate = s.floats[2];
    tintTarget = s.floats[3];
    tintLevel = s.floats[4];
    swayPhase = s.floats[5];
    swayAmount = s.floats[6];
    animClock = s.floats[7];
    growPending = s.ints[0];
    score = s.ints[1];
    gameMode = s.ints[2];
    growthRestart = s.flags[0];
    gameOverPending = s.flags[1];
    blurOn = s.flags[2];
    blurCapture = s.flags[3];
    SeedRandom(s.random);
}

bool Identical(const Snapshot& a, const Snapshot& b) {
    return std::memcmp(a.segments, b.segments, sizeof a.segments) == 0 &&
           std::memcmp(a.items, b.items, sizeof a.items) == 0 &&
           std::memcmp(a.floats, b.floats, sizeof a.floats) == 0 &&
           std::memcmp(a.ints, b.ints, sizeof a.ints) == 0 &&
           std::memcmp(a.flags, b.flags, sizeof a.flags) == 0 && a.random == b.random;
}

Snapshot before, fast, plain;

// One play step both ways from the same state; the state is left as both left it.
void CompareStep(int step) {
    gameMode = kModePlaying;
    Save(before);
    UpdateGame();
    Save(fast);
    Restore(before);
    PlainPlayStep();
    Save(plain);
    ASSERT_TRUE(Identical(fast, plain)) << "step " << step;
}

}  // namespace

TEST(Shortcuts, WholeGamesMatchThePlainComputation) {
    StartGame(2024);
    SeedRandom(2024);
    std::uint32_t choice = 99;
    auto draw = [&choice](int range) {
        choice = choice * 1103515245u + 12345u;
        return static_cast<int>((choice >> 8) % static_cast<std::uint32_t>(range));
    };
    bool left = false, right = false;
    int deaths = 0;
    for (int step = 1; step <= 3000; ++step) {
        if (draw(12) == 0) {
            const int k = draw(4);
            left = k == 1 || k == 3;
            right = k == 2 || k == 3;
        }
        sim::HoldKeys(left, right, false);
        if (step % 50 == 7) growPending += 400;  // a long worm early on
        const int n = WormLoopCount();
        switch (draw(40)) {
            case 0:  // an item right under the head
                items[1 + draw(5)].x = segments[1].x;
                items[1 + draw(5)].z = segments[1].z;
                break;
            case 1:  // odd headings anywhere in the worm
                if (n > 2) {
                    const float odd[] = {-0.0f, 1.0e7f, -123.456f, 3.14159265f,
                                         std::numeric_limits<float>::quiet_NaN()};
                    segments[1 + draw(n)].heading = odd[draw(5)];
                }
                break;
            case 2:  // a tree or a body record close to the head
                if (draw(2) == 0) {
                    trees[1 + draw(treeCount)].x = segments[1].x + (draw(300) - 150) / 100.0f;
                } else if (n > 12) {
                    SegmentRecord& r = segments[10 + draw(n - 10)];
                    r.x = segments[1].x + (draw(40) - 20) / 200.0f;
                    r.z = segments[1].z + (draw(40) - 20) / 200.0f;
                }
                break;
            case 3:  // back to the middle, so the game goes on past the wall
                segments[0].x = 0.0f;
                for (int i = 1; i <= n; ++i) {
                    segments[i].x = static_cast<float>(segments[i].x * 0.5);
                    segments[i].z = static_cast<float>((segments[i].z + 10.0) * 0.5 - 10.0);
                }
                break;
            default:
                break;
        }
        if (withdrawal > 250.0f) withdrawal = 20.0f;
        CompareStep(step);
        if (HasFatalFailure()) return;
        if (gameMode != kModePlaying) ++deaths;
    }
    EXPECT_GT(WormLoopCount(), 2000);
    EXPECT_GT(deaths, 10);  // the contact tests were exercised, hits and misses
    EXPECT_GT(score, 0);
}

TEST(Shortcuts, ContactsAroundTreesBodyAndWallMatchThePlainTests) {
    StartGame(77);
    treeCount = 2;
    trees[1].x = 1.5f;
    trees[1].z = -4.25f;
    trees[2].x = 1234.5f;  // far out: the exact tests run for it
    trees[2].z = 20000.0f;
    segmentCount = 14.0f;
    for (int i = 2; i <= 14; ++i) {
        segments[i].active = true;
        segments[i].x = 1.5f + 0.013f * i;
        segments[i].z = -4.25f - 0.011f * i;
    }
    int hits = 0, tested = 0;
    auto compareAt = [&](double x, double z) {
        segments[1].x = static_cast<float>(x);
        segments[1].z = static_cast<float>(z);
        gameOverPending = false;
        CheckCollisions();
        const bool fast = gameOverPending;
        gameOverPending = false;
        PlainCollisions();
        ++tested;
        if (fast) ++hits;
        return fast == gameOverPending;
    };
    for (double x = 1.5 - 1.3; x <= 1.5 + 1.3; x += 0.0071) {
        for (double z = -4.25 - 1.3; z <= -4.25 + 1.3; z += 0.0071)
            ASSERT_TRUE(compareAt(x, z)) << x << "," << z;
    }
    for (int d = 0; d < 720; ++d) {
        const double a = d * 3.14159265358979 / 360.0;
        for (double r = 11.3; r <= 12.4; r += 0.01)
            ASSERT_TRUE(compareAt(r * std::sin(a), r * std::cos(a) - 10.0)) << d << "," << r;
    }
    ASSERT_TRUE(compareAt(1234.5, 20000.0 - 1.05));
    EXPECT_GT(hits, tested / 20);
    EXPECT_LT(hits, tested);
}
