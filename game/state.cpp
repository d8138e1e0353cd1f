// The fixed update step: the animation clock, the play phases in their order, the start key.
#include "game/state.h"

#include "game/host.h"
#include "game/rules.h"
#include "platform/platform.h"

namespace {
bool ReturnIsDown() { return (GetAsyncKeyState(VK_RETURN) & 0x8000) != 0; }
}  // namespace

void UpdateGame() {
    animClock = static_cast<float>(animClock + 0.04);

    // The mode is looked at once: a game that ends in this step still finishes the step.
    if (gameMode == kModePlaying) {
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
    }

    if (gameMode == kModeTitle) {
        // Enter is read once for each test; the latch holds back the press that stored a name.
        if (!ReturnIsDown()) enterLatch = false;
        if (ReturnIsDown() && !enterLatch) {
            ResetGame();
            gameMode = kModePlaying;
        }
    }
}
