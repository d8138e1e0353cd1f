// The board's submission handler (server/submit.cpp) on any text: read by the demo reader,
// replayed by the game's verifier, stored in a real SQLite database. Besides memory faults it
// checks that the answer is JSON with a reason whenever it refuses, that a demo is refused as
// none exactly when the reader refuses it, that only a verified game that ended by contact or
// withdrawal and names a player is stored, that a stored entry is what the demo states and its
// demo comes back byte for byte, and that the same bytes again give the same entry.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>

#include "game/demofile.h"
#include "game/verify.h"
#include "server/store.h"
#include "server/submit.h"

namespace {

void Fail(const char* why, const std::string& detail) {
    std::fprintf(stderr, "fuzz_board_submit: %s: %s\n", why, detail.c_str());
    std::abort();
}

std::string databasePath;

void RemoveDatabase() {
    for (const char* suffix : {"", "-wal", "-shm"}) unlink((databasePath + suffix).c_str());
}

board::Store* TheStore() {
    static std::unique_ptr<board::Store> store = [] {
        const char* folder = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        databasePath = std::string(folder) + "/kelvado-fuzz-board-" + std::to_string(getpid()) +
                       ".db";
        RemoveDatabase();
        std::atexit(RemoveDatabase);
        std::string error;
        auto opened = board::OpenStore("sqlite:" + databasePath, &error);
        if (!opened) Fail("cannot open the database", error);
        return opened;
    }();
    return store.get();
}

Verification check;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    board::Store* store = TheStore();
    const board::Reply reply = board::SubmitDemo(store, text);

    const nlohmann::json answer = nlohmann::json::parse(reply.body, nullptr, false);
    if (!answer.is_object()) Fail("the answer is no JSON object", reply.body);
    const bool stored = reply.status == 200 || reply.status == 201;
    if (!stored && (!answer.contains("error") || !answer["error"].is_string() ||
                    answer["error"].get<std::string>().empty())) {
        Fail("a refusal without a reason", reply.body);
    }

    VerifyDemoText(text, &check);
    const bool readable = check.verdict != Verdict::kNoDemo;
    if ((reply.status == 400) == readable) Fail("400 is not the reader's verdict", reply.body);
    const bool qualifies = check.verdict == Verdict::kVerified &&
                           check.header.stated.end != DemoEnd::kEscape &&
                           check.header.name[0] != '\0' &&
                           std::strlen(check.header.name) <= board::kMaxNameLetters;
    switch (reply.status) {
        case 200:
        case 201:
        case 409:
            if (!qualifies) Fail("a game that does not qualify was taken", reply.body);
            break;
        case 400:
            break;
        case 422:
            if (qualifies) Fail("a qualifying game was refused", reply.body);
            break;
        default:
            Fail("an unexpected status", std::to_string(reply.status) + " " + reply.body);
    }
    if (!stored) return 0;

    if (answer.value("name", "") != check.header.name ||
        answer.value("score", -1) != check.header.stated.score ||
        answer.value("steps", 0u) != check.header.stated.playSteps ||
        answer.value("ended", "") != DemoEndName(check.header.stated.end) ||
        answer.value("rank", 0) < 1) {
        Fail("the entry is not what the demo states", reply.body);
    }
    const std::int64_t id = answer.value("id", std::int64_t{0});
    std::string back;
    if (store->Demo(id, &back) != board::Stored::kOk) Fail("the entry's demo is missing", reply.body);
    if (reply.status == 201 && back != text) Fail("the stored demo differs from the one sent", text);
    const board::Reply again = board::SubmitDemo(store, text);
    const nlohmann::json second = nlohmann::json::parse(again.body, nullptr, false);
    if (again.status != 200 || !second.is_object() || second.value("id", std::int64_t{0}) != id) {
        Fail("the same bytes again give another answer", again.body);
    }
    return 0;
}
