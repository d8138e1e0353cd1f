// Items, pickups, contacts and the end of a game.
#include <gtest/gtest.h>

#include <cmath>

#include "app/audio.h"
#include "app/window.h"
#include "frontend/nameentry.h"
#include "sim_helpers.h"

using namespace simtest;

namespace {
// A game two steps in: the head stands on the start point for the pickups of step 2.
void StartWithItemsParked(DWORD tick = 11) {
    StartGame(tick);
    ParkItems();
    Step(1);
}

void PutItem(int i, float x, float z) {
    items[i].x = x;
    items[i].z = z;
}
}  // namespace

TEST(Boxes, CornerTestWithInclusiveBounds) {
    // Each of the four corners of b inside a.
    EXPECT_TRUE(BoxesOverlap(0, 0, 1, 1, 0.5f, 0.5f, 2, 2));
    EXPECT_TRUE(BoxesOverlap(0, 0, 1, 1, -1, -1, 0.5f, 0.5f));
    EXPECT_TRUE(BoxesOverlap(0, 0, 1, 1, -1, 0.5f, 0.5f, 2));
    EXPECT_TRUE(BoxesOverlap(0, 0, 1, 1, 0.5f, -1, 2, 0.5f));
    // Touching edges count.
    EXPECT_TRUE(BoxesOverlap(0, 0, 1, 1, 1, 1, 2, 2));
    EXPECT_TRUE(BoxesOverlap(0, 0, 1, 1, -1, -1, 0, 0));
    EXPECT_FALSE(BoxesOverlap(0, 0, 1, 1, 1.0001f, 0, 2, 1));
    EXPECT_FALSE(BoxesOverlap(0, 0, 1, 1, 0, 1.0001f, 1, 2));
    // Only b's corners are tested: a larger b around a is not seen.
    EXPECT_FALSE(BoxesOverlap(0, 0, 1, 1, -1, -1, 2, 2));
}

TEST(Items, AnimationSpinsAndBobs) {
    StartWithItemsParked();
    const Item before = items[2];
    Step(1);
    EXPECT_EQ(items[2].spinDeg, before.spinDeg + 5.0f);
    EXPECT_EQ(items[2].y, static_cast<float>(before.y + std::sin(double{before.bobPhase}) / 200.0));
    EXPECT_EQ(items[2].bobPhase, static_cast<float>(before.bobPhase + 0.1));
    float low = items[2].y, high = items[2].y;
    for (int k = 0; k < 200; ++k) {
        Step(1, true);
        low = std::min(low, items[2].y);
        high = std::max(high, items[2].y);
    }
    EXPECT_NEAR(high - low, 0.1, 0.005);  // about 0.05 either way of its level
}

TEST(Pickups, BoundsAreInclusive) {
    // Head at (0, -10) during the pickups of step 2; items exactly 0.2 away in x and z.
    const float near[][2] = {{0.2f, -9.8f}, {-0.2f, -10.2f}, {0.2f, -10.2f}, {-0.2f, -9.8f}};
    for (const auto& place : near) {
        StartWithItemsParked();
        PutItem(3, place[0], place[1]);
        Step(1);
        EXPECT_EQ(score, 100) << place[0] << "," << place[1];
        EXPECT_NE(items[3].x, place[0]);  // moved away
    }
    const float far[][2] = {{0.2002f, -10.0f}, {0.0f, -9.7998f}, {-0.2002f, -10.2002f}};
    for (const auto& place : far) {
        StartWithItemsParked();
        PutItem(3, place[0], place[1]);
        Step(1);
        EXPECT_EQ(score, 0) << place[0] << "," << place[1];
        EXPECT_EQ(items[3].x, place[0]);
    }
}

