// A light model of the play step for looking far ahead: the head's exact path, the body as the
// delay line of that path, the items with their real placement draws, the wall, the trees and
// the withdrawal. It costs a few grid look-ups per step instead of a walk over 5000 records, so
// the autopilot can try many plans per decision. Its verdicts are checked by the real update.
#pragma once

#include <cstdint>
#include <vector>

namespace autopilot {

struct PlanResult {
    double value;
    std::vector<std::uint8_t> keys;  // the keys the look-ahead actually pressed
    int eaten;
    int lostAt;  // -1: still playing at the end
};

// Takes the body, the items and the levels from the game as it stands now.
void LoadModel();

// Presses `prefix`, then chases items (first item `target` when it is 1 to 5, then always the
// nearest) until `horizon` steps have passed or the game would be lost. A loss scores far below
// any game still going; otherwise items eaten count most, then how soon, then closeness to an
// item and a low withdrawal at the end.
PlanResult RunPlan(const std::vector<std::uint8_t>& prefix, int target, int horizon);

}  // namespace autopilot
