// The board in SQLite: WAL, so that reads go on beside a write, and synchronous=FULL, so that a
// commit is on the disk before the submission is answered.
#include <sqlite3.h>

#include <string>

#include "server/per_thread.h"
#include "server/store.h"
#include "server/store_impl.h"

namespace board {

namespace {

constexpr const char* kSchema =
    "CREATE TABLE IF NOT EXISTS schema_version (version INTEGER NOT NULL);"
    "CREATE TABLE IF NOT EXISTS entries ("
    "  id INTEGER PRIMARY KEY AUTOINCREMENT, name TEXT NOT NULL, score INTEGER NOT NULL,"
    "  steps INTEGER NOT NULL, ended TEXT NOT NULL, date TEXT NOT NULL,"
    "  demo_key TEXT NOT NULL UNIQUE, game_key TEXT NOT NULL UNIQUE);"
    "CREATE INDEX IF NOT EXISTS entries_by_score ON entries (score DESC, id);"
    "CREATE INDEX IF NOT EXISTS entries_by_name ON entries (name, score DESC, id);"
    // Kept apart so that reading the board never passes over the demos' bytes.
    "CREATE TABLE IF NOT EXISTS demos (id INTEGER PRIMARY KEY, text BLOB NOT NULL);";

// The statements, each prepared once for each connection.
enum Statement {
    kBegin,
    kCommit,
    kRollback,
    kByDemo,
    kByGame,
    kInsert,
    kInsertDemo,
    kEntry,
    kBestTotal,
    kAllTotal,
    kBest,
    kAll,
    kVersion,
    kDemo,
    kStatementCount
};

constexpr const char* kSql[kStatementCount] = {
    "BEGIN IMMEDIATE",
    "COMMIT",
    "ROLLBACK",
    "SELECT id FROM entries WHERE demo_key = ?1",
    "SELECT id, name FROM entries WHERE game_key = ?1",
    "INSERT INTO entries (name, score, steps, ended, date, demo_key, game_key)"
    " VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)",
    "INSERT INTO demos (id, text) VALUES (?1, ?2)",
    ENTRY_WITH_RANK_SQL("?1"),
    "SELECT COUNT(DISTINCT name) FROM entries",
    "SELECT COUNT(*) FROM entries",
    BEST_SQL("?1", "?2"),
    ALL_SQL("?1", "?2"),
    "SELECT COALESCE(MAX(id), 0) FROM entries",
    "SELECT text FROM demos WHERE id = ?1",
};

struct Connection {
    sqlite3* db = nullptr;
    sqlite3_stmt* statements[kStatementCount] = {};
    std::string error;
    ~Connection() {
        for (sqlite3_stmt* s : statements) sqlite3_finalize(s);
        sqlite3_close(db);
    }
};

bool Exec(sqlite3* db, const char* sql, std::string* error) {
    char* message = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &message) == SQLITE_OK) return true;
    *error = message ? message : sqlite3_errmsg(db);
    sqlite3_free(message);
    return false;
}

// A statement reset and ready for its parameters; it is reset again before it is next used.
class Query {
public:
    Query(Connection* c, Statement which) : c_(c), s_(c->statements[which]) {
        sqlite3_reset(s_);
        sqlite3_clear_bindings(s_);
    }
    ~Query() { sqlite3_reset(s_); }
    Query& Text(int index, const std::string& text) {
        sqlite3_bind_text(s_, index, text.data(), static_cast<int>(text.size()), SQLITE_STATIC);
        return *this;
    }
    Query& Blob(int index, const std::string& bytes) {
        sqlite3_bind_blob(s_, index, bytes.data(), static_cast<int>(bytes.size()), SQLITE_STATIC);
        return *this;
    }
    Query& Int(int index, std::int64_t value) {
        sqlite3_bind_int64(s_, index, value);
        return *this;
    }
    // A row, the end, or a failure (false, with *failed set and the reason kept).
    bool Row(bool* failed) {
        const int code = sqlite3_step(s_);
        if (code == SQLITE_ROW) return true;
        if (code != SQLITE_DONE) {
            *failed = true;
            c_->error = sqlite3_errmsg(c_->db);
        }
        return false;
    }
    bool Run() {
        bool failed = false;
        while (Row(&failed)) {
        }
        return !failed;
    }
    std::int64_t Int(int column) { return sqlite3_column_int64(s_, column); }
    std::string Text(int column) {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_blob(s_, column));
        return text ? std::string(text, sqlite3_column_bytes(s_, column)) : std::string();
    }

