// The generator, the game start (tree ring, items, starting values) and the mode rules of the
// update.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "app/mainloop.h"
#include "sim_helpers.h"

using namespace simtest;

TEST(Random, MatchesTheCRuntimeSequence) {
    SeedRandom(1);
    const int expected[] = {41, 18467, 6334, 26500, 19169};
    for (int value : expected) EXPECT_EQ(NextRandom(), value);

    // The state wraps modulo 2^32 and the result keeps bits 16 to 30 only.
    SeedRandom(0xFFFFFFFFu);
    const std::uint32_t next = 0xFFFFFFFFu * 214013u + 2531011u;
    EXPECT_EQ(NextRandom(), static_cast<int>((next >> 16) & 0x7FFF));
    SeedRandom(12345);
    for (int k = 0; k < 100000; ++k) {
        const int r = NextRandom();
        ASSERT_GE(r, 0);
        ASSERT_LE(r, 32767);
    }
}

TEST(GameStart, PlantsARingOf36Trees) {
    for (DWORD tick : {0u, 1u, 1234u, 99999u, 4294967295u}) {
        StartGame(tick);
        ASSERT_EQ(treeCount, 36) << "tick " << tick;
        EXPECT_EQ(trees[1].x, 0.0f);
        EXPECT_TRUE(trees[1].z == 0.0f || trees[1].z == 1.0f || trees[1].z == 2.0f);
        for (int t = 1; t <= treeCount; ++t) {
            EXPECT_TRUE(trees[t].height == 6.0f || trees[t].height == 7.0f);
            EXPECT_LE(std::fabs(trees[t].x), 12.0f);
            EXPECT_GE(trees[t].z, -22.0f);
            EXPECT_LE(trees[t].z, 2.0f);
            EXPECT_EQ(trees[t].y, -0.08f);
            // Each tree lies 10 to 12 units out along its angle of the ring.
            const double angle = 0.18 * (t - 1);
            const double radius = std::hypot(trees[t].x, trees[t].z + 10.0);
            EXPECT_GE(radius, 10.0 - 1e-4);
            EXPECT_LE(radius, 12.0 + 1e-4);
            if (std::fabs(trees[t].x) > 0.5) {
                EXPECT_GT(trees[t].x * std::sin(angle), 0.0) << "tree " << t;
            }
        }
        // The last one lies just past a full turn, next to the first.
        EXPECT_GT(trees[36].x, 0.0f);
        EXPECT_LT(trees[36].x, 0.25f);
    }
}

TEST(GameStart, TreesAndItemsFollowTheDrawsInOrder) {
    StartGame(777);
    SeedRandom(777);
    float angle = 0.0f;
    for (int t = 1; t <= 36; ++t) {
        const int rx = NextRandom() % 3, rz = NextRandom() % 3, rh = NextRandom() % 200;
        EXPECT_EQ(trees[t].x, static_cast<float>(std::sin(static_cast<double>(angle)) * (10 + rx)));
        EXPECT_EQ(trees[t].z,
                  static_cast<float>(std::cos(static_cast<double>(angle)) * (10 + rz) - 10.0));
        EXPECT_EQ(trees[t].height, static_cast<float>((600 + rh) / 100));
        angle = angle + 0.18f;
    }
    for (int i = 1; i <= kItemCount; ++i) {
        const int a = (NextRandom() % 628) / 100;
        const int rx = NextRandom() % 5;
        const int a2 = (NextRandom() % 628) / 100;
        const int rz = NextRandom() % 5;
        EXPECT_EQ(items[i].x, static_cast<float>(std::sin(static_cast<double>(a)) * rx));
        EXPECT_EQ(items[i].y, 0.1f);
        EXPECT_EQ(items[i].z, static_cast<float>(std::cos(static_cast<double>(a2)) * rz - 10.0));
        EXPECT_EQ(items[i].spinDeg, static_cast<float>(NextRandom() % 360));
        EXPECT_EQ(items[i].bobPhase, static_cast<float>((NextRandom() % 624) / 100));
    }
}

TEST(GameStart, ItemsStartNearTheCentre) {
    for (DWORD tick = 0; tick < 300; ++tick) {
        StartGame(tick);
        for (int i = 1; i <= kItemCount; ++i) {
            EXPECT_GE(items[i].x, -4.0f);
            EXPECT_LE(items[i].x, 4.0f);
            EXPECT_GE(items[i].z, -14.0f);
            EXPECT_LE(items[i].z, -6.0f);
            EXPECT_EQ(items[i].y, 0.1f);
            EXPECT_EQ(items[i].bobPhase, std::trunc(items[i].bobPhase));
            EXPECT_LE(items[i].bobPhase, 6.0f);
        }
    }
}

TEST(GameStart, SameTickGivesTheSameWorld) {
    StartGame(31337);
    Tree firstTrees[kTreeTableSize];
    Item firstItems[kItemCount + 1];
    std::memcpy(firstTrees, trees, sizeof trees);
    std::memcpy(firstItems, items, sizeof items);
    Step(50, true);  // play a while: items move and bob, nothing of the start is reused
    StartGame(31337);
    EXPECT_EQ(std::memcmp(firstTrees, trees, sizeof trees), 0);
    EXPECT_EQ(std::memcmp(firstItems, items, sizeof items), 0);
    StartGame(31338);
    EXPECT_NE(std::memcmp(firstTrees, trees, sizeof trees), 0);
}

