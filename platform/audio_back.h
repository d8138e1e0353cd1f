// Between the audio library's front half (platform/audio.cpp) and the implementation under it
// (platform/sdl/sdl_audio.cpp, platform/web/web_audio.cpp). The front half keeps the error
// state, the handles and the limits, checks every argument and reads the files; a back end only
// makes the sound, and is called only while the library is initialised, with checked arguments
// and a free slot.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/bass.h"

constexpr int kMaxMusics = 4;
constexpr int kMaxSamples = 8;
// Playbacks of one sample at a time; a load asking for more gets this many.
constexpr int kMaxPlaybacks = 16;
// The largest files the loaders read: far beyond any real module or effect.
constexpr std::size_t kMaxMusicFileBytes = std::size_t{64} << 20;
constexpr std::size_t kMaxSampleFileBytes = std::size_t{16} << 20;

// The output at `frequency` on the given device (-1 the default one), silent until
// AudioOutputStart, at full volume. BASS_OK or the error code.
int AudioOutputOpen(int device, std::uint32_t frequency);
// Closes the output and releases every music and sample.
void AudioOutputClose();
void AudioOutputStart();
// Silences the output, stopping every music and sample with it.
void AudioOutputStop();
void AudioOutputVolume(int volume);  // 0 to 100

// True when the module read ahead (ReadMusicAhead) stands for exactly this load: the next
// AudioMusicDecode then takes it. False drops it.
bool AudioMusicAheadFits(BOOL fromMemory, const void* file, std::uint32_t offset,
                         std::uint32_t length);
void AudioMusicAheadDrop();
// The module in `bytes` (empty: the one read ahead) into `slot`, stopped. BASS_OK or the error.
int AudioMusicDecode(int slot, const std::vector<unsigned char>& bytes, bool loop);
// Plays the music from where it stopped, or from its start once it has ended.
void AudioMusicPlay(int slot);
// The sample file in `bytes` into `slot`, with 1 to kMaxPlaybacks playbacks at a time; a new
// playback with takeOver, when all are busy, restarts the one furthest along.
int AudioSampleDecode(int slot, const std::vector<unsigned char>& bytes, int maxPlaybacks,
                      bool takeOver);
// The playback started (0 to maxPlaybacks - 1), or -1 when none is free.
int AudioSamplePlay(int slot);
