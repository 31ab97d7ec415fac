#pragma once
// What a table file's own indexes (vorel_ix_<column>) let a query expect,
// made once per state of the file: a sample of the indexed columns' values
// from rows spread over the whole table, with the table's size. Asking how
// many records a column's comparisons leave then costs the same at any
// table size, and reads nothing. The estimates are made again when the
// file's change counter moved since, whoever wrote it.
#include "platform/tables/FieldDefs.h"
#include "platform/tables/Sqlite.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// One comparison of an indexed column: op is one of = < <= > >=; the
// operand a number written in the SQL or a text value bound to it.
struct ColumnComparison {
    std::string op;
    TValue operand;
};

class IndexEstimates {
public:
    // Brought up to the file's present state (made on first use).
    void Refresh(sqlite::Connection& db);

    // Whether the file holds any of the engine's indexes.
    bool HasIndexes() const { return !sampled_.empty(); }
    // The index of a column (lower case); empty when it has none.
    std::string IndexOf(const std::string& column) const {
        auto it = indexOf_.find(column);
        return it == indexOf_.end() ? std::string() : it->second;
    }
    // About how many records leave every comparison of the column (lower
    // case, indexed); the sample's share of the table, so a count below
    // Records() / SampleSize() may be anything from none to about that.
    std::int64_t Matching(const std::string& column, const std::vector<ColumnComparison>& comparisons) const;
    std::int64_t Records() const { return records_; }
    std::int64_t Pages() const { return pages_; }
    std::size_t SampleSize() const { return rows_; }
    // How many times they were made, for tests.
    int Made() const { return made_; }

private:
    void Make(sqlite::Connection& db);

    std::optional<std::uint32_t> counter_;                 // the file's state they were made for
    std::map<std::string, std::string> indexOf_;           // lower-case column -> its index
    // A column's sampled values, nulls left out, each kind in ascending
    // order: whatever a comparison's operand, the values it holds for are
    // then one run of each, found by bisection.
    struct Sample {
        std::vector<double> numbers;
        std::vector<std::string> texts;
    };
    std::map<std::string, Sample> sampled_;                // lower-case column -> the sample's values
    std::size_t rows_ = 0;
    std::int64_t records_ = 0, pages_ = 0;
    int made_ = 0;
};

}  // namespace platform
