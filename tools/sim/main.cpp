// kelvado-sim: replays a script of key presses through the game's own update, headless.
//
//   kelvado-sim < SCRIPT          runs the script, printing the state after every step
//   kelvado-sim --verify DEMO     replays a demo and checks that it ends as it states
//
// The script language is in game/script.h. The whole script is checked before anything
// runs, so a malformed line stops the simulator with no partial run: a message naming the line
// on stderr and exit code 2. Output: a "reset" line whenever ResetGame runs, a "step" line after
// every update.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "game/demo.h"
#include "game/demofile.h"
#include "game/host.h"
#include "game/script.h"
#include "game/state.h"
#include "tools/sim/sim_shell.h"

namespace {

constexpr const char* kUsage =
    "usage: kelvado-sim < SCRIPT\n"
    "       kelvado-sim --verify DEMO\n";

int RunScript() {
    std::vector<sim::ScriptCommand> script;
    std::string line;
    for (long lineNumber = 1; std::getline(std::cin, line); ++lineNumber) {
        sim::ScriptCommand command;
        std::string error;
        const sim::ScriptLine kind = sim::ParseScriptLine(line, &command, &error);
        if (kind == sim::ScriptLine::Blank) continue;
        if (kind == sim::ScriptLine::Error) {
            std::fprintf(stderr, "kelvado-sim: line %ld: %s\n", lineNumber, error.c_str());
            return 2;
        }
        script.push_back(command);
    }
    if (std::cin.bad()) {
        std::fprintf(stderr, "kelvado-sim: cannot read the script\n");
        return 2;
    }

    sim::trace = stdout;
    bool started = false;
    std::uint64_t stepNumber = 0;
    for (const sim::ScriptCommand& command : script) {
        // A game start keeps these from the game before; here they are set directly.
        switch (command.verb) {
            case sim::ScriptVerb::Tick:
                sim::tickCount = command.value;
                continue;
            case sim::ScriptVerb::Heading:
                segments[0].heading = command.number;
                continue;
            case sim::ScriptVerb::Tint:
                tintLevel = command.number;
                continue;
            case sim::ScriptVerb::Sway:
                swayPhase = command.number;
                continue;
            case sim::ScriptVerb::Clock:
                animClock = command.number;
                continue;
            case sim::ScriptVerb::Step:
                break;
        }
        if (!started) {
            // The game builds its first world while the window is made, before any update.
            started = true;
            ResetGame();
        }
        sim::HoldKeys(command.left, command.right, command.enter);
        for (std::uint32_t k = 0; k < command.value; ++k) {
            UpdateGame();
            sim::WriteStepLine(stdout, ++stepNumber);
        }
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}

// Watches the demo as the game would, through the update's key reads, and compares how its game
// ends with what the file states.
int Verify(const char* path) {
    std::string text, error;
    sim::DemoHeader header;
    if (!sim::ReadDemoFile(path, &text, &error) ||
        !sim::ReadDemoText(text, &demoGame, &header, &error)) {
        std::fprintf(stderr, "kelvado-sim: %s: %s\n", path, error.c_str());
        return 2;
    }

    BeginWatchingDemo();
    ResetGame();
    // The Enter step and at most every play step of the demo.
    for (std::uint64_t step = 0; step <= demoGame.playSteps && !DemoWatched(); ++step) {
        UpdateGame();
    }

    const DemoOutcome& replay = demoOutcome;
    const DemoOutcome& stated = header.stated;
    if (replay.end == stated.end && replay.score == stated.score &&
        replay.playSteps == stated.playSteps && replay.state == stated.state) {
        std::printf("verified: score %d, %u play steps, ended by %s\n",
                    static_cast<int>(replay.score), static_cast<unsigned>(replay.playSteps),
                    DemoEndName(replay.end));
        return std::fflush(stdout) == 0 ? 0 : 1;
    }
    std::printf("not verified: %s\n", path);
    if (replay.end != stated.end || replay.playSteps != stated.playSteps) {
        std::printf("  the replay ended by %s after %u play steps; the demo states %s after %u\n",
                    DemoEndName(replay.end), static_cast<unsigned>(replay.playSteps),
                    DemoEndName(stated.end), static_cast<unsigned>(stated.playSteps));
    }
    if (replay.score != stated.score) {
        std::printf("  the replay scored %d; the demo states %d\n", static_cast<int>(replay.score),
                    static_cast<int>(stated.score));
    }
    if (replay.state != stated.state) {
        std::printf("  the replay's final state is %08x; the demo states %08x\n",
                    static_cast<unsigned>(replay.state), static_cast<unsigned>(stated.state));
    }
    std::fflush(stdout);
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 1) return RunScript();
    if (argc == 3 && std::strcmp(argv[1], "--verify") == 0) return Verify(argv[2]);
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    std::fputs(kUsage, stderr);
    return 2;
}
