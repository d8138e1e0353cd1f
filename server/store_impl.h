// What the two stores share: their queries, which are the same SQL in SQLite and PostgreSQL but
// for the parameters' spelling, and how each is opened.
#pragma once

#include <memory>
#include <string>

#include "server/store.h"

// An entry and its rank: one more than the number of other names with a better game (a higher
// score, or the same one earlier), so that a game that is not its name's best still says where
// it would stand.
#define ENTRY_WITH_RANK_SQL(id)                                                               \
    "SELECT e.id, e.name, e.score, e.steps, e.ended, e.date, 1 + (SELECT COUNT(DISTINCT o.name)" \
    " FROM entries o WHERE o.name <> e.name AND (o.score > e.score OR"                        \
    " (o.score = e.score AND o.id < e.id))) FROM entries e WHERE e.id = " id

// A page of the board: each name's best game, or every game. The rank is the place in the list.
#define BEST_SQL(limit, offset)                                                                \
    "SELECT id, name, score, steps, ended, date, 0 FROM (SELECT id, name, score, steps, ended,"  \
    " date, ROW_NUMBER() OVER (PARTITION BY name ORDER BY score DESC, id) AS place"             \
    " FROM entries) AS best WHERE place = 1 ORDER BY score DESC, id LIMIT " limit " OFFSET " offset
#define ALL_SQL(limit, offset)                                      \
    "SELECT id, name, score, steps, ended, date, 0 FROM entries" \
    " ORDER BY score DESC, id LIMIT " limit " OFFSET " offset

namespace board {

std::unique_ptr<Store> OpenSqliteStore(const std::string& path, std::string* error);
std::unique_ptr<Store> OpenPostgresStore(const std::string& url, std::string* error);

}  // namespace board
