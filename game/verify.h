// Checking a demo: its game replayed through the update as the game watches it, and how it ends
// compared with what the file states. kelvado-sim --verify and the board's server both run it.
//
// The replay runs on the game's process-wide state: one verification at a time in a process,
// and none while a game is played in it.
#pragma once

#include <string>
#include <string_view>

#include "game/demo.h"
#include "game/demofile.h"

enum class Verdict {
    kNoDemo,       // the text is no demo the reader takes; `reason` says why
    kVerified,     // the replay ends as the demo states
    kNotVerified,  // it does not; `reason` says how it differs, one line each
};

struct Verification {
    Verdict verdict;
    sim::DemoHeader header;  // what the demo states (when it was read)
    DemoOutcome replay;      // how the replay ended (when it was read)
    std::string reason;      // the reader's error, or the differences, each line ending in '\n'
};

// Reads the demo into demoGame and replays it from the state a fresh process starts in.
void VerifyDemoText(std::string_view text, Verification* result);
