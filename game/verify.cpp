#include "game/verify.h"

#include <cstdarg>
#include <cstdio>

#include "game/host.h"
#include "game/rules.h"
#include "game/state.h"

namespace {

// The state a process starts with (the initial values in game/state.h), so that a replay ends
// the same whether it is the first of a process or follows others.
void StartAfresh() {
    for (SegmentRecord& s : segments) s = SegmentRecord{};
    for (Item& item : items) item = Item{};
    for (Tree& tree : trees) tree = Tree{};
    treeCount = 0;
    segmentCount = 1;
    growPending = 0;
    growthRestart = true;
    gameOverPending = false;
    withdrawal = 0;
    withdrawalRate = 0;
    score = 0;
    tintTarget = 0;
    tintLevel = 0;
    swayPhase = 0;
    swayAmount = 0;
    blurOn = false;
    blurCapture = false;
    animClock = 0;
    gameMode = kModeTitle;
    enterLatch = false;
    SeedRandom(1);
    demoOutcome = DemoOutcome{};
    demoFinished = false;
    demoWatching = false;
}

void AddLine(std::string* text, const char* format, ...) __attribute__((format(printf, 2, 3)));
void AddLine(std::string* text, const char* format, ...) {
    char line[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    *text += line;
    *text += '\n';
}

}  // namespace

void VerifyDemoText(std::string_view text, Verification* result) {
    result->reason.clear();
    result->replay = DemoOutcome{};
    if (!sim::ReadDemoText(text, &demoGame, &result->header, &result->reason)) {
        result->verdict = Verdict::kNoDemo;
        return;
    }

    StartAfresh();
    BeginWatchingDemo();
    ResetGame();
    // The Enter step and at most every play step of the demo.
    for (std::uint64_t step = 0; step <= demoGame.playSteps && !DemoWatched(); ++step) {
        UpdateGame();
    }
    demoWatching = false;

    const DemoOutcome& replay = result->replay = demoOutcome;
    const DemoOutcome& stated = result->header.stated;
    if (replay.end == stated.end && replay.score == stated.score &&
        replay.playSteps == stated.playSteps && replay.state == stated.state) {
        result->verdict = Verdict::kVerified;
        return;
    }
    result->verdict = Verdict::kNotVerified;
    std::string& why = result->reason;
    if (replay.end != stated.end || replay.playSteps != stated.playSteps) {
        AddLine(&why, "the replay ended by %s after %u play steps; the demo states %s after %u",
                DemoEndName(replay.end), static_cast<unsigned>(replay.playSteps),
                DemoEndName(stated.end), static_cast<unsigned>(stated.playSteps));
    }
    if (replay.score != stated.score) {
        AddLine(&why, "the replay scored %d; the demo states %d", static_cast<int>(replay.score),
                static_cast<int>(stated.score));
    }
    if (replay.state != stated.state) {
        AddLine(&why, "the replay's final state is %08x; the demo states %08x",
                static_cast<unsigned>(replay.state), static_cast<unsigned>(stated.state));
    }
}
