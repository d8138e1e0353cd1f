// The kelvado-sim script parser, line by line as the simulator reads its input. Besides memory
// faults it checks that blank lines are exactly those without a word, that every error has one
// of the simulator's messages, and that an accepted command written back in its plain form
// parses to the same command.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>

#include "tools/sim/script.h"

namespace {

void Fail(const char* why, const std::string& line) {
    std::fprintf(stderr, "fuzz_sim_script: %s: \"%s\"\n", why, line.c_str());
    std::abort();
}

bool HasWord(const std::string& line) {
    for (char c : line) {
        if (c == '#') return false;
        if (c != ' ' && c != '\t' && c != '\r') return true;
    }
    return false;
}

bool StartsWith(const std::string& text, const char* prefix) {
    return text.compare(0, std::strlen(prefix), prefix) == 0;
}

bool IsKnownError(const std::string& error) {
    return error == "expected: tick <uint32>" || error == "expected: step <count> <keys>" ||
           StartsWith(error, "bad tick value '") || StartsWith(error, "bad step count '") ||
           StartsWith(error, "unknown key letter '") || StartsWith(error, "unknown command '");
}

std::string PlainForm(const sim::ScriptCommand& command) {
    if (command.isTick) return "tick " + std::to_string(command.value);
    // A char array, not a std::string: GCC 12 at -O3 warns (-Wrestrict, falsely) about
    // assigning a literal to a string that may be empty.
    char keys[4] = {};
    int count = 0;
    if (command.left) keys[count++] = 'L';
    if (command.right) keys[count++] = 'R';
    if (command.enter) keys[count++] = 'E';
    if (count == 0) keys[count++] = '-';
    return "step " + std::to_string(command.value) + " " + keys;
}

bool SameCommand(const sim::ScriptCommand& a, const sim::ScriptCommand& b) {
    return a.isTick == b.isTick && a.value == b.value && a.left == b.left && a.right == b.right &&
           a.enter == b.enter;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::istringstream input(std::string(reinterpret_cast<const char*>(data), size));
    std::string line;
    while (std::getline(input, line)) {
        sim::ScriptCommand command{};
        std::string error;
        const sim::ScriptLine kind = sim::ParseScriptLine(line, &command, &error);
        if ((kind == sim::ScriptLine::Blank) == HasWord(line)) Fail("blank line misjudged", line);
        if (kind == sim::ScriptLine::Error) {
            if (!IsKnownError(error)) Fail("unknown error message", line);
            continue;
        }
        if (kind != sim::ScriptLine::Command) continue;
        if (command.isTick && (command.left || command.right || command.enter)) {
            Fail("tick with keys", line);
        }
        const std::string plain = PlainForm(command);
        sim::ScriptCommand again{};
        std::string againError;
        if (sim::ParseScriptLine(plain, &again, &againError) != sim::ScriptLine::Command ||
            !SameCommand(command, again)) {
            Fail("plain form parses differently", line);
        }
    }
    return 0;
}
