// Steering, movement and growth of the worm.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "sim_helpers.h"

using namespace simtest;

TEST(Worm, FirstStepsPlaceTheHeadAndGrowTo21Records) {
    StartGame(1);
    ParkItems();
    Step(1);
    EXPECT_EQ(segmentCount, 1.0f);
    EXPECT_EQ(growPending, 20);
    EXPECT_TRUE(segments[1].active);
    EXPECT_EQ(segments[1].x, 0.0f);
    EXPECT_EQ(segments[1].z, -10.0f);
    EXPECT_EQ(segments[1].heading, segments[0].heading);
    EXPECT_EQ(withdrawal, 0.04f);
    EXPECT_EQ(score, 0);

    // The second step: the head stands still and takes its direction.
    Step(1);
    EXPECT_EQ(segments[1].x, 0.0f);
    EXPECT_EQ(segments[1].z, -10.0f);
    EXPECT_EQ(segments[1].dirZ, 1.0f);

    for (int step = 3; step <= 21; ++step) {
        Step(1);
        ASSERT_EQ(segmentCount, static_cast<float>(step));
        ASSERT_EQ(growPending, 21 - step);
        // Moving straight along +z by 1/30 per step from the third step on.
        ASSERT_EQ(segments[1].x, 0.0f);
        ASSERT_NEAR(segments[1].z, -10.0 + (step - 2) / 30.0, 1e-5);
        // The newest record sits on the start point, not yet moved.
        ASSERT_TRUE(segments[step].active);
        ASSERT_EQ(segments[step].z, -10.0f);
        ASSERT_FALSE(segments[step + 1].active);
    }
    Step(5);
    EXPECT_EQ(segmentCount, 21.0f);
    EXPECT_EQ(growPending, 0);
}

TEST(Worm, BodyIsADelayLineOfTheHead) {
    StartGame(2);
    ParkItems();
    std::vector<float> headX, headZ;  // head position after each step, from step 1
    std::vector<int> placedIn(kSegmentTableSize, 0);
    SeedRandom(99);  // the game's generator is not used again once the items are parked
    growPending = 0;
    for (int step = 1; step <= 400; ++step) {
        const int r = NextRandom() % 4;
        Step(1, r == 1, r == 2);
        if (step == 1) growPending = 150;  // a longer worm than the start gives
        headX.push_back(segments[1].x);
        headZ.push_back(segments[1].z);
        const int n = WormLoopCount();
        for (int k = 1; k <= n; ++k) {
            if (placedIn[k] == 0 && segments[k].active) placedIn[k] = step;
            if (placedIn[k] == 0 || step <= placedIn[k]) continue;
            const int earlier = step - (k - 1);
            ASSERT_GE(earlier, 1);
            ASSERT_TRUE(SameBits(segments[k].x, headX[earlier - 1]) &&
                        SameBits(segments[k].z, headZ[earlier - 1]))
                << "record " << k << " step " << step;
        }
        if (gameMode != kModePlaying) break;
    }
    // Neighbours that have both moved are 1/30 apart along the path.
    const int n = WormLoopCount();
    ASSERT_GT(n, 100);
    for (int k = 1; k + 1 <= n && placedIn[k + 1] + 1 < 400; ++k) {
        const double d =
            std::hypot(segments[k].x - segments[k + 1].x, segments[k].z - segments[k + 1].z);
        EXPECT_NEAR(d, 1.0 / 30.0, 1e-5) << "records " << k << " and " << k + 1;
    }
}

TEST(Worm, LeftKeyTurnsAFullCircleInAbout126Steps) {
    StartGame(3);
    ParkItems();
    Step(2, true);  // the head is placed; from the third step on it moves
    const float startX = segments[1].x, startZ = segments[1].z;
    double farthest = 0.0;
    int closestStep = 0;
    double closest = 1e9;
    for (int step = 1; step <= 160; ++step) {
        Step(1, true);
        const double d = std::hypot(segments[1].x - startX, segments[1].z - startZ);
        farthest = std::max(farthest, d);
        if (step > 60 && d < closest) {
            closest = d;
            closestStep = step;
        }
    }
    EXPECT_EQ(gameMode, kModePlaying);  // 21 records never reach round to the head
    EXPECT_NEAR(closestStep, 126, 1);
    EXPECT_LT(closest, 1.0 / 30.0);
    EXPECT_NEAR(farthest, 4.0 / 3.0, 0.01);  // the diameter of a circle of radius 2/3
    // Left grows the heading and turns from +z toward +x.
    EXPECT_GT(segments[0].heading, 6.28f);
}

