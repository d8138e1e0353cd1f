// The board in PostgreSQL: any number of servers on one database serve one board. Every query
// is a statement prepared once for each connection.
#include <libpq-fe.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "server/per_thread.h"
#include "server/store.h"
#include "server/store_impl.h"

namespace board {

namespace {

// Taken for each added entry, by every server on the database: entries then commit in the
// order of their ids, so the newest id names the board's version.
constexpr const char* kAddLock = "2028";

constexpr const char* kSchema =
    "CREATE TABLE IF NOT EXISTS schema_version (version INTEGER NOT NULL);"
    "CREATE TABLE IF NOT EXISTS entries ("
    "  id BIGINT GENERATED ALWAYS AS IDENTITY PRIMARY KEY, name TEXT NOT NULL,"
    "  score INTEGER NOT NULL, steps BIGINT NOT NULL, ended TEXT NOT NULL, date TEXT NOT NULL,"
    "  demo_key TEXT NOT NULL UNIQUE, game_key TEXT NOT NULL UNIQUE);"
    "CREATE INDEX IF NOT EXISTS entries_by_score ON entries (score DESC, id);"
    "CREATE INDEX IF NOT EXISTS entries_by_name ON entries (name, score DESC, id);"
    "CREATE TABLE IF NOT EXISTS demos (id BIGINT PRIMARY KEY REFERENCES entries (id),"
    "  text BYTEA NOT NULL);";

enum Statement {
    kLock,
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
    "SELECT pg_advisory_xact_lock(2028)",
    "SELECT id FROM entries WHERE demo_key = $1",
    "SELECT id, name FROM entries WHERE game_key = $1",
    "INSERT INTO entries (name, score, steps, ended, date, demo_key, game_key)"
    " VALUES ($1, $2, $3, $4, $5, $6, $7) RETURNING id",
    "INSERT INTO demos (id, text) VALUES ($1, $2)",
    ENTRY_WITH_RANK_SQL("$1"),
    "SELECT COUNT(DISTINCT name) FROM entries",
    "SELECT COUNT(*) FROM entries",
    BEST_SQL("$1", "$2"),
    ALL_SQL("$1", "$2"),
    "SELECT COALESCE(MAX(id), 0) FROM entries",
    "SELECT text FROM demos WHERE id = $1",
};

struct ResultFree {
    void operator()(PGresult* r) const { PQclear(r); }
};
using Result = std::unique_ptr<PGresult, ResultFree>;

struct Connection {
    PGconn* pg = nullptr;
    std::string error;
    ~Connection() { PQfinish(pg); }
};

bool Ok(Connection* c, const Result& r) {
    const ExecStatusType status = r ? PQresultStatus(r.get()) : PGRES_FATAL_ERROR;
    if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK) return true;
    c->error = PQerrorMessage(c->pg);
    while (!c->error.empty() && c->error.back() == '\n') c->error.pop_back();
    return false;
}

bool Simple(Connection* c, const char* sql) { return Ok(c, Result(PQexec(c->pg, sql))); }

// A prepared statement's name: "s" and its number (in a buffer: GCC 12 warns, falsely, about
// a string built from a literal here).
struct StatementName {
    char text[16];
    explicit StatementName(int which) { std::snprintf(text, sizeof text, "s%d", which); }
};

bool Prepare(Connection* c) {
    for (int i = 0; i < kStatementCount; ++i) {
        if (!Ok(c, Result(PQprepare(c->pg, StatementName(i).text, kSql[i], 0, nullptr)))) {
            return false;
        }
    }
    return true;
}

// Runs a prepared statement with text parameters (a binary one where `binary` says so); the
// result comes back in binary when `binaryResult`.
Result Run(Connection* c, Statement which, std::initializer_list<std::string> params,
           int binaryParam = -1, bool binaryResult = false) {
    // A connection lost (a restarted database) is made again, with its statements.
    if (PQstatus(c->pg) != CONNECTION_OK) {
        PQreset(c->pg);
        if (PQstatus(c->pg) != CONNECTION_OK || !Prepare(c)) return nullptr;
    }
    const char* values[8];
    int lengths[8], formats[8];
    int n = 0;
    for (const std::string& p : params) {
        values[n] = p.data();
        lengths[n] = static_cast<int>(p.size());
        formats[n] = n == binaryParam ? 1 : 0;
        ++n;
    }
    return Result(PQexecPrepared(c->pg, StatementName(which).text, n, values, lengths, formats,
                                 binaryResult ? 1 : 0));
}

std::string Field(const Result& r, int row, int column) {
    return std::string(PQgetvalue(r.get(), row, column), PQgetlength(r.get(), row, column));
}
std::int64_t Number(const Result& r, int row, int column) {
    return std::strtoll(PQgetvalue(r.get(), row, column), nullptr, 10);
}

Entry ReadEntry(const Result& r, int row) {
    Entry e;
    e.id = Number(r, row, 0);
    e.name = Field(r, row, 1);
    e.score = static_cast<std::int32_t>(Number(r, row, 2));
    e.steps = static_cast<std::uint32_t>(Number(r, row, 3));
    e.ended = Field(r, row, 4);
    e.date = Field(r, row, 5);
    e.rank = Number(r, row, 6);
    return e;
}

class PostgresStore final : public Store {
public:
    explicit PostgresStore(std::string url) : url_(std::move(url)) {}

