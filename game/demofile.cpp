#include "game/demofile.h"

#include <cstdint>
#include <cstring>
#include <vector>

#include "game/script.h"
#include "platform/files.h"

namespace sim {

namespace {

constexpr std::string_view kMarker = "# Kelvado demo";

// The facts a demo states in its comment lines, each "# <key> <value>".
enum Fact { kScore, kPlaySteps, kEnded, kName, kDate, kState, kFactCount };
constexpr std::string_view kFactKeys[kFactCount] = {"# score ", "# play steps ", "# ended by ",
                                                    "# name ",  "# date ",       "# state "};
constexpr bool kFactRequired[kFactCount] = {true, true, true, false, false, true};
constexpr const char* kFactNames[kFactCount] = {"score", "play steps", "ending",
                                                "name",  "date",       "final state"};

std::string LineError(std::size_t lineNumber, const std::string& what) {
    return "line " + std::to_string(lineNumber) + ": " + what;
}

bool ParseWhole(std::string_view text, bool allowMinus, std::int64_t limit, std::int64_t* value) {
    bool negative = false;
    if (allowMinus && !text.empty() && text[0] == '-') {
        negative = true;
        text.remove_prefix(1);
    }
    if (text.empty() || text.size() > 10) return false;
    std::int64_t v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
    }
    if (v > limit + (negative ? 1 : 0)) return false;
    *value = negative ? -v : v;
    return true;
}

bool ParseHex32(std::string_view text, std::uint32_t* value) {
    if (text.size() != 8) return false;
    std::uint32_t v = 0;
    for (char c : text) {
        int digit;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        } else {
            return false;
        }
        v = v << 4 | static_cast<std::uint32_t>(digit);
    }
    *value = v;
    return true;
}

bool IsNameCharacter(char c) { return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }

// One stated fact; false with the reason in *error.
bool ReadFact(Fact fact, std::string_view value, DemoHeader* header, std::string* error) {
    std::int64_t number = 0;
    switch (fact) {
        case kScore:
            if (!ParseWhole(value, true, INT32_MAX, &number)) break;
            header->stated.score = static_cast<std::int32_t>(number);
            return true;
        case kPlaySteps:
            if (!ParseWhole(value, false, kMaxPlaySteps, &number) || number == 0) break;
            header->stated.playSteps = static_cast<std::uint32_t>(number);
            return true;
        case kEnded:
            for (DemoEnd end : {DemoEnd::kContact, DemoEnd::kWithdrawal, DemoEnd::kEscape}) {
                if (value == DemoEndName(end)) {
                    header->stated.end = end;
                    return true;
                }
            }
            break;
        case kName:
            if (value.empty() || value.size() >= sizeof header->name) break;
            for (char c : value) {
                if (!IsNameCharacter(c)) return (*error = "bad name", false);
            }
            value.copy(header->name, value.size());
            header->name[value.size()] = '\0';
            return true;
        case kDate:
            if (value.size() >= sizeof header->date) break;
            for (char c : value) {
                if (c < ' ' || c > '~') return (*error = "bad date", false);
            }
            value.copy(header->date, value.size());
            header->date[value.size()] = '\0';
            return true;
        case kState:
            if (!ParseHex32(value, &header->stated.state)) break;
            return true;
        case kFactCount:
            break;
    }
    *error = std::string("bad ") + kFactNames[fact] + " '" + std::string(value) + "'";
    return false;
}

// Where the reader is in the layout: what the game start kept and the seed, the Enter step, then
// the play steps.
struct Layout {
    bool seen[6] = {};  // by ScriptVerb: tick and the four kept values, each at most once
    bool started = false;
    std::uint64_t playSteps = 0;
};

bool ReadCommand(const ScriptCommand& command, Layout* layout, DemoGame* game, std::string* error) {
    if (command.verb != ScriptVerb::Step) {
        const int verb = static_cast<int>(command.verb);
        if (layout->started) return (*error = "only steps may follow the first step", false);
        if (layout->seen[verb]) {
            *error = std::string(VerbName(command.verb)) + " given twice";
            return false;
        }
        layout->seen[verb] = true;
        switch (command.verb) {
            case ScriptVerb::Tick:
                game->tick = command.value;
                break;
            case ScriptVerb::Heading:
                game->heading = command.number;
                break;
            case ScriptVerb::Tint:
                game->tintLevel = command.number;
                break;
            case ScriptVerb::Sway:
                game->swayPhase = command.number;
                break;
            case ScriptVerb::Clock:
                game->animClock = command.number;
                break;
            case ScriptVerb::Step:
                break;
        }
        return true;
    }
    if (!layout->started) {
        if (!layout->seen[static_cast<int>(ScriptVerb::Tick)]) {
            return (*error = "no tick before the first step", false);
        }
        if (command.value != 1 || command.left || command.right || !command.enter) {
            return (*error = "the first step must be 'step 1 E', the start of the game", false);
        }
        layout->started = true;
        return true;
    }
    if (command.enter) return (*error = "Enter in a play step", false);
    if (layout->playSteps + command.value > kMaxPlaySteps) {
        return (*error = "longer than any game a demo holds", false);
    }
    const std::uint8_t keys = static_cast<std::uint8_t>((command.left ? kDemoLeft : 0) |
                                                        (command.right ? kDemoRight : 0));
    const std::uint32_t first = static_cast<std::uint32_t>(layout->playSteps);
    for (std::uint32_t k = 0; k < command.value; ++k) SetDemoStepKeys(game, first + k, keys);
    layout->playSteps += command.value;
    return true;
}

