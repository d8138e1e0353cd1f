// The audio library's calls, version 1.7 of its interface: exactly the calls the game makes.
// platform/audio.cpp implements them once, checks and handles, over platform/sdl/sdl_audio.cpp
// (an SDL2 audio device with libopenmpt for the module) or platform/web/web_audio.cpp (Web Audio
// and chiptune3).
// Handles are 32-bit; 0 means failure. Calls with handle 0 and calls after BASS_Free are
// refused without effect.
#pragma once

#include <cstdint>

using BOOL = int;
using HMUSIC = std::uint32_t;
using HSAMPLE = std::uint32_t;
using HCHANNEL = std::uint32_t;

#ifndef FALSE
constexpr BOOL FALSE = 0;
#endif
#ifndef TRUE
constexpr BOOL TRUE = 1;
#endif

constexpr std::uint32_t BASS_VERSION = 0x00070001;  // low word 1, high word 7: version 1.7

// Error codes of BASS_ErrorGetCode.
constexpr int BASS_OK = 0;
constexpr int BASS_ERROR_MEM = 1;
constexpr int BASS_ERROR_FILEOPEN = 2;
constexpr int BASS_ERROR_DRIVER = 3;
constexpr int BASS_ERROR_HANDLE = 5;
constexpr int BASS_ERROR_FORMAT = 6;
constexpr int BASS_ERROR_INIT = 8;
constexpr int BASS_ERROR_START = 9;
constexpr int BASS_ERROR_ALREADY = 14;
constexpr int BASS_ERROR_NOCHAN = 18;
constexpr int BASS_ERROR_NOPLAY = 24;
constexpr int BASS_ERROR_ILLPARAM = 20;
constexpr int BASS_ERROR_DEVICE = 23;
constexpr int BASS_ERROR_FILEFORM = 41;
constexpr int BASS_ERROR_UNKNOWN = -1;

constexpr std::uint32_t BASS_MUSIC_LOOP = 4;
constexpr std::uint32_t BASS_SAMPLE_OVER_VOL = 0x10000;  // a new playback takes over a playing one
constexpr std::uint32_t BASS_SAMPLE_OVER_POS = 0x20000;

std::uint32_t BASS_GetVersion();
BOOL BASS_Init(int device, std::uint32_t frequency, std::uint32_t flags, void* window);
BOOL BASS_Free();
BOOL BASS_Start();
BOOL BASS_Stop();
BOOL BASS_SetVolume(std::uint32_t volume);  // 0 to 100
int BASS_ErrorGetCode();
HMUSIC BASS_MusicLoad(BOOL fromMemory, const void* file, std::uint32_t offset, std::uint32_t length,
                      std::uint32_t flags);
BOOL BASS_MusicPlay(HMUSIC handle);
HSAMPLE BASS_SampleLoad(BOOL fromMemory, const void* file, std::uint32_t offset,
                        std::uint32_t length, std::uint32_t maxPlaybacks, std::uint32_t flags);
HCHANNEL BASS_SamplePlay(HSAMPLE handle);
