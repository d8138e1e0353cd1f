// Recording and watching a game through the update step's key reads.
#include "game/demo.h"

#include "game/state.h"
#include "platform/platform.h"

namespace {

// A game was started and has not ended yet.
bool gameRunning = false;
// The steering keys read in the play step under way.
std::uint8_t stepKeys = 0;

void FinishGame(DemoEnd end) {
    gameRunning = false;
    demoOutcome.end = end;
    demoOutcome.score = score;
    demoOutcome.state = GameStateDigest();
    if (!demoWatching) {
        demoGame.playSteps = demoOutcome.playSteps;
        // A game left before its first play step has nothing to show.
        demoFinished = demoOutcome.playSteps > 0 && demoOutcome.playSteps <= kMaxPlaySteps;
    }
}

bool WatchedKeyDown(int virtualKey) {
    // Before its start the demo holds Enter for the step that starts its game.
    if (!gameRunning) return virtualKey == VK_RETURN && demoOutcome.playSteps == 0;
    if (demoOutcome.playSteps >= demoGame.playSteps) return false;
    const std::uint8_t keys = DemoStepKeys(demoGame, demoOutcome.playSteps);
    if (virtualKey == VK_LEFT) return (keys & kDemoLeft) != 0;
    if (virtualKey == VK_RIGHT) return (keys & kDemoRight) != 0;
    return false;
}

}  // namespace

bool StepKeyDown(int virtualKey) {
    if (demoWatching) return WatchedKeyDown(virtualKey);
    const bool down = (GetAsyncKeyState(virtualKey) & 0x8000) != 0;
    if (down && virtualKey == VK_LEFT) stepKeys |= kDemoLeft;
    if (down && virtualKey == VK_RIGHT) stepKeys |= kDemoRight;
    return down;
}

std::uint32_t SeedTick() {
    if (demoWatching) return demoGame.tick;
    const std::uint32_t tick = GetTickCount();
    // The world made with the window is no game of its own.
    if (gameRunning) demoGame.tick = tick;
    return tick;
}

void BeginDemoGame(float clockBeforeStep) {
    gameRunning = true;
    stepKeys = 0;
    demoOutcome = DemoOutcome{};
    if (demoWatching) return;
    demoFinished = false;
    demoGame.heading = segments[0].heading;
    demoGame.tintLevel = tintLevel;
    demoGame.swayPhase = swayPhase;
    demoGame.animClock = clockBeforeStep;
    demoGame.playSteps = 0;
}

void EndDemoStep(bool overByWithdrawal) {
    if (!gameRunning) return;
    const std::uint32_t step = demoOutcome.playSteps;
    if (!demoWatching && step < kMaxPlaySteps) SetDemoStepKeys(&demoGame, step, stepKeys);
    stepKeys = 0;
    if (step < UINT32_MAX) demoOutcome.playSteps = step + 1;
    if (gameMode != kModePlaying) {
        FinishGame(overByWithdrawal ? DemoEnd::kWithdrawal : DemoEnd::kContact);
    } else if (demoWatching && demoOutcome.playSteps == demoGame.playSteps) {
        // The player left this game here, as Esc does.
        gameMode = kModeTitle;
        FinishGame(DemoEnd::kEscape);
    }
}

void EndDemoGameLeft() {
    if (gameRunning && !demoWatching) FinishGame(DemoEnd::kEscape);
}

void BeginWatchingDemo() {
    demoWatching = true;
    gameRunning = false;
    demoOutcome = DemoOutcome{};
    demoFinished = false;
    segments[0].heading = demoGame.heading;
    tintLevel = demoGame.tintLevel;
    swayPhase = demoGame.swayPhase;
    animClock = demoGame.animClock;
}
