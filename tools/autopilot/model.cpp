#include "tools/autopilot/model.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "game/rules.h"
#include "game/state.h"
#include "tools/autopilot/world.h"

namespace autopilot {

namespace {

constexpr double kTurnRadius = (1.0 / 30.0) / 0.05;
constexpr double kPi = 3.14159265358979323846;
// The real contact is within 0.08 in x and z; a little more keeps the model on the safe side.
constexpr double kContact = 0.1;
constexpr double kPickup = 0.2;
constexpr double kCell = 0.25;
constexpr double kMinX = -14.0, kMinZ = -24.0;
constexpr int kCells = 112;
constexpr int kMaxSteps = 2000;

int CellOf(double x, double z) {
    int cx = static_cast<int>((x - kMinX) / kCell);
    int cz = static_cast<int>((z - kMinZ) / kCell);
    cx = std::clamp(cx, 0, kCells - 1);
    cz = std::clamp(cz, 0, kCells - 1);
    return cz * kCells + cx;
}

// The body as it is now: record positions sorted by cell.
struct Body {
    int start[kCells * kCells + 1];
    std::vector<int> record;
    std::vector<float> x, z;
};
Body body;

// The head's positions in the look-ahead, chained per cell.
struct Path {
    int head[kCells * kCells];
    int next[kMaxSteps + 1];
    double x[kMaxSteps + 1], z[kMaxSteps + 1];
    std::vector<int> used;
};
Path path;
bool pathReady = false;

struct Start {
    double x, z, moveHeading, leaderHeading;
    int records, pending;
    float withdrawal, rate;
    Item items[kItemCount + 1];
    std::uint32_t random;
    bool moving;  // record 1 has a direction to move along
};
Start start;

struct TreeSpot {
    double x, z;
};
TreeSpot treeSpots[kTreeTableSize];
int treeSpotCount = 0;

// Routes: a grid over the arena on which a cell is free from the step its last body record has
// moved on, searched outward from the head by arrival time. The chase follows the route to its
// item, so that it goes round the body instead of into it.
constexpr double kFine = 0.125;
constexpr int kFineCells = 224;
constexpr int kNever = 1 << 29;
constexpr double kStepsPerFineCell = kFine * 30.0;
int vacateAt[kFineCells * kFineCells];
int arrival[kFineCells * kFineCells];
int cameFrom[kFineCells * kFineCells];
bool staticBlock[kFineCells * kFineCells];
Tree staticTrees[kTreeTableSize];  // the trees they were made for
int staticTreeCount = -1;

int FineCell(double x, double z) {
    int cx = static_cast<int>((x - kMinX) / kFine);
    int cz = static_cast<int>((z - kMinZ) / kFine);
    cx = std::clamp(cx, 0, kFineCells - 1);
    cz = std::clamp(cz, 0, kFineCells - 1);
    return cz * kFineCells + cx;
}
double FineX(int cell) { return kMinX + (cell % kFineCells + 0.5) * kFine; }
double FineZ(int cell) { return kMinZ + (cell / kFineCells + 0.5) * kFine; }

void BuildRoutes(double headX, double headZ, int records, int pending) {
    // The wall and the trees never move within a game.
    if (treeCount != staticTreeCount || std::memcmp(trees, staticTrees, sizeof trees) != 0) {
        for (int c = 0; c < kFineCells * kFineCells; ++c) {
            const double x = FineX(c), z = FineZ(c);
            bool blocked = std::hypot(x, z + 10.0) > 11.1;
            for (int t = 1; t <= treeCount && t < kTreeTableSize && !blocked; ++t)
                blocked = std::hypot(trees[t].x - x, trees[t].z - z) < 1.25;
            staticBlock[c] = blocked;
        }
        std::memcpy(staticTrees, trees, sizeof trees);
        staticTreeCount = treeCount;
    }
    for (int c = 0; c < kFineCells * kFineCells; ++c) vacateAt[c] = staticBlock[c] ? kNever : 0;
    // Body records more than a few behind the head block their cell and its neighbours until
    // the tail has passed (one more item's growth allowed for).
    for (int j = 12; j <= records; ++j) {
        const int until = records - j + pending + 12;
        const int c = FineCell(segments[j].x, segments[j].z);
        const int cx = c % kFineCells, cz = c / kFineCells;
        for (int dz = -2; dz <= 2; ++dz) {
            for (int dx = -2; dx <= 2; ++dx) {
                const int nx = cx + dx, nz = cz + dz;
                if (nx < 0 || nz < 0 || nx >= kFineCells || nz >= kFineCells) continue;
                int& v = vacateAt[nz * kFineCells + nx];
                v = std::max(v, until);
            }
        }
    }
    // Arrival times by a bucket queue: 2 per straight cell, 3 per diagonal one.
    std::fill(std::begin(arrival), std::end(arrival), kNever);
    static std::vector<int> buckets[4];
    for (auto& b : buckets) b.clear();
    const int from = FineCell(headX, headZ);
    arrival[from] = 0;
    cameFrom[from] = -1;
    buckets[0].push_back(from);
    int pendingCells = 1;
    for (int cost = 0; pendingCells > 0; ++cost) {
        std::vector<int>& bucket = buckets[cost % 4];
        for (std::size_t k = 0; k < bucket.size(); ++k) {
            const int c = bucket[k];
            --pendingCells;
            if (arrival[c] != cost) continue;
            const int cx = c % kFineCells, cz = c / kFineCells;
            for (int dz = -1; dz <= 1; ++dz) {
                for (int dx = -1; dx <= 1; ++dx) {
                    if (dx == 0 && dz == 0) continue;
                    const int nx = cx + dx, nz = cz + dz;
                    if (nx < 0 || nz < 0 || nx >= kFineCells || nz >= kFineCells) continue;
                    const int n = nz * kFineCells + nx;
                    const int next = cost + (dx != 0 && dz != 0 ? 3 : 2);
                    if (next >= arrival[n]) continue;
                    if (next * kStepsPerFineCell / 2.0 <= vacateAt[n]) continue;
                    arrival[n] = next;
                    cameFrom[n] = c;
                    buckets[next % 4].push_back(n);
                    ++pendingCells;
                }
            }
        }
        bucket.clear();
    }
}

// The route from the head to the cell nearest to (x, z) that the search reached, head first.
void RouteTo(double x, double z, std::vector<int>& route) {
    route.clear();
    int c = FineCell(x, z);
    if (arrival[c] == kNever) {
        // Not reachable: the nearest reached cell within half a unit, if any.
        int best = -1;
        double bestDistance = 1e300;
        const int cx = c % kFineCells, cz = c / kFineCells;
        for (int dz = -4; dz <= 4; ++dz) {
            for (int dx = -4; dx <= 4; ++dx) {
                const int nx = cx + dx, nz = cz + dz;
                if (nx < 0 || nz < 0 || nx >= kFineCells || nz >= kFineCells) continue;
                const int n = nz * kFineCells + nx;
                if (arrival[n] == kNever) continue;
                const double d = dx * dx + dz * dz;
                if (d < bestDistance) {
                    bestDistance = d;
                    best = n;
                }
            }
        }
        if (best < 0) return;
        c = best;
    }
    for (; c >= 0; c = cameFrom[c]) route.push_back(c);
    std::reverse(route.begin(), route.end());
}

double AngleTo(double x, double z, double heading, double tx, double tz) {
    return std::remainder(std::atan2(tx - x, tz - z) - heading, 2.0 * kPi);
}

}  // namespace

void LoadModel() {
    const int n = WormLoopCount();
    std::fill(std::begin(body.start), std::end(body.start), 0);
    for (int j = 1; j <= n; ++j) ++body.start[CellOf(segments[j].x, segments[j].z) + 1];
    for (int c = 0; c < kCells * kCells; ++c) body.start[c + 1] += body.start[c];
    body.record.assign(n, 0);
    body.x.assign(n, 0);
    body.z.assign(n, 0);
    std::vector<int> fill(body.start, body.start + kCells * kCells);
    for (int j = 1; j <= n; ++j) {
        const int at = fill[CellOf(segments[j].x, segments[j].z)]++;
        body.record[at] = j;
        body.x[at] = segments[j].x;
        body.z[at] = segments[j].z;
    }
    if (!pathReady) {
        std::fill(std::begin(path.head), std::end(path.head), -1);
        pathReady = true;
    }

    const SegmentRecord& head = segments[1];
    start.moving = head.active;
    start.x = head.active ? head.x : 0.0;
    start.z = head.active ? head.z : -10.0;
    start.moveHeading = head.heading;
    start.leaderHeading = segments[0].heading;
    start.records = n;
    start.pending = growPending;
    start.withdrawal = withdrawal;
    start.rate = withdrawalRate;
    std::memcpy(start.items, items, sizeof items);
    start.random = RandomState();
    treeSpotCount = 0;
    for (int t = 1; t <= treeCount && t < kTreeTableSize; ++t)
        treeSpots[treeSpotCount++] = {trees[t].x, trees[t].z};
    BuildRoutes(start.x, start.z, n, start.pending);
}

PlanResult RunPlan(const std::vector<std::uint8_t>& prefix, int target, int horizon) {
    horizon = std::min(horizon, kMaxSteps);
    PlanResult result{0.0, {}, 0, -1};
    result.keys.reserve(horizon);

    double x = start.x, z = start.z;
    double moveHeading = start.moveHeading, leader = start.leaderHeading;
    bool moving = start.moving;
    int records = start.records, pending = start.pending;
    float w = start.withdrawal, rate = start.rate;
    Item modelItems[kItemCount + 1];
    std::memcpy(modelItems, start.items, sizeof modelItems);
    std::uint32_t random = start.random;
    int firstEat = -1;

    for (int c : path.used) path.head[c] = -1;
    path.used.clear();
    path.x[0] = x;
    path.z[0] = z;

    static std::vector<int> route;
    route.clear();
    std::size_t along = 0;
    int routedTo = -1;  // the item the route leads to

    auto lose = [&](int s) {
        result.lostAt = s;
        result.value = -1.0e6 + s;
        return result;
    };

    for (int s = 1; s <= horizon; ++s) {
        // Keys: the prefix, then the chase.
        std::uint8_t keys;
        if (s - 1 < static_cast<int>(prefix.size())) {
            keys = prefix[s - 1];
        } else {
            if (target < 1) {
                double best = 1e300;
                for (int i = 1; i <= kItemCount; ++i) {
                    const double cost =
                        std::hypot(modelItems[i].x - x, modelItems[i].z - z) +
                        kTurnRadius *
                            std::fabs(AngleTo(x, z, leader, modelItems[i].x, modelItems[i].z));
                    if (cost < best) {
                        best = cost;
                        target = i;
                    }
                }
            }
            double tx = modelItems[target].x, tz = modelItems[target].z;
            // Until the first pickup, the route to the item is followed: aim at the first point
            // on it at least 0.6 away.
            if (result.eaten == 0) {
                if (routedTo != target) {
                    RouteTo(tx, tz, route);
                    routedTo = target;
                    along = 0;
                }
                if (!route.empty()) {
                    // The nearest point of the route a little way on, then one 0.6 further.
                    std::size_t nearestIndex = along;
                    double nearestDistance = 1e300;
                    for (std::size_t k = along; k < route.size() && k < along + 40; ++k) {
                        const double d = std::hypot(FineX(route[k]) - x, FineZ(route[k]) - z);
                        if (d < nearestDistance) {
                            nearestDistance = d;
                            nearestIndex = k;
                        }
                    }
                    along = nearestIndex;
                    while (along + 1 < route.size() &&
                           std::hypot(FineX(route[along]) - x, FineZ(route[along]) - z) < 0.6)
                        ++along;
                    if (std::hypot(tx - x, tz - z) > 0.6 && along + 1 < route.size()) {
                        tx = FineX(route[along]);
                        tz = FineZ(route[along]);
                    }
                }
            }
            const double diff = AngleTo(x, z, leader, tx, tz);
            keys = kNone;
            if (std::fabs(diff) >= 0.03) {
                const double side = diff > 0 ? 1.0 : -1.0;
                const double cx = x + side * kTurnRadius * std::cos(leader);
                const double cz = z - side * kTurnRadius * std::sin(leader);
                if (std::hypot(tx - cx, tz - cz) >= kTurnRadius * 1.05)
                    keys = diff > 0 ? kLeft : kRight;
            }
        }
        result.keys.push_back(keys);

        // Advance, growth.
        if (moving) {
            x += std::sin(moveHeading) / 30.0;
            z += std::cos(moveHeading) / 30.0;
        }
        if (pending > 0) {
            --pending;
            if (records < kLastSegment) ++records;
        }
        path.x[s] = x;
        path.z[s] = z;

        // Pickups, with the game's own placement draws.
        for (int i = 1; i <= kItemCount; ++i) {
            if (std::fabs(modelItems[i].x - x) > kPickup ||
                std::fabs(modelItems[i].z - z) > kPickup)
                continue;
            Item saved[kItemCount + 1];
            std::memcpy(saved, items, sizeof saved);
            const std::uint32_t savedRandom = RandomState();
            std::memcpy(items, modelItems, sizeof modelItems);
            SeedRandom(random);
            MoveItem(i);
            std::memcpy(modelItems, items, sizeof modelItems);
            random = RandomState();
            std::memcpy(items, saved, sizeof saved);
            SeedRandom(savedRandom);
            pending += 25;
            w = static_cast<float>(static_cast<double>(w) - static_cast<int>(150.0 * rate));
            rate = rate + 0.0125f;
            ++result.eaten;
            if (firstEat < 0) firstEat = s;
            if (i == target) target = 0;
        }

        // Contacts: the body now in the table, then the look-ahead's own path.
        const int cell = CellOf(x, z);
        const int cx = cell % kCells, cz = cell / kCells;
        for (int dz = -1; dz <= 1; ++dz) {
            for (int dx = -1; dx <= 1; ++dx) {
                const int nx = cx + dx, nz = cz + dz;
                if (nx < 0 || nz < 0 || nx >= kCells || nz >= kCells) continue;
                const int c = nz * kCells + nx;
                for (int k = body.start[c]; k < body.start[c + 1]; ++k) {
                    const int index = body.record[k] + s;  // the record that stands there now
                    if (index < 10 || index > records) continue;
                    if (std::fabs(body.x[k] - x) <= kContact &&
                        std::fabs(body.z[k] - z) <= kContact)
                        return lose(s);
                }
                for (int u = path.head[c]; u >= 0; u = path.next[u]) {
                    const int index = s - u + 1;
                    if (index < 10 || index > records) continue;
                    if (std::fabs(path.x[u] - x) <= kContact &&
                        std::fabs(path.z[u] - z) <= kContact)
                        return lose(s);
                }
            }
        }
        if (path.head[cell] < 0) path.used.push_back(cell);
        path.next[s] = path.head[cell];
        path.head[cell] = s;

        const double fromCentre = std::hypot(x, z + 10.0);
        if (fromCentre > 11.3) return lose(s);
        if (fromCentre > 7.5) {
            for (int t = 0; t < treeSpotCount; ++t) {
                if (std::hypot(treeSpots[t].x - x, treeSpots[t].z - z) < 1.05 + 0.15)
                    return lose(s);
            }
        }

        // Follow, steer, withdrawal.
        moveHeading = leader;
        moving = true;
        if (keys & kLeft) leader = static_cast<float>(leader + 0.05);
        if (keys & kRight) leader = static_cast<float>(leader - 0.05);
        w = w + rate;
        if (w > 300.0f) return lose(s);
        if (w < 0.0f) w = 0.0f;
    }

    double nearest = 1e300;
    for (int i = 1; i <= kItemCount; ++i)
        nearest = std::min(nearest, std::hypot(modelItems[i].x - x, modelItems[i].z - z));
    result.value =
        1000.0 * result.eaten - 3.0 * nearest - (firstEat >= 0 ? firstEat : horizon) - 0.2 * w;
    return result;
}

}  // namespace autopilot