TEST(Pickups, OneItemScoresGrowsAndRelieves) {
    StartWithItemsParked();
    withdrawal = 12.7f;
    sim::samplePlays = 0;
    plopSample = 0x1234;
    PutItem(4, 0.0f, -10.0f);
    Step(1);
    EXPECT_EQ(score, 112);
    EXPECT_EQ(growPending, 19 + 25);
    EXPECT_EQ(withdrawalRate, 0.0524999984f);
    // 12.7 - 5, then this step's rise at the new rate.
    EXPECT_EQ(withdrawal, static_cast<float>(static_cast<float>(12.7f - 5.0) + 0.0524999984f));
    EXPECT_EQ(sim::samplePlays, 1);
    EXPECT_EQ(sim::lastSamplePlayed, 0x1234u);
    // The new place is in the middle, clear of every other item.
    EXPECT_GE(items[4].x, -4.0f);
    EXPECT_LE(items[4].x, 4.0f);
    EXPECT_GE(items[4].z, -14.0f);
    EXPECT_LE(items[4].z, -6.0f);
    EXPECT_EQ(items[4].y, 0.1f);
    for (int j = 1; j <= kItemCount; ++j) {
        if (j == 4) continue;
        EXPECT_FALSE(std::fabs(items[j].x - items[4].x) <= 0.4f &&
                     std::fabs(items[j].z - items[4].z) <= 0.4f);
    }
}

TEST(Pickups, TwoItemsUnderTheHeadAreEatenInItemOrder) {
    StartWithItemsParked();
    withdrawal = 2.5f;
    sim::samplePlays = 0;
    PutItem(2, 0.05f, -10.0f);
    PutItem(5, 0.0f, -9.95f);
    Step(1);
    // Item 2: 100 + 2, leaving -2.5; item 5: 100 + int(-2.5) = 98, leaving -2.5 - 7.
    EXPECT_EQ(score, 200);
    EXPECT_EQ(growPending, 19 + 50);
    EXPECT_EQ(withdrawalRate, 0.0649999976f);
    EXPECT_EQ(withdrawal, 0.0f);  // still below 0 after this step's rise
    EXPECT_EQ(sim::samplePlays, 2);

    // From 3, the first reduction leaves the level below 0: the step ends at 0.
    StartWithItemsParked();
    withdrawal = 3.0f;
    PutItem(1, 0.0f, -10.0f);
    Step(1);
    EXPECT_EQ(score, 103);
    EXPECT_EQ(withdrawal, 0.0f);
}

TEST(Pickups, ItemOnTheStartPointIsEatenInTheSecondStep) {
    // Find a world whose game start puts an item on the start point.
    DWORD tick = 0;
    int onStart = 0;
    for (; tick < 1000 && onStart == 0; ++tick) {
        StartGame(tick);
        for (int i = 1; i <= kItemCount; ++i)
            if (items[i].x == 0.0f && items[i].z == -10.0f) onStart = i;
    }
    ASSERT_NE(onStart, 0);
    Step(1);
    EXPECT_EQ(score, 0);  // the head is placed after the pickups of the first step
    Step(1);
    EXPECT_GE(score, 100);
}

TEST(Collisions, BodyRecordsFromTenOnAreHit) {
    StartWithItemsParked();
    treeCount = 0;
    segments[1].x = 0.0f;
    segments[1].z = -10.0f;
    segmentCount = 12.0f;
    for (int i = 2; i <= 13; ++i) {
        segments[i].active = true;
        segments[i].x = 5.0f;
        segments[i].z = -5.0f;
    }
    for (int k = 2; k <= 13; ++k) {
        segments[k].x = 0.0f;
        segments[k].z = -10.0f;
        gameOverPending = false;
        CheckCollisions();
        EXPECT_EQ(gameOverPending, k >= 10 && k <= 12) << "record " << k;
        segments[k].x = 5.0f;
        segments[k].z = -5.0f;
    }
    // Boxes of half-size 0.04: caught within 0.08 in x and z, bounds included.
    segments[10].x = 0.0f;
    segments[10].z = -10.0f + 0.09f;
    gameOverPending = false;
    CheckCollisions();
    EXPECT_FALSE(gameOverPending);
    segments[10].z = -10.0f + 0.075f;
    CheckCollisions();
    EXPECT_TRUE(gameOverPending);
}

TEST(Collisions, HeadCirclingALongWormHitsItsBody) {
    StartWithItemsParked(12);
    growPending = 300;
    int step = 1;
    while (gameMode == kModePlaying && step < 400) {
        Step(1, true);
        ++step;
    }
    EXPECT_EQ(gameMode, kModeNameEntry);
    // A circle takes about 126 records; the head meets its body soon after that.
    EXPECT_GE(segmentCount, 120.0f);
    EXPECT_LE(segmentCount, 130.0f);
}

