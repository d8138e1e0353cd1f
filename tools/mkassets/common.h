// Shared pieces of the asset generator: a seeded generator, an RGB float image, tileable
// noise and the writers for the file formats the game reads.
#pragma once

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace mk {

// splitmix64: small, fast and the same everywhere, so every run writes the same bytes.
class Rng {
public:
    explicit Rng(std::uint64_t seed) : state_(seed) {}
    std::uint64_t Next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // Uniform in [0, 1).
    double Uniform() { return static_cast<double>(Next() >> 11) * (1.0 / 9007199254740992.0); }
    double Range(double lo, double hi) { return lo + (hi - lo) * Uniform(); }
    int Below(int n) { return static_cast<int>(Next() % static_cast<std::uint64_t>(n)); }

private:
    std::uint64_t state_;
};

struct Color {
    double r = 0, g = 0, b = 0;
};

inline Color operator+(Color a, Color b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
inline Color operator-(Color a, Color b) { return {a.r - b.r, a.g - b.g, a.b - b.b}; }
inline Color operator*(Color a, double k) { return {a.r * k, a.g * k, a.b * k}; }
inline Color operator*(Color a, Color b) { return {a.r * b.r, a.g * b.g, a.b * b.b}; }
inline Color Mix(Color a, Color b, double t) { return a + (b - a) * t; }
inline Color Rgb(int r, int g, int b) { return {r / 255.0, g / 255.0, b / 255.0}; }

inline double Clamp01(double v) { return v < 0 ? 0 : (v > 1 ? 1 : v); }
inline double SmoothStep(double e0, double e1, double x) {
    double t = Clamp01((x - e0) / (e1 - e0));
    return t * t * (3 - 2 * t);
}

// Pixels top row first; the writer turns them into a bottom-up file.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<Color> pixels;

    Image() = default;
    Image(int w, int h, Color fill = {}) : width(w), height(h), pixels(std::size_t(w) * h, fill) {}
    Color& At(int x, int y) { return pixels[std::size_t(y) * width + x]; }
    const Color& At(int x, int y) const { return pixels[std::size_t(y) * width + x]; }
    // Bilinear sample with wrap-around, coordinates in pixels.
    Color SampleWrap(double x, double y) const;
};

// Value noise on a lattice of period cells in both directions: tiles seamlessly over [0, 1).
class TileNoise {
public:
    TileNoise(int period, std::uint64_t seed);
    double At(double u, double v) const;  // u, v in texture units; result in [0, 1]
    // Sum of octaves, each twice the frequency and `gain` the amplitude of the last.
    static double Fractal(const std::vector<TileNoise>& octaves, double u, double v, double gain);

private:
    int period_;
    std::vector<double> lattice_;
};

std::vector<TileNoise> MakeOctaves(int basePeriod, int count, std::uint64_t seed);

// 24-bit uncompressed Windows bitmap with the 40-byte header, bottom row first.
std::vector<std::uint8_t> EncodeBmp(const Image& image);
void WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes);

void PutLe16(std::vector<std::uint8_t>& out, unsigned v);
void PutLe32(std::vector<std::uint8_t>& out, std::uint32_t v);

// The generators, one per file or family of files.
Image MakeGroundTexture();
Image MakeBarkTexture();
Image MakeWormSkin();
Image MakeGlow();
Image MakeSky();
void MakeWormHead(Image& head, Image& mask);
void MakeFont(const std::string& fontFile, Image& font, Image& mask);
Image MakeTitle(const Image& ground, const Image& bark, const Image& skin, const Image& sky);
std::vector<std::uint8_t> MakeModule();
std::vector<std::uint8_t> MakePlop();

}  // namespace mk
