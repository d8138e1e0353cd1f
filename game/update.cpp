// The fixed update step: the animation clock, the play phases in their order, the start key.
#include "game/state.h"

#include "game/demo.h"
#include "game/host.h"
#include "game/rules.h"
#include "platform/platform.h"

namespace {
bool ReturnIsDown() { return StepKeyDown(VK_RETURN); }
}  // namespace

void UpdateGame() {
    const float clockBeforeStep = animClock;
    animClock = static_cast<float>(animClock + 0.04);

    // The mode is looked at once: a game that ends in this step still finishes the step.
    if (gameMode == kModePlaying) {
        // Only the previous step's limit test leaves this set when a step begins.
        const bool overByWithdrawal = gameOverPending;
        ApplyWithdrawalEffects();
        AdvanceSegments();
        AnimateItems();
        GrowWorm();
        CheckPickups();
        CheckCollisions();
        EndGameIfOver();
        FollowAndPlaceSegments();
        ReadSteeringKeys();
        RaiseWithdrawal();
        EndDemoStep(overByWithdrawal);
    }

    if (gameMode == kModeTitle) {
        // Enter is read once for each test; the latch holds back the press that stored a name.
        if (!ReturnIsDown()) enterLatch = false;
        if (ReturnIsDown() && !enterLatch) {
            BeginDemoGame(clockBeforeStep);
            ResetGame();
            gameMode = kModePlaying;
        }
    }
}
