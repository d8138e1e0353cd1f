// The generated bitmaps, read through the game's own bitmap reader: sizes, the font grid the
// text printer relies on, the glow's black border and the ground's seamless tiling.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "screen/bitmap.h"
#include "screen/overlay.h"
#include "tests/support/fake_platform.h"

namespace {

struct ImageDeleter {
    void operator()(ImageRecord* image) const { FreeImage(image); }
};
using Image = std::unique_ptr<ImageRecord, ImageDeleter>;

Image Load(const char* name) {
    const std::string path = std::string(KELVADO_DATA_DIR) + "/" + name;
    return Image(ReadBitmap(path.c_str()));
}

// Channel c of the pixel at x, y with y counted from the top of the picture.
int Px(const ImageRecord* image, int x, int y, int c = 0) {
    const int row = image->height - 1 - y;
    return image->pixels[(static_cast<std::size_t>(row) * image->width + x) * 3 + c];
}

double Luma(const ImageRecord* image, int x, int y) {
    return (0.299 * Px(image, x, y, 0) + 0.587 * Px(image, x, y, 1) + 0.114 * Px(image, x, y, 2)) /
           255.0;
}

double MeanLuma(const ImageRecord* image, int x0, int y0, int x1, int y1) {
    double sum = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) sum += Luma(image, x, y);
    return sum / ((x1 - x0) * (y1 - y0));
}

class GeneratedBitmaps : public ::testing::Test {
  protected:
    void SetUp() override { fake::Reset(); }
    void TearDown() override { EXPECT_TRUE(fake::state.boxes.empty()) << "the reader complained"; }
};

TEST_F(GeneratedBitmaps, EveryFileLoadsWithItsSizeAndIsAPicture) {
    struct Expected {
        const char* name;
        int width, height;
        bool mipmapped;
    };
    const Expected files[] = {
        {"texture.bmp", 256, 256, true},      {"matohanta.bmp", 256, 256, true},
        {"puutexture.bmp", 256, 256, true},   {"valo.bmp", 128, 128, true},
        {"font1.bmp", 512, 512, false},       {"font1mask.bmp", 512, 512, false},
        {"art_matopaa.bmp", 128, 128, false}, {"art_matopaamask.bmp", 128, 128, false},
        {"alku.bmp", 640, 480, false},        {"sky.bmp", 512, 256, true},
    };
    for (const Expected& e : files) {
        Image image = Load(e.name);
        ASSERT_NE(image, nullptr) << e.name;
        EXPECT_EQ(image->width, e.width) << e.name;
        EXPECT_EQ(image->height, e.height) << e.name;
        EXPECT_EQ(image->width % 4, 0) << e.name;
        if (e.mipmapped) {
            EXPECT_EQ(image->width & (image->width - 1), 0) << e.name;
            EXPECT_EQ(image->height & (image->height - 1), 0) << e.name;
        }
        // Not a flat fill: the luminance spreads.
        double mean = MeanLuma(image.get(), 0, 0, image->width, image->height), var = 0;
        for (int y = 0; y < image->height; ++y)
            for (int x = 0; x < image->width; ++x)
                var += std::pow(Luma(image.get(), x, y) - mean, 2);
        EXPECT_GT(std::sqrt(var / (image->width * image->height)), 0.05) << e.name;
    }
}

TEST_F(GeneratedBitmaps, EveryGlyphSitsInsideItsCellAndTheMaskCoversIt) {
    Image font = Load("font1.bmp");
    Image mask = Load("font1mask.bmp");
    ASSERT_NE(font, nullptr);
    ASSERT_NE(mask, nullptr);
    const int glyphs = static_cast<int>(std::strlen(fontCharset));
    ASSERT_EQ(glyphs, 86);
    for (int cell = 0; cell < 256; ++cell) {
        const int cx = (cell % 16) * 32, cy = (cell / 16) * 32;
        const bool used = cell < glyphs;
        int ink = 0, covered = 0, top = 32, bottom = -1;
        for (int y = 0; y < 32; ++y) {
            for (int x = 0; x < 32; ++x) {
                const int f = Px(font.get(), cx + x, cy + y), m = Px(mask.get(), cx + x, cy + y);
                const bool edge = x == 0 || y == 0 || x == 31 || y == 31;
                if (!used || edge) {
                    // Nothing outside a glyph's cell, and a clear rim so filtering never
                    // pulls in a neighbour's ink.
                    ASSERT_EQ(f, 0) << "font ink at cell " << cell << " (" << x << ", " << y << ")";
                    ASSERT_EQ(m, 255) << "mask at cell " << cell << " (" << x << ", " << y << ")";
                    continue;
                }
                // Where the glyph has ink the mask has cut at least as deep.
                ASSERT_LE(f + m, 256)
                    << "glyph " << fontCharset[cell] << " (" << x << ", " << y << ")";
                if (f > 128) {
                    ++ink;
                    top = std::min(top, y);
                    bottom = std::max(bottom, y);
                }
                if (m < 32) ++covered;
            }
        }
        if (!used) continue;
        EXPECT_GT(ink, 4) << "glyph " << fontCharset[cell] << " has no ink";
        // The mask is wider than the glyph: that rim is the text's outline.
        EXPECT_GT(covered, ink) << "glyph " << fontCharset[cell];
        // Capitals and digits stand at least 16 units tall: 9.6 pixels at the list's 0.6 scale.
        if (std::isupper(static_cast<unsigned char>(fontCharset[cell])) ||
            std::isdigit(static_cast<unsigned char>(fontCharset[cell]))) {
            EXPECT_GE(bottom - top + 1, 16) << "glyph " << fontCharset[cell];
        }
    }
}