const char* KeysText(std::uint8_t keys) {
    constexpr const char* kTexts[4] = {"-", "L", "R", "LR"};
    return kTexts[keys & 3u];
}

}  // namespace

bool ReadDemoText(std::string_view text, DemoGame* game, DemoHeader* header, std::string* error) {
    *header = DemoHeader{};
    game->tick = 0;
    game->heading = game->tintLevel = game->swayPhase = game->animClock = 0.0f;
    game->playSteps = 0;

    bool stated[kFactCount] = {};
    Layout layout;
    std::size_t lineNumber = 0;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);

        if (lineNumber == 1) {
            if (line != kMarker) return (*error = "not a Kelvado demo", false);
            continue;
        }
        for (int fact = 0; fact < kFactCount; ++fact) {
            if (line.substr(0, kFactKeys[fact].size()) != kFactKeys[fact]) continue;
            if (stated[fact]) {
                *error = LineError(lineNumber, std::string(kFactNames[fact]) + " stated twice");
                return false;
            }
            stated[fact] = true;
            std::string why;
            if (!ReadFact(static_cast<Fact>(fact), line.substr(kFactKeys[fact].size()), header,
                          &why)) {
                return (*error = LineError(lineNumber, why), false);
            }
        }

        ScriptCommand command;
        std::string why;
        const ScriptLine kind = ParseScriptLine(std::string(line), &command, &why);
        if (kind == ScriptLine::Error) return (*error = LineError(lineNumber, why), false);
        if (kind == ScriptLine::Command && !ReadCommand(command, &layout, game, &why)) {
            return (*error = LineError(lineNumber, why), false);
        }
    }
    if (lineNumber == 0) return (*error = "not a Kelvado demo", false);
    for (int fact = 0; fact < kFactCount; ++fact) {
        if (kFactRequired[fact] && !stated[fact]) {
            *error = std::string("the demo does not state its ") + kFactNames[fact];
            return false;
        }
    }
    if (!layout.started) return (*error = "the demo holds no game", false);
    if (layout.playSteps != header->stated.playSteps) {
        *error = "the demo holds " + std::to_string(layout.playSteps) + " play steps but states " +
                 std::to_string(header->stated.playSteps);
        return false;
    }
    game->playSteps = static_cast<std::uint32_t>(layout.playSteps);
    return true;
}

bool WriteDemoText(std::FILE* out, const DemoGame& game, const DemoHeader& header) {
    std::fprintf(out, "%.*s\n", static_cast<int>(kMarker.size()), kMarker.data());
    std::fprintf(out, "# score %d\n# play steps %u\n# ended by %s\n",
                 static_cast<int>(header.stated.score), static_cast<unsigned>(game.playSteps),
                 DemoEndName(header.stated.end));
    if (header.name[0] != '\0') std::fprintf(out, "# name %.11s\n", header.name);
    if (header.date[0] != '\0') std::fprintf(out, "# date %.31s\n", header.date);
    std::fprintf(out, "# state %08x\n", static_cast<unsigned>(header.stated.state));
    // Nine significant digits give every float back exactly.
    std::fprintf(out, "heading %.9g\ntint %.9g\nsway %.9g\nclock %.9g\ntick %u\nstep 1 E\n",
                 static_cast<double>(game.heading), static_cast<double>(game.tintLevel),
                 static_cast<double>(game.swayPhase), static_cast<double>(game.animClock),
                 static_cast<unsigned>(game.tick));
    std::uint32_t step = 0;
    while (step < game.playSteps) {
        const std::uint8_t keys = DemoStepKeys(game, step);
        std::uint32_t run = 1;
        while (step + run < game.playSteps && DemoStepKeys(game, step + run) == keys) ++run;
        std::fprintf(out, "step %u %s\n", static_cast<unsigned>(run), KeysText(keys));
        step += run;
    }
    return std::ferror(out) == 0;
}

bool ReadDemoFile(const char* path, std::string* text, std::string* error) {
    std::vector<unsigned char> bytes;
    switch (ReadRegularFile(path, kMaxDemoBytes, Overlong::kRefuse, &bytes)) {
        case FileRead::kRead:
            text->assign(bytes.begin(), bytes.end());
            return true;
        case FileRead::kNotOpened: *error = "cannot be read as a regular file"; break;
        case FileRead::kTooLong: *error = "too large for a demo"; break;
        case FileRead::kNoMemory: *error = "no memory to read it"; break;
    }
    return false;
}

}  // namespace sim
