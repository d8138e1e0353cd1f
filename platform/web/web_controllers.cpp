// Game controllers in a web page: the Gamepad API's pads in their standard mapping, read once a
// pass, feed the same controller mapping as the desktop's (platform/controller.*). The page's
// on-screen name picker (web/touch.js) is one more pad, in the last slot.
#include <emscripten.h>

#include <cstdint>

#include "platform/controller.h"
#include "platform/web/web_platform.h"

namespace {

constexpr int kScreenPadSlot = kMaxControllers - 1;
// Per slot: connected, the held inputs as bits (1 << ControllerInput), the left stick's x.
constexpr int kSlotWords = 3;

bool present[kMaxControllers];

// The standard mapping's buttons for kPadA to kPadRight (A, B, Back, Start, the D-pad); the
// browser's pads in the slots below the screen pad's, by their index. A pad in another mapping
// has buttons of unknown meaning and is left out.
EM_JS(void, ReadPads, (std::int32_t* out, int slots, int slotWords), {
    const buttons = [0, 1, 8, 9, 12, 13, 14, 15];
    const words = out >> 2;
    HEAP32.fill(0, words, words + slots * slotWords);
    let pads = [];
    try {
        pads = navigator.getGamepads ? navigator.getGamepads() : [];
    } catch (error) {
        // A page the browser denies the pads reads none.
    }
    for (const pad of pads) {
        if (!pad || !pad.connected || pad.mapping !== "standard") continue;
        if (pad.index >= slots - 1) continue;
        const at = words + pad.index * slotWords;
        let held = 0;
        buttons.forEach((button, input) => {
            if (pad.buttons[button] && pad.buttons[button].pressed) held |= 1 << input;
        });
        const x = pad.axes.length ? pad.axes[0] : 0;
        HEAP32[at] = 1;
        HEAP32[at + 1] = held;
        HEAP32[at + 2] = Math.max(-32768, Math.min(32767, Math.round(x * 32767)));
    }
    const screenPad = Module.kelvado.screenPad;
    if (screenPad) {
        const at = words + (slots - 1) * slotWords;
        HEAP32[at] = 1;
        HEAP32[at + 1] = screenPad();
    }
});

EM_JS(void, TellPageTextEntry, (bool on), {
    if (Module.kelvado.textEntry) Module.kelvado.textEntry(on);
});

}  // namespace

void ReadControllers() {
    static_assert(kPadRight < 31, "the held inputs fit one word");
    std::int32_t state[kMaxControllers * kSlotWords];
    ReadPads(state, kMaxControllers, kSlotWords);
    for (int slot = 0; slot < kMaxControllers; ++slot) {
        const std::int32_t* pad = state + slot * kSlotWords;
        if (!pad[0]) {
            if (present[slot]) ControllerGone(slot);
            present[slot] = false;
            continue;
        }
        present[slot] = true;
        for (int input = kPadA; input <= kPadRight; ++input)
            ControllerInputChanged(slot, input, (pad[1] >> input) & 1);
        if (slot != kScreenPadSlot) ControllerStickMoved(slot, pad[2]);
    }
}

// The name entry's picker: the pads' buttons change meaning, and the page shows its own.
void SetTextEntry(bool on) {
    SetControllerTextEntry(on);
    TellPageTextEntry(on);
}
