// Game controllers over SDL2: opened as they come, closed as they go, their buttons, D-pad and
// left stick handed to the shared mapping (platform/controller.cpp), which makes keys of them.
#include "platform/controller.h"
#include "platform/sdl/sdl_platform.h"

namespace {

bool controllersStarted = false;
// The open controllers by slot; the slot is what the key mapping knows them by.
SDL_GameController* controllers[kMaxControllers];
SDL_JoystickID controllerIds[kMaxControllers];

// The controller inputs the game uses, by SDL's button; kControllerInputs for the others.
int InputOfButton(Uint8 button) {
    switch (button) {
        case SDL_CONTROLLER_BUTTON_A:
            return kPadA;
        case SDL_CONTROLLER_BUTTON_B:
            return kPadB;
        case SDL_CONTROLLER_BUTTON_BACK:
            return kPadBack;
        case SDL_CONTROLLER_BUTTON_START:
            return kPadStart;
        case SDL_CONTROLLER_BUTTON_DPAD_UP:
            return kPadUp;
        case SDL_CONTROLLER_BUTTON_DPAD_DOWN:
            return kPadDown;
        case SDL_CONTROLLER_BUTTON_DPAD_LEFT:
            return kPadLeft;
        case SDL_CONTROLLER_BUTTON_DPAD_RIGHT:
            return kPadRight;
        default:
            return kControllerInputs;
    }
}

int SlotOf(SDL_JoystickID id) {
    for (int slot = 0; slot < kMaxControllers; ++slot) {
        if (controllers[slot] && controllerIds[slot] == id) return slot;
    }
    return -1;
}

void OpenController(int deviceIndex) {
    if (SlotOf(SDL_JoystickGetDeviceInstanceID(deviceIndex)) >= 0) return;  // already open
    for (int slot = 0; slot < kMaxControllers; ++slot) {
        if (controllers[slot]) continue;
        SDL_GameController* pad = SDL_GameControllerOpen(deviceIndex);
        if (!pad) return;
        controllers[slot] = pad;
        controllerIds[slot] = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(pad));
        return;
    }
}

void CloseController(int slot) {
    ControllerGone(slot);
    SDL_GameControllerClose(controllers[slot]);
    controllers[slot] = nullptr;
}

}  // namespace

// Without controllers the keyboard is all there is. Those plugged in already are announced like
// those plugged in later.
void StartControllers() {
    ResetControllers();
    controllersStarted = SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0;
}

void StopControllers() {
    if (!controllersStarted) return;
    for (int slot = 0; slot < kMaxControllers; ++slot) {
        if (controllers[slot]) CloseController(slot);
    }
    SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
    controllersStarted = false;
}

bool ControllerButtonCounts(Uint8 button) { return InputOfButton(button) != kControllerInputs; }

bool ControllerAxisCounts(Uint8 axis) { return axis == SDL_CONTROLLER_AXIS_LEFTX; }

// Controller events change the keys they stand for; the changes wait as messages.
void HandleControllerEvent(const SDL_Event& event) {
    switch (event.type) {
        case SDL_CONTROLLERDEVICEADDED:
            OpenController(event.cdevice.which);
            break;
        case SDL_CONTROLLERDEVICEREMOVED: {
            const int slot = SlotOf(event.cdevice.which);
            if (slot >= 0) CloseController(slot);
            break;
        }
        case SDL_CONTROLLERBUTTONDOWN:
        case SDL_CONTROLLERBUTTONUP:
            ControllerInputChanged(SlotOf(event.cbutton.which), InputOfButton(event.cbutton.button),
                                   event.type == SDL_CONTROLLERBUTTONDOWN);
            break;
        case SDL_CONTROLLERAXISMOTION:
            if (event.caxis.axis == SDL_CONTROLLER_AXIS_LEFTX) {
                ControllerStickMoved(SlotOf(event.caxis.which), event.caxis.value);
            }
            break;
        default:
            break;
    }
}

bool IsControllerEvent(Uint32 type) {
    return type >= SDL_JOYAXISMOTION && type <= SDL_CONTROLLERDEVICEREMAPPED;
}

// A moved stick sends many events, and one message a pass would fall behind them.
void TakeControllerEvents() {
    if (!controllersStarted) return;
    SDL_Event events[32];
    int count;
    while ((count = SDL_PeepEvents(events, 32, SDL_GETEVENT, SDL_JOYAXISMOTION,
                                   SDL_CONTROLLERDEVICEREMAPPED)) > 0) {
        for (int i = 0; i < count; ++i) HandleControllerEvent(events[i]);
    }
}

void SetTextEntry(bool on) { SetControllerTextEntry(on); }
