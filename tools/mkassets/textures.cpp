// The world's textures: ground, bark, worm skin, item glow, night sky and the worm's head.
#include "common.h"

#include <algorithm>

namespace mk {

namespace {

constexpr double kPi = 3.14159265358979323846;

// Feature points on a wrapping grid: distances to the nearest and second nearest point.
class TileCells {
public:
    TileCells(int cellsU, int cellsV, std::uint64_t seed) : nu_(cellsU), nv_(cellsV) {
        Rng rng(seed);
        for (int i = 0; i < nu_ * nv_; ++i) points_.push_back({rng.Range(0.1, 0.9), rng.Range(0.1, 0.9)});
    }
    // u, v in texture units; distances measured in cell units.
    void Nearest(double u, double v, double& f1, double& f2, int* id = nullptr) const {
        double x = u * nu_, y = v * nv_;
        int cx = int(std::floor(x)), cy = int(std::floor(y));
        f1 = f2 = 1e9;
        for (int j = -2; j <= 2; ++j) {
            for (int i = -2; i <= 2; ++i) {
                int gx = cx + i, gy = cy + j;
                int wx = ((gx % nu_) + nu_) % nu_, wy = ((gy % nv_) + nv_) % nv_;
                const Pt& p = points_[std::size_t(wy) * nu_ + wx];
                double dx = gx + p.x - x, dy = gy + p.y - y;
                double d = std::sqrt(dx * dx + dy * dy);
                if (d < f1) {
                    f2 = f1;
                    f1 = d;
                    if (id) *id = wy * nu_ + wx;
                } else if (d < f2) {
                    f2 = d;
                }
            }
        }
    }

private:
    struct Pt {
        double x, y;
    };
    int nu_, nv_;
    std::vector<Pt> points_;
};

// Shortest wrapped offset on a unit torus.
double WrapDelta(double d) { return d - std::floor(d + 0.5); }

}  // namespace

// Packed earth with pebbles and cracks. It is multiplied by strong red in the game, so the
// brightness carries the detail; every feature wraps so the unit squares join without seams.
Image MakeGroundTexture() {
    const int n = 256;
    Image img(n, n);
    auto soil = MakeOctaves(4, 6, 11);
    auto grain = MakeOctaves(32, 2, 12);
    auto warp = MakeOctaves(4, 3, 15);
    TileCells cracks(6, 6, 13);

    struct Pebble {
        double u, v, ru, rv, angle, shade;
    };
    Rng rng(14);
    std::vector<Pebble> pebbles;
    for (int i = 0; i < 46; ++i) {
        double r = 0.008 + 0.026 * std::pow(rng.Uniform(), 2.0);
        pebbles.push_back({rng.Uniform(), rng.Uniform(), r * rng.Range(1.0, 1.6), r,
                           rng.Range(0, kPi), rng.Range(0.45, 1.0)});
    }
    Rng grit(16);

    for (int y = 0; y < n; ++y) {
        for (int x = 0; x < n; ++x) {
            double u = (x + 0.5) / n, v = (y + 0.5) / n;
            double s = TileNoise::Fractal(soil, u, v, 0.6);
            double g = TileNoise::Fractal(grain, u, v, 0.5);
            // Cracks follow warped cell borders, so they wander instead of running straight.
            double wu = u + 0.06 * (TileNoise::Fractal(warp, u, v, 0.5) - 0.5);
            double wv = v + 0.06 * (TileNoise::Fractal(warp, v, u, 0.5) - 0.5);
            double f1, f2;
            cracks.Nearest(wu, wv, f1, f2);
            double crack = SmoothStep(0.0, 0.03 + 0.04 * g, f2 - f1);  // 0 on a crack
            double light = 0.5 + 1.3 * (s - 0.5) + 0.2 * (g - 0.5);
            light = 0.3 + 0.6 * Clamp01(light);
            // Clods: the cell interiors are slightly domed.
            light *= 0.9 + 0.25 * (0.5 - f1);
            light *= 0.6 + 0.4 * crack;
            light *= 0.9 + 0.2 * grit.Uniform();

            for (const Pebble& p : pebbles) {
                double du = WrapDelta(u - p.u), dv = WrapDelta(v - p.v);
                double ca = std::cos(p.angle), sa = std::sin(p.angle);
                double a = (du * ca + dv * sa) / p.ru, b = (-du * sa + dv * ca) / p.rv;
                double d2 = a * a + b * b;
                if (d2 >= 1.6) continue;
                if (d2 < 1.0) {
                    // The stone, lit from the top left.
                    double nz = std::sqrt(1.0 - d2);
                    double lit = Clamp01(-a * 0.45 - b * 0.55 + nz * 0.7);
                    double edge = SmoothStep(1.0, 0.75, d2);
                    double stone = (0.35 + 0.6 * lit) * p.shade * (0.9 + 0.2 * g);
                    light = light * (1 - edge) + stone * edge;
                } else {
                    // A dark ring where the stone sits in the earth.
                    light *= 0.6 + 0.4 * SmoothStep(1.0, 1.6, d2);
                }
            }
            light = Clamp01(light);
            // Warm earth: the game's red tint uses mostly the red channel.
            img.At(x, y) = {light, light * 0.86, light * 0.78};
        }
    }
    return img;
}

// Bark: ridges running along the trunk (t) that meander, split and join, with darker furrows
// between them; it wraps around the trunk (s) and along it.
Image MakeBarkTexture() {
    const int n = 256;
    Image img(n, n);
    TileCells plates(30, 3, 21);
    auto meander = MakeOctaves(2, 4, 24);
    auto fibre = MakeOctaves(2, 4, 22);
    auto streak = MakeOctaves(2, 3, 23);
    for (int y = 0; y < n; ++y) {
        for (int x = 0; x < n; ++x) {
            double u = (x + 0.5) / n, v = (y + 0.5) / n;
            // Twenty-six ridges around the trunk, pushed sideways by slow noise.
            double wander = TileNoise::Fractal(meander, u * 2, v, 0.5) - 0.5;
            double ridge = 0.5 + 0.5 * std::cos(2 * kPi * (u * 26 + 2.6 * wander));
            double furrow = SmoothStep(0.05, 0.65, ridge);
            // Plates: ridges break into lengths with their own tone.
            double f1, f2;
            int id = 0;
            plates.Nearest(u, v, f1, f2, &id);
            double plateTone = 0.85 + 0.15 * ((id * 37) % 11) / 10.0;
            double crack = 0.75 + 0.25 * SmoothStep(0.0, 0.12, f2 - f1);
            double fib = TileNoise::Fractal(fibre, u * 8, v, 0.6);
            double st = TileNoise::Fractal(streak, u * 8, v, 0.5);
            double light = (0.4 + 0.45 * fib + 0.25 * (st - 0.5)) * plateTone;
            light *= (0.35 + 0.65 * furrow) * crack;
            light = Clamp01(light);
            Color bark = Mix(Rgb(52, 38, 30), Rgb(176, 146, 116), light);
            img.At(x, y) = bark * (0.6 + 0.55 * light);
        }
    }
    return img;
}

// The worm's skin on GLU spheres (s around the pole, t from pole to pole): broad stripes
// around s show the roll, thin rings across t and freckles make the turning visible.
Image MakeWormSkin() {
    const int n = 256;
    Image img(n, n);
    auto mottle = MakeOctaves(4, 4, 31);
    Rng rng(32);
    struct Spot {
        double u, v, r;
    };
    std::vector<Spot> spots;
    for (int i = 0; i < 26; ++i) spots.push_back({rng.Uniform(), rng.Range(0.15, 0.85), rng.Range(0.02, 0.045)});

    const Color pink = Rgb(246, 170, 160);
    const Color rose = Rgb(196, 92, 112);
    const Color cream = Rgb(255, 236, 200);
    for (int y = 0; y < n; ++y) {
        for (int x = 0; x < n; ++x) {
            double u = (x + 0.5) / n, v = (y + 0.5) / n;
            // Six stripes around the body, soft-edged.
            double stripe = 0.5 + 0.5 * std::cos(u * 2 * kPi * 6);
            stripe = SmoothStep(0.35, 0.65, stripe);
            Color c = Mix(pink, rose, stripe * 0.8);
            // Thin dark rings across, like an earthworm's segments.
            double ring = std::fabs(std::sin(v * kPi * 9));
            c = c * (0.72 + 0.28 * SmoothStep(0.0, 0.25, ring));
            double m = TileNoise::Fractal(mottle, u, v, 0.5);
            c = c * (0.85 + 0.3 * m);
            for (const Spot& s : spots) {
                double du = WrapDelta(u - s.u), dv = v - s.v;
                double d = std::sqrt(du * du + dv * dv) / s.r;
                if (d < 1.0) c = Mix(c, cream, SmoothStep(1.0, 0.6, d) * 0.9);
            }
            img.At(x, y) = c;
        }
    }
    return img;
}

// Added on top of the scene: a warm radial falloff that reaches pure black before the border.
Image MakeGlow() {
    const int n = 128;
    Image img(n, n);
    for (int y = 0; y < n; ++y) {
        for (int x = 0; x < n; ++x) {
            double dx = (x + 0.5 - n / 2.0) / (n / 2.0), dy = (y + 0.5 - n / 2.0) / (n / 2.0);
            double r = std::sqrt(dx * dx + dy * dy);
            double halo = std::pow(Clamp01(1.0 - r / 0.92), 2.2);
            double core = std::exp(-r * r / 0.02);
            double i = Clamp01(halo + 0.6 * core);
            Color warm = Mix(Rgb(255, 150, 60), Rgb(255, 245, 220), Clamp01(core + halo * 0.5));
            img.At(x, y) = warm * i;
        }
    }
    return img;
}

// A night panorama that wraps around: stars, a moon, thin clouds and red light on the horizon.
Image MakeSky() {
    const int w = 512, h = 256;
    Image img(w, h);
    auto clouds = MakeOctaves(4, 5, 41);
    for (int y = 0; y < h; ++y) {
        double v = (y + 0.5) / h;  // 0 top, 1 horizon
        Color sky = Mix(Rgb(2, 3, 12), Rgb(22, 14, 44), std::pow(v, 1.6));
        sky = Mix(sky, Rgb(90, 20, 26), std::pow(SmoothStep(0.6, 1.0, v), 2.0));
        for (int x = 0; x < w; ++x) {
            double u = (x + 0.5) / w;
            double c = TileNoise::Fractal(clouds, u, v * 0.5, 0.55);
            double cover = SmoothStep(0.5, 0.8, c) * (0.25 + 0.5 * v);
            img.At(x, y) = Mix(sky, Rgb(60, 40, 70) * (0.4 + 0.6 * v), cover * 0.6);
        }
    }
    const double mx = 360, my = 110, mr = 17;
    Rng rng(42);
    for (int i = 0; i < 700; ++i) {
        int x = rng.Below(w), y = rng.Below(h);
        double v = (y + 0.5) / h;
        double b = std::pow(rng.Uniform(), 3.0) * (1.0 - 0.8 * v);
        if (std::hypot(x - mx, y - my) < mr + 4) continue;  // no stars in front of the moon
        Color tint = Mix(Rgb(200, 210, 255), Rgb(255, 230, 200), rng.Uniform());
        img.At(x, y) = img.At(x, y) + tint * b;
        if (b > 0.5) {  // bright stars bleed into their neighbours
            for (int k = 0; k < 4; ++k) {
                int nx = (x + (k == 0) - (k == 1) + w) % w, ny = std::clamp(y + (k == 2) - (k == 3), 0, h - 1);
                img.At(nx, ny) = img.At(nx, ny) + tint * (b * 0.3);
            }
        }
    }
    // The moon, with a soft halo and a few darker seas.
    auto seas = MakeOctaves(3, 3, 43);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            double dx = x + 0.5 - mx, dy = y + 0.5 - my;
            double d = std::sqrt(dx * dx + dy * dy);
            Color& p = img.At(x, y);
            p = p + Rgb(120, 110, 140) * (0.35 * std::exp(-std::pow(d / (mr * 3), 2)));
            if (d < mr + 1) {
                double s = TileNoise::Fractal(seas, dx / (4 * mr) + 0.5, dy / (4 * mr) + 0.5, 0.5);
                double limb = std::sqrt(Clamp01(1 - (d * d) / (mr * mr)));
                Color moon = Rgb(250, 244, 220) * (0.75 + 0.25 * limb) * (0.8 + 0.25 * SmoothStep(0.45, 0.6, s));
                p = Mix(p, moon, Clamp01(mr + 0.5 - d));
            }
        }
    }
    return img;
}

