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
#include "game/verify.h"
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
    if (!sim::ReadDemoFile(path, &text, &error)) {
        std::fprintf(stderr, "kelvado-sim: %s: %s\n", path, error.c_str());
        return 2;
    }
    static Verification result;
    VerifyDemoText(text, &result);
    const DemoOutcome& replay = result.replay;
    switch (result.verdict) {
        case Verdict::kNoDemo:
            std::fprintf(stderr, "kelvado-sim: %s: %s\n", path, result.reason.c_str());
            return 2;
        case Verdict::kVerified:
            std::printf("verified: score %d, %u play steps, ended by %s\n",
                        static_cast<int>(replay.score), static_cast<unsigned>(replay.playSteps),
                        DemoEndName(replay.end));
            return std::fflush(stdout) == 0 ? 0 : 1;
        case Verdict::kNotVerified:
            break;
    }
    std::printf("not verified: %s\n", path);
    // One line for each difference, indented under the first.
    std::size_t from = 0;
    while (from < result.reason.size()) {
        const std::size_t end = result.reason.find('\n', from);
        std::printf("  %.*s\n", static_cast<int>(end - from), result.reason.c_str() + from);
        from = end + 1;
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
