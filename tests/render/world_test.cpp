// The world: fog and display lists, worm and items, the in-game frame with its HUD, and the
// blur, drawn into the headless context and read back.
#include <GL/glu.h>

#include <algorithm>

#include "app/frame.h"
#include "render/blur.h"
#include "render/gamescene.h"
#include "render/worm.h"
#include "tests/render/render_fixture.h"

namespace {

using namespace rendertest;

// A top-down orthographic view: world x to the right, world z downward on the screen,
// `halfWidth` world units either side of (centerX, centerZ).
void TopDownView(float centerX, float centerZ, float halfWidth) {
    const float halfHeight = halfWidth * kHeight / kWidth;
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(-halfWidth, halfWidth, -halfHeight, halfHeight, -20, 20);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glRotatef(90, 1, 0, 0);  // world y toward the viewer, world z down the screen
    glTranslatef(-centerX, 0, -centerZ);
}

void EndTopDownView() {
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

// Screen position of world (x, z) in the view above.
int ScreenX(float x, float centerX, float halfWidth) {
    return static_cast<int>((x - centerX + halfWidth) / (2 * halfWidth) * kWidth);
}
int ScreenY(float z, float centerZ, float halfWidth) {
    const float halfHeight = halfWidth * kHeight / kWidth;
    return static_cast<int>((z - centerZ + halfHeight) / (2 * halfHeight) * kHeight);
}

class World : public GlTest {};

TEST_F(World, StartBuildsFogAndFiveListsThatLeaveTheStatePromised) {
    const GLuint oldGround = groundList;
    EXPECT_EQ(ResetGame(), 1);
    EXPECT_FALSE(glIsList(oldGround)) << "the previous game's lists are released";
    EXPECT_TRUE(glIsEnabled(GL_FOG));
    EXPECT_EQ(GetInt(GL_FOG_MODE), GL_EXP);
    GLfloat density = 0;
    glGetFloatv(GL_FOG_DENSITY, &density);
    EXPECT_FLOAT_EQ(density, 0.08f);
    std::array<GLfloat, 4> fogColor{};
    glGetFloatv(GL_FOG_COLOR, fogColor.data());
    EXPECT_EQ(fogColor, (std::array<GLfloat, 4>{0, 0, 0, 1}));

    const GLuint lists[5] = {groundList, trunkList, wallList, segmentList, crownList};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(lists[i], groundList + i);
        EXPECT_TRUE(glIsList(lists[i]));
    }

    // Each list puts the model-view back as it found it; the wall leaves white and texture 0.
    glLoadIdentity();
    gluLookAt(1, 2, 3, 0, 0, -10, 0, 1, 0);
    const Matrix view = Get(GL_MODELVIEW_MATRIX);
    for (GLuint list : lists) {
        glBindTexture(GL_TEXTURE_2D, textures[kBlurTexture]);
        glColor3f(1, 0, 0);
        glCallList(list);
        EXPECT_TRUE(MatricesClose(view, Get(GL_MODELVIEW_MATRIX))) << "list " << list - groundList;
        if (list == wallList) {
            EXPECT_EQ(CurrentColor(), (std::array<GLfloat, 4>{1, 1, 1, 1}));
            EXPECT_EQ(GetInt(GL_TEXTURE_BINDING_2D), 0);
        } else {
            // The other lists hold geometry only.
            EXPECT_EQ(CurrentColor(), (std::array<GLfloat, 4>{1, 0, 0, 1}));
            EXPECT_EQ(static_cast<GLuint>(GetInt(GL_TEXTURE_BINDING_2D)), textures[kBlurTexture]);
        }
    }

    // The emitters, drawn immediately, undo their own transforms.
    EXPECT_EQ(DrawTrunk(3, -0.08f, -4, 4, 7, 4), 1);
    EXPECT_TRUE(MatricesClose(view, Get(GL_MODELVIEW_MATRIX)));
    EXPECT_EQ(DrawCrown(3, -0.08f, -4, 4, 6, 4), 1);
    EXPECT_TRUE(MatricesClose(view, Get(GL_MODELVIEW_MATRIX)));
    EXPECT_EQ(DrawSphere(1, 2, 3, 30, 40, 50, 0.5f, 10, 10), 1);
    EXPECT_TRUE(MatricesClose(view, Get(GL_MODELVIEW_MATRIX)));
    glLoadIdentity();
}

TEST_F(World, GroundCoversTheRectangleAndWallIsARingOfRadius13) {
    const float half = 25;
    TopDownView(0, -10, half);
    glBindTexture(GL_TEXTURE_2D, 0);
    glColor3f(1, 0.2f, 0.2f);
    glCallList(groundList);
    Frame f = ReadFrame();
    auto red = [&](float x, float z) { return f.At(ScreenX(x, 0, half), ScreenY(z, -10, half)).r; };
    EXPECT_GT(red(19.5f, -0.5f), 200);
    EXPECT_GT(red(-19.5f, -19.5f), 200);
    EXPECT_GT(red(0, -10), 200);
    EXPECT_EQ(red(20.6f, -0.5f), 0);
    EXPECT_EQ(red(-20.6f, -10), 0);
    EXPECT_EQ(red(0, 0.6f), 0);
    EXPECT_EQ(red(0, -20.6f), 0);

    EndTopDownView();

    // The wall seen from the side against a white background: a black band from y = -0.1 to
    // 2.0; a ten-sided tube of radius 13, so at most 13 sin 72 = 12.36 either side of x = 0.
    glClearColor(1, 1, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glClearColor(0, 0, 0, 0);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(-16, 16, -11, 13, 0, 60);  // 20 pixels a unit; y = 1 at row 240
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(0, 0, -30);
    glCallList(wallList);
    f = ReadFrame();
    auto side = [&](float x, float y) {
        return f.At(static_cast<int>((x + 16) * 20), static_cast<int>((13 - y) * 20)).r;
    };
    EXPECT_EQ(side(0, 1), 0);
    EXPECT_EQ(side(12.2f, 0), 0);
    EXPECT_EQ(side(-12.2f, 1.9f), 0);
    EXPECT_EQ(side(0, 2.2f), 255);
    EXPECT_EQ(side(0, -0.3f), 255);
    EXPECT_EQ(side(12.6f, 1), 255);
    EXPECT_EQ(side(-12.6f, 1), 255);
    EndTopDownView();
}

TEST_F(World, WormIsEveryFifthRecordOnTheGroundPlaneTinted) {
    const float half = 2;
    for (int i = 1; i <= 12; ++i) {
        segments[i].x = -1.8f + 0.3f * (i - 1);
        segments[i].z = 0;
        segments[i].rotY = 10.0f * i;
        segments[i].rotZ = 3.5f * i;
    }
    auto drawn = [&](int count, float tint) {
        segmentCount = static_cast<float>(count);
        tintLevel = tint;
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        TopDownView(0, 0, half);
        const Matrix before = Get(GL_MODELVIEW_MATRIX);
        DrawWorm();
        EXPECT_TRUE(MatricesClose(before, Get(GL_MODELVIEW_MATRIX)));
        EndTopDownView();
        const Frame f = ReadFrame();
        std::vector<int> records;
        for (int i = 1; i <= 12; ++i) {
            if (f.At(ScreenX(segments[i].x, 0, half), ScreenY(0, 0, half)).r > 100) {
                records.push_back(i);
            }
        }
        return std::pair{records, f.At(ScreenX(segments[1].x, 0, half), ScreenY(0, 0, half))};
    };
    EXPECT_EQ(drawn(1, 0).first, (std::vector<int>{1}));
    EXPECT_EQ(drawn(5, 0).first, (std::vector<int>{1}));
    EXPECT_EQ(drawn(6, 0).first, (std::vector<int>{1, 6}));
    EXPECT_EQ(drawn(11, 0).first, (std::vector<int>{1, 6, 11}));
    const auto [records, color] = drawn(11, 0.5f);
    EXPECT_EQ(records, (std::vector<int>{1, 6, 11}));
    EXPECT_GT(color.r, 200);
    EXPECT_NEAR(color.g, color.r / 2, 8) << "green and blue are 1 - tintLevel";
    EXPECT_NEAR(color.b, color.r / 2, 8);
}

TEST_F(World, ItemGlowNeverMovesTheModelView) {
    const float ix = 1.5f;
    const float iy = 0.1f;
    const float iz = -8.0f;
    struct Eye {
        const char* name;
        Vec3f eye;
        Vec3f up;
    };
    const Eye eyes[] = {
        {"straight above", {ix, 5.0f, iz}, {0, 0, -1}},
        {"level to the side (dz = 0)", {ix + 3.0f, 0.7f, iz}, {0, 1, 0}},
        {"behind", {ix - 1.0f, 0.7f, iz - 3.0f}, {0, 1, 0}},
        {"in front", {ix + 0.5f, 0.7f, iz + 2.0f}, {0, 1, 0}},
    };
    for (const Eye& e : eyes) {
        cameraEye = e.eye;
        glLoadIdentity();
        gluLookAt(e.eye.x, e.eye.y, e.eye.z, ix, iy, iz, e.up.x, e.up.y, e.up.z);
        const Matrix before = Get(GL_MODELVIEW_MATRIX);
        const Frame empty = ReadFrame();
        EXPECT_EQ(DrawItem(ix, iy, iz, 37.0f), 1);
        EXPECT_TRUE(MatricesClose(before, Get(GL_MODELVIEW_MATRIX))) << e.name;
        EXPECT_NE(ReadFrame().Sum(), empty.Sum()) << e.name << ": the item is drawn";
        // Blending off, depth test on; the glow's colour and texture stay behind.
        EXPECT_FALSE(glIsEnabled(GL_BLEND));
        EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
        EXPECT_EQ(static_cast<GLuint>(GetInt(GL_TEXTURE_BINDING_2D)), textures[kGlowTexture]);
        EXPECT_EQ(CurrentColor(), (std::array<GLfloat, 4>{1, 1, 1, 0.2f}));
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }
    glLoadIdentity();
}

TEST_F(World, GameSceneLeavesTheStatePromisedInBothPasses) {
    LayWorm(1.0f, -8.0f, 1.5707963f, 300);
    withdrawal = 120;
    score = 1234;
    tintLevel = 0.3f;
    const Matrix projection = Get(GL_PROJECTION_MATRIX);
    for (bool capture : {true, false}) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
        DrawGameScene(capture);
        EXPECT_TRUE(IsIdentity(Get(GL_MODELVIEW_MATRIX))) << capture;
        EXPECT_EQ(Get(GL_PROJECTION_MATRIX), projection) << capture;
        EXPECT_EQ(GetInt(GL_PROJECTION_STACK_DEPTH), 1) << capture;
        EXPECT_EQ(GetInt(GL_MATRIX_MODE), GL_MODELVIEW) << capture;
        EXPECT_EQ(GetInt(GL_TEXTURE_BINDING_2D), 0) << capture;
        EXPECT_EQ(CurrentColor(), (std::array<GLfloat, 4>{1, 1, 1, 1})) << capture;
        EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST)) << capture;
        EXPECT_FALSE(glIsEnabled(GL_BLEND)) << capture;
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << capture;
    }
    // No sway: the eye 3 units behind the head at the single-precision 0.7, looking at the
    // head's point at 0.5.
    const SegmentRecord& head = segments[1];
    EXPECT_NEAR(cameraEye.x, head.x - 3.0f, 1e-5);
    EXPECT_FLOAT_EQ(cameraEye.y, 0.7f);
    EXPECT_NEAR(cameraEye.z, head.z, 1e-5);
    EXPECT_FLOAT_EQ(cameraTarget.x, head.x);
    EXPECT_FLOAT_EQ(cameraTarget.y, 0.5f);
    EXPECT_FLOAT_EQ(cameraTarget.z, head.z);
}