TEST_F(GeneratedBitmaps, GlowFadesToBlackAtItsBorderAndIsBrightInTheMiddle) {
    Image glow = Load("valo.bmp");
    ASSERT_NE(glow, nullptr);
    const int n = glow->width;
    for (int i = 0; i < n; ++i) {
        for (int c = 0; c < 3; ++c) {
            EXPECT_EQ(Px(glow.get(), i, 0, c), 0);
            EXPECT_EQ(Px(glow.get(), i, n - 1, c), 0);
            EXPECT_EQ(Px(glow.get(), 0, i, c), 0);
            EXPECT_EQ(Px(glow.get(), n - 1, i, c), 0);
        }
    }
    EXPECT_GE(Px(glow.get(), n / 2, n / 2, 0), 230);
    EXPECT_GE(Px(glow.get(), n / 2, n / 2, 1), 200);
    // It falls off steadily from the centre outwards.
    for (int x = n / 2; x < n - 1; ++x)
        EXPECT_GE(Px(glow.get(), x, n / 2, 0), Px(glow.get(), x + 1, n / 2, 0));
}

// Opposite edges of a tiling texture are neighbours on screen: the step across the seam must
// look like the steps between neighbouring columns (or rows) next to it, and clearly smaller
// than the step between unrelated columns far apart, which is what a seam would show.
void ExpectTiles(const ImageRecord* image, bool across, const char* name) {
    const int n = across ? image->width : image->height, m = across ? image->height : image->width;
    auto at = [&](int i, int j) { return across ? Luma(image, i, j) : Luma(image, j, i); };
    auto step = [&](int i, int k) {
        double sum = 0;
        for (int j = 0; j < m; ++j) sum += std::fabs(at(i, j) - at(k, j));
        return sum / m;
    };
    double local = 0, far = 0;
    for (int i = 0; i < 8; ++i)
        local = std::max({local, step(i, i + 1), step(n - 2 - i, n - 1 - i)});
    // Unrelated columns: the mean over many distances, so a regular pattern cannot hide a seam.
    int pairs = 0;
    for (int k = n / 8; k <= n / 2; k += 3)
        for (int i = 0; i < n; i += 8, ++pairs) far += step(i, (i + k) % n);
    far /= pairs;
    const double seam = step(n - 1, 0);
    EXPECT_LE(seam, 1.25 * local) << name << (across ? " left/right" : " top/bottom");
    EXPECT_LT(seam, 0.8 * far) << name << (across ? " left/right" : " top/bottom");
}

TEST_F(GeneratedBitmaps, GroundAndBarkTileWithoutSeams) {
    Image ground = Load("texture.bmp");
    Image bark = Load("puutexture.bmp");
    Image skin = Load("matohanta.bmp");
    ASSERT_NE(ground, nullptr);
    ASSERT_NE(bark, nullptr);
    ASSERT_NE(skin, nullptr);
    for (bool across : {true, false}) {
        ExpectTiles(ground.get(), across, "texture.bmp");
        ExpectTiles(bark.get(), across, "puutexture.bmp");
    }
    // The skin wraps around the sphere (s), so only its left and right edges meet.
    ExpectTiles(skin.get(), true, "matohanta.bmp");
}

TEST_F(GeneratedBitmaps, TitleLeavesDarkPlacesForItsTextAndHeadMaskMatchesTheHead) {
    Image title = Load("alku.bmp");
    ASSERT_NE(title, nullptr);
    // Light text with a dark outline reads over these: the table, "BETA" and the label.
    EXPECT_LT(MeanLuma(title.get(), 23, 250, 400, 430), 0.3);
    EXPECT_LT(MeanLuma(title.get(), 430, 430, 615, 462), 0.3);
    EXPECT_LT(MeanLuma(title.get(), 565, 50, 627, 382), 0.3);
    // ...while the picture as a whole is not black.
    EXPECT_GT(MeanLuma(title.get(), 0, 0, 640, 480), 0.08);

    Image head = Load("art_matopaa.bmp");
    Image mask = Load("art_matopaamask.bmp");
    ASSERT_NE(head, nullptr);
    ASSERT_NE(mask, nullptr);
    for (int y = 0; y < head->height; ++y)
        for (int x = 0; x < head->width; ++x) {
            // Black in the picture wherever the mask keeps the backdrop.
            if (Px(mask.get(), x, y) == 255) {
                ASSERT_EQ(Px(head.get(), x, y), 0) << x << ", " << y;
            }
        }
    EXPECT_EQ(Px(mask.get(), 64, 64), 0);
    EXPECT_EQ(Px(mask.get(), 0, 0), 255);
}

}  // namespace
