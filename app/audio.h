// The game's sound: looping module music and the pickup sample.
#pragma once

#include "platform/bass.h"
#include "platform/platform.h"

// Music is in use; cleared when the module fails to load with a reported error.
inline bool musicEnabled = true;
inline HMUSIC musicHandle = 0;
inline HSAMPLE plopSample = 0;

// Begins reading and decoding the music module ahead of InitAudio's load, as work ahead
// (platform/read_ahead.h) that InitAudio waits for.
void StartReadingAudioAhead();
// Starts the output for the game's window, loads the music and the sample, and plays the music.
void InitAudio(WindowHandle window);
// Fades the volume from 100 to 0 in 10 ms steps, then stops the output.
void FadeOutMusic();
