// The title screen: backdrop, the swaying label, "BETA" and the high-score table.
#pragma once

constexpr const char* titleLabel = "Kelvado 0.8";

// True while the Enter press that stored a high-score name has not yet been released.
inline bool enterLatch = false;

void DrawTitleScreen();
