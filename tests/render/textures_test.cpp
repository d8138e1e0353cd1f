// The texture table: what start-up loads from the files present, and the fixed GL state.
#include <filesystem>
#include <string>

#include "tests/render/bmp_writer.h"
#include "tests/render/render_fixture.h"

namespace {

using namespace rendertest;

class Textures : public GlTest {};

TEST_F(Textures, StartUpStateIsSet) {
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_EQ(GetInt(GL_DEPTH_FUNC), GL_LEQUAL);
    EXPECT_EQ(GetInt(GL_SHADE_MODEL), GL_SMOOTH);
    EXPECT_EQ(GetInt(GL_PERSPECTIVE_CORRECTION_HINT), GL_NICEST);
    GLfloat clear[4] = {1, 1, 1, 1};
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_EQ(clear[3], 0.0f);
}

TEST_F(Textures, SlotsFilledFromTheFilesPresentDamagedOnesReported) {
    namespace fs = std::filesystem;
    const fs::path before = fs::current_path();
    const fs::path dir = fs::path(::testing::TempDir()) / "kelvado_textures_test";
    fs::remove_all(dir);
    fs::create_directories(dir);
    fs::current_path(dir);

    // An 8 x 8 ground, a 3 x 3 mask (rows of 9 bytes, not whole words) and a damaged glow.
    testbmp::Bytes ground;
    for (int i = 0; i < 64; ++i)
        ground.insert(ground.end(), {200, 100, static_cast<unsigned char>(i)});
    ASSERT_TRUE(testbmp::Save("texture.bmp", testbmp::Write24(8, 8, ground)));
    const testbmp::Bytes mask = {1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14,
                                 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27};
    ASSERT_TRUE(testbmp::Save("font1mask.bmp", testbmp::Write24(3, 3, mask)));
    testbmp::Bytes damaged = testbmp::Write24(3, 3, mask);
    damaged[14] = 64;
    ASSERT_TRUE(testbmp::Save("valo.bmp", damaged));

    GLuint saved[kTextureSlots];
    std::copy(std::begin(textures), std::end(textures), saved);
    std::fill(std::begin(textures), std::end(textures), 0u);
    EXPECT_TRUE(LoadTextures());
    fs::current_path(before);
    fs::remove_all(dir);

    ASSERT_EQ(fake::state.boxes.size(), 1u);
    EXPECT_EQ(fake::state.boxes[0].text, "Unknown DIB file format.");
    EXPECT_EQ(fake::state.boxes[0].caption, "Error");
    for (int slot = 0; slot < kTextureSlots; ++slot) {
        const bool made =
            slot == kGroundTexture || slot == kFontMaskTexture || slot == kBlurTexture;
        EXPECT_EQ(textures[slot] != 0, made) << "slot " << slot;
    }
    auto level = [](GLenum what, int lod = 0) {
        GLint v = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, lod, what, &v);
        return v;
    };

    // The ground is mipmapped down to one texel.
    glBindTexture(GL_TEXTURE_2D, textures[kGroundTexture]);
    EXPECT_EQ(level(GL_TEXTURE_WIDTH, 3), 1);
    GLint minFilter = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
    EXPECT_EQ(minFilter, GL_LINEAR_MIPMAP_NEAREST);

    // The mask keeps its odd size, with alpha, and its pixels arrive row for row.
    glBindTexture(GL_TEXTURE_2D, textures[kFontMaskTexture]);
    EXPECT_EQ(level(GL_TEXTURE_WIDTH), 3);
    EXPECT_EQ(level(GL_TEXTURE_INTERNAL_FORMAT), GL_RGBA8);
    std::vector<unsigned char> readBack(27);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, readBack.data());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    EXPECT_EQ(readBack, mask);
    EXPECT_EQ(GetInt(GL_UNPACK_ALIGNMENT), 4);

    // The blur's render target: 256 x 256, black.
    glBindTexture(GL_TEXTURE_2D, textures[kBlurTexture]);
    EXPECT_EQ(level(GL_TEXTURE_WIDTH), 256);
    EXPECT_EQ(level(GL_TEXTURE_HEIGHT), 256);
    std::vector<unsigned char> target(256 * 256 * 3, 7);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, target.data());
    EXPECT_EQ(std::count(target.begin(), target.end(), 0), static_cast<long>(target.size()));

    glBindTexture(GL_TEXTURE_2D, 0);
    std::copy(std::begin(saved), std::end(saved), textures);
}

}  // namespace