private:
    Connection* c_;
    sqlite3_stmt* s_;
};

Entry ReadEntry(Query& q) {
    Entry e;
    e.id = q.Int(0);
    e.name = q.Text(1);
    e.score = static_cast<std::int32_t>(q.Int(2));
    e.steps = static_cast<std::uint32_t>(q.Int(3));
    e.ended = q.Text(4);
    e.date = q.Text(5);
    e.rank = q.Int(6);
    return e;
}

class SqliteStore final : public Store {
public:
    explicit SqliteStore(std::string path) : path_(std::move(path)) {}

    std::unique_ptr<Connection> Open(std::string* error) {
        auto c = std::make_unique<Connection>();
        const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX;
        if (sqlite3_open_v2(path_.c_str(), &c->db, flags, nullptr) != SQLITE_OK) {
            *error = c->db ? sqlite3_errmsg(c->db) : "cannot open the database";
            return nullptr;
        }
        sqlite3_busy_timeout(c->db, 10000);
        if (!Exec(c->db, "PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL;", error)) return nullptr;
        for (int i = 0; i < kStatementCount; ++i) {
            if (sqlite3_prepare_v3(c->db, kSql[i], -1, SQLITE_PREPARE_PERSISTENT,
                                   &c->statements[i], nullptr) != SQLITE_OK) {
                *error = std::string(sqlite3_errmsg(c->db)) + " in: " + kSql[i];
                return nullptr;
            }
        }
        return c;
    }

    bool CreateSchema(std::string* error) {
        sqlite3* db = nullptr;
        const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX;
        if (sqlite3_open_v2(path_.c_str(), &db, flags, nullptr) != SQLITE_OK) {
            *error = db ? sqlite3_errmsg(db) : "cannot open the database";
            sqlite3_close(db);
            return false;
        }
        sqlite3_busy_timeout(db, 10000);
        bool ok = Exec(db, "PRAGMA journal_mode=WAL; BEGIN IMMEDIATE;", error) &&
                  Exec(db, kSchema, error);
        int version = -1;
        if (ok) {
            sqlite3_stmt* s = nullptr;
            ok = sqlite3_prepare_v2(db, "SELECT MAX(version) FROM schema_version", -1, &s,
                                    nullptr) == SQLITE_OK &&
                 sqlite3_step(s) == SQLITE_ROW;
            if (ok && sqlite3_column_type(s, 0) != SQLITE_NULL) version = sqlite3_column_int(s, 0);
            sqlite3_finalize(s);
            if (!ok) *error = sqlite3_errmsg(db);
        }
        if (ok && version < 0) {
            ok = Exec(db,
                      ("INSERT INTO schema_version VALUES (" + std::to_string(kSchemaVersion) + ")")
                          .c_str(),
                      error);
        } else if (ok && version > kSchemaVersion) {
            *error = "the database holds schema " + std::to_string(version) +
                     ", newer than this server's " + std::to_string(kSchemaVersion);
            ok = false;
        }
        ok = ok && Exec(db, "COMMIT", error);
        sqlite3_close(db);  // an open transaction is rolled back
        return ok;
    }

    Connection* Mine() {
        std::string error;
        Connection* c = connections_.Get([&] { return Open(&error); });
        if (!c) lastOpenError_ = error;
        return c;
    }

    Stored Add(const NewEntry& entry, Entry* stored) override {
        Connection* c = Mine();
        if (!c) return Stored::kFailed;
        if (!Query(c, kBegin).Run()) return Stored::kFailed;
        std::int64_t id = 0;
        const Stored result = AddInside(c, entry, &id);
        if (result != Stored::kAdded) {
            Query(c, kRollback).Run();
            if (result == Stored::kFailed) return result;
        } else if (!Query(c, kCommit).Run()) {
            const std::string why = c->error;
            Query(c, kRollback).Run();
            c->error = why;
            return Stored::kFailed;
        }
        if (!ReadOne(c, id, stored)) return Stored::kFailed;
        return result;
    }

