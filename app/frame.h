// Frame dispatch: one frame per pass, drawn according to the game mode.
#pragma once

// Clears the frame and draws what the current mode shows; in the name-entry mode it also
// accepts the typed name and stores the entry. Always returns 1.
int DrawFrame();
