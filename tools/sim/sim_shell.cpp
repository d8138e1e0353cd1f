#include "tools/sim/sim_shell.h"

#include <climits>

#include "app/audio.h"
#include "app/mainloop.h"
#include "game/host.h"
#include "game/rules.h"
#include "game/state.h"
#include "platform/bass.h"

namespace sim {

void HoldKeys(bool left, bool right, bool enter) {
    for (bool& key : heldKeys) key = false;
    heldKeys[VK_LEFT] = left;
    heldKeys[VK_RIGHT] = right;
    heldKeys[VK_RETURN] = enter;
}

namespace {
double Wide(float value) { return static_cast<double>(value); }
}  // namespace

void WriteResetLine(std::FILE* out) {
    std::fprintf(out, "reset tick=%u trees=", static_cast<unsigned>(GetTickCount()));
    const int treeLimit = treeCount < kTreeTableSize ? treeCount : kTreeTableSize - 1;
    for (int t = 1; t <= treeLimit; ++t) {
        std::fprintf(out, "%s%.9g,%.9g,%.9g", t > 1 ? ";" : "", Wide(trees[t].x), Wide(trees[t].z),
                     Wide(trees[t].height));
    }
    std::fputs(" items=", out);
    for (int i = 1; i <= kItemCount; ++i) {
        const Item& item = items[i];
        std::fprintf(out, "%s%.9g,%.9g,%.9g,%.9g,%.9g", i > 1 ? ";" : "", Wide(item.x),
                     Wide(item.y), Wide(item.z), Wide(item.spinDeg), Wide(item.bobPhase));
    }
    std::fputc('\n', out);
}

void WriteStepLine(std::FILE* out, std::uint64_t stepNumber) {
    const SegmentRecord& head = segments[1];
    const SegmentRecord& tail = segments[WormLoopCount()];
    std::fprintf(out,
                 "step %llu mode=%d seg=%.9g grow=%d wd=%.9g rate=%.9g score=%d tint=%.9g "
                 "target=%.9g sway=%.9g phase=%.9g blur=%d%d clock=%.9g head=%.9g,%.9g,%.9g "
                 "tail=%.9g,%.9g items=",
                 static_cast<unsigned long long>(stepNumber), static_cast<int>(gameMode),
                 Wide(segmentCount), static_cast<int>(growPending), Wide(withdrawal),
                 Wide(withdrawalRate), static_cast<int>(score), Wide(tintLevel), Wide(tintTarget),
                 Wide(swayAmount), Wide(swayPhase), blurOn ? 1 : 0, blurCapture ? 1 : 0,
                 Wide(animClock), Wide(head.x), Wide(head.z), Wide(head.heading), Wide(tail.x),
                 Wide(tail.z));
    for (int i = 1; i <= kItemCount; ++i) {
        const Item& item = items[i];
        std::fprintf(out, "%s%.9g,%.9g,%.9g,%.9g", i > 1 ? ";" : "", Wide(item.x), Wide(item.y),
                     Wide(item.z), Wide(item.spinDeg));
    }
    std::fputc('\n', out);
}

}  // namespace sim

std::int16_t GetAsyncKeyState(int virtualKey) {
    if (virtualKey < 0 || virtualKey > 255) return 0;
    return sim::heldKeys[virtualKey] ? static_cast<std::int16_t>(INT16_MIN) : 0;
}

DWORD GetTickCount() { return sim::tickCount; }

HCHANNEL BASS_SamplePlay(HSAMPLE handle) {
    ++sim::samplePlays;
    sim::lastSamplePlayed = handle;
    return 0;  // no channel: nothing plays here
}

// The host of the simulation: what the engine does, on the engine's own variables, without GL
// or sound, so that the front end's state (the quit flag, the name entry) follows the game here
// as it does in the game. BeginNameEntry is the front end's own (frontend/namekeys.cpp).
int ResetGame() {
    ResetGameState();
    quitRequested = 0;
    ++sim::resetCalls;
    if (sim::trace) sim::WriteResetLine(sim::trace);
    return 1;
}

void PlayPickupSound() { BASS_SamplePlay(plopSample); }
