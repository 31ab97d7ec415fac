#pragma once
// Which records of a plain one-table query the engine's own indexes (see
// TTable::Indexes) can single out. SQLite's planner uses one index and
// knows only the average number of records per value of it; for a range it
// guesses, and each entry it reads costs a lookup in the records. The
// engine reads instead the rowids each indexed column's comparisons leave,
// from the index alone, and keeps those every index leaves.
#include "platform/tables/SqlDialect.h"
#include "platform/tables/Sqlite.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// When the condition is a conjunction of simple comparisons ("column op
// number" or "column op value", op one of = < <= > >=) on a table the
// engine keeps statistics for: the records that every indexed comparison
// leaves, found in the indexes alone (no record is read), or FullScan when
// the indexes leave too many for a lookup per record to beat reading the
// whole table in rowid order from a cold cache. Otherwise nothing: SQLite's
// planner decides.
struct IndexChoice {
    bool FullScan = false;
    std::vector<std::int64_t> Candidates;  // rowids, ascending; each still to be held to the whole condition
    std::vector<std::string> Indexes;      // the indexes read, for tests and plans
};
std::optional<IndexChoice> ChooseIndex(sqlite::Connection& db, const TranslatedSql& sql);

}  // namespace platform