// The worm's head seen from the front, and its mask: black where the head is, white elsewhere.
void MakeWormHead(Image& head, Image& mask) {
    const int n = 128;
    head = Image(n, n);
    mask = Image(n, n, {1, 1, 1});
    const double cx = 64, cy = 66, r = 54;
    const int ss = 4;  // supersampling per axis
    for (int y = 0; y < n; ++y) {
        for (int x = 0; x < n; ++x) {
            Color acc;
            double cover = 0, coverMask = 0;
            for (int sy = 0; sy < ss; ++sy) {
                for (int sx = 0; sx < ss; ++sx) {
                    double px = x + (sx + 0.5) / ss, py = y + (sy + 0.5) / ss;
                    double dx = (px - cx) / r, dy = (py - cy) / r;
                    double d2 = dx * dx + dy * dy;
                    if (d2 < std::pow(1.0 + 2.0 / r, 2)) coverMask += 1;
                    if (d2 >= 1.0) continue;
                    cover += 1;
                    double nz = std::sqrt(1 - d2);
                    // Light from the upper left, a rim of red from the ground below.
                    double diff = Clamp01(-0.45 * dx - 0.55 * dy + 0.7 * nz);
                    double rim = std::pow(1 - nz, 3) * Clamp01(dy + 0.3);
                    Color c = Rgb(240, 150, 146) * (0.25 + 0.8 * diff) + Rgb(255, 40, 30) * (0.6 * rim);
                    // Segment rings around the head.
                    double ring = std::fabs(std::sin((dy + 1) * kPi * 3.5));
                    c = c * (0.8 + 0.2 * SmoothStep(0.0, 0.3, ring));
                    // Eyes: white balls with pupils that look off in different directions.
                    for (int e = 0; e < 2; ++e) {
                        double ex = e == 0 ? -0.36 : 0.36, ey = -0.22, er = 0.24;
                        double ddx = dx - ex, ddy = dy - ey;
                        double de = std::sqrt(ddx * ddx + ddy * ddy);
                        if (de < er) {
                            double enz = std::sqrt(Clamp01(1 - (de * de) / (er * er)));
                            c = Rgb(250, 250, 245) * (0.55 + 0.45 * enz);
                            double pxo = e == 0 ? -0.07 : 0.09, pyo = e == 0 ? 0.05 : -0.06;
                            double dp = std::hypot(ddx - pxo, ddy - pyo);
                            if (dp < 0.11) c = Rgb(20, 10, 30);
                            if (std::hypot(ddx - pxo + 0.04, ddy - pyo + 0.04) < 0.03) c = Rgb(255, 255, 255);
                        } else if (de < er + 0.03) {
                            c = c * 0.4;
                        }
                    }
                    // A wide, wobbly grin.
                    double mouthY = 0.32 + 0.05 * std::sin(dx * 9);
                    if (std::fabs(dx) < 0.42 && std::fabs(dy - mouthY - 0.25 * dx * dx) < 0.035)
                        c = Rgb(90, 10, 30);
                    acc = acc + c;
                }
            }
            double total = ss * ss;
            head.At(x, y) = acc * (1.0 / total);
            mask.At(x, y) = Color{1, 1, 1} * (1.0 - coverMask / total);
        }
    }
}

}  // namespace mk
