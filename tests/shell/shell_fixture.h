// A started game on the fake platform: window, context, audio and the first game state, in a
// scratch directory of its own.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/audio.h"
#include "app/mainloop.h"
#include "app/window.h"
#include "game/state.h"
#include "tests/support/fake_platform.h"

class ShellTest : public ::testing::Test {
  protected:
    void SetUp() override {
        directory = std::filesystem::temp_directory_path() /
                    ("kelvado-shell-" + std::to_string(::getpid()) + "-" +
                     ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(directory);
        previous = std::filesystem::current_path();
        std::filesystem::current_path(directory);
        fake::Reset();
        ResetShellState();
    }

    void TearDown() override {
        if (windowHandle) DestroyGameWindow();
        std::filesystem::current_path(previous);
        std::filesystem::remove_all(directory);
    }

    static void ResetShellState() {
        quitRequested = 0;
        escapeLatch = false;
        frameDelta = 0;
        stepAccumulator = 0;
        lastPassTime = passStartTime = 0;
        gameMode = kModeTitle;
        for (bool& key : keyDown) key = false;
        musicEnabled = true;
        animClock = 0;
        desktopMode = false;
        pictureX = pictureY = 0;
        pictureWidth = screenWidth;
        pictureHeight = screenHeight;
    }

    // Runs one pass taking `milliseconds` of clock time.
    static void Pass(DWORD milliseconds) {
        RunPass();
        fake::state.now += milliseconds;
    }

    // animClock grows by 0.04 in every update step of every mode: count steps by replaying it.
    static int StepsTaken(float clockBefore, float clockAfter) {
        int steps = 0;
        float clock = clockBefore;
        while (clock < clockAfter && steps < 100000) {
            clock = static_cast<float>(clock + 0.04);
            ++steps;
        }
        return clock == clockAfter ? steps : -1;
    }

    std::filesystem::path directory;
    std::filesystem::path previous;
};
