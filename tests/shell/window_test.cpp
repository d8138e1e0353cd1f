#include <GL/gl.h>

#include "tests/shell/shell_fixture.h"

namespace {

using WindowTest = ShellTest;

const char* const kQuestion =
    "The Requested Fullscreen Mode Is Not Supported By\nYour Video Card. Use Windowed Mode "
    "Instead?";

TEST_F(WindowTest, FullScreenHidesTheCursorAndShutDownRestoresEverything) {
    ASSERT_TRUE(CreateGameWindow("Kelvado", 640, 480, 32, true));
    EXPECT_TRUE(fullscreenMode);
    EXPECT_TRUE(fake::state.displayModeChanged);
    EXPECT_TRUE(fake::state.windowFullscreen);
    EXPECT_FALSE(fake::state.cursorShown);
    EXPECT_EQ(fake::state.windowWidth, 640);
    EXPECT_EQ(fake::state.windowHeight, 480);

    DestroyGameWindow();
    EXPECT_FALSE(fake::state.displayModeChanged);
    EXPECT_TRUE(fake::state.cursorShown);
    EXPECT_FALSE(fake::state.windowExists);
    EXPECT_EQ(windowHandle, nullptr);
    EXPECT_EQ(deviceContext, nullptr);
    EXPECT_EQ(renderContext, nullptr);
    DestroyGameWindow();  // nothing left: no release is attempted twice, nothing reported
    EXPECT_TRUE(fake::state.boxes.empty());
}

TEST_F(WindowTest, RefusedDisplayModeAsksForAWindow) {
    // Yes, or no box at all (0): both play in a window.
    for (const int answer : {IDYES, 0}) {
        fake::Reset();
        fake::state.refuseDisplayMode = true;
        fake::state.answers = {answer};
        ASSERT_TRUE(CreateGameWindow("Kelvado", 640, 480, 32, true)) << answer;
        ASSERT_EQ(fake::state.boxes.size(), 1u);
        EXPECT_EQ(fake::state.boxes[0].text, kQuestion);
        EXPECT_EQ(fake::state.boxes[0].caption, "Kelvado");
        EXPECT_EQ(fake::state.boxes[0].type, MB_YESNO | MB_ICONEXCLAMATION);
        EXPECT_FALSE(fullscreenMode);
        EXPECT_FALSE(fake::state.windowFullscreen);
        EXPECT_TRUE(fake::state.cursorShown);
        EXPECT_EQ(fake::state.windowWidth, 640);
        EXPECT_EQ(fake::state.windowHeight, 480);
        DestroyGameWindow();
    }
}

TEST_F(WindowTest, DecliningTheWindowEndsTheProgramQuietly) {
    fake::state.refuseDisplayMode = true;
    fake::state.answers = {IDNO};
    EXPECT_EQ(WinMain(), 0);
    EXPECT_EQ(fake::state.boxes.size(), 1u);
    EXPECT_FALSE(fake::state.windowExists);
    EXPECT_EQ(fake::state.swaps, 0);
}

TEST_F(WindowTest, DesktopKeepsTheDisplayModeAndLetterboxesThePicture) {
    desktopMode = true;
    fake::state.refuseDisplayMode = true;  // never asked: nothing to refuse, no question
    fake::state.desktopWidth = 1920;
    fake::state.desktopHeight = 1080;
    ASSERT_TRUE(CreateGameWindow("Kelvado", 640, 480, 32, true));
    EXPECT_TRUE(fake::state.boxes.empty());
    EXPECT_FALSE(fake::state.displayModeChanged);
    EXPECT_TRUE(fullscreenMode);
    EXPECT_TRUE(fake::state.windowFullscreen);
    EXPECT_FALSE(fake::state.cursorShown);
    EXPECT_EQ(fake::state.windowWidth, 1920);

    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[0], 240);
    EXPECT_EQ(viewport[1], 0);
    EXPECT_EQ(viewport[2], 1440);
    EXPECT_EQ(viewport[3], 1080);
    // The projection is the 4:3 one of the 640 x 480 picture.
    GLdouble projection[16];
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    EXPECT_NEAR(projection[5] / projection[0], 640.0 / 480.0, 1e-6);  // kept as floats

    // A portrait drawable gets bars above and below; a minimised one a picture of one pixel.
    WindowProc(windowHandle, WM_SIZE, 0, 1080 | (1920 << 16));
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[0], 0);
    EXPECT_EQ(viewport[1], 555);
    EXPECT_EQ(viewport[2], 1080);
    EXPECT_EQ(viewport[3], 810);
    WindowProc(windowHandle, WM_SIZE, 0, 0);
    EXPECT_EQ(pictureWidth, 1);
    EXPECT_EQ(pictureHeight, 1);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    DestroyGameWindow();
    EXPECT_TRUE(fake::state.cursorShown);
}

TEST_F(WindowTest, CreationFailuresAreReportedAfterReleasingWhatWasMade) {
    using fake::State;
    struct Case {
        bool State::*failure;
        const char* message;
    };
    const Case cases[] = {
        {&State::failWindowClass, "Failed To Register The Window Class."},
        {&State::failWindow, "Window Creation Error."},
        {&State::failContext, "Can't Create A GL Rendering Context."},
    };
    for (const Case& c : cases) {
        fake::Reset();
        fake::state.*(c.failure) = true;
        EXPECT_EQ(WinMain(), 1) << c.message;
        ASSERT_EQ(fake::state.boxes.size(), 1u) << c.message;
        EXPECT_EQ(fake::state.boxes[0].text, c.message);
        EXPECT_EQ(fake::state.boxes[0].caption, "ERROR");
        EXPECT_EQ(fake::state.boxes[0].type, MB_OK | MB_ICONEXCLAMATION);
        EXPECT_FALSE(fake::state.windowExists) << c.message;
        EXPECT_FALSE(fake::state.displayModeChanged) << c.message;
        EXPECT_TRUE(fake::state.cursorShown) << c.message;
        EXPECT_EQ(windowHandle, nullptr);
    }
}

TEST_F(WindowTest, WindowProcedureKeepsKeysAndFollowsResizes) {
    ASSERT_TRUE(CreateGameWindow("Kelvado", 640, 480, 32, false));
    WindowProc(windowHandle, WM_KEYDOWN, 'A', 0);
    WindowProc(windowHandle, WM_KEYDOWN, VK_LEFT, 0);
    WindowProc(windowHandle, WM_KEYDOWN, 0x1234, 0);  // no such key: ignored, nothing overrun
    EXPECT_TRUE(keyDown['A']);
    EXPECT_TRUE(keyDown[VK_LEFT]);
    WindowProc(windowHandle, WM_KEYUP, 'A', 0);
    EXPECT_FALSE(keyDown['A']);
    EXPECT_TRUE(keyDown[VK_LEFT]);

    GLint viewport[4];
    WindowProc(windowHandle, WM_SIZE, 0, 320 | (200 << 16));
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 320);
    EXPECT_EQ(viewport[3], 200);
    WindowProc(windowHandle, WM_SIZE, 0, 0);  // minimised: one pixel high, no division by zero
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[3], 1);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

}  // namespace
