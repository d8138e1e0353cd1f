#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "app/window.h"
#include "frontend/hiscore.h"
#include "frontend/nameentry.h"
#include "frontend/title.h"
#include "game/host.h"
#include "game/state.h"
#include "platform/platform.h"
#include "tests/frontend/overlay_recorder.h"

namespace {

void StartNameEntry() {
    std::memset(nameText, 0, sizeof nameText);
    nameLength = 0;
    nameTyped = false;
    std::memset(keyLatch, 0, sizeof keyLatch);
    std::memset(keyDown, 0, sizeof keyDown);
    BeginNameEntry();
}

void Frame() { ReadNameKeys(); }

void Tap(int vk) {
    keyDown[vk] = true;
    Frame();
    keyDown[vk] = false;
    Frame();
}

}  // namespace

TEST(NameEntryKeys, EachPressAddsOneCharacterInKeyCodeOrder) {
    StartNameEntry();
    keyDown['A'] = true;
    for (int frame = 0; frame < 100; ++frame) Frame();  // held, with any key repeat
    EXPECT_STREQ(nameText, "A");
    EXPECT_TRUE(nameTyped);
    keyDown['A'] = false;
    Frame();
    Tap('A');
    EXPECT_STREQ(nameText, "AA");

    // Z pressed first, 1 in the same frame: the lower key code goes first.
    keyDown['Z'] = true;
    Frame();
    keyDown['Z'] = false;
    StartNameEntry();
    keyDown['Z'] = true;
    keyDown['1'] = true;
    Frame();
    EXPECT_STREQ(nameText, "1Z");
    EXPECT_EQ(nameLength, 2);

    // Keys that are neither digits nor letters change nothing.
    StartNameEntry();
    for (int vk : {VK_SPACE, VK_LEFT, VK_RETURN, VK_NUMPAD0, 0xBD}) Tap(vk);
    EXPECT_STREQ(nameText, "");
    EXPECT_FALSE(nameTyped);
}

TEST(NameEntryKeys, TenCharactersAtMostAndBackspaceOncePerPress) {
    StartNameEntry();
    for (const char* c = "ABCDEFGHIJKL"; *c; ++c) Tap(*c);
    EXPECT_STREQ(nameText, "ABCDEFGHIJ");
    EXPECT_EQ(nameLength, 10);

    keyDown[VK_BACK] = true;
    for (int frame = 0; frame < 50; ++frame) Frame();
    EXPECT_STREQ(nameText, "ABCDEFGHI");
    keyDown[VK_BACK] = false;
    Frame();
    Tap(VK_BACK);
    EXPECT_STREQ(nameText, "ABCDEFGH");
    EXPECT_EQ(nameLength, 8);

    // Backspace on an empty name does nothing and is not latched.
    StartNameEntry();
    keyDown[VK_BACK] = true;
    Frame();
    EXPECT_FALSE(keyLatch[VK_BACK]);
    EXPECT_EQ(nameLength, 0);
}

TEST(NameEntryKeys, BackspaceHeldBlocksLettersUntilReleased) {
    StartNameEntry();
    Tap('B');
    keyDown[VK_BACK] = true;
    Frame();  // removes the B
    keyDown['Q'] = true;
    for (int frame = 0; frame < 5; ++frame) Frame();
    EXPECT_STREQ(nameText, "");
    EXPECT_FALSE(keyLatch['Q']);
    keyDown[VK_BACK] = false;
    Frame();  // Q still held: taken in the first frame without Backspace
    EXPECT_STREQ(nameText, "Q");
    Frame();
    EXPECT_STREQ(nameText, "Q");
}