// The HUD bar: white rows for the withdrawal, a translucent frame added down to y = 394.2,
// and nothing else changed in columns 4 to 30 compared with the same scene without the HUD.
TEST_F(World, HudBarAndFrameRowsFollowTheWithdrawal) {
    LayWorm(0.0f, -10.0f, 0.0f, 40);
    struct Case {
        float withdrawal;
        int lastBarRow;  // -1: no bar
    };
    for (const Case c : {Case{0, -1}, Case{150, 199}, Case{300, 393}}) {
        withdrawal = c.withdrawal;
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
        DrawGameScene(true);
        const Frame scene = ReadFrame();
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
        DrawGameScene(false);
        const Frame hud = ReadFrame();
        int barRows = 0;
        int frameRows = 0;
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 4; x <= 30; ++x) {
                const Rgb s = scene.At(x, y);
                const Rgb h = hud.At(x, y);
                const bool inColumns = x >= 5 && x <= 29;
                if (!inColumns || y < 5 || y > 393) {
                    ASSERT_EQ(h.g, s.g) << "outside the frame at " << x << "," << y;
                } else if (y <= c.lastBarRow) {
                    ASSERT_EQ(h.r + h.g + h.b, 3 * 255) << "bar at " << x << "," << y;
                    if (x == 5) ++barRows;
                } else {
                    ASSERT_NEAR(h.g, std::min(255.0, s.g + 127.5), 1.0)
                        << "frame at " << x << "," << y << ", withdrawal " << c.withdrawal;
                    if (x == 5) ++frameRows;
                }
            }
        }
        EXPECT_EQ(barRows, c.lastBarRow < 0 ? 0 : c.lastBarRow - 4) << c.withdrawal;
        EXPECT_EQ(barRows + frameRows, 389) << c.withdrawal;
    }
}