    std::unique_ptr<Connection> Open(std::string* error) {
        auto c = std::make_unique<Connection>();
        c->pg = PQconnectdb(url_.c_str());
        if (PQstatus(c->pg) != CONNECTION_OK) {
            *error = PQerrorMessage(c->pg);
            while (!error->empty() && error->back() == '\n') error->pop_back();
            return nullptr;
        }
        if (!Prepare(c.get())) {
            *error = c->error;
            return nullptr;
        }
        return c;
    }

    bool CreateSchema(std::string* error) {
        Connection c;
        c.pg = PQconnectdb(url_.c_str());
        if (PQstatus(c.pg) != CONNECTION_OK) {
            *error = PQerrorMessage(c.pg);
            while (!error->empty() && error->back() == '\n') error->pop_back();
            return false;
        }
        Simple(&c, "SET client_min_messages = warning");
        // Two servers starting at once on a new database: one creates, the other waits.
        bool ok = Simple(&c, "BEGIN") &&
                  Simple(&c, (std::string("SELECT pg_advisory_xact_lock(") + kAddLock + ")").c_str()) &&
                  Simple(&c, kSchema);
        int version = -1;
        if (ok) {
            Result r(PQexec(c.pg, "SELECT MAX(version) FROM schema_version"));
            ok = Ok(&c, r);
            if (ok && !PQgetisnull(r.get(), 0, 0)) version = static_cast<int>(Number(r, 0, 0));
        }
        if (ok && version < 0) {
            ok = Simple(&c, ("INSERT INTO schema_version VALUES (" +
                             std::to_string(kSchemaVersion) + ")").c_str());
        } else if (ok && version > kSchemaVersion) {
            c.error = "the database holds schema " + std::to_string(version) +
                      ", newer than this server's " + std::to_string(kSchemaVersion);
            ok = false;
        }
        ok = ok && Simple(&c, "COMMIT");
        if (!ok) *error = c.error;
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
        if (!Simple(c, "BEGIN")) return Stored::kFailed;
        std::int64_t id = 0;
        const Stored result = AddInside(c, entry, &id);
        if (result != Stored::kAdded) {
            const std::string why = c->error;
            Simple(c, "ROLLBACK");
            c->error = why;
            if (result == Stored::kFailed) return result;
        } else if (!Simple(c, "COMMIT")) {
            return Stored::kFailed;
        }
        Result r = Run(c, kEntry, {std::to_string(id)});
        if (!Ok(c, r)) return Stored::kFailed;
        if (PQntuples(r.get()) != 1) {
            c->error = "the entry vanished";
            return Stored::kFailed;
        }
        *stored = ReadEntry(r, 0);
        return result;
    }

