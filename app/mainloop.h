// The process entry and the main loop: one thread, a fixed 25 ms simulation step fed by a
// millisecond clock, at most one window message per pass, Esc handled by game mode.
#pragma once

#include <cstdint>

// Non-zero ends the loop at the top of the next pass.
inline std::int32_t quitRequested = 0;
// Set when Esc has just taken the player from a game back to the title; while set, Esc does not
// quit. Cleared as soon as Esc is seen up.
inline bool escapeLatch = false;
// Duration of the previous pass in units of 50 ms.
inline float frameDelta = 0;
// Simulation time not yet consumed, in 25 ms steps.
inline float stepAccumulator = 0;
inline std::uint64_t lastPassTime = 0;
inline std::uint64_t passStartTime = 0;
// Play in a window without asking the display for its full-screen mode (--window).
inline bool startWindowed = false;
// Play full screen at the display's own mode, the picture scaled to fit (--desktop).
inline bool startOnDesktop = false;

// Start-up, the loop and shut-down; returns the process exit code: 1 when the window could not
// be made, 0 when the player declined one, else the code the quit message carried.
int WinMain();

// The pieces of WinMain, for tests that drive the loop one pass at a time.
bool StartUp();  // false when the window could not be made
void RunPass();
int ShutDown();
