// Recording and watching a game through the update step's key reads.
#include "game/demo.h"

#include <cstring>

#include "game/rules.h"
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

// FNV-1a over the bytes of the values, one at a time (no padding gets in).
struct Digest {
    std::uint32_t value = 2166136261u;
    template <typename T>
    void Add(T v) {
        unsigned char bytes[sizeof v];
        std::memcpy(bytes, &v, sizeof v);
        for (unsigned char b : bytes) value = (value ^ b) * 16777619u;
    }
};

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

std::uint32_t GameStateDigest() {
    // What the rules carry from step to step. Rolls and yaws only draw, and records past the
    // worm keep what earlier games left in them, so neither is taken.
    Digest d;
    d.Add(score);
    d.Add(segmentCount);
    d.Add(growPending);
    d.Add(growthRestart);
    d.Add(gameOverPending);
    d.Add(withdrawal);
    d.Add(withdrawalRate);
    d.Add(tintTarget);
    d.Add(tintLevel);
    d.Add(swayPhase);
    d.Add(swayAmount);
    d.Add(blurOn);
    d.Add(blurCapture);
    d.Add(animClock);
    d.Add(RandomState());
    for (int i = 1; i <= kItemCount; ++i) {
        d.Add(items[i].x);
        d.Add(items[i].y);
        d.Add(items[i].z);
        d.Add(items[i].spinDeg);
        d.Add(items[i].bobPhase);
    }
    const int n = WormLoopCount();
    for (int i = 0; i <= n; ++i) {
        const SegmentRecord& s = segments[i];
        d.Add(s.x);
        d.Add(s.z);
        d.Add(s.heading);
        d.Add(s.dirX);
        d.Add(s.dirZ);
        d.Add(s.active);
    }
    return d.value;
}
