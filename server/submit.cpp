#include "server/submit.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <nlohmann/json.hpp>

#include "game/demo.h"
#include "game/verify.h"
#include "server/metrics.h"
#include "server/sha256.h"

namespace board {

namespace {

// What makes a game the same game: how it started and every key of it. The name and the date
// lines, the spacing and how runs of steps are split all leave it unchanged.
std::string GameKey(const DemoGame& game) {
    Sha256 sha;
    Sha256Begin(&sha);
    Sha256Add(&sha, &game.tick, sizeof game.tick);
    for (float value : {game.heading, game.tintLevel, game.swayPhase, game.animClock}) {
        std::uint32_t bits;
        std::memcpy(&bits, &value, sizeof bits);
        Sha256Add(&sha, &bits, sizeof bits);
    }
    Sha256Add(&sha, &game.playSteps, sizeof game.playSteps);
    const std::uint32_t whole = game.playSteps / 4;
    Sha256Add(&sha, game.keys, whole);
    if (game.playSteps % 4 != 0) {
        // Only the steps of this game: the rest of the byte is left from earlier demos.
        const unsigned mask = (1u << (2 * (game.playSteps % 4))) - 1u;
        const unsigned char last = static_cast<unsigned char>(game.keys[whole] & mask);
        Sha256Add(&sha, &last, 1);
    }
    return Sha256Hex(&sha);
}

std::string Now() {
    const std::time_t now = std::time(nullptr);
    std::tm utc;
    gmtime_r(&now, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

Reply Answer(int status, std::string body, int retryAfter = 0) {
    Reply reply;
    reply.status = status;
    reply.body = std::move(body);
    reply.retryAfter = retryAfter;
    return reply;
}

// The verifier's lines as one sentence.
std::string OneLine(const std::string& lines) {
    std::string text;
    std::size_t from = 0;
    while (from < lines.size()) {
        std::size_t end = lines.find('\n', from);
        if (end == std::string::npos) end = lines.size();
        if (!text.empty()) text += "; ";
        text.append(lines, from, end - from);
        from = end + 1;
    }
    return text;
}

Verification verification;

}  // namespace

std::string ErrorJson(const std::string& why) {
    return nlohmann::ordered_json{{"error", why}}.dump(-1, ' ', false,
                                               nlohmann::json::error_handler_t::replace);
}

std::string EntryJson(const Entry& e, bool withDate) {
    nlohmann::ordered_json j = {{"id", e.id},       {"rank", e.rank},   {"name", e.name},
                        {"score", e.score}, {"steps", e.steps}, {"ended", e.ended}};
    if (withDate) j["date"] = e.date;
    return j.dump();
}

Reply SubmitDemo(Store* store, std::string_view demo) {
    const auto start = std::chrono::steady_clock::now();
    VerifyDemoText(demo, &verification);
    const auto micros = std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::steady_clock::now() - start);
    verificationMicros += static_cast<std::uint64_t>(micros.count());
    verificationCounts[static_cast<int>(verification.verdict)]++;
    const sim::DemoHeader& header = verification.header;

    switch (verification.verdict) {
        case Verdict::kNoDemo:
            return Answer(400, ErrorJson("not a demo: " + verification.reason));
        case Verdict::kNotVerified:
            verifiedSteps += verification.replay.playSteps;
            return Answer(422, ErrorJson("not verified: " + OneLine(verification.reason)));
        case Verdict::kVerified:
            verifiedSteps += verification.replay.playSteps;
            break;
    }
    if (header.stated.end == DemoEnd::kEscape) {
        return Answer(422, ErrorJson("the game was left with Esc, so it never reached the table"));
    }
    if (header.name[0] == '\0') {
        return Answer(422, ErrorJson("the demo names nobody: only a game whose name was stored "
                                     "counts"));
    }
    const std::size_t letters = std::strlen(header.name);
    if (letters < kMinNameLetters || letters > kMaxNameLetters) {
        return Answer(422, ErrorJson("the name " + std::string(header.name) +
                                     " is not one the name entry stores (2 to 10 letters)"));
    }

    NewEntry entry;
    entry.demo.assign(demo);
    entry.demoKey = Sha256Of(demo);
    entry.gameKey = GameKey(demoGame);
    entry.name = header.name;
    entry.score = header.stated.score;
    entry.steps = header.stated.playSteps;
    entry.ended = DemoEndName(header.stated.end);
    entry.date = Now();
    Entry stored;
    switch (store->Add(entry, &stored)) {
        case Stored::kAdded:
            return Answer(201, EntryJson(stored, false));
        case Stored::kSame:
            return Answer(200, EntryJson(stored, false));
        case Stored::kOtherName: {
            nlohmann::ordered_json j = {{"error", "this game is already on the board under the name " +
                                              stored.name},
                                {"id", stored.id}};
            return Answer(409, j.dump());
        }
        case Stored::kOk:
        case Stored::kNotFound:
        case Stored::kFailed:
            break;
    }
    std::fprintf(stderr, "kelvado-board: cannot store a demo: %s\n", store->LastError().c_str());
    return Answer(503, ErrorJson("the board cannot store entries just now"), 5);
}

}  // namespace board
