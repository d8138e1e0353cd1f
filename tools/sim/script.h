// The kelvado-sim script language, one line at a time.
//
//   tick <uint32>         the value GetTickCount returns from now on (0 until set)
//   step <count> <keys>   count updates with keys held: '-' or any of L (left), R (right),
//                         E (Enter)
//
// '#' starts a comment; blank lines are ignored.
#pragma once

#include <cstdint>
#include <string>

namespace sim {

struct ScriptCommand {
    bool isTick;
    std::uint32_t value;  // the tick, or the number of steps
    bool left, right, enter;
};

enum class ScriptLine { Blank, Command, Error };

// Reads one line of a script (without its line feed). A blank or comment-only line gives Blank;
// a well-formed line gives Command and fills *command; anything else gives Error with the reason
// in *error.
ScriptLine ParseScriptLine(const std::string& line, ScriptCommand* command, std::string* error);

}  // namespace sim
