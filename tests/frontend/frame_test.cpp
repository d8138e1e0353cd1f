// The name entry as the frame dispatch runs it: Enter, the stored entry, the file, the kept demo
// and the title screen that follows, on the fake platform with a real GL context.
#include "app/frame.h"

#include <GL/gl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/window.h"
#include "frontend/demos.h"
#include "frontend/hiscore.h"
#include "frontend/nameentry.h"
#include "frontend/title.h"
#include "game/demo.h"
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

namespace {

// A recorded game of three play steps has just ended and its last.demo is written, as the main
// loop does.
void FinishRecordedGame(std::int32_t finalScore) {
    demoGame = DemoGame{};
    demoGame.tick = 77;
    demoGame.playSteps = 3;
    SetDemoStepKeys(&demoGame, 1, kDemoLeft);
    demoOutcome = DemoOutcome{DemoEnd::kContact, finalScore, 3, 0x1234abcdu};
    demoFinished = true;
    score = finalScore;
    KeepLastDemo();
}

void StoreName(std::initializer_list<int> keys) {
    for (int vk : keys) {
        fake::state.asyncKeys[vk] = keyDown[vk] = true;
        DrawFrame();
        fake::state.asyncKeys[vk] = keyDown[vk] = false;
        DrawFrame();
    }
    fake::state.asyncKeys[VK_RETURN] = true;
    DrawFrame();
    fake::state.asyncKeys[VK_RETURN] = false;
}

}  // namespace

TEST_F(NameEntryFrameTest, AStoredNameKeepsItsDemoAndDemosOfEntriesThatLeftAreDeleted) {
    for (int k = 1; k <= 9; ++k) {
        highScores.entries[k].score = 1000 - 100 * k;
        std::snprintf(highScores.entries[k].name, sizeof highScores.entries[k].name, "P%d", k);
    }
    std::filesystem::create_directory("demos");
    const char* const left[] = {"100-P9-20261201-101010.demo", "42-OLD-20261201-101010.demo"};
    const char* const staying[] = {"500-P5-20261201-101010.demo", "notes.txt", "100-P9.demo",
                                   "100-P9-20261201-101010.demo.tmp"};
    for (const char* name : left) std::ofstream("demos/" + std::string(name)) << "x";
    for (const char* name : staying) std::ofstream("demos/" + std::string(name)) << "x";
    std::filesystem::create_directory("demos/200-P8-20261201-101010.demo");

    FinishRecordedGame(950);
    StoreName({'N', 'E', 'W'});
    ASSERT_EQ(gameMode, kModeTitle);
    ASSERT_STREQ(highScores.entries[1].name, "NEW");  // P9 has left the table

    for (const char* name : left)
        EXPECT_FALSE(std::filesystem::exists("demos/" + std::string(name)));
    for (const char* name : staying)
        EXPECT_TRUE(std::filesystem::exists("demos/" + std::string(name)));
    EXPECT_TRUE(std::filesystem::is_directory("demos/200-P8-20261201-101010.demo"));
    int kept = 0;
    for (const auto& entry : std::filesystem::directory_iterator("demos")) {
        const std::string name = entry.path().filename();
        if (name.rfind("950-NEW-", 0) != 0) continue;
        ++kept;
        std::ifstream in(entry.path());
        const std::string text(std::istreambuf_iterator<char>(in), {});
        EXPECT_NE(text.find("# score 950\n# play steps 3\n# ended by contact\n# name NEW\n"),
                  std::string::npos)
            << text;
        EXPECT_NE(text.find("tick 77\nstep 1 E\nstep 1 -\nstep 1 L\nstep 1 -\n"), std::string::npos)
            << text;
        std::ifstream last("demos/last.demo");
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(last), {}), text);
    }
    EXPECT_EQ(kept, 1);
}

TEST_F(NameEntryFrameTest, ADemoThatCannotBeWrittenLeavesTheTableAndTheGameAlone) {
    std::ofstream("demos") << "a file where the folder should be";
    FinishRecordedGame(30);
    StoreName({'A', 'B'});
    EXPECT_EQ(gameMode, kModeTitle);
    EXPECT_STREQ(highScores.entries[1].name, "AB");
    EXPECT_EQ(SavedFile().substr(0, 10), "AB\r\n30\r\n\r\n");
}

namespace {

// The controller's presses reach keyDown as the window procedure's messages.
void TakeMessages() {
    Message message;
    while (PeekMessage(&message)) {
        WindowProc(nullptr, message.message, message.wParam, message.lParam);
    }
}

void Button(int input, bool down) {
    if (down) {
        fake::PressButton(input);
    } else {
        fake::ReleaseButton(input);
    }
    TakeMessages();
}

}  // namespace

TEST_F(NameEntryFrameTest, AControllerTypesAndStoresANameWithThePicker) {
    score = 120;
    FrameShowsTitle();  // the first frame turns the controller to typing
    EXPECT_TRUE(fake::state.textEntry);
    const auto Press = [](int input) {
        Button(input, true);
        FrameShowsTitle();
        Button(input, false);
        FrameShowsTitle();
    };
    Press(kPadUp);
    Press(kPadUp);
    Press(kPadA);  // C
    for (int i = 0; i < 3; ++i) Press(kPadDown);
    Press(kPadA);  // B, A, then round to 9
    EXPECT_STREQ(nameText, "C9");
    Press(kPadB);  // Backspace, not Esc
    EXPECT_FALSE(keyDown[VK_ESCAPE]);
    EXPECT_STREQ(nameText, "C");
    Press(kPadDown);
    Press(kPadA);
    Press(kPadA);
    EXPECT_STREQ(nameText, "C88");
    EXPECT_EQ(gameMode, kModeNameEntry);

    // B held while Start stores the name: on the title B stays Backspace until it is let go,
    // so the title does not take it for Esc and quit.
    Button(kPadB, true);
    FrameShowsTitle();
    EXPECT_STREQ(nameText, "C8");
    Button(kPadStart, true);
    EXPECT_TRUE(FrameShowsTitle());
    EXPECT_EQ(gameMode, kModeTitle);
    EXPECT_STREQ(highScores.entries[1].name, "C8");
    EXPECT_FALSE(fake::state.textEntry);
    TakeMessages();
    EXPECT_FALSE(keyDown[VK_BACK]);
    EXPECT_FALSE(keyDown[VK_ESCAPE]);
    Button(kPadB, false);
    Button(kPadB, true);  // a new press on the title is Esc
    EXPECT_TRUE(keyDown[VK_ESCAPE]);
}