    Stored AddInside(Connection* c, const NewEntry& entry, std::int64_t* id) {
        bool failed = false;
        {
            Query q(c, kByDemo);
            if (q.Text(1, entry.demoKey).Row(&failed)) {
                *id = q.Int(0);
                return Stored::kSame;
            }
        }
        if (failed) return Stored::kFailed;
        {
            Query q(c, kByGame);
            if (q.Text(1, entry.gameKey).Row(&failed)) {
                *id = q.Int(0);
                return q.Text(1) == entry.name ? Stored::kSame : Stored::kOtherName;
            }
        }
        if (failed) return Stored::kFailed;
        if (!Query(c, kInsert)
                 .Text(1, entry.name)
                 .Int(2, entry.score)
                 .Int(3, entry.steps)
                 .Text(4, entry.ended)
                 .Text(5, entry.date)
                 .Text(6, entry.demoKey)
                 .Text(7, entry.gameKey)
                 .Run()) {
            return Stored::kFailed;
        }
        *id = sqlite3_last_insert_rowid(c->db);
        if (!Query(c, kInsertDemo).Int(1, *id).Blob(2, entry.demo).Run()) return Stored::kFailed;
        return Stored::kAdded;
    }

    bool ReadOne(Connection* c, std::int64_t id, Entry* stored) {
        Query q(c, kEntry);
        bool failed = false;
        if (!q.Int(1, id).Row(&failed)) {
            if (!failed) c->error = "the entry vanished";
            return false;
        }
        *stored = ReadEntry(q);
        return true;
    }

    Stored Board(bool all, std::int64_t limit, std::int64_t offset, std::int64_t* total,
                 std::vector<Entry>* entries) override {
        Connection* c = Mine();
        if (!c) return Stored::kFailed;
        entries->clear();
        // One read transaction, so that the total and the page are of one version.
        if (!Exec(c->db, "BEGIN", &c->error)) return Stored::kFailed;
        bool failed = false;
        {
            Query q(c, all ? kAllTotal : kBestTotal);
            if (q.Row(&failed)) *total = q.Int(0);
        }
        if (!failed) {
            Query q(c, all ? kAll : kBest);
            q.Int(1, limit).Int(2, offset);
            while (q.Row(&failed)) entries->push_back(ReadEntry(q));
        }
        Query(c, kCommit).Run();
        for (std::size_t i = 0; i < entries->size(); ++i) (*entries)[i].rank = offset + 1 + i;
        return failed ? Stored::kFailed : Stored::kOk;
    }

    Stored Version(std::int64_t* version) override {
        Connection* c = Mine();
        if (!c) return Stored::kFailed;
        Query q(c, kVersion);
        bool failed = false;
        if (!q.Row(&failed)) return Stored::kFailed;
        *version = q.Int(0);
        return Stored::kOk;
    }

    Stored Demo(std::int64_t id, std::string* text) override {
        Connection* c = Mine();
        if (!c) return Stored::kFailed;
        Query q(c, kDemo);
        bool failed = false;
        if (!q.Int(1, id).Row(&failed)) return failed ? Stored::kFailed : Stored::kNotFound;
        *text = q.Text(0);
        return Stored::kOk;
    }

    std::string LastError() override {
        Connection* c = Mine();
        return c ? c->error : lastOpenError_;
    }

private:
    std::string path_;
    PerThread<Connection> connections_;
    static inline thread_local std::string lastOpenError_;
};

}  // namespace

std::unique_ptr<Store> OpenSqliteStore(const std::string& path, std::string* error) {
    auto store = std::make_unique<SqliteStore>(path);
    if (!store->CreateSchema(error)) return nullptr;
    // The first connection now, so that a database that cannot be used stops the start.
    if (!store->Mine()) {
        *error = store->LastError();
        return nullptr;
    }
    return store;
}

}  // namespace board