TEST(Worm, SteeringReadsBothKeysEachStep) {
    StartGame(4);
    ParkItems();
    const float heading = segments[0].heading;
    Step(1, false, true);
    EXPECT_EQ(segments[0].heading, static_cast<float>(heading - 0.05));
    Step(1, true, true);  // both: no turn, up to rounding
    EXPECT_NEAR(segments[0].heading, heading - 0.05f, 1e-6);
    Step(1, true, false);
    EXPECT_NEAR(segments[0].heading, heading, 1e-6);
    // A key held in step t turns the head in step t + 1; it moves along it in step t + 2.
    StartGame(4);
    ParkItems();
    Step(3);
    const float xBefore = segments[1].x;
    Step(1, true);  // step t: the leader turns
    EXPECT_EQ(segments[0].heading, 0.05f);
    EXPECT_EQ(segments[1].heading, 0.0f);
    Step(1);  // t + 1: the head takes the heading, still moving straight
    EXPECT_EQ(segments[1].heading, 0.05f);
    EXPECT_EQ(segments[1].x, xBefore);
    Step(1);  // t + 2: it moves along it
    EXPECT_EQ(segments[1].x, static_cast<float>(xBefore + std::sin(0.05f) / 30.0));
    EXPECT_EQ(segments[2].heading, 0.05f);
    EXPECT_EQ(segments[3].heading, 0.0f);
}

TEST(Worm, FollowersRollAndFaceTheirHeading) {
    StartGame(6);
    ParkItems();
    Step(10, true);
    for (int k = 1; k <= 9; ++k) {
        ASSERT_EQ(segments[k].rotY, RadToDeg(segments[k].heading));
        ASSERT_EQ(segments[k].dirX, static_cast<float>(std::sin(double{segments[k].heading})));
    }
    // Record 1 followed in steps 2 to 10, record 9 (placed in step 9) once.
    EXPECT_EQ(segments[1].rotZ, 9 * 3.5f);
    EXPECT_EQ(segments[9].rotZ, 3.5f);
    EXPECT_FLOAT_EQ(RadToDeg(3.14159265f), 180.0f);
    EXPECT_EQ(RadToDeg(1.0f), static_cast<float>(1.0f / 6.2831853 * 360.0));
}

TEST(Worm, NextGameSetsOffWhereTheLastOneWasHeading) {
    StartGame(7);
    ParkItems();
    Step(31, true);  // leader turned 31 times
    const float heading = segments[0].heading;
    gameMode = kModeTitle;
    sim::tickCount = 7;
    sim::HoldKeys(false, false, true);
    UpdateGame();
    ParkItems();
    Step(5);
    EXPECT_EQ(segments[0].heading, heading);
    EXPECT_EQ(segments[1].heading, heading);
    EXPECT_EQ(segments[1].x,
              static_cast<float>(
                  static_cast<float>(static_cast<float>(0.0 + std::sin(double{heading}) / 30.0) +
                                     std::sin(double{heading}) / 30.0) +
                  std::sin(double{heading}) / 30.0));
}

TEST(Worm, GrowthStopsAtTheEndOfTheTable) {
    StartGame(8);
    ParkItems();
    Step(1);
    // A worm filling the table, coiled far from everything.
    segmentCount = 4998.0f;
    for (int i = 1; i <= kLastSegment; ++i) {
        segments[i].active = true;
        segments[i].x = 0.0f;
        segments[i].z = -10.0f - 0.001f * (i % 7);
    }
    growPending = 3;
    GrowWorm();
    EXPECT_EQ(segmentCount, 4999.0f);
    EXPECT_EQ(growPending, 2);
    GrowWorm();
    EXPECT_EQ(segmentCount, 4999.0f);
    EXPECT_EQ(growPending, 1);
    // Whole steps at the limit, with an item eaten on the way, keep the count at 4999.
    items[1].x = segments[1].x;
    items[1].z = segments[1].z;
    for (int k = 0; k < 30; ++k) {
        gameMode = kModePlaying;
        UpdateGame();
        ASSERT_EQ(segmentCount, 4999.0f);
    }
    EXPECT_GE(score, 100);
    EXPECT_EQ(growPending, 0);  // the 25 records of the item were counted down, none added
    // Tail index in range; the loops never went past record 4999 (see the sanitizer build).
    EXPECT_EQ(WormLoopCount(), kLastSegment);
    segmentCount = 1e9f;
    EXPECT_EQ(WormLoopCount(), kLastSegment);
    segmentCount = -3.0f;
    EXPECT_EQ(WormLoopCount(), 0);
    segmentCount = std::nanf("");
    EXPECT_EQ(WormLoopCount(), 0);
}
