#include "platform/controller.h"

namespace {

bool inputDown[kMaxControllers][kControllerInputs];
// The key that each held input's press gave besides its own code, 0 for none.
int givenKey[kMaxControllers][kControllerInputs];
// How many held inputs hold each key.
int holders[256];
bool keyboardDown[256];
// What the game has been told: the last message for the key was a key-down.
bool sentDown[256];
bool textEntry = false;

// Key changes not yet taken. A few presses a pass come in; far more than that cannot be pending,
// since every pass takes one.
constexpr int kQueueSize = 256;
Message queue[kQueueSize];
int queueStart = 0;
int queueLength = 0;

int OwnCode(int input) {
    switch (input) {
        case kPadA:
            return VK_GAMEPAD_A;
        case kPadB:
            return VK_GAMEPAD_B;
        case kPadBack:
            return VK_GAMEPAD_VIEW;
        case kPadStart:
            return VK_GAMEPAD_MENU;
        case kPadUp:
            return VK_GAMEPAD_DPAD_UP;
        case kPadDown:
            return VK_GAMEPAD_DPAD_DOWN;
        case kPadLeft:
            return VK_GAMEPAD_DPAD_LEFT;
        case kPadRight:
            return VK_GAMEPAD_DPAD_RIGHT;
        case kStickLeft:
            return VK_GAMEPAD_LEFT_THUMBSTICK_LEFT;
        default:
            return VK_GAMEPAD_LEFT_THUMBSTICK_RIGHT;
    }
}

// The key an input stands for, 0 for none.
int KeyOf(int input, bool typing) {
    switch (input) {
        case kPadA:
            return typing ? 0 : VK_RETURN;
        case kPadB:
            return typing ? VK_BACK : VK_ESCAPE;
        case kPadBack:
            return VK_ESCAPE;
        case kPadStart:
            return VK_RETURN;
        case kPadLeft:
        case kStickLeft:
            return VK_LEFT;
        case kPadRight:
        case kStickRight:
            return VK_RIGHT;
        default:
            return 0;
    }
}

void Send(unsigned message, int key) {
    if (queueLength == kQueueSize) return;
    queue[(queueStart + queueLength) % kQueueSize] =
        Message{message, static_cast<std::uintptr_t>(key), 0};
    ++queueLength;
}

void Hold(int key) {
    if (holders[key]++ == 0 && !sentDown[key]) {
        sentDown[key] = true;
        Send(WM_KEYDOWN, key);
    }
}

void LetGo(int key) {
    if (--holders[key] == 0 && !keyboardDown[key] && sentDown[key]) {
        sentDown[key] = false;
        Send(WM_KEYUP, key);
    }
}

bool ValidSlot(int slot) { return slot >= 0 && slot < kMaxControllers; }

}  // namespace

void ControllerInputChanged(int slot, int input, bool down) {
    if (!ValidSlot(slot) || input < 0 || input >= kControllerInputs) return;
    if (inputDown[slot][input] == down) return;
    inputDown[slot][input] = down;
    // The key it stands for first: the game takes one message a pass, and reads that one.
    if (down) {
        givenKey[slot][input] = KeyOf(input, textEntry);
        if (givenKey[slot][input] != 0) Hold(givenKey[slot][input]);
        Hold(OwnCode(input));
    } else {
        if (givenKey[slot][input] != 0) LetGo(givenKey[slot][input]);
        givenKey[slot][input] = 0;
        LetGo(OwnCode(input));
    }
}

void ControllerStickMoved(int slot, int x) {
    ControllerInputChanged(slot, kStickLeft, x < -kStickDeadZone);
    ControllerInputChanged(slot, kStickRight, x > kStickDeadZone);
}

void ControllerGone(int slot) {
    if (!ValidSlot(slot)) return;
    for (int input = 0; input < kControllerInputs; ++input) {
        ControllerInputChanged(slot, input, false);
    }
}

void SetControllerTextEntry(bool on) {
    if (textEntry == on) return;
    textEntry = on;
    // A held button lets go of the key it stood for; its next press gives the new one.
    for (int slot = 0; slot < kMaxControllers; ++slot) {
        for (int input = 0; input < kControllerInputs; ++input) {
            int& key = givenKey[slot][input];
            if (key != 0 && key != KeyOf(input, on)) {
                LetGo(key);
                key = 0;
            }
        }
    }
}

bool ControllerHoldsKey(int virtualKey) {
    return virtualKey >= 0 && virtualKey < 256 && holders[virtualKey] > 0;
}

bool TakeControllerMessage(Message* message) {
    if (queueLength == 0) return false;
    *message = queue[queueStart];
    queueStart = (queueStart + 1) % kQueueSize;
    --queueLength;
    return true;
}

bool KeyboardKeyPasses(int virtualKey, bool down) {
    if (virtualKey < 0 || virtualKey > 255) return true;
    keyboardDown[virtualKey] = down;
    if (holders[virtualKey] > 0) return false;
    sentDown[virtualKey] = down;
    return true;
}

void ResetControllers() {
    for (auto& slot : inputDown)
        for (bool& down : slot) down = false;
    for (auto& slot : givenKey)
        for (int& key : slot) key = 0;
    for (int key = 0; key < 256; ++key) {
        holders[key] = 0;
        keyboardDown[key] = false;
        sentDown[key] = false;
    }
    textEntry = false;
    queueStart = 0;
    queueLength = 0;
}
