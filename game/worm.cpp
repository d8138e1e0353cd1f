// Steering, movement and growth of the worm: phases 2, 4, 8 and 9 of a play step.
#include <cmath>
#include <cstring>

#include "game/demo.h"
#include "game/rules.h"
#include "game/state.h"
#include "platform/platform.h"

namespace {
constexpr double kStepLength = 30.0;   // every record moves 1/30 unit per step
constexpr double kTurnPerStep = 0.05;  // radians per step while a steering key is held
constexpr float kRollPerStep = 3.5f;   // degrees
constexpr int kRecordsAtStart = 20;

bool SameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// What the follow and advance phases derive from a heading: sine, cosine, yaw in degrees and
// the advance of one step. Along the worm each record takes the heading its predecessor had one
// step earlier, so these are worked out once per heading and then handed down the worm with it
// instead of being recomputed by every record.
//
// The values travel down the table like the headings do: the slot of record i is
// (i + memoBase) mod 5000, and memoBase moves back by one at every follow phase, so record i
// finds in its slot what record i - 1 used one step earlier without anything being copied. A
// slot is used only when its key has exactly the bits of the heading (or the direction) at
// hand, so a reused value is always the one a fresh computation would give; a miss computes.
struct DirectionMemo {
    float heading;
    float dirX;    // sin(heading)
    float dirZ;    // cos(heading)
    float rotY;    // RadToDeg(heading)
    double stepX;  // dirX / 30
    double stepZ;  // dirZ / 30
};

DirectionMemo directionMemo[kSegmentTableSize];
int memoBase = 0;

void RememberDirection(DirectionMemo& memo, float heading) {
    memo.heading = heading;
    memo.dirX = static_cast<float>(std::sin(static_cast<double>(heading)));
    memo.dirZ = static_cast<float>(std::cos(static_cast<double>(heading)));
    memo.rotY = RadToDeg(heading);
    memo.stepX = memo.dirX / kStepLength;
    memo.stepZ = memo.dirZ / kStepLength;
}

const bool directionsRemembered = [] {
    for (DirectionMemo& memo : directionMemo) RememberDirection(memo, 0.0f);
    return true;
}();

// Records from..to (to >= from - 1) in the order given, each with its memo slot; the table is
// walked in two runs so that no slot needs a wrap-around test.
template <bool kDescending, typename Visit>
void ForRecords(int from, int to, Visit visit) {
    const int wrap = kSegmentTableSize - memoBase;  // first record whose slot wraps to 0
    auto run = [&](int lo, int hi, int offset) {
        if (kDescending) {
            for (int i = hi; i >= lo; --i) visit(i, directionMemo[i + offset]);
        } else {
            for (int i = lo; i <= hi; ++i) visit(i, directionMemo[i + offset]);
        }
    };
    const int split = wrap < from ? from : wrap > to + 1 ? to + 1 : wrap;
    if (kDescending) {
        run(split, to, memoBase - kSegmentTableSize);
        run(from, split - 1, memoBase);
    } else {
        run(from, split - 1, memoBase);
        run(split, to, memoBase - kSegmentTableSize);
    }
}

bool SameDirection(const SegmentRecord& s, const DirectionMemo& memo) {
    return std::memcmp(&s.dirX, &memo.dirX, 2 * sizeof(float)) == 0;
}
}  // namespace

float RadToDeg(float radians) { return static_cast<float>(radians / 6.2831853 * 360.0); }

void AdvanceSegments() {
    ForRecords<false>(1, WormLoopCount(), [](int i, const DirectionMemo& memo) {
        SegmentRecord& s = segments[i];
        if (!s.active) return;
        double stepX, stepZ;
        if (SameDirection(s, memo)) {
            stepX = memo.stepX;
            stepZ = memo.stepZ;
        } else {
            stepX = s.dirX / kStepLength;
            stepZ = s.dirZ / kStepLength;
        }
        s.x = static_cast<float>(s.x + stepX);
        s.z = static_cast<float>(s.z + stepZ);
    });
}

void GrowWorm() {
    if (growthRestart) {
        growPending = kRecordsAtStart;
        segmentCount = 1;
        growthRestart = false;
        return;
    }
    if (growPending > 0) {
        --growPending;
        // The table ends at record 4999: the pending records are used up without being added.
        if (segmentCount < static_cast<float>(kLastSegment)) segmentCount = segmentCount + 1.0f;
    }
}

void FollowAndPlaceSegments() {
    memoBase = memoBase == 0 ? kLastSegment : memoBase - 1;
    // Descending, so that record i still reads the heading record i - 1 had before this phase.
    ForRecords<true>(1, WormLoopCount(), [](int i, DirectionMemo& memo) {
        SegmentRecord& s = segments[i];
        const SegmentRecord& ahead = segments[i - 1];
        if (s.active) {
            const float heading = ahead.heading;
            if (!SameBits(memo.heading, heading)) RememberDirection(memo, heading);
            s.heading = heading;
            s.dirX = memo.dirX;
            s.dirZ = memo.dirZ;
            s.rotZ = s.rotZ + kRollPerStep;
            s.rotY = memo.rotY;
        } else {
            // A new record starts on its predecessor, standing still until it first follows.
            s.active = true;
            s.x = ahead.x;
            s.z = ahead.z;
            s.heading = ahead.heading;
        }
    });
}

void ReadSteeringKeys() {
    SegmentRecord& leader = segments[0];
    if (StepKeyDown(VK_LEFT)) leader.heading = static_cast<float>(leader.heading + kTurnPerStep);
    if (StepKeyDown(VK_RIGHT)) leader.heading = static_cast<float>(leader.heading - kTurnPerStep);
}
