// The name typed after a high score: keys and the controller's picker, without any drawing, so
// that the simulator's runs start and read a name entry exactly as the game does.
#include "frontend/nameentry.h"

#include <cstring>

#include "game/host.h"
#include "platform/platform.h"
#include "screen/screen.h"

namespace {

constexpr const char* kPickerCharacters = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
constexpr int kPickerCount = 36;

void AppendCharacter(char c) {
    nameTyped = true;
    if (nameLength >= 0 && nameLength < kMaxNameLength) {
        nameText[nameLength] = c;
        ++nameLength;
        nameText[nameLength] = '\0';
    }
}

// Appends the key's character once per press; nothing is added while Backspace is held.
void TakeCharacterKey(int vk) {
    if (keyLatch[vk] || !keyDown[vk] || keyDown[VK_BACK]) return;
    keyLatch[vk] = true;
    AppendCharacter(static_cast<char>(vk));  // digit and letter keys carry their ASCII code
}

// True once for each press of the key.
bool TakePress(int vk) {
    if (keyLatch[vk] || !keyDown[vk]) return false;
    keyLatch[vk] = true;
    return true;
}

void StepPicker(int step) {
    const char* at = std::strchr(kPickerCharacters, pickerCharacter);
    const int index = at ? static_cast<int>(at - kPickerCharacters) : 0;
    pickerCharacter = kPickerCharacters[(index + step + kPickerCount) % kPickerCount];
}

void ReadPicker() {
    for (int vk = VK_GAMEPAD_A; vk <= VK_GAMEPAD_LEFT_THUMBSTICK_LEFT; ++vk) {
        if (keyDown[vk]) pickerShown = true;
    }
    if (TakePress(VK_GAMEPAD_DPAD_UP)) StepPicker(1);
    if (TakePress(VK_GAMEPAD_DPAD_DOWN)) StepPicker(-1);
    // A adds the character as a typed key would, so not while Backspace (or B) is held.
    if (!keyDown[VK_BACK] && TakePress(VK_GAMEPAD_A)) AppendCharacter(pickerCharacter);
}

}  // namespace

void BeginNameEntry() {
    for (int i = 0; i <= kMaxNameLength; ++i) nameText[i] = 0;
    nameTyped = false;
    nameLength = 0;
    keyLatch[VK_BACK] = false;
    keyDown[VK_BACK] = false;
    pickerCharacter = 'A';
    pickerShown = false;
}

void ReadNameKeys() {
    // Keys that went down together are taken in the order of their codes.
    for (int vk = '0'; vk <= '9'; ++vk) TakeCharacterKey(vk);
    for (int vk = 'A'; vk <= 'Z'; ++vk) TakeCharacterKey(vk);
    ReadPicker();

    if (keyDown[VK_BACK] && !keyLatch[VK_BACK] && nameLength >= 1 && nameLength <= kMaxNameLength) {
        --nameLength;
        nameText[nameLength] = '\0';
        keyLatch[VK_BACK] = true;
    }

    for (int vk = 0; vk < 256; ++vk) {
        if (!keyDown[vk]) keyLatch[vk] = false;
    }
}
