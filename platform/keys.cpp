// The one key table: HID usage, KeyboardEvent.code name and virtual-key code of every key the
// game knows outside the letter, digit, function-key and keypad-digit ranges.
#include "platform/keys.h"

#include <cstring>

#include "platform/platform.h"

namespace {

struct Key {
    int usage;
    const char* code;
    int virtualKey;
};

constexpr Key kKeys[] = {
    {0x2A, "Backspace", VK_BACK},
    {0x2B, "Tab", VK_TAB},
    {0x28, "Enter", VK_RETURN},
    {0x58, "NumpadEnter", VK_RETURN},
    {0xE1, "ShiftLeft", VK_SHIFT},
    {0xE5, "ShiftRight", VK_SHIFT},
    {0xE0, "ControlLeft", VK_CONTROL},
    {0xE4, "ControlRight", VK_CONTROL},
    {0x48, "Pause", VK_PAUSE},
    {0x39, "CapsLock", VK_CAPITAL},
    {0x29, "Escape", VK_ESCAPE},
    {0x2C, "Space", VK_SPACE},
    {0x4B, "PageUp", VK_PRIOR},
    {0x4E, "PageDown", VK_NEXT},
    {0x4D, "End", VK_END},
    {0x4A, "Home", VK_HOME},
    {0x50, "ArrowLeft", VK_LEFT},
    {0x52, "ArrowUp", VK_UP},
    {0x4F, "ArrowRight", VK_RIGHT},
    {0x51, "ArrowDown", VK_DOWN},
    {0x49, "Insert", VK_INSERT},
    {0x4C, "Delete", VK_DELETE},
    {0x62, "Numpad0", VK_NUMPAD0},
    {0x55, "NumpadMultiply", VK_MULTIPLY},
    {0x57, "NumpadAdd", VK_ADD},
    {0x56, "NumpadSubtract", VK_SUBTRACT},
    {0x63, "NumpadDecimal", VK_DECIMAL},
    {0x54, "NumpadDivide", VK_DIVIDE},
};

// The number that ends `text` after `prefix` ("F12" after "F"), -1 when there is none.
int NumberAfter(const char* text, const char* prefix) {
    const std::size_t length = std::strlen(prefix);
    if (std::strncmp(text, prefix, length) != 0) return -1;
    text += length;
    if (*text < '0' || *text > '9' || (text[0] == '0' && text[1] != '\0')) return -1;
    int number = 0;
    for (; *text != '\0'; ++text) {
        if (*text < '0' || *text > '9' || number > 99) return -1;
        number = number * 10 + (*text - '0');
    }
    return number;
}

}  // namespace

int KeyUsageOfCode(const char* code) {
    if (code == nullptr) return 0;
    if (std::strncmp(code, "Key", 3) == 0 && code[3] >= 'A' && code[3] <= 'Z' && code[4] == '\0')
        return kUsageA + (code[3] - 'A');
    if (int digit = NumberAfter(code, "Digit"); digit >= 0 && digit <= 9)
        return digit == 0 ? kUsage1 + 9 : kUsage1 + digit - 1;
    if (int f = NumberAfter(code, "F"); f >= 1 && f <= 12) return kUsageF1 + f - 1;
    if (int digit = NumberAfter(code, "Numpad"); digit >= 1 && digit <= 9)
        return kUsageNumpad1 + digit - 1;
    for (const Key& key : kKeys)
        if (std::strcmp(code, key.code) == 0) return key.usage;
    return 0;
}

int VirtualKeyOf(int usage, int letter) {
    if (letter >= 'a' && letter <= 'z') return 'A' + (letter - 'a');
    if (letter >= 'A' && letter <= 'Z') return letter;
    if (usage >= kUsage1 && usage < kUsage1 + 9) return '1' + (usage - kUsage1);
    if (usage == kUsage1 + 9) return '0';
    if (usage >= kUsageF1 && usage < kUsageF1 + 12) return VK_F1 + (usage - kUsageF1);
    if (usage >= kUsageNumpad1 && usage < kUsageNumpad1 + 9)
        return VK_NUMPAD0 + 1 + (usage - kUsageNumpad1);
    for (const Key& key : kKeys)
        if (key.usage == usage) return key.virtualKey;
    return 0;
}

bool KeyEventCounts(int virtualKey, bool down, bool repeat) {
    return virtualKey != 0 && !(down && repeat);
}
