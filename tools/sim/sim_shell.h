// The simulator's platform and the simulation's host (game/host.h): scripted keys and clock, a
// silent sample, and a ResetGame without GL that writes a trace line. kelvado-sim, the autopilot
// and the simulation tests link it with kelvado_game.
#pragma once

#include <cstdint>
#include <cstdio>

#include "platform/platform.h"

namespace sim {

// Keys held down, by virtual-key code, as GetAsyncKeyState reports them.
inline bool heldKeys[256];
// What GetTickCount returns.
inline DWORD tickCount = 0;
// Where ResetGame writes its trace line; nullptr keeps it silent.
inline std::FILE* trace = nullptr;
// How often ResetGame and BASS_SamplePlay have been called, and the last sample played.
inline int resetCalls = 0;
inline int samplePlays = 0;
inline std::uint32_t lastSamplePlayed = 0;

// Holds exactly the given steering and start keys.
void HoldKeys(bool left, bool right, bool enter);

// The trace lines, each ending in a newline.
void WriteResetLine(std::FILE* out);
void WriteStepLine(std::FILE* out, std::uint64_t stepNumber);

}  // namespace sim
