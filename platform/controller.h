// Game controllers as keys, for every platform that has them: what each button, the D-pad and
// the left stick hold down, as the controller's own codes and as the keys they stand for (see
// VK_GAMEPAD_A in platform.h). Several controllers act as one, and the keyboard goes on working:
// a key is down while any controller or the keyboard holds it. Nothing here touches the machine;
// the platform feeds in what its controllers report and passes the key changes on as messages.
#pragma once

#include "platform/platform.h"

constexpr int kMaxControllers = 8;

enum ControllerInput {
    kPadA,
    kPadB,
    kPadBack,
    kPadStart,
    kPadUp,
    kPadDown,
    kPadLeft,
    kPadRight,
    kStickLeft,
    kStickRight,
    kControllerInputs
};

// The left stick counts as pushed past a quarter of its travel.
constexpr int kStickDeadZone = 8192;

// What controller `slot` (0 to kMaxControllers - 1) reports.
void ControllerInputChanged(int slot, int input, bool down);
void ControllerStickMoved(int slot, int x);  // the left stick's x, -32768 to 32767
// Unplugged: everything the controller held is let go.
void ControllerGone(int slot);
void SetControllerTextEntry(bool on);

// True while a controller holds the key down.
bool ControllerHoldsKey(int virtualKey);
// The next key change the controllers made; false when there is none.
bool TakeControllerMessage(Message* message);
// A key event from the keyboard: false when it changes nothing the game sees, because a
// controller holds the same key.
bool KeyboardKeyPasses(int virtualKey, bool down);

// Back to no controllers and no keys held.
void ResetControllers();
