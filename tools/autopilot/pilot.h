// Plays one game in lockstep with the game's own update and returns the keys of every step.
#pragma once

#include <cstdint>
#include <random>
#include <vector>

#include "tools/autopilot/world.h"

namespace autopilot {

struct PilotOptions {
    bool randomKeys = false;   // press keys at random instead of playing
    int maxPlaySteps = 30000;  // then stop steering and let the game run into its end
    int maxBacktracks = 400;   // retries from earlier positions after a lost game
    int stepsPerDecision = 4;  // keys are chosen for this many steps at a time
    int horizon = 240;         // steps looked ahead for each choice
    int variations = 12;       // random variations of the best plan tried per decision
    bool progress = false;     // report each new record length and each retry on stderr
};

struct GameRecord {
    std::uint32_t tick = 0;
    std::vector<std::uint8_t> keys;  // one entry per UpdateGame, the first being Enter
    int playSteps = 0;               // steps in mode 1
    bool ended = false;              // the game reached mode 2
    int finalScore = 0;
    int backtracks = 0;
};

// The state before the first ResetGame, as kelvado-sim starts; every game begins from it.
void RememberProgramStart();
void RestoreProgramStart();

// Starts a game as kelvado-sim does for "tick T" and a first "step 1 E": the start-up
// ResetGame, then Enter on the title. Leaves the game in mode 1.
void StartGame(std::uint32_t tick);

GameRecord PlayGame(std::uint32_t tick, const PilotOptions& options, std::mt19937_64& rng);

}  // namespace autopilot
