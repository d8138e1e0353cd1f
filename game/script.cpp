#include "game/script.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cmath>
#include <vector>

namespace sim {

namespace {

std::vector<std::string> SplitWords(const std::string& line) {
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
bool ParseUint32(const std::string& text, std::uint32_t* value) {
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

// A finite float as the demo writer prints it ("%.9g" gives back every float exactly).
bool ParseFloat(const std::string& text, float* value) {
    // strtof, not std::from_chars: the web build's C++ library has no floating-point from_chars.
    // Leading blanks and hexadecimal forms, which strtof would take, are not the writer's.
    if (text.empty() || std::isspace(static_cast<unsigned char>(text[0]))) return false;
    if (text.find_first_of("xXpP") != std::string::npos) return false;
    const char* begin = text.c_str();
    char* end = nullptr;
    errno = 0;
    const float parsed = std::strtof(begin, &end);
    if (end != begin + text.size() || errno == ERANGE || !std::isfinite(parsed)) return false;
    *value = parsed;
    return true;
}

constexpr ScriptVerb kFloatVerbs[] = {ScriptVerb::Heading, ScriptVerb::Tint, ScriptVerb::Sway,
                                      ScriptVerb::Clock};

bool ParseKeys(const std::string& text, ScriptCommand* command, std::string* error) {
    if (text == "-") return true;
    for (char c : text) {
        switch (c) {
            case 'L':
                command->left = true;
                break;
            case 'R':
                command->right = true;
                break;
            case 'E':
                command->enter = true;
                break;
            default:
                *error = std::string("unknown key letter '") + c + "' (use -, L, R, E)";
                return false;
        }
    }
    return true;
}

bool ParseWords(const std::vector<std::string>& words, ScriptCommand* command, std::string* error) {
    *command = ScriptCommand{};
    const std::string& name = words[0];
    if (name == "tick") {
        command->verb = ScriptVerb::Tick;
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
        command->verb = ScriptVerb::Step;
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
    for (ScriptVerb verb : kFloatVerbs) {
        if (name != VerbName(verb)) continue;
        command->verb = verb;
        if (words.size() != 2) {
            *error = "expected: " + name + " <float>";
            return false;
        }
        if (!ParseFloat(words[1], &command->number)) {
            *error = "bad " + name + " value '" + words[1] + "'";
            return false;
        }
        return true;
    }
    *error = "unknown command '" + name + "'";
    return false;
}

}  // namespace

const char* VerbName(ScriptVerb verb) {
    switch (verb) {
        case ScriptVerb::Tick:
            return "tick";
        case ScriptVerb::Step:
            return "step";
        case ScriptVerb::Heading:
            return "heading";
        case ScriptVerb::Tint:
            return "tint";
        case ScriptVerb::Sway:
            return "sway";
        case ScriptVerb::Clock:
            return "clock";
    }
    return "";
}

ScriptLine ParseScriptLine(const std::string& line, ScriptCommand* command, std::string* error) {
    const std::vector<std::string> words = SplitWords(line);
    if (words.empty()) return ScriptLine::Blank;
    return ParseWords(words, command, error) ? ScriptLine::Command : ScriptLine::Error;
}

}  // namespace sim
