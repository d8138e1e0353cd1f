// Steering, movement and growth of the worm: phases 2, 4, 8 and 9 of a play step.
#include <cmath>

#include "game/rules.h"
#include "game/state.h"
#include "platform/platform.h"

namespace {
constexpr double kStepLength = 30.0;   // every record moves 1/30 unit per step
constexpr double kTurnPerStep = 0.05;  // radians per step while a steering key is held
constexpr float kRollPerStep = 3.5f;   // degrees
constexpr int kRecordsAtStart = 20;

bool KeyIsDown(int virtualKey) { return (GetAsyncKeyState(virtualKey) & 0x8000) != 0; }
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
        s.x = static_cast<float>(s.x + s.dirX / kStepLength);
        s.z = static_cast<float>(s.z + s.dirZ / kStepLength);
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
    // Descending, so that record i still reads the heading record i - 1 had before this phase.
    for (int i = WormLoopCount(); i >= 1; --i) {
        SegmentRecord& s = segments[i];
        const SegmentRecord& ahead = segments[i - 1];
        if (s.active) {
            s.heading = ahead.heading;
            s.dirX = static_cast<float>(std::sin(static_cast<double>(s.heading)));
            s.dirZ = static_cast<float>(std::cos(static_cast<double>(s.heading)));
            s.rotZ = s.rotZ + kRollPerStep;
            s.rotY = RadToDeg(s.heading);
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
