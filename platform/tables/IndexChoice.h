#pragma once
// Which records of a plain one-table query the engine's own indexes (see
// TTable::Indexes) can single out. SQLite's planner uses one index and
// knows only the average number of records per value of it; for a range it
// guesses, and each entry it reads costs a lookup in the records. The
// engine reads instead the rowids the most selective indexed columns'
// comparisons leave, from the indexes alone, and keeps those every index
// read leaves. Which columns are worth reading comes from the file's
// estimates (IndexEstimates), so choosing reads nothing but those indexes.
#include "platform/tables/IndexEstimates.h"
#include "platform/tables/SqlDialect.h"
#include "platform/tables/Sqlite.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// When the condition is a conjunction of simple comparisons ("column op
// number" or "column op value", op one of = < <= > >=) on a table with the
// engine's indexes: the records that every index read leaves, found in the
// indexes alone (no record is read), or FullScan when the indexes leave
// too many for a lookup per record to beat reading the whole table in rowid
// order from a cold cache. Otherwise nothing: SQLite's planner decides.
// The index entries read never pass the table's page count; the estimates
// are brought up to the file's state first.
struct IndexChoice {
    bool FullScan = false;
    std::vector<std::int64_t> Candidates;  // rowids, ascending; each still to be held to the whole condition
    std::vector<std::string> Indexes;      // the indexes read, for tests and plans
};
std::optional<IndexChoice> ChooseIndex(sqlite::Connection& db, const TranslatedSql& sql, IndexEstimates& estimates);

}  // namespace platform
