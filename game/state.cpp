// Questions about the game state as a whole: the worm's extent as its loops use it, and the
// digest that tells two replays apart.
#include "game/state.h"

#include <cstring>

#include "game/rules.h"

namespace {

// FNV-1a over the bytes of the values, one at a time (no padding gets in).
struct Digest {
    std::uint32_t value = 2166136261u;
    template <typename T>
    void Add(T v) {
        unsigned char bytes[sizeof v];
        std::memcpy(bytes, &v, sizeof v);
        for (unsigned char b : bytes) value = (value ^ b) * 16777619u;
    }
};

}  // namespace

int WormLoopCount() {
    // The loops use the whole part of segmentCount, kept inside the table whatever it holds.
    const float count = segmentCount;
    if (!(count >= 0.0f)) return 0;
    if (count >= static_cast<float>(kLastSegment)) return kLastSegment;
    return static_cast<int>(count);
}

std::uint32_t GameStateDigest() {
    // What the rules carry from step to step. Rolls and yaws only draw, and records past the
    // worm keep what earlier games left in them, so neither is taken.
    Digest d;
    d.Add(score);
    d.Add(segmentCount);
    d.Add(growPending);
    d.Add(growthRestart);
    d.Add(gameOverPending);
    d.Add(withdrawal);
    d.Add(withdrawalRate);
    d.Add(tintTarget);
    d.Add(tintLevel);
    d.Add(swayPhase);
    d.Add(swayAmount);
    d.Add(blurOn);
    d.Add(blurCapture);
    d.Add(animClock);
    d.Add(RandomState());
    for (int i = 1; i <= kItemCount; ++i) {
        d.Add(items[i].x);
        d.Add(items[i].y);
        d.Add(items[i].z);
        d.Add(items[i].spinDeg);
        d.Add(items[i].bobPhase);
    }
    const int n = WormLoopCount();
    for (int i = 0; i <= n; ++i) {
        const SegmentRecord& s = segments[i];
        d.Add(s.x);
        d.Add(s.z);
        d.Add(s.heading);
        d.Add(s.dirX);
        d.Add(s.dirZ);
        d.Add(s.active);
    }
    return d.value;
}
