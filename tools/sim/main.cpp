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

#include "game/state.h"
#include "render/scene.h"
#include "tools/sim/sim_shell.h"

namespace {

struct Command {
    bool isTick;
    std::uint32_t value;  // the tick, or the number of steps
    bool left, right, enter;
};

std::vector<std::string> SplitWords(const std::string& line)
{
    std::vector<std::string> words;
    std::string word;
    for (char c : line) {
        if (c == '#') break;
        if (c == ' ' || c == '\t' || c == '\r') {
            if (!word.empty()) words.push_back(word);
            word.clear();
        } else {
            word += c;
        }
    }
    if (!word.empty()) words.push_back(word);
    return words;
}

// A plain decimal number from 0 to 4294967295: no sign, no spaces, nothing after it.
bool ParseUint32(const std::string& text, std::uint32_t* value)
{
    if (text.empty()) return false;
    std::uint64_t v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + static_cast<std::uint64_t>(c - '0');
        if (v > UINT32_MAX) return false;
    }
    *value = static_cast<std::uint32_t>(v);
    return true;
}

bool ParseKeys(const std::string& text, Command* command, std::string* error)
{
    if (text == "-") return true;
    for (char c : text) {
        switch (c) {
        case 'L': command->left = true; break;
        case 'R': command->right = true; break;
        case 'E': command->enter = true; break;
        default:
            *error = std::string("unknown key letter '") + c + "' (use -, L, R, E)";
            return false;
        }
    }
    return true;
}

bool ParseLine(const std::vector<std::string>& words, Command* command, std::string* error)
{
    *command = Command{};
    const std::string& name = words[0];
    if (name == "tick") {
        command->isTick = true;
        if (words.size() != 2) {
            *error = "expected: tick <uint32>";
            return false;
        }
        if (!ParseUint32(words[1], &command->value)) {
            *error = "bad tick value '" + words[1] + "'";
            return false;
        }
        return true;
    }
    if (name == "step") {
        if (words.size() != 3) {
            *error = "expected: step <count> <keys>";
            return false;
        }
        if (!ParseUint32(words[1], &command->value)) {
            *error = "bad step count '" + words[1] + "'";
            return false;
        }
        return ParseKeys(words[2], command, error);
    }
    *error = "unknown command '" + name + "'";
    return false;
}

}  // namespace

int main()
{
    std::vector<Command> script;
    std::string line;
    for (long lineNumber = 1; std::getline(std::cin, line); ++lineNumber) {
        const std::vector<std::string> words = SplitWords(line);
        if (words.empty()) continue;
        Command command;
        std::string error;
        if (!ParseLine(words, &command, &error)) {
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
    for (const Command& command : script) {
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
