// Demo files. A demo is a kelvado-sim script of one game that states its outcome in comment
// lines, so that `kelvado-sim < demo` replays it and `kelvado-sim --verify demo` checks it:
//
//   # Kelvado demo
//   # score 1234
//   # play steps 2345
//   # ended by contact            (contact, withdrawal or Esc)
//   # name BOB                    (when the score was stored)
//   # date 2026-12-09 17:03:12
//   # state 9f3a01c2              (the digest of the final game state)
//   heading 1.25                  what the game start kept from the game before
//   tint 0.5
//   sway 3.25
//   clock 81.6000061
//   tick 123456                   the seed
//   step 1 E                      the Enter step that starts the game
//   step 35 -                     the play steps, keys run-length coded
//   step 12 L
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

#include "game/demo.h"

namespace sim {

// A demo file of the longest game (one line a step) stays below this.
constexpr std::size_t kMaxDemoBytes = std::size_t{16} << 20;

struct DemoHeader {
    DemoOutcome stated;
    char name[12];  // empty when no name was stored
    char date[32];
};

// Reads a demo into *game and *header; false with the reason, naming the line, in *error.
bool ReadDemoText(std::string_view text, DemoGame* game, DemoHeader* header, std::string* error);
// Writes the demo; false when the stream fails.
bool WriteDemoText(std::FILE* out, const DemoGame& game, const DemoHeader& header);
// The whole of a regular file of at most kMaxDemoBytes; false with the reason in *error.
bool ReadDemoFile(const char* path, std::string* text, std::string* error);

}  // namespace sim
