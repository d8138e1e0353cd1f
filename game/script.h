// The kelvado-sim script language, one line at a time.
//
//   tick <uint32>         the value GetTickCount returns from now on (0 until set)
//   step <count> <keys>   count updates with keys held: '-' or any of L (left), R (right),
//                         E (Enter)
//   heading <float>       the leader's heading: where the next game sets off
//   tint <float>          the red tint level
//   sway <float>          the camera sway's phase
//   clock <float>         the animation clock
//
// A game start keeps the last four from the game before, so a demo of a later game of a session
// states them. '#' starts a comment; blank lines are ignored.
#pragma once

#include <cstdint>
#include <string>

namespace sim {

enum class ScriptVerb { Tick, Step, Heading, Tint, Sway, Clock };

struct ScriptCommand {
    ScriptVerb verb;
    std::uint32_t value;  // the tick, or the number of steps
    float number;         // heading, tint, sway or clock: a finite float
    bool left, right, enter;
};

enum class ScriptLine { Blank, Command, Error };

// Reads one line of a script (without its line feed). A blank or comment-only line gives Blank;
// a well-formed line gives Command and fills *command; anything else gives Error with the reason
// in *error.
ScriptLine ParseScriptLine(const std::string& line, ScriptCommand* command, std::string* error);

// The word that names the verb in a script.
const char* VerbName(ScriptVerb verb);

}  // namespace sim