TEST(GameStart, ResetsTheGameButKeepsHeadingsAndTint) {
    StartGame(5);
    ParkItems();
    Step(60, true);  // turn a while, so the headings are not 0
    withdrawal = 250.0f;
    Step(5);
    const float heading = segments[0].heading;
    const float headHeading = segments[1].heading;
    const float roll = segments[3].rotZ;
    const float tint = tintLevel;
    const float phase = swayPhase;
    const float clock = animClock;
    ASSERT_NE(heading, 0.0f);
    ASSERT_GT(tint, 0.0f);
    quitRequested = 1;
    score = 77;

    gameMode = kModeTitle;
    sim::HoldKeys(false, false, true);
    UpdateGame();
    EXPECT_EQ(gameMode, kModePlaying);
    EXPECT_EQ(segmentCount, 1.0f);
    EXPECT_EQ(quitRequested, 0);
    EXPECT_FALSE(gameOverPending);
    EXPECT_EQ(score, 0);
    EXPECT_EQ(growPending, 0);
    EXPECT_TRUE(growthRestart);
    EXPECT_EQ(withdrawal, 0.0f);
    EXPECT_EQ(withdrawalRate, 0.04f);
    EXPECT_EQ(segments[0].x, 0.0f);
    EXPECT_EQ(segments[0].z, -10.0f);
    EXPECT_TRUE(segments[0].active);
    for (int i = 1; i < kSegmentTableSize; ++i) {
        ASSERT_EQ(segments[i].x, -999.9f);
        ASSERT_EQ(segments[i].z, -999.9f);
        ASSERT_EQ(segments[i].dirX, 0.0f);
        ASSERT_EQ(segments[i].dirZ, 0.0f);
        ASSERT_FALSE(segments[i].active);
    }
    EXPECT_EQ(segments[0].heading, heading);
    EXPECT_EQ(segments[1].heading, headHeading);
    EXPECT_EQ(segments[3].rotZ, roll);
    EXPECT_EQ(tintLevel, tint);
    EXPECT_EQ(swayPhase, phase);
    EXPECT_FLOAT_EQ(animClock, clock + 0.04f);
}

TEST(Modes, EnterStartsAGameOnlyWhenTheLatchIsClear) {
    ForgetEarlierGames();
    gameMode = kModeTitle;
    enterLatch = true;  // the Enter that stored a name is still held
    sim::HoldKeys(false, false, true);
    UpdateGame();
    EXPECT_EQ(gameMode, kModeTitle);
    EXPECT_EQ(sim::resetCalls, 0);
    sim::HoldKeys(false, false, false);
    UpdateGame();
    EXPECT_FALSE(enterLatch);
    EXPECT_EQ(gameMode, kModeTitle);
    sim::HoldKeys(false, false, true);
    UpdateGame();
    EXPECT_EQ(gameMode, kModePlaying);
    EXPECT_EQ(sim::resetCalls, 1);
    // Still held in the next steps: the running game is not restarted.
    UpdateGame();
    UpdateGame();
    EXPECT_EQ(sim::resetCalls, 1);
    EXPECT_EQ(segmentCount, 2.0f);
}

TEST(Modes, TitleAndNameEntryOnlyAdvanceTheClock) {
    StartGame(99);
    Step(40, true);
    for (GameMode mode : {kModeNameEntry, kModeTitle}) {
        gameMode = mode;
        enterLatch = false;
        SegmentRecord segmentsBefore[kSegmentTableSize];
        Item itemsBefore[kItemCount + 1];
        std::memcpy(segmentsBefore, segments, sizeof segments);
        std::memcpy(itemsBefore, items, sizeof items);
        const float scalars[] = {segmentCount, withdrawal, withdrawalRate, tintLevel,
                                 tintTarget,   swayPhase,  swayAmount};
        const int ints[] = {growPending, score};
        float clock = animClock;
        sim::HoldKeys(true, true, false);  // steering keys do nothing here
        for (int k = 0; k < 100; ++k) {
            UpdateGame();
            clock = static_cast<float>(clock + 0.04);
            ASSERT_EQ(animClock, clock);
        }
        EXPECT_EQ(gameMode, mode);
        EXPECT_EQ(std::memcmp(segmentsBefore, segments, sizeof segments), 0);
        EXPECT_EQ(std::memcmp(itemsBefore, items, sizeof items), 0);
        const float scalarsAfter[] = {segmentCount, withdrawal, withdrawalRate, tintLevel,
                                      tintTarget,   swayPhase,  swayAmount};
        EXPECT_EQ(std::memcmp(scalars, scalarsAfter, sizeof scalars), 0);
        EXPECT_EQ(ints[0], growPending);
        EXPECT_EQ(ints[1], score);
    }
}
