#include "frontend/nameentry.h"

#include "app/textures.h"
#include "app/window.h"
#include "frontend/overlay.h"
#include "game/host.h"
#include "platform/platform.h"

namespace {

// Appends the key's character once per press; nothing is added while Backspace is held.
void TakeCharacterKey(int vk) {
    if (keyLatch[vk] || !keyDown[vk] || keyDown[VK_BACK]) return;
    keyLatch[vk] = true;
    nameTyped = true;
    if (nameLength >= 0 && nameLength < kMaxNameLength) {
        nameText[nameLength] =
            static_cast<char>(vk);  // digit and letter keys carry their ASCII code
        ++nameLength;
        nameText[nameLength] = '\0';
    }
}

}  // namespace

void BeginNameEntry() {
    for (int i = 0; i <= kMaxNameLength; ++i) nameText[i] = 0;
    nameTyped = false;
    nameLength = 0;
    keyLatch[VK_BACK] = false;
    keyDown[VK_BACK] = false;
}

void ReadNameKeys() {
    // Keys that went down together are taken in the order of their codes.
    for (int vk = '0'; vk <= '9'; ++vk) TakeCharacterKey(vk);
    for (int vk = 'A'; vk <= 'Z'; ++vk) TakeCharacterKey(vk);

    if (keyDown[VK_BACK] && !keyLatch[VK_BACK] && nameLength >= 1 && nameLength <= kMaxNameLength) {
        --nameLength;
        nameText[nameLength] = '\0';
        keyLatch[VK_BACK] = true;
    }

    for (int vk = 0; vk < 256; ++vk) {
        if (!keyDown[vk]) keyLatch[vk] = false;
    }
}

void DrawNameEntry() {
    OrthoMode(0, 0, screenWidth, screenHeight);
    PrintText(30.0f, 30.0f, "You got high score!", textures, kFontMaskTexture, kFontTexture, 0.7f,
              0.7f, 32, 32, 0.4f, fontCharset);
    PrintText(30.0f, 80.0f, nameText, textures, kFontMaskTexture, kFontTexture, 0.6f, 0.6f, 32, 32,
              0.4f, fontCharset);
    PrintText(30.0f, 120.0f, "Enter your name.", textures, kFontMaskTexture, kFontTexture, 0.7f,
              0.7f, 32, 32, 0.2f, fontCharset);
    PerspectiveMode();
}
