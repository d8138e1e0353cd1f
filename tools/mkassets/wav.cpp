// The pickup sound: a short rising bubble "plop", 16-bit mono PCM at 44,100 Hz.
#include "common.h"

namespace mk {

std::vector<std::uint8_t> MakePlop() {
    constexpr int kRate = 44100;
    constexpr double kPi = 3.14159265358979323846;
    const int count = kRate * 150 / 1000;  // 0.15 s
    std::vector<std::int16_t> pcm(count);
    double phase = 0;
    for (int i = 0; i < count; ++i) {
        double t = double(i) / kRate;
        // A bubble's pitch rises quickly as it closes, then settles.
        double f = 330.0 + 520.0 * (1.0 - std::exp(-t / 0.022));
        phase += 2 * kPi * f / kRate;
        double attack = std::pow(std::sin(0.5 * kPi * Clamp01(t / 0.004)), 2);
        double decay = std::exp(-t / 0.04);
        // Fade the tail to exact silence so the end does not click.
        double tail = 0.5 + 0.5 * std::cos(kPi * Clamp01((t - 0.12) / 0.03));
        double env = attack * decay * tail;
        double s = std::sin(phase) + 0.18 * std::sin(2 * phase + 0.4) + 0.06 * std::sin(3 * phase);
        pcm[i] = std::int16_t(std::lround(0.72 * 32767.0 * env * s / 1.2));
    }
    pcm.back() = 0;

    const std::uint32_t dataBytes = std::uint32_t(count) * 2;
    std::vector<std::uint8_t> out;
    out.reserve(44 + dataBytes);
    out.insert(out.end(), {'R', 'I', 'F', 'F'});
    PutLe32(out, 36 + dataBytes);
    out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    PutLe32(out, 16);
    PutLe16(out, 1);  // PCM
    PutLe16(out, 1);  // mono
    PutLe32(out, kRate);
    PutLe32(out, kRate * 2);
    PutLe16(out, 2);
    PutLe16(out, 16);
    out.insert(out.end(), {'d', 'a', 't', 'a'});
    PutLe32(out, dataBytes);
    for (std::int16_t s : pcm) PutLe16(out, std::uint16_t(s));
    return out;
}

}  // namespace mk
