// The withdrawal level, its reductions and the effects it drives.
#include <gtest/gtest.h>

#include <cmath>

#include "sim_helpers.h"

using namespace simtest;

namespace {
// Eats one item through the pickup phase with plenty of withdrawal to take from; returns the
// reduction.
int EatOneItem() {
    items[1].x = segments[1].x;
    items[1].z = segments[1].z;
    withdrawal = 1000.0f;
    CheckPickups();
    return static_cast<int>(1000.0f - withdrawal);
}
}  // namespace

TEST(Withdrawal, ReductionsOfTheFirstItems) {
    StartGame(21);
    ParkItems();
    Step(1);
    struct Row {
        double rateBefore;
        int reduction;
        double rateAfter;
        double stepsToRegain;
    };
    const Row table[] = {
        {0.0399999991, 5, 0.0524999984, 95.2},  {0.0524999984, 7, 0.0649999976, 107.7},
        {0.0649999976, 9, 0.0775000006, 116.1}, {0.0775000006, 11, 0.0900000036, 122.2},
        {0.0900000036, 13, 0.102500007, 126.8}, {0.102500007, 15, 0.115000010, 130.4},
        {0.115000010, 17, 0.127500013, 133.3},  {0.127500013, 19, 0.140000015, 135.7},
        {0.140000015, 21, 0.152500018, 137.7},  {0.152500018, 22, 0.165000021, 133.3},
        {0.165000021, 24, 0.177500024, 135.2},  {0.177500024, 26, 0.190000027, 136.8},
    };
    for (const Row& row : table) {
        ASSERT_EQ(withdrawalRate, static_cast<float>(row.rateBefore));
        const int reduction = EatOneItem();
        EXPECT_EQ(reduction, row.reduction);
        EXPECT_EQ(withdrawalRate, static_cast<float>(row.rateAfter));
        EXPECT_NEAR(reduction / double{withdrawalRate}, row.stepsToRegain, 0.05);
    }
    // The 25th item takes off 50, not 51; about 141 steps to regain after the 20th.
    for (int k = 13; k <= 25; ++k) {
        const int reduction = EatOneItem();
        if (k == 20) {
            EXPECT_NEAR(reduction / double{withdrawalRate}, 141.0, 0.5);
        }
        if (k == 25) {
            EXPECT_EQ(reduction, 50);
        }
    }
}

TEST(Withdrawal, ShortReductionsUpToTheFourHundredthItem) {
    StartGame(22);
    ParkItems();
    Step(1);
    const int shortOnes[] = {1, 25, 33, 41, 49, 57, 65, 73, 81, 89, 377, 385, 393};
    int next = 0;
    for (int k = 1; k <= 400; ++k) {
        const int plain = static_cast<int>(6.0 + 1.875 * (k - 1));
        const int reduction = EatOneItem();
        const bool isShort = next < 13 && shortOnes[next] == k;
        if (isShort) ++next;
        ASSERT_EQ(reduction, isShort ? plain - 1 : plain) << "item " << k;
    }
}

TEST(Withdrawal, CrossesTheThresholdsAtTheStartingRate) {
    StartGame(23);
    ParkItems();
    float previous = 0.0f;
    for (int step = 1; step <= 7502; ++step) {
        Step(1, true);  // circling keeps the short worm clear of the wall and the trees
        if (step <= 7501) {
            ASSERT_EQ(gameMode, kModePlaying) << "step " << step;
        }
        ASSERT_EQ(withdrawal, previous + 0.04f);
        if (step == 2500 || step == 5001 || step == 7501) {
            const float limit = step == 2500 ? 100.0f : step == 5001 ? 200.0f : 300.0f;
            EXPECT_LE(previous, limit) << step;
            EXPECT_GT(withdrawal, limit) << step;
        }
        // The effects use the level the previous step left.
        ASSERT_EQ(swayAmount > 0.0f, step >= 2501) << "step " << step;
        ASSERT_EQ(blurOn, step >= 5002) << "step " << step;
        ASSERT_EQ(blurCapture, blurOn);
        previous = withdrawal;
    }
    EXPECT_EQ(gameMode, kModeNameEntry);
    EXPECT_EQ(score, 0);
}

TEST(Withdrawal, EffectsFollowTheLevel) {
    StartGame(24);
    ParkItems();
    withdrawal = 150.0f;
    tintLevel = 0.0f;
    const float phase = swayPhase;
    ApplyWithdrawalEffects();
    EXPECT_EQ(tintTarget, static_cast<float>(150.0 / 300.0 * 1.3));
    EXPECT_EQ(swayPhase, static_cast<float>(phase + 150.0 / 3000.0));
    EXPECT_EQ(swayAmount, static_cast<float>(50.0 / 300.0));
    EXPECT_EQ(tintLevel, 0.015f);
    EXPECT_FALSE(blurOn);

    // Exactly on a threshold the previous values stay.
    withdrawal = 100.0f;
    swayAmount = 0.123f;
    ApplyWithdrawalEffects();
    EXPECT_EQ(swayAmount, 0.123f);
    withdrawal = 200.0f;
    blurOn = true;
    blurCapture = false;
    ApplyWithdrawalEffects();
    EXPECT_TRUE(blurOn);
    EXPECT_FALSE(blurCapture);
    withdrawal = 200.5f;
    ApplyWithdrawalEffects();
    EXPECT_TRUE(blurOn && blurCapture);
    withdrawal = 99.0f;
    ApplyWithdrawalEffects();
    EXPECT_EQ(swayAmount, 0.0f);
    EXPECT_FALSE(blurOn || blurCapture);

    // A level just under the target stays there; one above it falls and then stays.
    withdrawal = static_cast<float>(0.51 * 300.0 / 1.3);
    tintLevel = 0.5f;
    ApplyWithdrawalEffects();
    EXPECT_NEAR(tintLevel, 0.5f, 1e-6);
    withdrawal = static_cast<float>(0.49 * 300.0 / 1.3);
    tintLevel = 0.5f;
    for (int k = 0; k < 5; ++k) {
        ApplyWithdrawalEffects();
        EXPECT_NEAR(tintLevel, 0.485f, 1e-6);
    }
    // A red scene from the last game clears by 0.015 a step: 1.3 takes 87 steps.
    withdrawal = 0.0f;
    tintLevel = 1.3f;
    int steps = 0;
    while (tintLevel > 0.0f + 0.015f && steps < 1000) {
        ApplyWithdrawalEffects();
        ++steps;
    }
    EXPECT_NEAR(steps, 87, 1);
}

TEST(Withdrawal, NeverStaysBelowZero) {
    StartGame(25);
    ParkItems();
    withdrawal = -4.0f;
    RaiseWithdrawal();
    EXPECT_EQ(withdrawal, 0.0f);
    withdrawal = 300.0f;
    gameOverPending = false;
    RaiseWithdrawal();
    EXPECT_TRUE(gameOverPending);
}
