// kelvado-autopilot: plays games through the game's own update, in lockstep, and writes each as
// a kelvado-sim script on standard output. A game is one kelvado-sim run (the simulator cannot
// leave the name entry), so games are separated by a "# game" comment line that starts each.
//
//   --seed N            seeds the choices and the tick of each game (default 1)
//   --games N           at most N games (default 1)
//   --play-steps N      stop adding games once the games hold N play steps (default: none)
//   --random-every K    every K-th game presses random keys (default 0: never)
//   --max-game-steps N  then the autopilot lets go of the keys until the game ends (30000)
//   --backtracks N      retries from earlier positions per game (400)
//   --trace FILE        writes there what kelvado-sim prints for the scripts, game after game
//   --progress 1        reports the growth of the worm and the retries while a game is played
//
// A summary of every game goes to standard error.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "game/host.h"
#include "game/rules.h"
#include "game/state.h"
#include "tools/autopilot/pilot.h"
#include "tools/sim/sim_shell.h"

namespace {

struct Options {
    std::uint64_t seed = 1;
    long games = 1;
    long playSteps = 0;
    long randomEvery = 0;
    const char* tracePath = nullptr;
    autopilot::PilotOptions pilot;
};

[[noreturn]] void Usage(const char* why) {
    std::fprintf(stderr,
                 "kelvado-autopilot: %s\nusage: kelvado-autopilot [--seed N] [--games N] "
                 "[--play-steps N] [--random-every K] [--max-game-steps N] [--backtracks N] "
                 "[--trace FILE] [--progress 0|1]\n",
                 why);
    std::exit(2);
}

long Number(const char* text) {
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || value < 0) Usage("bad number");
    return value;
}

Options ParseOptions(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        if (i + 1 >= argc) Usage(("missing value after " + name).c_str());
        const char* value = argv[++i];
        if (name == "--seed")
            options.seed = static_cast<std::uint64_t>(Number(value));
        else if (name == "--games")
            options.games = Number(value);
        else if (name == "--play-steps")
            options.playSteps = Number(value);
        else if (name == "--random-every")
            options.randomEvery = Number(value);
        else if (name == "--max-game-steps")
            options.pilot.maxPlaySteps = static_cast<int>(Number(value));
        else if (name == "--backtracks")
            options.pilot.maxBacktracks = static_cast<int>(Number(value));
        else if (name == "--trace")
            options.tracePath = value;
        else if (name == "--progress")
            options.pilot.progress = Number(value) != 0;
        else
            Usage(("unknown option " + name).c_str());
    }
    return options;
}

// Runs of equal keys become one step line each.
void WriteScript(std::FILE* out, const autopilot::GameRecord& game) {
    std::fprintf(out, "tick %u\n", static_cast<unsigned>(game.tick));
    std::size_t i = 0;
    while (i < game.keys.size()) {
        std::size_t j = i;
        while (j < game.keys.size() && game.keys[j] == game.keys[i]) ++j;
        std::fprintf(out, "step %zu %s\n", j - i, autopilot::KeyLetters(game.keys[i]));
        i = j;
    }
}

// What kelvado-sim shows for a game, worked out by replaying its keys from the program start.
struct Replay {
    int maxRecords = 0;
    int itemsEaten = 0;
    int score = 0;
    bool withdrawalEnd = false;
    bool ended = false;
};

constexpr int kStepsAfterEnd = 40;  // the name-entry mode only moves the clock

Replay ReplayGame(const autopilot::GameRecord& game, std::FILE* trace) {
    Replay replay;
    autopilot::RestoreProgramStart();
    sim::tickCount = game.tick;
    sim::trace = trace;
    const int plays = sim::samplePlays;
    ResetGame();
    std::uint64_t n = 0;
    for (std::uint8_t keys : game.keys) {
        autopilot::Step(keys);
        if (trace) sim::WriteStepLine(trace, ++n);
        if (WormLoopCount() > replay.maxRecords) replay.maxRecords = WormLoopCount();
    }
    replay.ended = gameMode == kModeNameEntry;
    replay.withdrawalEnd = replay.ended && withdrawal > 300.0f;
    for (int k = 0; k < kStepsAfterEnd && game.ended; ++k) {
        autopilot::Step(autopilot::kEnter);
        if (trace) sim::WriteStepLine(trace, ++n);
    }
    sim::trace = nullptr;
    replay.itemsEaten = sim::samplePlays - plays;
    replay.score = score;
    return replay;
}

}  // namespace

int main(int argc, char** argv) {
    const Options options = ParseOptions(argc, argv);
    std::FILE* trace = nullptr;
    if (options.tracePath) {
        trace = std::fopen(options.tracePath, "w");
        if (!trace) Usage("cannot write the trace file");
    }

    autopilot::RememberProgramStart();
    std::mt19937_64 rng(options.seed);
    long totalPlaySteps = 0;
    for (long g = 1; g <= options.games; ++g) {
        if (options.playSteps > 0 && totalPlaySteps >= options.playSteps) break;
        autopilot::PilotOptions pilot = options.pilot;
        pilot.randomKeys = options.randomEvery > 0 && g % options.randomEvery == 0;
        const auto tick = static_cast<std::uint32_t>(rng());
        const autopilot::GameRecord game = autopilot::PlayGame(tick, pilot, rng);
        const Replay replay = ReplayGame(game, trace);
        // The script must give the game that was played; anything the retries failed to put
        // back would show here.
        if (replay.score != game.finalScore || replay.ended != game.ended) {
            std::fprintf(stderr, "kelvado-autopilot: game %ld does not replay as played\n", g);
            return 1;
        }

        std::printf("# game %ld: %s, %d play steps, %d items, %d records at most, score %d\n", g,
                    pilot.randomKeys ? "random keys" : "autopilot", game.playSteps,
                    replay.itemsEaten, replay.maxRecords, replay.score);
        WriteScript(stdout, game);
        if (game.ended) std::printf("step %d E\n", kStepsAfterEnd);
        std::fprintf(stderr,
                     "game %ld tick=%u %s play_steps=%d items=%d max_records=%d score=%d end=%s "
                     "backtracks=%d\n",
                     g, static_cast<unsigned>(tick), pilot.randomKeys ? "random" : "pilot",
                     game.playSteps, replay.itemsEaten, replay.maxRecords, replay.score,
                     !game.ended            ? "none"
                     : replay.withdrawalEnd ? "withdrawal"
                                            : "contact",
                     game.backtracks);
        std::fflush(stdout);
        std::fflush(stderr);
        totalPlaySteps += game.playSteps;
    }
    std::fprintf(stderr, "total play steps %ld\n", totalPlaySteps);
    if (trace && std::fclose(trace) != 0) return 1;
    return std::fflush(stdout) == 0 ? 0 : 1;
}
