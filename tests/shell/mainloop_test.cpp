#include <GL/gl.h>

#include <string>

#include "game/demo.h"
#include "tests/shell/shell_fixture.h"

namespace {

using MainLoopTest = ShellTest;

TEST_F(MainLoopTest, StepsFollowTheClockOnePassLate) {
    ASSERT_TRUE(StartUp());
    musicEnabled = false;

    // 50 ms passes (20 a second): the first two passes run no step, since the accumulator
    // takes the previous pass's duration; from then on two steps run in every pass.
    int stepsPerPass[6];
    for (int& steps : stepsPerPass) {
        const float before = animClock;
        Pass(50);
        steps = StepsTaken(before, animClock);
    }
    EXPECT_EQ(stepsPerPass[0], 0);
    EXPECT_EQ(stepsPerPass[1], 0);
    for (int i = 2; i < 6; ++i) EXPECT_EQ(stepsPerPass[i], 2) << "pass " << i;
    EXPECT_FLOAT_EQ(frameDelta, 1.0f);

    // 25 ms passes: one step each. The accumulator lands on exactly 0.0 after the step, and
    // exactly 0.0 runs no further step.
    Pass(25);  // the two passes after the change still carry the 50 ms passes
    Pass(25);
    for (int i = 0; i < 4; ++i) {
        const float before = animClock;
        Pass(25);
        EXPECT_EQ(StepsTaken(before, animClock), 1);
        EXPECT_EQ(stepAccumulator, 0.0f);
    }
    EXPECT_EQ(fake::state.swaps, 12);
}

TEST_F(MainLoopTest, EscapeActsByGameMode) {
    ASSERT_TRUE(StartUp());
    musicEnabled = false;
    Pass(25);
    Pass(25);

    // Playing: Esc returns to the title, and holding it neither quits nor draws nor steps.
    gameMode = kModePlaying;
    fake::Press(VK_ESCAPE);
    const int swapsBefore = fake::state.swaps;
    const float clockBefore = animClock;
    Pass(25);
    EXPECT_EQ(gameMode, kModeTitle);
    EXPECT_TRUE(escapeLatch);
    for (int i = 0; i < 10; ++i) Pass(25);
    EXPECT_EQ(quitRequested, 0);
    EXPECT_EQ(fake::state.swaps, swapsBefore);
    EXPECT_EQ(animClock, clockBefore);

    // Released: the steps of the eleven held passes, and the release pass's own, all run at once.
    fake::Release(VK_ESCAPE);
    Pass(25);
    EXPECT_FALSE(escapeLatch);
    EXPECT_EQ(StepsTaken(clockBefore, animClock), 12);
    EXPECT_EQ(fake::state.swaps, swapsBefore + 1);

    // Name entry: Esc does nothing but freeze the picture.
    gameMode = kModeNameEntry;
    fake::Press(VK_ESCAPE);
    Pass(25);
    EXPECT_EQ(gameMode, kModeNameEntry);
    EXPECT_EQ(quitRequested, 0);
    fake::Release(VK_ESCAPE);
    Pass(25);

    // Title, with the latch clear: a new press quits, and the pass draws nothing.
    EXPECT_EQ(gameMode, kModeTitle);  // the score of 0 earns no place
    const int swapsAtQuit = fake::state.swaps;
    fake::Press(VK_ESCAPE);
    Pass(25);
    EXPECT_EQ(quitRequested, 1);
    EXPECT_EQ(fake::state.swaps, swapsAtQuit);
    EXPECT_EQ(ShutDown(), 0);
}

TEST_F(MainLoopTest, ClosingTheWindowEndsTheLoopAfterTheFadesWithExitCodeZero) {
    ASSERT_TRUE(StartUp());
    musicEnabled = true;
    Pass(25);

    fake::Post(WM_CLOSE);
    Pass(25);  // the window procedure frees the audio and posts the quit message
    EXPECT_EQ(quitRequested, 0);
    const DWORD slept = fake::state.sleepTotal;
    const int swaps = fake::state.swaps;
    Pass(25);  // the quit message: the pass still fades, draws and swaps
    EXPECT_EQ(quitRequested, 1);
    EXPECT_EQ(fake::state.sleepTotal - slept, 1010u);
    EXPECT_EQ(fake::state.swaps, swaps + 1);

    EXPECT_EQ(ShutDown(), 0);
    EXPECT_EQ(fake::state.sleepTotal - slept, 2020u);  // the shut-down fades once more
    EXPECT_FALSE(fake::state.windowExists);
}

TEST_F(MainLoopTest, WinMainRunsUntilEscOnTheTitle) {
    fake::Press(VK_ESCAPE);
    EXPECT_EQ(WinMain(), 0);
    EXPECT_FALSE(fake::state.windowExists);
    EXPECT_FALSE(fake::state.displayModeChanged);
    EXPECT_TRUE(fake::state.cursorShown);
}

TEST_F(MainLoopTest, AControllerPlaysThroughTheKeyboardsReads) {
    ASSERT_TRUE(StartUp());
    musicEnabled = false;
    // Every key change is a message, and a pass takes one.
    const auto Settle = [] {
        for (int i = 0; i < 12; ++i) Pass(25);
    };
    Pass(25);
    Pass(25);

    // Start is Enter on the title.
    fake::PressButton(kPadStart);
    Pass(25);
    EXPECT_EQ(gameMode, kModePlaying);
    fake::ReleaseButton(kPadStart);
    Pass(25);

    // The D-pad steers as the arrows do, and the demo keeps it.
    fake::PressButton(kPadLeft);
    Settle();
    EXPECT_TRUE(keyDown[VK_LEFT]);
    ASSERT_GT(demoOutcome.playSteps, 0u);
    EXPECT_EQ(DemoStepKeys(demoGame, demoOutcome.playSteps - 1), kDemoLeft);
    // The keyboard's Left taken up meanwhile keeps the key down after the D-pad lets go.
    fake::Press(VK_LEFT);
    fake::ReleaseButton(kPadLeft);
    Settle();
    EXPECT_TRUE(keyDown[VK_LEFT]);
    fake::Release(VK_LEFT);
    Settle();
    EXPECT_FALSE(keyDown[VK_LEFT]);
    EXPECT_FALSE(GetAsyncKeyState(VK_LEFT) & 0x8000);

    // The stick counts past a quarter of its travel.
    fake::MoveStick(8000);
    EXPECT_FALSE(GetAsyncKeyState(VK_RIGHT) & 0x8000);
    fake::MoveStick(9000);
    EXPECT_TRUE(GetAsyncKeyState(VK_RIGHT) & 0x8000);
    fake::MoveStick(-32768);
    EXPECT_FALSE(GetAsyncKeyState(VK_RIGHT) & 0x8000);
    EXPECT_TRUE(GetAsyncKeyState(VK_LEFT) & 0x8000);
    // Unplugged, the controller lets go of what it held.
    fake::Unplug();
    EXPECT_FALSE(GetAsyncKeyState(VK_LEFT) & 0x8000);
    Settle();
    EXPECT_FALSE(keyDown[VK_LEFT]);

    // Two controllers act as one: B on either is Esc until both let go.
    fake::PressButton(kPadB, 0);
    fake::PressButton(kPadB, 1);
    Settle();
    EXPECT_EQ(gameMode, kModeTitle);
    fake::ReleaseButton(kPadB, 0);
    Settle();
    EXPECT_TRUE(keyDown[VK_ESCAPE]);
    EXPECT_EQ(quitRequested, 0);  // the Esc that left the game does not also quit
    fake::Unplug(1);
    Settle();
    EXPECT_FALSE(keyDown[VK_ESCAPE]);
    EXPECT_EQ(DemoEndName(demoOutcome.end), std::string("Esc"));

    // Back is Esc too: on the title it quits.
    fake::PressButton(kPadBack);
    for (int i = 0; i < 4 && !quitRequested; ++i) Pass(25);
    EXPECT_EQ(quitRequested, 1);
    EXPECT_EQ(ShutDown(), 0);
}

TEST_F(MainLoopTest, ClockWrapKeepsThePassDurationRight) {
    fake::state.now = 0xFFFFFFFFu - 30;
    ASSERT_TRUE(StartUp());
    musicEnabled = false;
    Pass(50);  // straddles the wrap of the 32-bit clock
    Pass(50);
    EXPECT_FLOAT_EQ(frameDelta, 1.0f);
    const float before = animClock;
    Pass(50);
    EXPECT_EQ(StepsTaken(before, animClock), 2);
}

}  // namespace
