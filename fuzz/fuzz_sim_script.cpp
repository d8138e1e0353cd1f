// The kelvado-sim script parser, line by line as the simulator reads its input, and the demo
// reader on the whole input. Besides memory faults it checks that blank lines are exactly those
// without a word, that every error has one of the simulator's messages, that an accepted command
// written back in its plain form parses to the same command, and that an accepted demo written
// back by the game's own writer reads as the same demo.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>

#include "game/demofile.h"
#include "game/script.h"

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

constexpr sim::ScriptVerb kFloatVerbs[] = {sim::ScriptVerb::Heading, sim::ScriptVerb::Tint,
                                           sim::ScriptVerb::Sway, sim::ScriptVerb::Clock};

bool IsKnownError(const std::string& error) {
    if (error == "expected: tick <uint32>" || error == "expected: step <count> <keys>" ||
        StartsWith(error, "bad tick value '") || StartsWith(error, "bad step count '") ||
        StartsWith(error, "unknown key letter '") || StartsWith(error, "unknown command '")) {
        return true;
    }
    for (sim::ScriptVerb verb : kFloatVerbs) {
        const std::string name = sim::VerbName(verb);
        if (error == "expected: " + name + " <float>" ||
            StartsWith(error, ("bad " + name + " value '").c_str())) {
            return true;
        }
    }
    return false;
}

bool SameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

std::string PlainForm(const sim::ScriptCommand& command) {
    if (command.verb == sim::ScriptVerb::Tick) return "tick " + std::to_string(command.value);
    if (command.verb != sim::ScriptVerb::Step) {
        char number[32];
        std::snprintf(number, sizeof number, "%.9g", static_cast<double>(command.number));
        return std::string(sim::VerbName(command.verb)) + " " + number;
    }
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
    return a.verb == b.verb && a.value == b.value && SameBits(a.number, b.number) &&
           a.left == b.left && a.right == b.right && a.enter == b.enter;
}

DemoGame demo, again;

bool SameDemo(const sim::DemoHeader& h1, const sim::DemoHeader& h2) {
    if (demo.tick != again.tick || !SameBits(demo.heading, again.heading) ||
        !SameBits(demo.tintLevel, again.tintLevel) || !SameBits(demo.swayPhase, again.swayPhase) ||
        !SameBits(demo.animClock, again.animClock) || demo.playSteps != again.playSteps) {
        return false;
    }
    for (std::uint32_t k = 0; k < demo.playSteps; ++k) {
        if (DemoStepKeys(demo, k) != DemoStepKeys(again, k)) return false;
    }
    return h1.stated.end == h2.stated.end && h1.stated.score == h2.stated.score &&
           h1.stated.playSteps == h2.stated.playSteps && h1.stated.state == h2.stated.state &&
           std::strcmp(h1.name, h2.name) == 0 && std::strcmp(h1.date, h2.date) == 0;
}

void CheckDemo(const std::string& text) {
    sim::DemoHeader header;
    std::string error;
    if (!sim::ReadDemoText(text, &demo, &header, &error)) {
        if (error.empty()) Fail("demo refused without a reason", text);
        return;
    }
    if (demo.playSteps == 0 || demo.playSteps > kMaxPlaySteps ||
        demo.playSteps != header.stated.playSteps) {
        Fail("demo accepted with a length no game has", text);
    }
    char* written = nullptr;
    std::size_t writtenSize = 0;
    std::FILE* out = open_memstream(&written, &writtenSize);
    if (!out) return;
    const bool ok = sim::WriteDemoText(out, demo, header);
    std::fclose(out);
    sim::DemoHeader headerAgain;
    if (!ok ||
        !sim::ReadDemoText(std::string(written, writtenSize), &again, &headerAgain, &error) ||
        !SameDemo(header, headerAgain)) {
        Fail("a demo written back reads differently", text);
    }
    std::free(written);
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
        if (command.verb != sim::ScriptVerb::Step &&
            (command.left || command.right || command.enter)) {
            Fail("keys on a line that is not a step", line);
        }
        const std::string plain = PlainForm(command);
        sim::ScriptCommand again{};
        std::string againError;
        if (sim::ParseScriptLine(plain, &again, &againError) != sim::ScriptLine::Command ||
            !SameCommand(command, again)) {
            Fail("plain form parses differently", line);
        }
    }
    CheckDemo(std::string(reinterpret_cast<const char*>(data), size));
    return 0;
}
