// A 640 x 480 headless context with the game's start-up done once: projection, first game,
// textures and the fixed GL state; helpers to read the frame back and to compare matrices.
#pragma once

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

#include "app/startup.h"
#include "app/window.h"
#include "game/host.h"
#include "game/state.h"
#include "render/scene.h"
#include "screen/textures.h"
#include "tests/support/fake_platform.h"
#include "tests/support/gl_context.h"

namespace rendertest {

constexpr int kWidth = 640;
constexpr int kHeight = 480;

struct Rgb {
    int r, g, b;
};

// The frame read back; (x, y) with y counted from the top, as the overlay counts it.
struct Frame {
    std::vector<std::uint8_t> rgba;
    Rgb At(int x, int y) const {
        const std::size_t i = (static_cast<std::size_t>(kHeight - 1 - y) * kWidth + x) * 4;
        return {rgba[i], rgba[i + 1], rgba[i + 2]};
    }
    long Sum() const {
        long s = 0;
        for (std::size_t i = 0; i < rgba.size(); i += 4) s += rgba[i] + rgba[i + 1] + rgba[i + 2];
        return s;
    }
};

inline Frame ReadFrame() {
    Frame f;
    f.rgba.resize(static_cast<std::size_t>(kWidth) * kHeight * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(0, 0, kWidth, kHeight, GL_RGBA, GL_UNSIGNED_BYTE, f.rgba.data());
    return f;
}

using Matrix = std::array<GLfloat, 16>;

inline Matrix Get(GLenum which) {
    Matrix m{};
    glGetFloatv(which, m.data());
    return m;
}

inline ::testing::AssertionResult MatricesClose(const Matrix& a, const Matrix& b,
                                                float tolerance = 1e-4f) {
    for (int i = 0; i < 16; ++i) {
        if (!std::isfinite(b[i]) || std::fabs(a[i] - b[i]) > tolerance) {
            return ::testing::AssertionFailure()
                   << "element " << i << ": " << a[i] << " before, " << b[i] << " after";
        }
    }
    return ::testing::AssertionSuccess();
}

inline bool IsIdentity(const Matrix& m) {
    for (int i = 0; i < 16; ++i) {
        if (m[i] != ((i % 5 == 0) ? 1.0f : 0.0f)) return false;
    }
    return true;
}

inline GLint GetInt(GLenum which) {
    GLint v = 0;
    glGetIntegerv(which, &v);
    return v;
}

inline std::array<GLfloat, 4> CurrentColor() {
    std::array<GLfloat, 4> c{};
    glGetFloatv(GL_CURRENT_COLOR, c.data());
    return c;
}

// A worm of `count` records laid out behind a head at (x, z) going along `heading`.
inline void LayWorm(float x, float z, float heading, int count) {
    segmentCount = static_cast<float>(count);
    for (int i = 0; i <= count && i < kSegmentTableSize; ++i) {
        const double back = 0.02 * i;
        segments[i].x = static_cast<float>(x - back * std::sin(heading));
        segments[i].z = static_cast<float>(z - back * std::cos(heading));
        segments[i].heading = heading;
        segments[i].rotY = static_cast<float>(heading / 6.2831853 * 360.0);
        segments[i].rotZ = static_cast<float>(3.5 * i);
        segments[i].active = true;
    }
}

class GlTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(testgl::MakeCurrent(kWidth, kHeight)) << "no headless GL context";
        static bool started = false;
        if (!started) {
            // Start-up as the window does it: projection, first game, textures and fixed state.
            fake::Reset();
            screenWidth = kWidth;
            screenHeight = kHeight;
            ResizeScene(kWidth, kHeight);
            ResetGame();
            ASSERT_TRUE(InitRenderState());
            started = true;
        }
        fake::Reset();
        screenWidth = kWidth;
        screenHeight = kHeight;
        ResizeScene(kWidth, kHeight);
        while (glGetError() != GL_NO_ERROR) {
        }
        tintLevel = 0;
        swayAmount = 0;
        swayPhase = 0;
        withdrawal = 0;
        score = 0;
        blurOn = false;
        blurCapture = false;
        LayWorm(0.0f, -10.0f, 0.0f, 1);
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
    }

    void TearDown() override { EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)); }
};

}  // namespace rendertest
