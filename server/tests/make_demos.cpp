// Writes distinct demos that verify, for the server's tests and benchmarks: each a game of its
// own seed and steering, replayed by the game's own verifier to learn how it really ends, then
// written with those facts by the game's own demo writer.
//   make_demos DIR COUNT NAME [FIRST_TICK]     writes DIR/NAME-<tick>.demo
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "game/demo.h"
#include "game/demofile.h"
#include "game/verify.h"

namespace {

// A game's steering: runs of keys chosen from the tick, long enough to end by itself.
std::string Script(std::uint32_t tick, std::uint32_t steps) {
    std::string text = "# Kelvado demo\n# score 0\n# play steps " + std::to_string(steps) +
                       "\n# ended by contact\n# state 00000000\nheading 0\ntint 0\nsway 0\n"
                       "clock 0\ntick " + std::to_string(tick) + "\nstep 1 E\n";
    std::uint32_t state = tick * 2654435761u + 1;
    std::uint32_t left = steps;
    while (left > 0) {
        state = state * 1103515245u + 12345u;
        const std::uint32_t run = std::min<std::uint32_t>(left, 5 + (state >> 16) % 40);
        const char* keys[3] = {"-", "L", "R"};
        text += "step " + std::to_string(run) + " " + keys[(state >> 8) % 3] + "\n";
        left -= run;
    }
    return text;
}

Verification result;

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: make_demos DIR COUNT NAME [FIRST_TICK]\n");
        return 2;
    }
    const int count = std::atoi(argv[2]);
    const std::uint32_t first = argc > 4 ? static_cast<std::uint32_t>(std::atol(argv[4])) : 1;
    for (int i = 0; i < count; ++i) {
        const std::uint32_t tick = first + static_cast<std::uint32_t>(i);
        VerifyDemoText(Script(tick, 20000), &result);
        if (result.verdict == Verdict::kNoDemo || result.replay.end == DemoEnd::kEscape) {
            std::fprintf(stderr, "make_demos: tick %u: %s\n", static_cast<unsigned>(tick),
                         result.reason.c_str());
            return 1;
        }
        // The game as it was played, up to the step that ended it.
        demoGame.playSteps = result.replay.playSteps;
        sim::DemoHeader header{};
        header.stated = result.replay;
        std::snprintf(header.name, sizeof header.name, "%s", argv[3]);
        std::snprintf(header.date, sizeof header.date, "2026-12-11 10:00:00");
        const std::string path =
            std::string(argv[1]) + "/" + argv[3] + "-" + std::to_string(tick) + ".demo";
        std::FILE* out = std::fopen(path.c_str(), "w");
        if (!out || !sim::WriteDemoText(out, demoGame, header) || std::fclose(out) != 0) {
            std::fprintf(stderr, "make_demos: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
