#include "tests/audio/test_sounds.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>

namespace testsound {
namespace {

void PutBigEndian16(Bytes& b, std::size_t at, unsigned value) {
    b[at] = static_cast<unsigned char>(value >> 8);
    b[at + 1] = static_cast<unsigned char>(value & 0xFF);
}

void PutLittle(Bytes& b, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) b.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

void PutTag(Bytes& b, const char* tag) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<unsigned char>(tag[i]));
}

}  // namespace

Bytes MakeModule() {
    constexpr std::size_t kSampleHeaders = 20;
    constexpr std::size_t kSongLength = 950;
    constexpr std::size_t kOrders = 952;
    constexpr std::size_t kSignature = 1080;
    constexpr std::size_t kPattern = 1084;
    constexpr std::size_t kPatternBytes = 64 * 4 * 4;
    constexpr int kSampleBytes = 32;

    Bytes b(kPattern + kPatternBytes + kSampleBytes, 0);
    const char title[] = "audio test";
    std::copy(title, title + sizeof title - 1, b.begin());

    // Sample 1: 16 words, looped whole, full volume.
    std::size_t s = kSampleHeaders;
    const char name[] = "square";
    std::copy(name, name + sizeof name - 1, b.begin() + static_cast<long>(s));
    PutBigEndian16(b, s + 22, kSampleBytes / 2);
    b[s + 25] = 64;
    PutBigEndian16(b, s + 26, 0);
    PutBigEndian16(b, s + 28, kSampleBytes / 2);

    b[kSongLength] = 1;
    b[kSongLength + 1] = 0;
    b[kOrders] = 0;  // order 0 plays pattern 0
    b[kSignature] = 'M';
    b[kSignature + 1] = '.';
    b[kSignature + 2] = 'K';
    b[kSignature + 3] = '.';

    auto cell = [&](int row, int channel, int sample, int period, int effect, int param) {
        std::size_t at = kPattern + static_cast<std::size_t>(row * 4 + channel) * 4;
        b[at] = static_cast<unsigned char>((sample & 0xF0) | ((period >> 8) & 0x0F));
        b[at + 1] = static_cast<unsigned char>(period & 0xFF);
        b[at + 2] = static_cast<unsigned char>(((sample & 0x0F) << 4) | (effect & 0x0F));
        b[at + 3] = static_cast<unsigned char>(param);
    };
    cell(0, 0, 1, 214, 0, 0);  // C-3 of the square
    cell(0, 1, 0, 0, 0xF, 3);  // speed 3
    cell(4, 0, 0, 0, 0xC, 0);  // volume 0
    cell(7, 1, 0, 0, 0xD, 0);  // pattern break: the song ends after row 7

    for (int i = 0; i < kSampleBytes; ++i)
        b[kPattern + kPatternBytes + static_cast<std::size_t>(i)] =
            static_cast<unsigned char>(static_cast<signed char>(i < kSampleBytes / 2 ? 96 : -96));
    return b;
}

Bytes MakeWav(int rate, int channels, int frames, double hertz, double amplitude, bool square) {
    const std::uint32_t dataBytes = static_cast<std::uint32_t>(frames * channels * 2);
    Bytes b;
    PutTag(b, "RIFF");
    PutLittle(b, 36 + dataBytes, 4);
    PutTag(b, "WAVE");
    PutTag(b, "fmt ");
    PutLittle(b, 16, 4);
    PutLittle(b, 1, 2);  // PCM
    PutLittle(b, static_cast<std::uint32_t>(channels), 2);
    PutLittle(b, static_cast<std::uint32_t>(rate), 4);
    PutLittle(b, static_cast<std::uint32_t>(rate * channels * 2), 4);
    PutLittle(b, static_cast<std::uint32_t>(channels * 2), 2);
    PutLittle(b, 16, 2);
    PutTag(b, "data");
    PutLittle(b, dataBytes, 4);
    for (int i = 0; i < frames; ++i) {
        double phase = 2.0 * 3.141592653589793 * hertz * i / rate;
        double v = square ? (std::sin(phase) >= 0.0 ? 1.0 : -1.0) : std::sin(phase);
        auto sample = static_cast<std::int16_t>(std::lround(v * amplitude * 32767.0));
        for (int c = 0; c < channels; ++c) PutLittle(b, static_cast<std::uint16_t>(sample), 2);
    }
    return b;
}

void WriteFile(const std::filesystem::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

ScratchDir::ScratchDir() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "kelvado-audio-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path = pattern;
}

ScratchDir::~ScratchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
}

int Peak(const std::vector<std::int16_t>& stereo, int fromFrame, int toFrame) {
    int peak = 0;
    for (int i = fromFrame * 2; i < toFrame * 2 && i < static_cast<int>(stereo.size()); ++i)
        peak = std::max(peak, std::abs(static_cast<int>(stereo[static_cast<std::size_t>(i)])));
    return peak;
}

}  // namespace testsound