    Stored AddInside(Connection* c, const NewEntry& entry, std::int64_t* id) {
        if (!Ok(c, Run(c, kLock, {}))) return Stored::kFailed;
        Result r = Run(c, kByDemo, {entry.demoKey});
        if (!Ok(c, r)) return Stored::kFailed;
        if (PQntuples(r.get()) > 0) {
            *id = Number(r, 0, 0);
            return Stored::kSame;
        }
        r = Run(c, kByGame, {entry.gameKey});
        if (!Ok(c, r)) return Stored::kFailed;
        if (PQntuples(r.get()) > 0) {
            *id = Number(r, 0, 0);
            return Field(r, 0, 1) == entry.name ? Stored::kSame : Stored::kOtherName;
        }
        r = Run(c, kInsert,
                {entry.name, std::to_string(entry.score), std::to_string(entry.steps), entry.ended,
                 entry.date, entry.demoKey, entry.gameKey});
        if (!Ok(c, r) || PQntuples(r.get()) != 1) return Stored::kFailed;
        *id = Number(r, 0, 0);
        if (!Ok(c, Run(c, kInsertDemo, {std::to_string(*id), entry.demo}, 1))) {
            return Stored::kFailed;
        }
        return Stored::kAdded;
    }

    Stored Board(bool all, std::int64_t limit, std::int64_t offset, std::int64_t* total,
                 std::vector<Entry>* entries) override {
        Connection* c = Mine();
        if (!c) return Stored::kFailed;
        entries->clear();
        // One snapshot for the total and the page.
        if (!Simple(c, "BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY")) return Stored::kFailed;
        Result t = Run(c, all ? kAllTotal : kBestTotal, {});
        Result r;
        bool ok = Ok(c, t);
        if (ok) {
            *total = Number(t, 0, 0);
            r = Run(c, all ? kAll : kBest, {std::to_string(limit), std::to_string(offset)});
            ok = Ok(c, r);
        }
        const std::string why = c->error;
        Simple(c, ok ? "COMMIT" : "ROLLBACK");
        if (!ok) {
            c->error = why;
            return Stored::kFailed;
        }
        const int rows = PQntuples(r.get());
        for (int i = 0; i < rows; ++i) {
            entries->push_back(ReadEntry(r, i));
            entries->back().rank = offset + 1 + i;
        }
        return Stored::kOk;
    }

    Stored Version(std::int64_t* version) override {
        Connection* c = Mine();
        if (!c) return Stored::kFailed;
        Result r = Run(c, kVersion, {});
        if (!Ok(c, r)) return Stored::kFailed;
        *version = Number(r, 0, 0);
        return Stored::kOk;
    }

    Stored Demo(std::int64_t id, std::string* text) override {
        Connection* c = Mine();
        if (!c) return Stored::kFailed;
        Result r = Run(c, kDemo, {std::to_string(id)}, -1, true);
        if (!Ok(c, r)) return Stored::kFailed;
        if (PQntuples(r.get()) == 0) return Stored::kNotFound;
        *text = Field(r, 0, 0);
        return Stored::kOk;
    }

    std::string LastError() override {
        Connection* c = Mine();
        return c ? c->error : lastOpenError_;
    }

private:
    std::string url_;
    PerThread<Connection> connections_;
    static inline thread_local std::string lastOpenError_;
};

}  // namespace

std::unique_ptr<Store> OpenPostgresStore(const std::string& url, std::string* error) {
    auto store = std::make_unique<PostgresStore>(url);
    if (!store->CreateSchema(error)) return nullptr;
    if (!store->Mine()) {
        *error = store->LastError();
        return nullptr;
    }
    return store;
}

}  // namespace board
