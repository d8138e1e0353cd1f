// kelvado-sim: replays a script of key presses through the game's own update, headless.
//
//   tick <uint32>         the value GetTickCount returns from now on (0 until set)
//   step <count> <keys>   count updates with keys held: '-' or any of L (left), R (right),
//                         E (Enter)
//
// '#' starts a comment; blank lines are ignored. The whole script is checked before anything
// runs, so a malformed line stops the simulator with no partial run: a message naming the line
// on stderr and exit code 2. Output: a "reset" line whenever ResetGame runs, a "step" line after
// every update.
#include <cstdint>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "game/host.h"
#include "game/state.h"
#include "tools/sim/script.h"
#include "tools/sim/sim_shell.h"

int main() {
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
        if (command.isTick) {
            sim::tickCount = command.value;
            continue;
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
