#include "server/metrics.h"

#include <cstdio>

namespace board {

void CountRequest(Route route, int status) {
    int code = 0;
    while (code < kCodeCount - 1 && kCodes[code] != status) ++code;
    requestCounts[route][code].fetch_add(1, std::memory_order_relaxed);
}

std::string MetricsText() {
    std::string text;
    char line[1024];
    text += "# HELP kelvado_board_requests_total HTTP requests by route and status.\n"
            "# TYPE kelvado_board_requests_total counter\n";
    for (int r = 0; r < kRouteCount; ++r) {
        for (int c = 0; c < kCodeCount; ++c) {
            const std::uint64_t n = requestCounts[r][c].load(std::memory_order_relaxed);
            if (n == 0) continue;
            char code[8] = "other";
            if (kCodes[c] != 0) std::snprintf(code, sizeof code, "%d", kCodes[c]);
            std::snprintf(line, sizeof line,
                          "kelvado_board_requests_total{route=\"%s\",code=\"%s\"} %llu\n",
                          kRouteNames[r], code, static_cast<unsigned long long>(n));
            text += line;
        }
    }
    constexpr const char* kVerdicts[3] = {"no_demo", "verified", "not_verified"};
    text += "# HELP kelvado_board_verifications_total Demos replayed, by verdict.\n"
            "# TYPE kelvado_board_verifications_total counter\n";
    for (int v = 0; v < 3; ++v) {
        std::snprintf(line, sizeof line, "kelvado_board_verifications_total{verdict=\"%s\"} %llu\n",
                      kVerdicts[v],
                      static_cast<unsigned long long>(verificationCounts[v].load()));
        text += line;
    }
    std::snprintf(line, sizeof line,
                  "# HELP kelvado_board_verification_seconds_total Time spent replaying demos.\n"
                  "# TYPE kelvado_board_verification_seconds_total counter\n"
                  "kelvado_board_verification_seconds_total %.6f\n"
                  "# HELP kelvado_board_verified_steps_total Play steps replayed.\n"
                  "# TYPE kelvado_board_verified_steps_total counter\n"
                  "kelvado_board_verified_steps_total %llu\n"
                  "# HELP kelvado_board_queue_length Submissions waiting for or in verification.\n"
                  "# TYPE kelvado_board_queue_length gauge\n"
                  "kelvado_board_queue_length %d\n",
                  static_cast<double>(verificationMicros.load()) / 1e6,
                  static_cast<unsigned long long>(verifiedSteps.load()), queueLength.load());
    text += line;
    return text;
}

}  // namespace board
