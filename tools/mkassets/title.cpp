// The title backdrop: a ray-traced view of the arena at night, with the worm coiling towards
// the viewer between glowing items, drawn with the game's own textures, colours and fog.
// The picture leaves room for what the title screen prints over it: the swaying label down
// the right edge, "BETA" at the bottom right and the high-score table at the lower left.
#include "common.h"

#include <algorithm>
#include <array>
#include <limits>

namespace mk {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kGroundY = -0.08;
constexpr double kFogDensity = 0.08;

struct Vec {
    double x = 0, y = 0, z = 0;
};
Vec operator+(Vec a, Vec b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec operator-(Vec a, Vec b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec operator*(Vec a, double k) { return {a.x * k, a.y * k, a.z * k}; }
double Dot(Vec a, Vec b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec Cross(Vec a, Vec b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
Vec Normalize(Vec a) { return a * (1.0 / std::sqrt(Dot(a, a))); }

// A texture with its box-filtered reductions, sampled trilinearly by footprint.
class MipTexture {
public:
    explicit MipTexture(const Image& base) {
        levels_.push_back(base);
        while (levels_.back().width > 1 && levels_.back().height > 1) {
            const Image& p = levels_.back();
            Image q(p.width / 2, p.height / 2);
            for (int y = 0; y < q.height; ++y)
                for (int x = 0; x < q.width; ++x)
                    q.At(x, y) = (p.At(2 * x, 2 * y) + p.At(2 * x + 1, 2 * y) + p.At(2 * x, 2 * y + 1) +
                                  p.At(2 * x + 1, 2 * y + 1)) * 0.25;
            levels_.push_back(std::move(q));
        }
    }
    // s, t as OpenGL texture coordinates (t = 0 at the bottom row); footprint in base texels.
    Color Sample(double s, double t, double footprint) const {
        double lod = std::clamp(std::log2(std::max(footprint, 1.0)), 0.0, double(levels_.size() - 1));
        int l0 = int(lod);
        int l1 = std::min(l0 + 1, int(levels_.size()) - 1);
        auto at = [&](int l) {
            const Image& img = levels_[l];
            return img.SampleWrap(s * img.width - 0.5, (1.0 - t) * img.height - 0.5);
        };
        return Mix(at(l0), at(l1), lod - l0);
    }
    int Width() const { return levels_[0].width; }

private:
    std::vector<Image> levels_;
};

struct Tree {
    double x, z, height;
};

enum class Material { None, Ground, Trunk, Crown, Wall, Worm, Eye, Paper, Filter };

struct Hit {
    double t = std::numeric_limits<double>::infinity();
    Material material = Material::None;
    Vec normal;
    double s = 0, u = 0;  // texture coordinates
    int index = 0;        // which sphere, tree or item
};

struct Sphere {
    Vec centre;
    double radius;
    Material material;
    // The sphere's own turn, so the skin pattern tumbles along the body.
    double spinY, spinZ;
};

struct Item {
    Vec centre;
    double heading;  // radians about the vertical
};

bool RaySphere(Vec o, Vec d, Vec c, double r, double& t) {
    Vec oc = o - c;
    double b = Dot(oc, d), cc = Dot(oc, oc) - r * r;
    double disc = b * b - cc;
    if (disc < 0) return false;
    double sq = std::sqrt(disc);
    t = -b - sq;
    if (t < 1e-6) t = -b + sq;
    return t > 1e-6;
}

bool RayTriangle(Vec o, Vec d, Vec a, Vec b, Vec c, double& t, double& bu, double& bv) {
    Vec e1 = b - a, e2 = c - a;
    Vec p = Cross(d, e2);
    double det = Dot(e1, p);
    if (std::fabs(det) < 1e-12) return false;
    double inv = 1.0 / det;
    Vec q = o - a;
    bu = Dot(q, p) * inv;
    if (bu < 0 || bu > 1) return false;
    Vec qq = Cross(q, e1);
    bv = Dot(d, qq) * inv;
    if (bv < 0 || bu + bv > 1) return false;
    t = Dot(e2, qq) * inv;
    return t > 1e-6;
}

// Finite open cylinder about `axis` (unit) from `base`, length `len`; returns the nearest t.
bool RayCylinder(Vec o, Vec d, Vec base, Vec axis, double radius, double len, double& t, double& along,
                 Vec& normal) {
    Vec oc = o - base;
    Vec dp = d - axis * Dot(d, axis);
    Vec op = oc - axis * Dot(oc, axis);
    double a = Dot(dp, dp), b = Dot(dp, op), c = Dot(op, op) - radius * radius;
    double disc = b * b - a * c;
    if (a < 1e-14 || disc < 0) return false;
    double sq = std::sqrt(disc);
    for (double cand : {(-b - sq) / a, (-b + sq) / a}) {
        if (cand <= 1e-6) continue;
        Vec p = oc + d * cand;
        double h = Dot(p, axis);
        if (h < 0 || h > len) continue;
        t = cand;
        along = h;
        normal = Normalize(p - axis * h);
        return true;
    }
    return false;
}

class Scene {
public:
    Scene(const Image& ground, const Image& bark, const Image& skin, const Image& sky)
        : ground_(ground), bark_(bark), skin_(skin), sky_(sky) {
        BuildTrees();
        BuildWorm();
        items_ = {{{-0.05, 0.1, -7.6}, 0.9}, {{-0.9, 0.1, -9.6}, 2.2}, {{-2.6, 0.1, -12.4}, 0.3},
                  {{1.6, 0.1, -12.8}, 1.4}, {{-0.4, 0.1, -14.5}, 2.6}};
    }

    Color Trace(Vec o, Vec d, double pixelAngle) const {
        Hit hit;
        Intersect(o, d, hit);
        Color c = Shade(o, d, hit, pixelAngle);
        // Glows are added on top without depth, as the game draws them.
        for (const Item& it : items_) {
            Vec oc = it.centre - o;
            double along = Dot(oc, d);
            if (along <= 0) continue;
            Vec closest = oc - d * along;
            double r = std::sqrt(Dot(closest, closest)) / 0.22;
            if (r >= 1) continue;
            double halo = std::pow(1.0 - r, 2.2), core = std::exp(-r * r / 0.02);
            Color warm = Mix(Rgb(255, 150, 60), Rgb(255, 245, 220), Clamp01(core + halo * 0.5));
            double fog = std::exp(-kFogDensity * along);
            c = c + warm * (0.55 * Clamp01(halo + 0.6 * core) * fog);
        }
        return c;
    }

private:
    void BuildTrees() {
        // A ring like the game's: one tree every 0.18 rad, 10 to 12 units from the centre.
        Rng rng(71);
        for (double a = 0; a < 2 * kPi; a += 0.18) {
            double rx = 10 + rng.Below(3), rz = 10 + rng.Below(3);
            trees_.push_back({std::sin(a) * rx, std::cos(a) * rz - 10, double(6 + rng.Below(2))});
        }
    }

    void BuildWorm() {
        // The head faces the viewer; the body winds back into the arena in a lazy S.
        Vec p{0.5, 0.0, -7.75};
        for (int i = 0; i < 46; ++i) {
            double spin = i * 0.9;
            worm_.push_back({p, 0.1, Material::Worm, spin, spin * 0.6});
            // Direction of travel away from the head, radians from -z: a winding S.
            double heading = -0.05 + 0.55 * std::sin(i * 0.19 - 0.5);
            p = p + Vec{std::sin(heading), 0, -std::cos(heading)} * 0.115;
        }
        // Two eyes on the head, turned a little towards the camera.
        const Vec head = worm_[0].centre;
        eyes_ = {head + Vec{-0.045, 0.055, 0.07}, head + Vec{0.05, 0.052, 0.066}};
    }

    void Intersect(Vec o, Vec d, Hit& hit) const {
        double t;
        if (d.y < 0) {
            t = (kGroundY - o.y) / d.y;
            if (t < hit.t) {
                hit.t = t;
                hit.material = Material::Ground;
                hit.normal = {0, 1, 0};
            }
        }
        // The wall: the far side of a cylinder of radius 13 about (0, -10), y -0.1 to 2.0.
        {
            double ox = o.x, oz = o.z + 10;
            double a = d.x * d.x + d.z * d.z, b = ox * d.x + oz * d.z, c = ox * ox + oz * oz - 169;
            double disc = b * b - a * c;
            if (a > 1e-12 && disc >= 0) {
                t = (-b + std::sqrt(disc)) / a;
                double y = o.y + d.y * t;
                if (t > 0 && t < hit.t && y >= -0.1 && y <= 2.0) {
                    hit.t = t;
                    hit.material = Material::Wall;
                }
            }
        }
        for (std::size_t i = 0; i < trees_.size(); ++i) IntersectTree(o, d, int(i), hit);
        for (std::size_t i = 0; i < worm_.size(); ++i) {
            if (RaySphere(o, d, worm_[i].centre, worm_[i].radius, t) && t < hit.t) {
                hit.t = t;
                hit.material = Material::Worm;
                hit.index = int(i);
                hit.normal = Normalize(o + d * t - worm_[i].centre);
            }
        }
        for (std::size_t i = 0; i < eyes_.size(); ++i) {
            if (RaySphere(o, d, eyes_[i], 0.034, t) && t < hit.t) {
                hit.t = t;
                hit.material = Material::Eye;
                hit.index = int(i);
                hit.normal = Normalize(o + d * t - eyes_[i]);
            }
        }
        for (const Item& it : items_) {
            Vec axis{std::sin(it.heading), 0, std::cos(it.heading)};
            double along;
            Vec n;
            if (RayCylinder(o, d, it.centre, axis, 0.012, 0.1, t, along, n) && t < hit.t) {
                hit.t = t;
                hit.material = Material::Paper;
                hit.normal = n;
            }
            if (RayCylinder(o, d, it.centre - axis * 0.05, axis, 0.0125, 0.05, t, along, n) && t < hit.t) {
                hit.t = t;
                hit.material = Material::Filter;
                hit.normal = n;
            }
        }
    }

    void IntersectTree(Vec o, Vec d, int i, Hit& hit) const {
        const Tree& tr = trees_[i];
        // Quick rejection: the ray's closest approach to the tree's axis in the ground plane.
        double dx = tr.x - o.x, dz = tr.z - o.z;
        double a = d.x * d.x + d.z * d.z;
        if (a > 1e-12) {
            double s = (dx * d.x + dz * d.z) / a;
            double ex = o.x + d.x * s - tr.x, ez = o.z + d.z * s - tr.z;
            if (ex * ex + ez * ez > 8.5) return;
        }
        const double h = tr.height, top = kGroundY + h / 3.5;
        double t, along;
        Vec n;
        // Trunk: a slightly widening cylinder, taken here at its mean radius.
        if (RayCylinder(o, d, {tr.x, top - h / 3, tr.z}, {0, 1, 0}, 1.06, h / 3, t, along, n) && t < hit.t) {
            hit.t = t;
            hit.material = Material::Trunk;
            hit.normal = n;
            hit.s = std::atan2(n.x, n.z) / (2 * kPi) + 0.5;
            hit.u = along / (h / 3);
            hit.index = i;
        }
        // Crown: the pyramid with the texture coordinates of the game's crown.
        const Vec A{tr.x, kGroundY + h, tr.z};
        const Vec P1{tr.x + 2, top, tr.z - 2}, P2{tr.x - 2, top, tr.z - 2};
        const Vec P3{tr.x + 2, top, tr.z + 2}, P4{tr.x - 2, top, tr.z + 2};
        struct Tri {
            Vec a, b, c;
            double sa, ta, sb, tb, sc, tc;
        };
        const std::array<Tri, 6> tris = {{{A, P1, P2, 0, 0, 1, 1, 0, 1},
                                          {A, P3, P4, 0, 0, 1, 1, 0, 1},
                                          {A, P3, P1, 0, 0, 0, 1, 1, 1},
                                          {A, P4, P2, 0, 0, 1, 1, 0, 1},
                                          {P1, P2, P3, 0, 0, 1, 1, 0, 1},
                                          {P4, P3, P2, 0, 0, 1, 1, 0, 1}}};
        for (const Tri& tri : tris) {
            double bu, bv;
            if (RayTriangle(o, d, tri.a, tri.b, tri.c, t, bu, bv) && t < hit.t) {
                hit.t = t;
                hit.material = Material::Crown;
                hit.normal = Normalize(Cross(tri.b - tri.a, tri.c - tri.a));
                if (Dot(hit.normal, d) > 0) hit.normal = hit.normal * -1;
                double bw = 1 - bu - bv;
                hit.s = bw * tri.sa + bu * tri.sb + bv * tri.sc;
                hit.u = bw * tri.ta + bu * tri.tb + bv * tri.tc;
                hit.index = i;
            }
        }
    }

    Color Sky(Vec d) const {
        // The panorama repeats four times around, so its stars stay small.
        double u = std::atan2(d.x, -d.z) / (2 * kPi) * 4 + 0.655;
        double elev = std::asin(std::clamp(d.y, -1.0, 1.0));
        double v = Clamp01(0.9 - elev / 0.8);
        return sky_.SampleWrap(u * sky_.width, v * (sky_.height - 1));
    }

    Color Shade(Vec o, Vec d, const Hit& hit, double pixelAngle) const {
        if (hit.material == Material::None) return Sky(d);
        const Vec p = o + d * hit.t;
        const double fog = std::exp(-kFogDensity * hit.t);
        const Color red{1.0, 0.2, 0.2};
        const Vec moon = Normalize(Vec{-0.45, 0.75, -0.5});
        Color c;
        switch (hit.material) {
            case Material::Ground: {
                double footprint = hit.t * pixelAngle * ground_.Width() / std::max(std::fabs(d.y), 0.02);
                c = ground_.Sample(p.x, p.z, footprint) * red;
                // Contact shadows under the worm's body.
                double shade = 1;
                for (const Sphere& s : worm_) {
                    double ddx = p.x - s.centre.x + 0.03, ddz = p.z - s.centre.z + 0.03;
                    shade *= 1.0 - 0.5 * std::exp(-(ddx * ddx + ddz * ddz) / 0.012);
                }
                c = c * shade;
                c = c + Glow(p) * 0.9;
                break;
            }
            case Material::Crown: {
                double footprint = hit.t * pixelAngle * ground_.Width() / 4.0;
                c = ground_.Sample(hit.s, hit.u, footprint) * red;
                c = c * (0.55 + 0.6 * Clamp01(Dot(hit.normal, moon)));
                break;
            }
            case Material::Trunk: {
                double footprint = hit.t * pixelAngle * 256 / 6.0;
                c = bark_.Sample(hit.s, 1.0 - hit.u, footprint);
                c = c * (0.55 + 0.5 * Clamp01(Dot(hit.normal, moon)));
                break;
            }
            case Material::Wall:
                c = {};
                break;
            case Material::Worm: {
                const Sphere& s = worm_[hit.index];
                // Texture coordinates of a GLU sphere turned by the segment's own angles.
                Vec n = hit.normal;
                double cy = std::cos(s.spinY), sy = std::sin(s.spinY);
                Vec r1{n.x * cy - n.z * sy, n.y, n.x * sy + n.z * cy};
                double cz = std::cos(s.spinZ), sz = std::sin(s.spinZ);
                Vec r2{r1.x * cz - r1.y * sz, r1.x * sz + r1.y * cz, r1.z};
                double ss = std::atan2(r2.y, r2.x) / (2 * kPi) + 0.5;
                double tt = std::acos(std::clamp(-r2.z, -1.0, 1.0)) / kPi;
                Color tex = skin_.Sample(ss, tt, hit.t * pixelAngle * 256 / 0.6);
                double diff = Clamp01(Dot(n, moon));
                double bounce = Clamp01(-n.y * 0.8 + 0.3);  // red light from the ground
                Vec h = Normalize(moon - d);
                double spec = std::pow(Clamp01(Dot(n, h)), 40.0);
                c = tex * (0.25 + 0.8 * diff) + Color{0.7, 0.12, 0.1} * bounce + Color{1, 0.95, 0.9} * (0.35 * spec);
                c = c + Glow(p) * 0.7;
                // Rim light so the body reads against the dark ground.
                c = c + Color{1.0, 0.5, 0.45} * (0.35 * std::pow(1 - Clamp01(-Dot(n, d)), 3));
                break;
            }
            case Material::Eye: {
                Vec toEye = Normalize(o - eyes_[hit.index]);
                // Pupils look off in different directions: the worm is dizzy.
                Vec look = Normalize(toEye + (hit.index == 0 ? Vec{-0.35, 0.25, 0} : Vec{0.3, -0.2, 0}));
                double k = Dot(hit.normal, look);
                Vec hh = Normalize(moon - d);
                double spec = std::pow(Clamp01(Dot(hit.normal, hh)), 60.0);
                c = k > 0.82 ? Color{0.03, 0.02, 0.05} : Color{0.95, 0.95, 0.92} * (0.45 + 0.55 * Clamp01(Dot(hit.normal, moon) + 0.3));
                c = c + Color{1, 1, 1} * spec;
                break;
            }
            case Material::Paper:
            case Material::Filter: {
                Color base = hit.material == Material::Paper ? Color{1, 1, 1} : Color{0.6, 0.5, 0.5};
                c = base * (0.45 + 0.55 * Clamp01(Dot(hit.normal, moon) + 0.2)) + Glow(p) * 0.3;
                break;
            }
            case Material::None:
                break;
        }
        return c * fog;
    }

    // Warm light from the items onto what lies near them.
    Color Glow(Vec p) const {
        Color g;
        for (const Item& it : items_) {
            Vec dv = p - it.centre;
            double d2 = Dot(dv, dv);
            g = g + Rgb(255, 170, 90) * (0.55 * std::exp(-d2 / 0.09));
        }
        return g;
    }

    MipTexture ground_, bark_, skin_;
    const Image& sky_;
    std::vector<Tree> trees_;
    std::vector<Sphere> worm_;
    std::vector<Vec> eyes_;
    std::vector<Item> items_;
};

// Darkens a rounded box softly: where the title screen prints text, it reads better.
double Panel(double x, double y, double x0, double y0, double x1, double y1, double soft) {
    double dx = std::max({x0 - x, 0.0, x - x1}), dy = std::max({y0 - y, 0.0, y - y1});
    return SmoothStep(soft, 0.0, std::sqrt(dx * dx + dy * dy));
}

}  // namespace

Image MakeTitle(const Image& ground, const Image& bark, const Image& skin, const Image& sky) {
    const int w = 640, h = 480, ss = 3;
    Image img(w, h);
    Scene scene(ground, bark, skin, sky);

    const Vec eye{0.3, 0.3, -6.4};
    const Vec target{-0.2, 0.38, -10.0};
    const double vfov = 50.0 * kPi / 180.0, roll = -6.0 * kPi / 180.0;
    Vec f = Normalize(target - eye);
    Vec r0 = Normalize(Cross(f, {0, 1, 0}));
    Vec u0 = Cross(r0, f);
    // A slight tilt of the horizon: the world is already spinning.
    Vec r = r0 * std::cos(roll) + u0 * std::sin(roll);
    Vec u = u0 * std::cos(roll) - r0 * std::sin(roll);
    const double tanV = std::tan(vfov / 2), tanH = tanV * w / h;
    const double pixelAngle = 2 * tanV / h / ss;

    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            Color acc;
            for (int sy = 0; sy < ss; ++sy)
                for (int sx = 0; sx < ss; ++sx) {
                    double px = (x + (sx + 0.5) / ss) / w * 2 - 1;
                    double py = 1 - (y + (sy + 0.5) / ss) / h * 2;
                    Vec d = Normalize(f + r * (px * tanH) + u * (py * tanV));
                    acc = acc + scene.Trace(eye, d, pixelAngle);
                }
            Color c = acc * (1.0 / (ss * ss));
            // Quiet places for the printed text, and a vignette.
            double dark = 0.5 * Panel(x, y, 10, 245, 400, 440, 60);
            dark = std::max(dark, 0.45 * Panel(x, y, 425, 425, 625, 470, 40));
            dark = std::max(dark, 0.3 * Panel(x, y, 560, 40, 635, 390, 35));
            double vx = (x + 0.5) / w - 0.5, vy = (y + 0.5) / h - 0.5;
            double vignette = 1.0 - 0.6 * std::pow(vx * vx + vy * vy, 1.2);
            img.At(x, y) = c * ((1 - dark) * vignette);
        }
    }
    return img;
}

}  // namespace mk
