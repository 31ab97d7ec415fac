#include "platform/tables/IndexEstimates.h"

#include "platform/core/runtime/Text.h"

#include <algorithm>
#include <cassert>
#include <climits>
#include <cstdlib>

namespace platform {

namespace {

// Rows sampled: enough to tell a column that leaves a few per cent of the
// table from one that leaves most of it; few enough that making them costs
// about a millisecond at any size.
constexpr std::int64_t kSampleRows = 512;
// Rows read on from each sampled place: neighbours share their page, so a
// run costs little more than one row, and a run this short still meets
// every phase of a short period in the records' values.
constexpr std::int64_t kRunRows = 16;

// The k-th of a fixed sequence of well-mixed numbers (splitmix64): every bit
// of it random, so no period of the records' values is met in step, and
// the same file gives the same estimates.
std::uint64_t Mixed(std::uint64_t k) {
    std::uint64_t z = (k + 1) * 0x9E3779B97F4A7C15ull;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

// The positions [from, to) of a sorted run of values that hold for one
// comparison. Values are ordered against an operand as SQLite orders them:
// a number column's value against text that reads as a number compares as
// numbers; otherwise numbers come before texts (so a whole run holds or
// none does); a null operand matches nothing.
struct Run {
    std::size_t from, to;
};

// The run of values v with `v op key` in values sorted ascending.
template <class T>
Run Bisected(const std::vector<T>& values, const std::string& op, const T& key) {
    const auto lower = static_cast<std::size_t>(std::lower_bound(values.begin(), values.end(), key) - values.begin());
    const auto upper = static_cast<std::size_t>(std::upper_bound(values.begin(), values.end(), key) - values.begin());
    if (op == "=") return {lower, upper};
    if (op == "<") return {0, lower};
    if (op == "<=") return {0, upper};
    if (op == ">") return {upper, values.size()};
    return {lower, values.size()};  // >=
}

// The run when every value orders the same way (order < 0: all below the operand).
Run Whole(std::size_t size, const std::string& op, int order) {
    const bool holds = op == "=" ? order == 0
                     : op == "<" ? order < 0
                     : op == "<=" ? order <= 0
                     : op == ">" ? order > 0
                                 : order >= 0;
    return holds ? Run{0, size} : Run{0, 0};
}

}  // namespace

void IndexEstimates::Refresh(sqlite::Connection& db) {
    const auto counter = db.ChangeCounter();
    if (made_ > 0 && counter && counter == counter_) return;
    Make(db);
    counter_ = counter;
}

// Three stages, in one read transaction: the engine's one-column indexes
// and the table's extent; the sample, every row of a small table or runs
// of kRunRows rows read on from rowids spread at random over the extent
// (at random, so that values laid out in a period of the rowids are not
// met in step); the table's size, from how many of those rowids were rows
// themselves.
void IndexEstimates::Make(sqlite::Connection& db) {
    ++made_;
    sampled_.clear();
    indexOf_.clear();
    rows_ = 0;
    records_ = pages_ = 0;
    sqlite::ReadTransaction reading(db);

    // Stage 1: the indexes, the pages, the extent of the rowids.
    std::vector<std::string> columns;
    {
        sqlite::Statement s(db, "SELECT i.name, c.name FROM main.sqlite_master AS i, pragma_index_info(i.name) AS c "
                                "WHERE i.type = 'index' AND i.tbl_name = 'records' AND "
                                "substr(i.name, 1, 9) = 'vorel_ix_' AND "
                                "(SELECT count(*) FROM pragma_index_info(i.name)) = 1");
        sqlite::ResetGuard g(s);
        while (s.Step()) {
            const std::string column = AsciiLower(std::get<std::string>(s.Column(1)));
            if (indexOf_.emplace(column, std::get<std::string>(s.Column(0))).second) columns.push_back(column);
        }
    }
    if (columns.empty()) return;
    {
        sqlite::Statement s(db, "PRAGMA main.page_count");
        sqlite::ResetGuard g(s);
        if (s.Step()) pages_ = s.ColumnInt(0);
    }
    // Each end on its own: SQLite reads only one end of the table for a
    // lone min() or max(), and every record for both at once.
    std::int64_t first = 0, last = -1;
    {
        sqlite::Statement s(db, "SELECT rowid FROM main.records ORDER BY rowid LIMIT 1");
        sqlite::ResetGuard g(s);
        if (s.Step()) first = s.ColumnInt(0);
        sqlite::Statement e(db, "SELECT rowid FROM main.records ORDER BY rowid DESC LIMIT 1");
        sqlite::ResetGuard h(e);
        if (e.Step()) last = e.ColumnInt(0);
    }
    for (const auto& c : columns) sampled_[c];
    if (last < first) return;  // no records

    // Stage 2: the sample.
    std::string list;
    for (const auto& c : columns) list += ", " + sqlite::QuoteIdentifier(c);
    std::vector<Sample*> samples;
    for (const auto& c : columns) samples.push_back(&sampled_[c]);
    auto take = [&](sqlite::Statement& s) {
        for (size_t i = 0; i < columns.size(); ++i) {
            TValue v = s.Column(static_cast<int>(i) + 1);
            if (auto* d = std::get_if<double>(&v)) samples[i]->numbers.push_back(*d);
            else if (auto* t = std::get_if<std::string>(&v)) samples[i]->texts.push_back(std::move(*t));
        }
        ++rows_;
    };
    // Each kind of value in order, for Matching's bisection.
    auto sortSamples = [&] {
        for (Sample* sample : samples) {
            std::sort(sample->numbers.begin(), sample->numbers.end());
            std::sort(sample->texts.begin(), sample->texts.end());
        }
    };
    // Rowids may span the whole 64-bit range, whose size does not fit: one less then.
    const std::uint64_t span = static_cast<std::uint64_t>(last) - static_cast<std::uint64_t>(first);
    const std::uint64_t extent = span == UINT64_MAX ? span : span + 1;
    if (extent <= static_cast<std::uint64_t>(2 * kSampleRows)) {
        sqlite::Statement s(db, "SELECT rowid" + list + " FROM main.records");
        sqlite::ResetGuard g(s);
        while (s.Step()) take(s);
        sortSamples();
        records_ = static_cast<std::int64_t>(rows_);
        return;
    }
    sqlite::Statement s(db, "SELECT rowid" + list + " FROM main.records WHERE rowid >= ? ORDER BY rowid LIMIT " +
                                std::to_string(kRunRows));
    std::int64_t exact = 0;
    for (std::int64_t k = 0; k < kSampleRows / kRunRows; ++k) {
        const auto at = static_cast<std::int64_t>(static_cast<std::uint64_t>(first) +
                                                  Mixed(static_cast<std::uint64_t>(k)) % extent);
        sqlite::ResetGuard g(s);
        s.Bind(1, at);
        for (bool firstRow = true; s.Step(); firstRow = false) {
            if (firstRow && s.ColumnInt(0) == at) ++exact;
            take(s);
        }
    }

    sortSamples();

    // Stage 3: the share of the extent that holds rows.
    const double records = static_cast<double>(extent) * static_cast<double>(std::max<std::int64_t>(exact, 1)) /
                           static_cast<double>(kSampleRows / kRunRows);
    records_ = static_cast<std::int64_t>(std::min(records, 1e18));
    assert(rows_ <= static_cast<std::size_t>(kSampleRows));
}

std::int64_t IndexEstimates::Matching(const std::string& column, const std::vector<ColumnComparison>& comparisons) const {
    auto it = sampled_.find(column);
    if (it == sampled_.end() || rows_ == 0) return 0;
    const Sample& sample = it->second;
    Run numbers{0, sample.numbers.size()}, texts{0, sample.texts.size()};
    auto narrow = [](Run& run, Run by) {
        run.from = std::max(run.from, by.from);
        run.to = std::min(run.to, by.to);
    };
    for (const auto& c : comparisons) {
        if (const auto* number = std::get_if<double>(&c.operand)) {
            narrow(numbers, Bisected(sample.numbers, c.op, *number));
            narrow(texts, Whole(sample.texts.size(), c.op, 1));
        } else if (const auto* text = std::get_if<std::string>(&c.operand)) {
            char* end = nullptr;
            const double read = std::strtod(text->c_str(), &end);
            if (!text->empty() && end == text->c_str() + text->size())
                narrow(numbers, Bisected(sample.numbers, c.op, read));
            else
                narrow(numbers, Whole(sample.numbers.size(), c.op, -1));
            narrow(texts, Bisected(sample.texts, c.op, *text));
        } else {
            return 0;  // null: no value compares
        }
    }
    const std::size_t hits = (numbers.to > numbers.from ? numbers.to - numbers.from : 0) +
                             (texts.to > texts.from ? texts.to - texts.from : 0);
    return static_cast<std::int64_t>(static_cast<double>(records_) * static_cast<double>(hits) /
                                      static_cast<double>(rows_));
}

}  // namespace platform
