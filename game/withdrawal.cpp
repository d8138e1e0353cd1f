// The withdrawal level and what it drives: phases 1 and 10 of a play step.
#include "game/rules.h"
#include "game/state.h"

namespace {
constexpr double kSwayThreshold = 100.0;
constexpr double kBlurThreshold = 200.0;
constexpr float kLimit = 300.0f;
constexpr double kTintStep = 0.015;
}  // namespace

void ApplyWithdrawalEffects() {
    const double w = withdrawal;
    tintTarget = static_cast<float>(w / 300.0 * 1.3);
    swayPhase = static_cast<float>(swayPhase + w / 3000.0);
    // At exactly a threshold the values of the previous step stay.
    if (w > kSwayThreshold) swayAmount = static_cast<float>((w - kSwayThreshold) / 300.0);
    if (w < kSwayThreshold) swayAmount = 0.0f;
    if (tintTarget > tintLevel) tintLevel = static_cast<float>(tintLevel + kTintStep);
    if (tintTarget < tintLevel) tintLevel = static_cast<float>(tintLevel - kTintStep);
    if (w > kBlurThreshold) blurOn = true;
    if (w < kBlurThreshold) blurOn = false;
    if (w > kBlurThreshold) blurCapture = true;
    if (w < kBlurThreshold) blurCapture = false;
}

void RaiseWithdrawal() {
    withdrawal = withdrawal + withdrawalRate;
    // Passing the limit ends the game in the next step's end-of-game phase.
    if (withdrawal > kLimit) gameOverPending = true;
    if (withdrawal < 0.0f) withdrawal = 0.0f;
}
