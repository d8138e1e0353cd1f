// The name entry as the frame dispatch runs it: Enter, the stored entry, the file and the
// title screen that follows, on the fake platform with a real GL context.
#include "app/frame.h"

#include <GL/gl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/window.h"
#include "frontend/hiscore.h"
#include "frontend/nameentry.h"
#include "frontend/title.h"
#include "game/state.h"
#include "tests/support/fake_platform.h"
#include "tests/support/gl_context.h"

namespace {

class NameEntryFrameTest : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(testgl::MakeCurrent());
        directory = std::filesystem::temp_directory_path() /
                    ("kelvado-names-" + std::to_string(getpid()) + "-" +
                     testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(directory);
        previous = std::filesystem::current_path();
        std::filesystem::current_path(directory);
        fake::Reset();
        for (bool& key : keyDown) key = false;
        for (bool& latch : keyLatch) latch = false;
        enterLatch = false;
        highScores = HighScoreTable{};
        // What the end of a game leaves behind.
        std::memset(nameText, 0, sizeof nameText);
        nameLength = 0;
        nameTyped = false;
        gameMode = kModeNameEntry;
    }

    void TearDown() override {
        std::filesystem::current_path(previous);
        std::filesystem::remove_all(directory);
    }

    static void Key(int vk, bool down) {
        keyDown[vk] = down;
        fake::state.asyncKeys[vk] = down;
    }

    // Draws one frame and tells whether the middle of the window shows the title's backdrop
    // (a full-window quad) rather than the black name-entry screen.
    static bool FrameShowsTitle() {
        DrawFrame();
        unsigned char pixel[4] = {};
        glReadPixels(320, 240, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
        return pixel[0] > 128;
    }

    static std::string SavedFile() {
        std::ifstream in("hiscore.dat", std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    std::filesystem::path directory;
    std::filesystem::path previous;
};

}  // namespace

TEST_F(NameEntryFrameTest, FirstEverScoreIsStoredSavedAndSurvivesARestart) {
    score = 340;
    EXPECT_FALSE(FrameShowsTitle());
    for (int vk : {'B', 'O', 'B'}) {
        Key(vk, true);
        EXPECT_FALSE(FrameShowsTitle());
        Key(vk, false);
        EXPECT_FALSE(FrameShowsTitle());
    }
    Key(VK_RETURN, true);
    EXPECT_TRUE(FrameShowsTitle());  // the title is drawn in the frame that stores the name
    EXPECT_EQ(gameMode, kModeTitle);
    EXPECT_TRUE(enterLatch);
    EXPECT_STREQ(highScores.entries[1].name, "BOB");
    EXPECT_EQ(highScores.entries[1].score, 340);
    EXPECT_EQ(SavedFile().substr(0, 15), "BOB\r\n340\r\n\r\n0\r\n");

    // The next start reads back exactly this table, the empty places included.
    HighScoreTable restarted{};
    restarted.Load("hiscore.dat");
    for (int k = 1; k <= 9; ++k) {
        EXPECT_STREQ(restarted.entries[k].name, highScores.entries[k].name);
        EXPECT_EQ(restarted.entries[k].score, highScores.entries[k].score);
    }
}

TEST_F(NameEntryFrameTest, EnterCountsOnlyWithTwoTypedCharacters) {
    score = 10;
    Key(VK_RETURN, true);  // held from the start
    FrameShowsTitle();
    EXPECT_EQ(gameMode, kModeNameEntry);
    Key('K', true);
    FrameShowsTitle();
    EXPECT_EQ(gameMode, kModeNameEntry);  // one character is not a name
    Key('K', false);
    Key('7', true);
    FrameShowsTitle();  // stored in the frame of the second character
    EXPECT_EQ(gameMode, kModeTitle);
    EXPECT_STREQ(highScores.entries[1].name, "K7");

    // The Enter that stored the name starts no game until it has been released.
    for (int step = 0; step < 10; ++step) UpdateGame();
    EXPECT_EQ(gameMode, kModeTitle);
    Key(VK_RETURN, false);
    UpdateGame();
    EXPECT_EQ(gameMode, kModeTitle);
    Key(VK_RETURN, true);
    UpdateGame();
    EXPECT_EQ(gameMode, kModePlaying);
}

TEST_F(NameEntryFrameTest, AScoreWithoutAPlaceGoesStraightToTheTitle) {
    score = 0;  // against an all-zero table
    Key('A', true);
    EXPECT_TRUE(FrameShowsTitle());
    EXPECT_EQ(gameMode, kModeTitle);
    EXPECT_EQ(nameLength, 0);
    EXPECT_FALSE(std::filesystem::exists("hiscore.dat"));
}
