// The board's storage: every verified game, in SQLite or PostgreSQL behind one interface.
//
// Entries are only ever added, never changed or removed, so the newest id names a version of the
// whole board. Each thread that calls a store gets its own connection to the database; nothing
// else is kept in the process, so several servers on one PostgreSQL serve one board.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace board {

// A verified game to add.
struct NewEntry {
    std::string demo;      // the text as it was sent, byte for byte
    std::string demoKey;   // SHA-256 of the text: the same demo sent again
    std::string gameKey;   // SHA-256 of the game's start and keys: the same game, whatever name
    std::string name;
    std::int32_t score;
    std::uint32_t steps;
    std::string ended;     // "contact" or "withdrawal"
    std::string date;      // when it arrived, UTC, "YYYY-MM-DDTHH:MM:SSZ"
};

struct Entry {
    std::int64_t id = 0;
    std::string name;
    std::int32_t score = 0;
    std::uint32_t steps = 0;
    std::string ended;
    std::string date;
    std::int64_t rank = 0;  // 1 for the best
};

enum class Stored {
    kAdded,      // a new entry
    kSame,       // this demo, or this game under the same name, is already there
    kOtherName,  // this game is already there under another name
    kOk,         // (reads) done
    kNotFound,   // (reads) no such entry
    kFailed,     // the database did not answer or could not write (full disk, lost connection)
};

class Store {
public:
    virtual ~Store() = default;
    // Adds the entry, or finds the one it repeats; *entry gets the stored entry with its rank
    // (kAdded, kSame) or the entry holding the game (kOtherName).
    virtual Stored Add(const NewEntry& entry, Entry* stored) = 0;
    // Best score first, ties by earlier arrival; with `all` false only each name's best.
    virtual Stored Board(bool all, std::int64_t limit, std::int64_t offset, std::int64_t* total,
                         std::vector<Entry>* entries) = 0;
    // The newest id: cheap, and changes whenever the board does.
    virtual Stored Version(std::int64_t* version) = 0;
    virtual Stored Demo(std::int64_t id, std::string* text) = 0;
    // Why the last call on this thread failed.
    virtual std::string LastError() = 0;
};

// "sqlite:PATH" or "postgresql://..." (any libpq connection URI). Creates or checks the schema;
// nullptr with the reason in *error.
std::unique_ptr<Store> OpenStore(const std::string& url, std::string* error);

// The schema this build writes; a database of a later one is refused.
constexpr int kSchemaVersion = 1;

}  // namespace board