TEST(Collisions, WallIsAClosedBandAroundTheArena) {
    StartWithItemsParked();
    treeCount = 0;
    double nearest = 100.0, farthest = 0.0;
    for (int d = 0; d < 360; ++d) {
        const double angle = d * 3.14159265358979 / 180.0;
        double caughtAt = 0.0;
        for (double r = 11.0; r < 12.6; r += 0.005) {
            segments[1].x = static_cast<float>(r * std::sin(angle));
            segments[1].z = static_cast<float>(r * std::cos(angle) - 10.0);
            gameOverPending = false;
            CheckCollisions();
            if (gameOverPending) {
                caughtAt = r;
                break;
            }
        }
        ASSERT_GT(caughtAt, 0.0) << "the head slipped through at " << d << " degrees";
        nearest = std::min(nearest, caughtAt);
        farthest = std::max(farthest, caughtAt);
    }
    EXPECT_NEAR(nearest, 11.54, 0.02);
    EXPECT_NEAR(farthest, 12.16, 0.02);
}

TEST(Collisions, TreesAreDottedRings) {
    StartWithItemsParked();
    treeCount = 1;
    trees[1].x = 3.0f;
    trees[1].z = -4.0f;
    auto hitAt = [](double x, double z) {
        segments[1].x = static_cast<float>(x);
        segments[1].z = static_cast<float>(z);
        gameOverPending = false;
        CheckCollisions();
        return gameOverPending;
    };
    EXPECT_FALSE(hitAt(3.0, -4.0));        // the inside is not tested
    EXPECT_TRUE(hitAt(3.0, -4.0 + 1.05));  // sample at angle 0
    EXPECT_TRUE(hitAt(3.0 + 1.05, -4.0));  // between samples 1.6 and 1.4
    EXPECT_FALSE(hitAt(3.0, -4.0 + 1.05 + 0.09));
    // Around the ring the head is caught in most, not all, directions.
    int caught = 0;
    for (int d = 0; d < 3600; ++d) {
        const double a = d * 3.14159265358979 / 1800.0;
        if (hitAt(3.0 + 1.05 * std::sin(a), -4.0 + 1.05 * std::cos(a))) ++caught;
    }
    EXPECT_GT(caught, 3600 * 0.6);
    EXPECT_LT(caught, 3600);
    // Every tree of the ring is tested, the last one too.
    StartWithItemsParked();
    EXPECT_TRUE(hitAt(trees[36].x, trees[36].z + 1.05));
    EXPECT_TRUE(hitAt(trees[1].x, trees[1].z - 1.05));
}

TEST(EndOfGame, ClearsTheNameAndSwitchesToNameEntryAfterTheStep) {
    StartWithItemsParked();
    for (char& c : nameText) c = 'x';
    nameTyped = true;
    nameLength = 4;
    keyLatch[VK_BACK] = true;
    keyDown[VK_BACK] = true;
    segmentCount = 12.0f;
    for (int i = 2; i <= 12; ++i) {
        segments[i].active = true;
        segments[i].x = 5.0f;
        segments[i].z = -5.0f;
    }
    segments[11].x = 0.0f;  // the head stands on record 11
    segments[11].z = -10.0f;
    const float heading = segments[0].heading;
    const int scoreBefore = score;
    Step(1, true);
    EXPECT_EQ(gameMode, kModeNameEntry);
    EXPECT_FALSE(gameOverPending);
    for (char c : nameText) EXPECT_EQ(c, 0);
    EXPECT_FALSE(nameTyped);
    EXPECT_EQ(nameLength, 0);
    EXPECT_FALSE(keyLatch[VK_BACK]);
    EXPECT_FALSE(keyDown[VK_BACK]);
    EXPECT_EQ(score, scoreBefore);
    // Phases 8 to 10 still ran in that step.
    EXPECT_EQ(segments[0].heading, static_cast<float>(heading + 0.05));
    EXPECT_EQ(withdrawal, static_cast<float>(0.04f + 0.04f));
}

TEST(EndOfGame, PassingTheLimitEndsTheNextStepEvenAfterAPickup) {
    StartWithItemsParked();
    withdrawal = 299.97f;
    Step(1);  // step t: 299.97 + 0.04 passes 300
    EXPECT_EQ(gameMode, kModePlaying);
    EXPECT_TRUE(gameOverPending);
    PutItem(1, segments[1].x, segments[1].z);
    Step(1);  // step t + 1: the item brings it back under 300, the game ends all the same
    EXPECT_LT(withdrawal, 300.0f);
    EXPECT_GE(score, 100);
    EXPECT_EQ(gameMode, kModeNameEntry);
}
