// Small sound files made in code for the audio tests, and a scratch directory to put them in.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace testsound {

using Bytes = std::vector<unsigned char>;

// Module timing: 125 BPM, 3 ticks a row, 8 rows. A looped square tone sounds on rows 0 to 3,
// rows 4 to 7 are silent (volume 0), then the song ends.
constexpr int kRowMs = 60;
constexpr int kSongMs = 8 * kRowMs;
constexpr int kToneEndMs = 4 * kRowMs;

// A four-channel ProTracker module as described above.
Bytes MakeModule();

// 16-bit PCM WAV: a sine of `hertz` at `amplitude` (0..1 of full scale), or a square wave when
// `square` is set, in every channel.
Bytes MakeWav(int rate, int channels, int frames, double hertz, double amplitude,
              bool square = false);

void WriteFile(const std::filesystem::path& path, const Bytes& bytes);

// A fresh directory under the system's temporary directory, removed by the destructor.
struct ScratchDir {
    ScratchDir();
    ~ScratchDir();
    std::filesystem::path path;
};

// The peak absolute 16-bit value among the frames [fromFrame, toFrame) of stereo data.
int Peak(const std::vector<std::int16_t>& stereo, int fromFrame, int toFrame);

// Frame index of a time in milliseconds at 44,100 Hz.
constexpr int FrameAt(int milliseconds) { return milliseconds * 441 / 10; }

}  // namespace testsound
