// Direct access to the mixer that feeds the audio device, so the sound can be checked without a
// sound card.
#pragma once

#include <cstdint>

// Renders the next `frames` frames of the mix into `out` (16-bit stereo, left and right
// interleaved, at the rate given to BASS_Init) with the same code the device callback runs, and
// moves every playing music and sample on by that much. Silence when the library is not running.
void RenderAudioFrames(std::int16_t* out, int frames);

// The rate the mixer runs at: the frequency given to BASS_Init; 0 when not initialised.
int AudioMixRate();