TEST_F(World, BlurBrightensTheFrameAndIsAbsentWhenOff) {
    gameMode = kModePlaying;
    LayWorm(0.0f, -10.0f, 0.3f, 200);
    withdrawal = 250;
    tintLevel = 0.4f;

    // Off: the frame is exactly the scene drawn once.
    DrawFrame();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    const Frame off = ReadFrame();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    glViewport(0, 0, kWidth, kHeight);
    DrawGameScene(false);
    EXPECT_EQ(ReadFrame().rgba, off.rgba) << "no blur quads with the switches off";

    blurOn = true;
    blurCapture = true;
    DrawFrame();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    const Frame on = ReadFrame();
    int darker = 0;
    for (std::size_t i = 0; i < on.rgba.size(); i += 4) {
        for (int k = 0; k < 3; ++k) darker += on.rgba[i + k] + 1 < off.rgba[i + k];
    }
    EXPECT_EQ(darker, 0);
    EXPECT_GT(on.Sum(), off.Sum() * 3 / 2) << "the copies add up to a much brighter frame";
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_EQ(GetInt(GL_PROJECTION_STACK_DEPTH), 1);
    EXPECT_EQ(GetInt(GL_MATRIX_MODE), GL_MODELVIEW);
    gameMode = kModeTitle;
    blurOn = false;
    blurCapture = false;
}

}  // namespace
