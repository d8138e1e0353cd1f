// The title screen: backdrop, the swaying label, "BETA" and the high-score table.
#pragma once

constexpr const char* titleLabel = "Kelvado 0.8";

void DrawTitleScreen();
