// A submitted demo: read by the game's own reader, replayed by the game's own verifier, and
// stored when it verifies and qualifies, with the answer the client gets.
#pragma once

#include <string>
#include <string_view>

#include "server/store.h"

namespace board {

struct Reply {
    int status = 500;
    std::string body;  // JSON
    int retryAfter = 0;  // seconds, for a Retry-After header; 0 for none
};

// The shortest and the longest name the game's name entry stores (letters and digits only, as the
// reader checks).
constexpr std::size_t kMinNameLetters = 2;
constexpr std::size_t kMaxNameLetters = 10;

// Verifies and stores one demo. The replay runs on the game's process-wide state: one call at a
// time in a process.
Reply SubmitDemo(Store* store, std::string_view demo);

// An entry as the API shows it.
std::string EntryJson(const Entry& entry, bool withDate);
// {"error": why}
std::string ErrorJson(const std::string& why);

}  // namespace board
