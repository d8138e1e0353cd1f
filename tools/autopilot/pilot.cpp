#include "tools/autopilot/pilot.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <memory>

#include "game/host.h"
#include "game/rules.h"
#include "game/state.h"
#include "tools/autopilot/model.h"
#include "tools/sim/sim_shell.h"

namespace autopilot {

namespace {

World& ProgramStart() {
    static World* world = new World();
    return *world;
}

int RandomBelow(std::mt19937_64& rng, int n) {
    return static_cast<int>(rng() % static_cast<std::uint64_t>(n));
}

// Plans a stretch of play in the light model and returns the keys of the best plan found; the
// plan of the previous decision competes again, so that a way out once found is kept.
std::vector<std::uint8_t> Choose(const PilotOptions& options, std::mt19937_64& rng, int avoid,
                                 bool noisy, const std::vector<std::uint8_t>& previous) {
    static const std::uint8_t actions[3] = {kNone, kLeft, kRight};
    const int b = options.stepsPerDecision;
    const int horizon = options.horizon;
    LoadModel();
    PlanResult best{-std::numeric_limits<double>::max(), {}, 0, -1};
    auto consider = [&](const std::vector<std::uint8_t>& prefix, int target) {
        PlanResult r = RunPlan(prefix, target, horizon);
        if (r.keys.empty() || r.keys[0] == avoid) return;
        if (noisy) r.value += static_cast<double>(RandomBelow(rng, 300));
        if (r.value > best.value) best = std::move(r);
    };
    if (!previous.empty()) consider(previous, 0);
    for (std::uint8_t a : actions) {
        for (int length : {b, 6 * b, 12 * b}) {
            if (length > b && a == kNone) continue;
            const std::vector<std::uint8_t> prefix(length, a);
            consider(prefix, 0);
            for (int i = 1; i <= kItemCount; ++i) consider(prefix, i);
        }
    }
    // Variations of the best plan so far: a run of other keys from a random point on.
    for (int m = 0; m < options.variations; ++m) {
        std::vector<std::uint8_t> prefix = best.keys;
        const int blocks = static_cast<int>(prefix.size()) / b;
        const int cut = blocks == 0 ? 0 : RandomBelow(rng, blocks) * b;
        prefix.resize(cut);
        const int runs = 1 + RandomBelow(rng, 3);
        for (int r = 0; r < runs; ++r) {
            const std::uint8_t key = actions[RandomBelow(rng, 3)];
            const int length = b * (1 + RandomBelow(rng, 12));
            prefix.insert(prefix.end(), length, key);
        }
        consider(prefix, 0);
    }
    if (best.keys.empty()) best.keys.assign(b, avoid == kNone ? kLeft : kNone);
    return best.keys;
}

struct Checkpoint {
    long decision;  // which decision it was saved at: ring slots are reused
    World world;
    std::size_t keyCount;
    int playSteps;
};

}  // namespace

void RememberProgramStart() { Save(ProgramStart()); }
void RestoreProgramStart() { Restore(ProgramStart()); }

void StartGame(std::uint32_t tick) {
    RestoreProgramStart();
    sim::tickCount = tick;
    ResetGame();
    Step(kEnter);
}

GameRecord PlayGame(std::uint32_t tick, const PilotOptions& options, std::mt19937_64& rng) {
    GameRecord game;
    game.tick = tick;
    StartGame(tick);
    game.keys.push_back(kEnter);
    auto takeStep = [&](std::uint8_t keys) {
        game.keys.push_back(keys);
        Step(keys);
        ++game.playSteps;
    };

    if (options.randomKeys) {
        // Runs of random keys, Enter mixed in, until the game ends.
        while (gameMode == kModePlaying && game.playSteps < options.maxPlaySteps) {
            const std::uint8_t keys = static_cast<std::uint8_t>(RandomBelow(rng, 8));
            const int run = 1 + RandomBelow(rng, 60);
            for (int k = 0; k < run && gameMode == kModePlaying; ++k) takeStep(keys);
        }
    } else {
        constexpr int kRing = 256;
        std::vector<std::unique_ptr<Checkpoint>> ring(kRing);
        long decisions = 0;
        std::size_t lastLoss = 0;
        int depth = 6;
        int avoid = -1;    // an action not to take at the next decision (the one that lost)
        int noisyFor = 0;  // decisions still chosen with some randomness after a retry
        std::vector<std::uint8_t> plan;
        int longest = 0;
        while (gameMode == kModePlaying && game.playSteps < options.maxPlaySteps) {
            std::unique_ptr<Checkpoint>& slot = ring[decisions % kRing];
            if (!slot) slot = std::make_unique<Checkpoint>();
            slot->decision = decisions;
            Save(slot->world);
            slot->keyCount = game.keys.size();
            slot->playSteps = game.playSteps;
            ++decisions;

            plan = Choose(options, rng, avoid, noisyFor > 0, plan);
            avoid = -1;
            if (noisyFor > 0) --noisyFor;
            for (int s = 0; s < options.stepsPerDecision && gameMode == kModePlaying; ++s)
                takeStep(plan[std::min<std::size_t>(s, plan.size() - 1)]);
            plan.erase(plan.begin(),
                       plan.begin() + std::min<std::size_t>(options.stepsPerDecision, plan.size()));

            if (options.progress && WormLoopCount() > longest) {
                longest = WormLoopCount();
                if (longest % 250 < 25)
                    std::fprintf(stderr, "  %d records at step %d, %d retries\n", longest,
                                 game.playSteps, game.backtracks);
            }
            if (gameMode == kModePlaying || game.backtracks >= options.maxBacktracks) continue;
            // Lost: go back and play that stretch differently, further back each time the
            // game is lost again at about the same place.
            const std::size_t lossAt = game.keys.size();
            depth = (lossAt <= lastLoss + 200 && lossAt + 200 >= lastLoss)
                        ? std::min(depth * 2, 240)
                        : 6;
            lastLoss = lossAt;
            // Only as far back as the ring still holds this game's own checkpoints: slots of
            // abandoned stretches further on may have overwritten older ones.
            long back = std::min<long>(depth, std::min<long>(decisions, kRing - 1));
            while (back > 1 && ring[(decisions - back) % kRing]->decision != decisions - back)
                --back;
            decisions -= back;
            const Checkpoint& from = *ring[decisions % kRing];
            Restore(from.world);
            avoid = game.keys[from.keyCount];
            game.keys.resize(from.keyCount);
            game.playSteps = from.playSteps;
            noisyFor = static_cast<int>(back);
            plan.clear();
            ++game.backtracks;
        }
    }

    // Past the step limit, the worm goes on without steering until the game ends.
    for (int k = 0; gameMode == kModePlaying && k < 10000; ++k) takeStep(kNone);

    game.ended = gameMode != kModePlaying;
    game.finalScore = score;
    return game;
}

}  // namespace autopilot
