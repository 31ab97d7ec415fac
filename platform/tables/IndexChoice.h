#pragma once
// Which of the engine's own indexes (see TTable::Indexes) a plain one-table
// query should read through. SQLite's planner knows only the average number
// of records per value of an index; for a range it guesses. The engine
// counts instead: each index on a column the condition compares is asked how
// many records its comparisons leave, never counting past the best so far.
#include "platform/tables/SqlDialect.h"
#include "platform/tables/Sqlite.h"

#include <optional>
#include <string>

namespace platform {

// When the condition is a conjunction of simple comparisons ("column op
// number" or "column op value", op one of = < <= > >=) on a table the
// engine keeps statistics for: the index that leaves the fewest records, or
// FullScan when none leaves an eighth of the table or less (reading in
// rowid order is then cheaper than a lookup per record). Otherwise nothing:
// SQLite's planner decides.
struct IndexChoice {
    bool FullScan = false;
    std::string Index;
};
std::optional<IndexChoice> ChooseIndex(sqlite::Connection& db, const TranslatedSql& sql);

}  // namespace platform