TEST(Screens, TitleAndNameEntryLayout) {
    highScores = HighScoreTable{};
    highScores.entries[1] = HighScoreEntry{1200, "ANNA"};
    highScores.entries[9] = HighScoreEntry{-3, ""};
    animClock = 0.0f;
    overlayLog = OverlayLog{};
    DrawTitleScreen();

    EXPECT_EQ(overlayLog.orthoCalls, 1);
    EXPECT_EQ(overlayLog.perspectiveCalls, 1);
    const auto& texts = overlayLog.texts;
    ASSERT_EQ(texts.size(), 11u + 1u + 18u);
    std::string label;
    for (int i = 0; i < 11; ++i) {
        label += texts[i].text;
        EXPECT_FLOAT_EQ(texts[i].y, 50.0f + 30.0f * i);
        EXPECT_EQ(texts[i].x, static_cast<float>(580.0 + 15.0 * std::sin(0.0 - i)));
        EXPECT_EQ(texts[i].spacing, 1.0f);
    }
    EXPECT_EQ(label, "Kelvado 0.8");
    EXPECT_EQ(texts[0].x, 580.0f);
    EXPECT_NEAR(texts[1].x, 567.38f, 0.01f);
    EXPECT_EQ(texts[11].text, "BETA");
    EXPECT_EQ(texts[11].x, 430.0f);
    EXPECT_EQ(texts[11].spacing, 19.0f);
    EXPECT_EQ(texts[12].text, "1.ANNA");
    EXPECT_EQ(texts[12].y, 250.0f);
    EXPECT_EQ(texts[13].text, "1200");
    EXPECT_EQ(texts[13].x, 280.0f);
    EXPECT_EQ(texts[28].text, "9.");
    EXPECT_EQ(texts[29].text, "-3");
    EXPECT_EQ(texts[29].y, 410.0f);
    for (const PrintedText& text : texts) {
        EXPECT_TRUE(text.insideOverlay);
        EXPECT_EQ(text.maskIndex, 11);
        EXPECT_EQ(text.fontIndex, 10);
        EXPECT_EQ(text.cellWidth, 32);
    }

    // The sway follows the clock: a quarter turn later the first letter is 15 pixels right.
    animClock = static_cast<float>(M_PI / 2);
    overlayLog = OverlayLog{};
    DrawTitleScreen();
    EXPECT_NEAR(overlayLog.texts[0].x, 595.0f, 1e-3f);

    StartNameEntry();
    Tap('B');
    Tap('O');
    overlayLog = OverlayLog{};
    DrawNameEntry();
    ASSERT_EQ(overlayLog.texts.size(), 3u);
    EXPECT_EQ(overlayLog.texts[0].text, "You got high score!");
    EXPECT_EQ(overlayLog.texts[1].text, "BO");
    EXPECT_EQ(overlayLog.texts[1].y, 80.0f);
    EXPECT_EQ(overlayLog.texts[1].scaleX, 0.6f);
    EXPECT_EQ(overlayLog.texts[2].text, "Enter your name.");
    EXPECT_EQ(overlayLog.texts[2].spacing, 0.2f);
    EXPECT_EQ(overlayLog.perspectiveCalls, 1);
}

namespace {

TEST(NameEntryPicker, UpAndDownStepRoundTheCharactersAndAAddsThePickedOne) {
    StartNameEntry();
    Tap(VK_GAMEPAD_DPAD_DOWN);  // before A: round to 9
    EXPECT_EQ(pickerCharacter, '9');
    Tap(VK_GAMEPAD_DPAD_UP);
    Tap(VK_GAMEPAD_DPAD_UP);
    EXPECT_EQ(pickerCharacter, 'B');
    Tap(VK_GAMEPAD_A);
    Tap(VK_GAMEPAD_A);  // the character stays picked for the next one
    EXPECT_STREQ(nameText, "BB");
    EXPECT_TRUE(nameTyped);
    for (int i = 0; i < 25; ++i) Tap(VK_GAMEPAD_DPAD_UP);
    EXPECT_EQ(pickerCharacter, '0');  // Z, then the digits
    // A held adds once; not at all while Backspace (the controller's B) is held.
    keyDown[VK_GAMEPAD_A] = true;
    Frame();
    Frame();
    keyDown[VK_GAMEPAD_A] = false;
    Frame();
    keyDown[VK_BACK] = true;
    Frame();
    keyDown[VK_GAMEPAD_A] = true;
    Frame();
    EXPECT_STREQ(nameText, "BB");
}

TEST(NameEntryPicker, DrawnBlinkingOnlyOnceAControllerIsUsed) {
    StartNameEntry();
    Tap('B');
    Tap('O');
    animClock = 0.0f;
    overlayLog = OverlayLog{};
    DrawNameEntry();
    EXPECT_EQ(overlayLog.texts.size(), 3u);  // the keyboard's screen stays as it was

    Tap(VK_GAMEPAD_DPAD_UP);
    overlayLog = OverlayLog{};
    DrawNameEntry();
    ASSERT_EQ(overlayLog.texts.size(), 4u);
    const PrintedText& picked = overlayLog.texts[2];
    EXPECT_EQ(picked.text, "B");
    EXPECT_EQ(picked.x, 30.0f + 2.0f * (32.0f * 0.6f + 0.4f));  // right after "BO"
    EXPECT_EQ(picked.y, 80.0f);
    EXPECT_EQ(picked.scaleX, 0.6f);
    EXPECT_TRUE(picked.insideOverlay);
    animClock = 0.3f;  // the blink's dark half
    overlayLog = OverlayLog{};
    DrawNameEntry();
    EXPECT_EQ(overlayLog.texts.size(), 3u);

    // A new name entry hides it again, and starts from A.
    StartNameEntry();
    animClock = 0.0f;
    overlayLog = OverlayLog{};
    DrawNameEntry();
    EXPECT_EQ(overlayLog.texts.size(), 3u);
    EXPECT_EQ(pickerCharacter, 'A');
}

}  // namespace
