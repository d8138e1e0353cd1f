// The simulation's host and platform in the server: a demo's replay reads its keys and seed
// from the demo, so the machine's keys and clock answer nothing, and nothing is drawn or heard.
#include "game/host.h"
#include "game/state.h"
#include "platform/platform.h"

std::int16_t GetAsyncKeyState(int) { return 0; }

DWORD GetTickCount() { return 0; }

int ResetGame() {
    ResetGameState();
    return 1;
}

void PlayPickupSound() {}

void BeginNameEntry() {}
