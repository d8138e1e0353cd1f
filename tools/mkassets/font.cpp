// The bitmap font: 16 cells of 32 x 32 pixels a row on a 512 x 512 image, glyphs in the
// printer's order from the top row down. The font image holds the glyph's colour on black;
// the mask is black under the glyph and a rim around it, which becomes the text's outline.
#include "common.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <stdexcept>

namespace mk {

namespace {

constexpr const char* kCharset =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz1234567890.:,;-_)(!?<>^#$%&{}[]/*~";
constexpr int kCell = 32;
constexpr int kGrid = 512;
// Room kept free inside each cell for the outline and for linear filtering at the edges.
constexpr int kMargin = 3;
constexpr double kOutline = 2.0;

struct Coverage {
    int width = 0, rows = 0, left = 0, top = 0;  // top: rows above the baseline
    std::vector<double> alpha;
};

Coverage RenderGlyph(FT_Face face, char ch, double squeeze) {
    FT_Matrix m;
    m.xx = FT_Fixed(std::lround(squeeze * 65536.0));
    m.xy = 0;
    m.yx = 0;
    m.yy = 0x10000;
    FT_Set_Transform(face, &m, nullptr);
    if (FT_Load_Char(face, FT_ULong(static_cast<unsigned char>(ch)), FT_LOAD_RENDER | FT_LOAD_TARGET_LIGHT))
        throw std::runtime_error(std::string("cannot render glyph ") + ch);
    const FT_Bitmap& bm = face->glyph->bitmap;
    Coverage c;
    c.width = int(bm.width);
    c.rows = int(bm.rows);
    c.left = face->glyph->bitmap_left;
    c.top = face->glyph->bitmap_top;
    c.alpha.resize(std::size_t(c.width) * c.rows);
    for (int y = 0; y < c.rows; ++y)
        for (int x = 0; x < c.width; ++x)
            c.alpha[std::size_t(y) * c.width + x] = bm.buffer[y * bm.pitch + x] / 255.0;
    return c;
}

}  // namespace

void MakeFont(const std::string& fontFile, Image& font, Image& mask) {
    FT_Library lib;
    if (FT_Init_FreeType(&lib)) throw std::runtime_error("FreeType did not start");
    FT_Face face;
    if (FT_New_Face(lib, fontFile.c_str(), 0, &face)) throw std::runtime_error("cannot open " + fontFile);

    const std::string charset = kCharset;
    const int room = kCell - 2 * kMargin;

    // The largest pixel size at which every glyph fits the cell's height on one baseline.
    int size = 30, ascent = 0, descent = 0;
    for (; size > 8; --size) {
        FT_Set_Pixel_Sizes(face, 0, FT_UInt(size));
        ascent = descent = 0;
        for (char ch : charset) {
            Coverage c = RenderGlyph(face, ch, 1.0);
            ascent = std::max(ascent, c.top);
            descent = std::max(descent, c.rows - c.top);
        }
        if (ascent + descent <= room) break;
    }
    const int baseline = kMargin + ascent + (room - ascent - descent) / 2;

    font = Image(kGrid, kGrid);
    mask = Image(kGrid, kGrid, {1, 1, 1});
    for (std::size_t j = 0; j < charset.size(); ++j) {
        // Wide glyphs (W, M, %) are narrowed until they fit between the margins.
        double squeeze = 1.0;
        Coverage c = RenderGlyph(face, charset[j], squeeze);
        while (c.width > room && squeeze > 0.5) {
            squeeze *= 0.95;
            c = RenderGlyph(face, charset[j], squeeze);
        }
        const int cellX = int(j % 16) * kCell, cellY = int(j / 16) * kCell;
        const int ox = (kCell - c.width) / 2, oy = baseline - c.top;

        // The glyph in cell coordinates, for the dilation below.
        std::vector<double> cov(kCell * kCell, 0.0);
        for (int y = 0; y < c.rows; ++y)
            for (int x = 0; x < c.width; ++x) {
                int cx = ox + x, cy = oy + y;
                if (cx >= 0 && cx < kCell && cy >= 0 && cy < kCell)
                    cov[cy * kCell + cx] = c.alpha[std::size_t(y) * c.width + x];
            }

        const int reach = int(std::ceil(kOutline + 1));
        for (int y = 0; y < kCell; ++y) {
            for (int x = 0; x < kCell; ++x) {
                double a = cov[y * kCell + x];
                // Light text: white at the top of the cell warming to pale gold at the foot.
                double t = double(y - (baseline - ascent)) / double(ascent + descent);
                Color ink = Mix(Rgb(255, 255, 250), Rgb(255, 200, 120), Clamp01(t));
                font.At(cellX + x, cellY + y) = ink * a;

                double m = a;
                for (int dy = -reach; dy <= reach; ++dy)
                    for (int dx = -reach; dx <= reach; ++dx) {
                        int sx = x + dx, sy = y + dy;
                        if (sx < 0 || sx >= kCell || sy < 0 || sy >= kCell) continue;
                        double d = std::sqrt(double(dx * dx + dy * dy));
                        double w = Clamp01(kOutline + 1.0 - d);
                        m = std::max(m, cov[sy * kCell + sx] * w);
                    }
                mask.At(cellX + x, cellY + y) = Color{1, 1, 1} * (1.0 - m);
            }
        }
    }
    FT_Done_Face(face);
    FT_Done_FreeType(lib);
}

}  // namespace mk
