// What /metrics tells: requests by route and status, the verifications and their time, the
// queue. Plain counters in fixed tables, updated from every thread without a lock.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

namespace board {

enum Route { kRouteSubmit, kRouteBoard, kRouteDemo, kRouteHealth, kRouteMetrics, kRouteSite,
             kRouteOther, kRouteCount };
constexpr const char* kRouteNames[kRouteCount] = {"submit", "board", "demo", "healthz", "metrics",
                                                  "site", "other"};
// The statuses the server answers with; anything else is counted as the last.
constexpr int kCodes[] = {200, 201, 301, 304, 400, 403, 404, 405, 409, 413, 422, 429, 500, 503, 0};
constexpr int kCodeCount = sizeof kCodes / sizeof kCodes[0];

inline std::atomic<std::uint64_t> requestCounts[kRouteCount][kCodeCount];
// Verifications by how they ended: no demo, verified, not verified.
inline std::atomic<std::uint64_t> verificationCounts[3];
inline std::atomic<std::uint64_t> verificationMicros{0};
inline std::atomic<std::uint64_t> verifiedSteps{0};
// Submissions waiting for the verifier, and the one being verified.
inline std::atomic<int> queueLength{0};

void CountRequest(Route route, int status);
std::string MetricsText();

}  // namespace board
