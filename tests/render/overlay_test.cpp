// The 2D overlay and the bitmap-font printer, drawn and read back.
#include "screen/overlay.h"

#include <vector>

#include "tests/render/render_fixture.h"

namespace {

using namespace rendertest;

class Overlay : public GlTest {};

TEST_F(Overlay, TitleSizeOverlayPutsYDownwardAndRestoresTheProjection) {
    const Matrix projection = Get(GL_PROJECTION_MATRIX);
    glDisable(GL_DEPTH_TEST);
    OrthoMode(0, 0, kWidth, kHeight);
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_EQ(GetInt(GL_MATRIX_MODE), GL_MODELVIEW);
    EXPECT_EQ(GetInt(GL_PROJECTION_STACK_DEPTH), 2);
    glBindTexture(GL_TEXTURE_2D, 0);
    glColor3f(1, 1, 1);
    glBegin(GL_QUADS);
    glVertex2f(100, 10);
    glVertex2f(100, 30);
    glVertex2f(140, 30);
    glVertex2f(140, 10);
    glEnd();
    PerspectiveMode();

    const Frame f = ReadFrame();
    EXPECT_EQ(f.At(120, 20).g, 255) << "the quad belongs near the top";
    EXPECT_EQ(f.At(120, kHeight - 20).g, 0);
    EXPECT_EQ(f.At(120, 9).g, 0);
    EXPECT_EQ(f.At(120, 30).g, 0);

    // Depth test on afterwards although it was off before; projection back as it was.
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_EQ(GetInt(GL_MATRIX_MODE), GL_MODELVIEW);
    EXPECT_EQ(GetInt(GL_PROJECTION_STACK_DEPTH), 1);
    EXPECT_EQ(Get(GL_PROJECTION_MATRIX), projection);
    EXPECT_TRUE(IsIdentity(Get(GL_MODELVIEW_MATRIX)));
}

// A 512 x 512 font and mask: the glyph "B" is red in its top-left quarter and cut there by the
// mask; every other glyph cell is solid green and fully cut, so a wrong cell shows green.
class PrintTextGlyph : public Overlay {
  protected:
    void SetUp() override {
        Overlay::SetUp();
        saved_[0] = textures[kFontTexture];
        saved_[1] = textures[kFontMaskTexture];
        std::vector<unsigned char> font(512 * 512 * 3, 0);
        std::vector<unsigned char> mask(512 * 512 * 3, 255);
        auto texel = [](std::vector<unsigned char>& image, int x, int rowFromTop) {
            return &image[(static_cast<std::size_t>(511 - rowFromTop) * 512 + x) * 3];
        };
        for (int glyph = 0; glyph < 86; ++glyph) {
            const int cx = (glyph % 16) * 32;
            const int cy = (glyph / 16) * 32;
            for (int y = 0; y < 32; ++y) {
                for (int x = 0; x < 32; ++x) {
                    unsigned char* f = texel(font, cx + x, cy + y);
                    unsigned char* m = texel(mask, cx + x, cy + y);
                    const bool isB = glyph == 1;
                    const bool ink = !isB || (x < 16 && y < 16);
                    if (!ink) continue;
                    m[0] = m[1] = m[2] = 0;
                    f[0] = isB ? 255 : 0;
                    f[1] = isB ? 0 : 255;
                }
            }
        }
        textures[kFontTexture] = Upload(font);
        textures[kFontMaskTexture] = Upload(mask);
        glClearColor(0.5f, 0.5f, 0.5f, 0.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        glClearColor(0, 0, 0, 0);
    }

    void TearDown() override {
        glDeleteTextures(1, &textures[kFontTexture]);
        glDeleteTextures(1, &textures[kFontMaskTexture]);
        textures[kFontTexture] = saved_[0];
        textures[kFontMaskTexture] = saved_[1];
        Overlay::TearDown();
    }

    static GLuint Upload(const std::vector<unsigned char>& image) {
        GLuint name = 0;
        glGenTextures(1, &name);
        glBindTexture(GL_TEXTURE_2D, name);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 512, 512, 0, GL_RGB, GL_UNSIGNED_BYTE, image.data());
        return name;
    }

    // The glyph "B" with its cell's top-left corner at (left, top) at scale 1.
    static void ExpectGlyphB(const Frame& f, int left, int top) {
        const Rgb ink = f.At(left + 8, top + 8);
        EXPECT_EQ(ink.r, 255) << "at " << left;
        EXPECT_EQ(ink.g, 0) << "at " << left;
        EXPECT_EQ(ink.b, 0) << "at " << left;
        for (const auto& [dx, dy] : {std::pair{24, 8}, std::pair{8, 24}, std::pair{24, 24}}) {
            const Rgb bg = f.At(left + dx, top + dy);
            EXPECT_NEAR(bg.r, 128, 1) << "at " << left + dx << "," << top + dy;
            EXPECT_NEAR(bg.g, 128, 1) << "at " << left + dx << "," << top + dy;
        }
    }

    GLuint saved_[2] = {};
};

TEST_F(PrintTextGlyph, GlyphLandsInItsCellCutByItsMask) {
    OrthoMode(0, 0, kWidth, kHeight);
    glColor3f(1, 1, 1);
    // Spacing -4: each character advances 28 pixels; the space leaves one advance empty.
    EXPECT_EQ(PrintText(100, 50, "B B", textures, kFontMaskTexture, kFontTexture, 1, 1, 32, 32, -4,
                        fontCharset),
              1);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_EQ(GetInt(GL_BLEND_SRC), GL_ONE);
    EXPECT_EQ(GetInt(GL_BLEND_DST), GL_ONE);
    EXPECT_EQ(static_cast<GLuint>(GetInt(GL_TEXTURE_BINDING_2D)), textures[kFontTexture]);
    PerspectiveMode();

    const Frame f = ReadFrame();
    ExpectGlyphB(f, 100, 50);
    ExpectGlyphB(f, 156, 50);
    // The space: nothing between the two cells; nothing outside them.
    for (int x : {90, 140, 150, 200}) EXPECT_NEAR(f.At(x, 58).g, 128, 1) << x;
    EXPECT_NEAR(f.At(110, 90).g, 128, 1);
}

TEST_F(PrintTextGlyph, EmptyTextDrawsNothing) {
    const Frame before = ReadFrame();
    OrthoMode(0, 0, kWidth, kHeight);
    glColor3f(1, 1, 1);
    EXPECT_EQ(PrintText(100, 50, "", textures, kFontMaskTexture, kFontTexture, 1, 1, 32, 32, -4,
                        fontCharset),
              1);
    PerspectiveMode();
    EXPECT_EQ(ReadFrame().rgba, before.rgba);
}

}  // namespace
