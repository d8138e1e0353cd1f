// Steering, movement and growth of the worm: phases 2, 4, 8 and 9 of a play step.
#include <cmath>
#include <cstring>

#include "game/rules.h"
#include "game/state.h"
#include "platform/platform.h"

namespace {
constexpr double kStepLength = 30.0;   // every record moves 1/30 unit per step
constexpr double kTurnPerStep = 0.05;  // radians per step while a steering key is held
constexpr float kRollPerStep = 3.5f;   // degrees
constexpr int kRecordsAtStart = 20;

bool KeyIsDown(int virtualKey) { return (GetAsyncKeyState(virtualKey) & 0x8000) != 0; }

bool SameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// What the follow and advance phases derive from a heading: sine, cosine, yaw in degrees and
// the advance of one step. Along the worm each record takes the heading its predecessor had one
// step earlier, so these are worked out once per heading and then handed down the worm with it
// instead of being recomputed by every record.
//
// The values travel down the table like the headings do: the slot of record i is
// (i + memoBase) mod 5000, and memoBase moves back by one at every follow phase, so record i
// finds in its slot what record i - 1 used one step earlier without anything being copied. A
// slot is used only when its key has exactly the bits of the heading (or direction) at hand, so
// a reused value is always the one a fresh computation would give; a miss just computes anew.
struct DirectionKey {
    float heading;
    float dirX;  // sin(heading)
    float dirZ;  // cos(heading)
    float rotY;  // RadToDeg(heading)
};
struct DirectionStep {
    double stepX;  // dirX / 30
    double stepZ;  // dirZ / 30
};

DirectionKey directionKeys[kSegmentTableSize];
DirectionStep directionSteps[kSegmentTableSize];
int memoBase = 0;

void RememberDirection(int slot, float heading)
{
    DirectionKey& key = directionKeys[slot];
    key.heading = heading;
    key.dirX = static_cast<float>(std::sin(static_cast<double>(heading)));
    key.dirZ = static_cast<float>(std::cos(static_cast<double>(heading)));
    key.rotY = RadToDeg(heading);
    directionSteps[slot] = {key.dirX / kStepLength, key.dirZ / kStepLength};
}

const bool directionsRemembered = [] {
    for (int slot = 0; slot < kSegmentTableSize; ++slot) RememberDirection(slot, 0.0f);
    return true;
}();

int SlotOf(int record)
{
    const int slot = record + memoBase;
    return slot >= kSegmentTableSize ? slot - kSegmentTableSize : slot;
}
}  // namespace

float RadToDeg(float radians) { return static_cast<float>(radians / 6.2831853 * 360.0); }

int WormLoopCount()
{
    // The loops use the whole part of segmentCount, kept inside the table whatever it holds.
    const float count = segmentCount;
    if (!(count >= 0.0f)) return 0;
    if (count >= static_cast<float>(kLastSegment)) return kLastSegment;
    return static_cast<int>(count);
}

void AdvanceSegments()
{
    const int n = WormLoopCount();
    for (int i = 1; i <= n; ++i) {
        SegmentRecord& s = segments[i];
        if (!s.active) continue;
        const int slot = SlotOf(i);
        const DirectionKey& key = directionKeys[slot];
        const double stepX =
            SameBits(s.dirX, key.dirX) ? directionSteps[slot].stepX : s.dirX / kStepLength;
        const double stepZ =
            SameBits(s.dirZ, key.dirZ) ? directionSteps[slot].stepZ : s.dirZ / kStepLength;
        s.x = static_cast<float>(s.x + stepX);
        s.z = static_cast<float>(s.z + stepZ);
    }
}

void GrowWorm()
{
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

void FollowAndPlaceSegments()
{
    memoBase = memoBase == 0 ? kLastSegment : memoBase - 1;
    // Descending, so that record i still reads the heading record i - 1 had before this phase.
    for (int i = WormLoopCount(); i >= 1; --i) {
        SegmentRecord& s = segments[i];
        const SegmentRecord& ahead = segments[i - 1];
        if (s.active) {
            const float heading = ahead.heading;
            const int slot = SlotOf(i);
            if (!SameBits(directionKeys[slot].heading, heading)) RememberDirection(slot, heading);
            const DirectionKey& key = directionKeys[slot];
            s.heading = heading;
            s.dirX = key.dirX;
            s.dirZ = key.dirZ;
            s.rotZ = s.rotZ + kRollPerStep;
            s.rotY = key.rotY;
        } else {
            // A new record starts on its predecessor, standing still until it first follows.
            s.active = true;
            s.x = ahead.x;
            s.z = ahead.z;
            s.heading = ahead.heading;
        }
    }
}

void ReadSteeringKeys()
{
    SegmentRecord& leader = segments[0];
    if (KeyIsDown(VK_LEFT)) leader.heading = static_cast<float>(leader.heading + kTurnPerStep);
    if (KeyIsDown(VK_RIGHT)) leader.heading = static_cast<float>(leader.heading - kTurnPerStep);
}
