// Demos: every game is recorded as it is played (the tick that seeded it, what its start kept
// from the game before, and the steering keys of every play step) so that it can be watched again
// or checked by replaying it through the same update.
//
// The update step's key reads and its seed go through StepKeyDown and SeedTick: while a game is
// recorded they answer from the machine and remember the answers; while a demo is watched they
// answer from the demo.
#pragma once

#include <cstdint>

// The longest game a demo holds. A game has no fixed end, but once the withdrawal rate passes 2
// every item leaves the level at 0 and the next one must follow within 300 / rate steps, fewer
// with every item: a player who can reach an item every ten steps (a third of a unit of travel)
// is out within about 100,000 steps. 2^20 steps (7 hours 16 minutes) leave room for far better
// luck; a game that outlasts them is played to its end and leaves no demo.
constexpr std::uint32_t kMaxPlaySteps = 1u << 20;

// The keys of one play step.
constexpr std::uint8_t kDemoLeft = 1;
constexpr std::uint8_t kDemoRight = 2;

// One game: how it started and the keys of its play steps (the steps after the Enter step that
// started it, up to and including the step that ended it).
struct DemoGame {
    std::uint32_t tick;  // what GetTickCount gave the game start
    // What the game start kept from the game before.
    float heading;  // the leader's: the direction the game sets off in
    float tintLevel;
    float swayPhase;
    float animClock;  // before the Enter step advanced it
    std::uint32_t playSteps;
    // Two bits a step: step k in bits 2 (k % 4) and up of byte k / 4.
    std::uint8_t keys[kMaxPlaySteps / 4];
};

enum class DemoEnd : std::uint8_t { kRunning, kContact, kWithdrawal, kEscape };

// How a recorded or watched game came out.
struct DemoOutcome {
    DemoEnd end;
    std::int32_t score;
    std::uint32_t playSteps;
    std::uint32_t state;  // GameStateDigest at the end
};

inline std::uint8_t DemoStepKeys(const DemoGame& game, std::uint32_t step) {
    return static_cast<std::uint8_t>((game.keys[step / 4] >> (2 * (step % 4))) & 3u);
}
inline void SetDemoStepKeys(DemoGame* game, std::uint32_t step, std::uint8_t keys) {
    std::uint8_t& byte = game->keys[step / 4];
    const unsigned shift = 2 * (step % 4);
    byte = static_cast<std::uint8_t>((byte & ~(3u << shift)) | ((keys & 3u) << shift));
}

// The game being recorded, or the demo being watched.
inline DemoGame demoGame{};
// Its outcome so far; final once `end` is not kRunning.
inline DemoOutcome demoOutcome{};
// Set when a recorded game has ended and its demo is whole; whoever keeps demos clears it.
inline bool demoFinished = false;
// Set while a demo is watched: the key reads and the seed come from demoGame.
inline bool demoWatching = false;

// The update step's reads of the arrows and Enter: GetAsyncKeyState's answer (bit 0x8000 set
// means down), or the watched demo's.
bool StepKeyDown(int virtualKey);
// The seed of a game start: GetTickCount, or the watched demo's tick.
std::uint32_t SeedTick();

// Called by the update just before a game start calls ResetGame, with the animation clock as it
// was before this step advanced it.
void BeginDemoGame(float clockBeforeStep);
// Called by the update after every play step; overByWithdrawal tells that the step began with the
// limit already passed.
void EndDemoStep(bool overByWithdrawal);
// The running game was left (Esc, or the window closed).
void EndDemoGameLeft();

// Watching: puts back what the demo's game start kept from the game before; the next update
// step is its Enter step.
void BeginWatchingDemo();
// The watched game has reached its end.
inline bool DemoWatched() { return demoWatching && demoOutcome.end != DemoEnd::kRunning; }

// The ending as demos name it.
inline const char* DemoEndName(DemoEnd end) {
    switch (end) {
        case DemoEnd::kContact:
            return "contact";
        case DemoEnd::kWithdrawal:
            return "withdrawal";
        case DemoEnd::kEscape:
            return "Esc";
        case DemoEnd::kRunning:
            break;
    }
    return "nothing";
}
