#include "common.h"

#include <cstdio>
#include <stdexcept>

namespace mk {

Color Image::SampleWrap(double x, double y) const {
    double fx = std::floor(x), fy = std::floor(y);
    double tx = x - fx, ty = y - fy;
    auto wrap = [](long v, int n) { return int(((v % n) + n) % n); };
    int x0 = wrap(long(fx), width), x1 = wrap(long(fx) + 1, width);
    int y0 = wrap(long(fy), height), y1 = wrap(long(fy) + 1, height);
    Color top = Mix(At(x0, y0), At(x1, y0), tx);
    Color bottom = Mix(At(x0, y1), At(x1, y1), tx);
    return Mix(top, bottom, ty);
}

TileNoise::TileNoise(int period, std::uint64_t seed)
    : period_(period), lattice_(std::size_t(period) * period) {
    Rng rng(seed);
    for (double& v : lattice_) v = rng.Uniform();
}

double TileNoise::At(double u, double v) const {
    double x = u * period_, y = v * period_;
    double fx = std::floor(x), fy = std::floor(y);
    double tx = x - fx, ty = y - fy;
    // Quintic fade keeps the lattice from showing as creases.
    tx = tx * tx * tx * (tx * (tx * 6 - 15) + 10);
    ty = ty * ty * ty * (ty * (ty * 6 - 15) + 10);
    auto wrap = [this](long i) { return int(((i % period_) + period_) % period_); };
    int x0 = wrap(long(fx)), x1 = wrap(long(fx) + 1);
    int y0 = wrap(long(fy)), y1 = wrap(long(fy) + 1);
    auto L = [this](int i, int j) { return lattice_[std::size_t(j) * period_ + i]; };
    double a = L(x0, y0) + (L(x1, y0) - L(x0, y0)) * tx;
    double b = L(x0, y1) + (L(x1, y1) - L(x0, y1)) * tx;
    return a + (b - a) * ty;
}

double TileNoise::Fractal(const std::vector<TileNoise>& octaves, double u, double v, double gain) {
    double sum = 0, amp = 1, norm = 0;
    for (const TileNoise& n : octaves) {
        sum += amp * n.At(u, v);
        norm += amp;
        amp *= gain;
    }
    return sum / norm;
}

std::vector<TileNoise> MakeOctaves(int basePeriod, int count, std::uint64_t seed) {
    std::vector<TileNoise> octaves;
    for (int i = 0; i < count; ++i) octaves.emplace_back(basePeriod << i, seed * 131 + i);
    return octaves;
}

void PutLe16(std::vector<std::uint8_t>& out, unsigned v) {
    out.push_back(std::uint8_t(v & 0xFF));
    out.push_back(std::uint8_t((v >> 8) & 0xFF));
}

void PutLe32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    PutLe16(out, v & 0xFFFF);
    PutLe16(out, v >> 16);
}

static std::uint8_t ToByte(double v) {
    return std::uint8_t(std::lround(Clamp01(v) * 255.0));
}

std::vector<std::uint8_t> EncodeBmp(const Image& image) {
    if (image.width % 4 != 0) throw std::runtime_error("bitmap width must be a multiple of 4");
    const std::uint32_t rowBytes = std::uint32_t(image.width) * 3;
    const std::uint32_t dataSize = rowBytes * std::uint32_t(image.height);
    std::vector<std::uint8_t> out;
    out.reserve(54 + dataSize);
    out.push_back('B');
    out.push_back('M');
    PutLe32(out, 54 + dataSize);  // file size
    PutLe32(out, 0);              // reserved
    PutLe32(out, 54);             // pixel data offset
    PutLe32(out, 40);             // header size
    PutLe32(out, std::uint32_t(image.width));
    PutLe32(out, std::uint32_t(image.height));  // positive: bottom-up
    PutLe16(out, 1);                             // planes
    PutLe16(out, 24);                            // bits per pixel
    PutLe32(out, 0);                             // BI_RGB
    PutLe32(out, dataSize);
    PutLe32(out, 2835);  // 72 dpi
    PutLe32(out, 2835);
    PutLe32(out, 0);
    PutLe32(out, 0);
    for (int y = image.height - 1; y >= 0; --y) {
        for (int x = 0; x < image.width; ++x) {
            const Color& c = image.At(x, y);
            out.push_back(ToByte(c.b));
            out.push_back(ToByte(c.g));
            out.push_back(ToByte(c.r));
        }
    }
    return out;
}

void WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) throw std::runtime_error("cannot write " + path);
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = (std::fclose(f) == 0) && ok;
    if (!ok) throw std::runtime_error("write failed: " + path);
}

}  // namespace mk
