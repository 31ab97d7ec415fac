#include "platform/core/runtime/ScopeExit.h"
#include "platform/core/runtime/Text.h"
#include "platform/tables/IndexChoice.h"

#include "platform/tables/Field.h"

#include <sqlite3.h>

#include <algorithm>
#include <cassert>
#include <cctype>
#include <iterator>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace platform {

namespace {

// A lookup in the records costs about as much as reading this many pages
// in order, on a cold cache.
constexpr std::int64_t kLookupsPerScannedPage = 4;
// Reading an index entry in order costs about this share of a lookup.
constexpr double kEntriesPerLookup = 16;
// Index entries a plan reads at most, per page of the table: an index page
// holds a few hundred entries, and a record page a few dozen records each
// held to the condition, so reading this many costs a quarter of a scan
// or less.
constexpr std::int64_t kEntriesPerScannedPage = 16;

struct Comparison {
    std::string column;  // lower case, without a table or alias prefix
    std::string op;      // = < <= > >=
    std::string operand; // a number as written, or "?"
    std::string text;    // "<column> <op> <operand>" as written
    int value = -1;      // index into TranslatedSql::values for a "?" operand
};

bool IsIdentifier(std::string_view t) {
    if (t.empty() || std::isdigit(static_cast<unsigned char>(t[0]))) return false;
    for (char c : t)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_' && c != '.') return false;
    return true;
}

bool IsNumber(std::string_view t) {
    if (t.empty()) return false;
    size_t i = t[0] == '-' ? 1 : 0;
    bool digits = false;
    for (; i < t.size(); ++i) {
        if (std::isdigit(static_cast<unsigned char>(t[i]))) digits = true;
        else if (t[i] != '.') return false;
    }
    return digits;
}

// Stepping SQLite to each index entry read, to be handed its rowid, costs
// about as much again as reading the entry. The rowids are gathered inside
// the statement instead, by a function that the read's condition calls
// last: SQLite tests a loop's terms in their order (those its seek uses
// are not tested again), so the function sees each entry the comparisons
// leave, appends its rowid and, once enough are gathered, holds so that the
// read ends (LIMIT 1). Each connection has the function made once, with
// the place where its reads gather; it is known until the connection closes.
constexpr const char* kGather = "vorel_gather_rowid";

struct Gathering {
    sqlite3* connection = nullptr;
    std::vector<std::int64_t>* out = nullptr;  // only while a read runs
    std::int64_t enough = 0;
};

// The connections' gatherings. Never destroyed: a connection may close
// while the program's statics are destroyed.
struct Gatherings {
    std::mutex mutex;
    std::unordered_map<const sqlite3*, std::unique_ptr<Gathering>> of;
};
Gatherings& AllGatherings() {
    static auto* all = new Gatherings;
    return *all;
}

void Gather(sqlite3_context* context, int, sqlite3_value** argv) {
    auto* g = static_cast<Gathering*>(sqlite3_user_data(context));
    if (!g->out) return sqlite3_result_error(context, "rowids gathered outside an index read", -1);
    try {
        g->out->push_back(sqlite3_value_int64(argv[0]));
    } catch (const std::bad_alloc&) {
        return sqlite3_result_error_nomem(context);
    }
    sqlite3_result_int(context, static_cast<std::int64_t>(g->out->size()) >= g->enough);
}

// Runs when the connection closes (or the function could not be made).
void GatheringGone(void* gathering) {
    Gatherings& all = AllGatherings();
    std::lock_guard lock(all.mutex);
    all.of.erase(static_cast<Gathering*>(gathering)->connection);
}

Gathering& GatheringOf(sqlite::Connection& db) {
    sqlite3* handle = db.Handle();
    Gatherings& all = AllGatherings();
    Gathering* made = nullptr;
    {
        std::lock_guard lock(all.mutex);
        auto& slot = all.of[handle];
        if (slot) return *slot;
        slot = std::make_unique<Gathering>();
        slot->connection = handle;
        made = slot.get();
    }
    const int rc = sqlite3_create_function_v2(handle, kGather, 1, SQLITE_UTF8 | SQLITE_DIRECTONLY, made, &Gather,
                                              nullptr, nullptr, &GatheringGone);
    if (rc != SQLITE_OK) {
        std::lock_guard lock(all.mutex);
        all.of.erase(handle);  // if GatheringGone has not already
        db.FailWith(rc);
    }
    return *made;
}

// White space as the C locale has it, whatever the program's locale.
bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

bool IsOperator(std::string_view t) { return t == "=" || t == "<" || t == "<=" || t == ">" || t == ">="; }

// The condition as comparisons joined by "and"; nothing when it has any
// other shape (or, not, parentheses, functions...).
std::optional<std::vector<Comparison>> Comparisons(const TranslatedSql& sql) {
    std::vector<std::string_view> tokens;  // split at white space
    const std::string_view where = sql.whereClause;
    for (size_t i = 0; i < where.size();) {
        if (IsSpace(where[i])) {
            ++i;
            continue;
        }
        size_t j = i;
        while (j < where.size() && !IsSpace(where[j])) ++j;
        tokens.push_back(where.substr(i, j - i));
        i = j;
    }
    if (tokens.empty() || (tokens.size() + 1) % 4 != 0) return std::nullopt;
    std::vector<Comparison> out;
    out.reserve((tokens.size() + 1) / 4);
    int value = static_cast<int>(sql.valuesInSelectList);
    for (size_t i = 0; i < tokens.size(); i += 4) {
        if (i > 0 && (tokens[i - 1].size() != 3 || AsciiLower(tokens[i - 1][0]) != 'a' ||
                      AsciiLower(tokens[i - 1][1]) != 'n' || AsciiLower(tokens[i - 1][2]) != 'd'))
            return std::nullopt;
        const std::string_view column = tokens[i], op = tokens[i + 1], operand = tokens[i + 2];
        if (!IsIdentifier(column) || !IsOperator(op)) return std::nullopt;
        Comparison c;
        const size_t dot = column.rfind('.');
        c.column = platform::AsciiLower(column.substr(dot == std::string_view::npos ? 0 : dot + 1));
        c.op = op;
        c.operand = operand;
        c.text.append(column).append(" ").append(op).append(" ").append(operand);
        if (operand == "?") c.value = value++;
        else if (!IsNumber(operand)) return std::nullopt;
        out.push_back(std::move(c));
    }
    if (value != static_cast<int>(sql.values.size())) return std::nullopt;
    return out;
}

}  // namespace

// Three stages: the estimates of the file's indexes, brought up to date;
// the plan, a scan unless reading the indexed columns most selective first
// (one more while its entries cost fewer than the lookups it saves), within
// a budget of index entries, is expected to leave few enough records that
// a lookup each costs less than reading every page; the reading, each
// column's rowids from its index alone, on the same rule with the records
// actually left, given up when they pass twice the estimate (the estimates
// may be wrong), and the rows every column read leaves, kept when they are
// still few enough.
std::optional<IndexChoice> ChooseIndex(sqlite::Connection& db, const TranslatedSql& sql, IndexEstimates& estimates) {
    if (!sql.resumable || sql.whereClause.empty()) return std::nullopt;
    auto comparisons = Comparisons(sql);
    if (!comparisons) return std::nullopt;

    // Stage 1: the estimates.
    sqlite::ReadTransaction reading(db);
    estimates.Refresh(db);
    if (!estimates.HasIndexes()) return std::nullopt;
    const std::int64_t pages = estimates.Pages();
    const std::int64_t lookups = pages / kLookupsPerScannedPage;
    const std::int64_t entries = pages * kEntriesPerScannedPage;

    // Stage 2: the plan.
    struct Column {
        std::string index;
        std::vector<const Comparison*> list;
        std::int64_t estimate = 0;
    };
    std::map<std::string, Column> byColumn;
    for (const Comparison& c : *comparisons) byColumn[c.column].list.push_back(&c);
    std::vector<Column*> indexed;
    for (auto& [name, column] : byColumn) {
        column.index = estimates.IndexOf(name);
        if (column.index.empty()) continue;
        std::vector<ColumnComparison> held;
        for (const Comparison* c : column.list) {
            TValue operand = c->value >= 0 ? TValue(sql.values[static_cast<size_t>(c->value)])
                                           : TValue(std::strtod(c->operand.c_str(), nullptr));
            held.push_back({c->op, std::move(operand)});
        }
        column.estimate = estimates.Matching(name, held);
        indexed.push_back(&column);
    }
    std::stable_sort(indexed.begin(), indexed.end(),
                     [](const Column* a, const Column* b) { return a->estimate < b->estimate; });
    const double records = static_cast<double>(std::max<std::int64_t>(estimates.Records(), 1));
    double expected = records;
    std::int64_t planned = 0;
    for (const Column* column : indexed) {
        const double after = expected * static_cast<double>(column->estimate) / records;
        if (planned + column->estimate > entries) break;
        if (planned > 0 && static_cast<double>(column->estimate) >= kEntriesPerLookup * (expected - after)) break;
        planned += column->estimate;
        expected = after;
    }
    IndexChoice choice;
    if (expected > static_cast<double>(lookups)) {
        choice.FullScan = true;
        return choice;
    }

    // Stage 3: the reading.
    const std::int64_t sampleShare =
        estimates.Records() / std::max<std::int64_t>(static_cast<std::int64_t>(estimates.SampleSize()), 1);
    std::int64_t budget = entries;
    std::optional<std::vector<std::int64_t>> left;
    Gathering& gathering = GatheringOf(db);
    for (const Column* column : indexed) {
        if (budget <= column->estimate || (left && left->empty())) break;
        // After the first, a column is read while its entries cost fewer
        // than the lookups it saves on the records read so far.
        if (left && static_cast<double>(column->estimate) >=
                        kEntriesPerLookup * static_cast<double>(left->size()) * (1.0 - static_cast<double>(column->estimate) / records))
            break;
        std::string where;
        for (const Comparison* c : column->list) where += (where.empty() ? "" : " and ") + c->text;
        sqlite::Statement& read =
            *db.Prepared("SELECT 1 FROM " + sql.fromClause + " INDEXED BY " + sqlite::QuoteIdentifier(column->index) +
                         " WHERE " + where + " AND " + kGather + "(" + sql.rowidColumn + ") LIMIT 1");
        sqlite::ResetGuard g(read);
        int n = 1;
        for (const Comparison* c : column->list)
            if (c->value >= 0) read.Bind(n++, sql.values[static_cast<size_t>(c->value)]);
        // Twice the estimate and some sampling error at most: an estimate
        // far off wastes no more than reading what was planned.
        const std::int64_t limit = std::min(budget, 2 * column->estimate + 4 * sampleShare + 64);
        std::vector<std::int64_t> rowids;
        rowids.reserve(static_cast<size_t>(std::min(limit + 1, column->estimate + column->estimate / 2 + 64)));
        gathering.out = &rowids;
        gathering.enough = limit + 1;
        ScopeExit done([&] { gathering.out = nullptr; });
        read.Step();  // a row only when limit + 1 were gathered
        budget -= static_cast<std::int64_t>(rowids.size());
        if (static_cast<std::int64_t>(rowids.size()) > limit) break;  // far more than estimated
        // One value's entries come in rowid order; a range's do not.
        if (!std::is_sorted(rowids.begin(), rowids.end())) std::sort(rowids.begin(), rowids.end());
        if (left) {
            std::vector<std::int64_t> both;
            std::set_intersection(left->begin(), left->end(), rowids.begin(), rowids.end(), std::back_inserter(both));
            left = std::move(both);
        } else {
            left = std::move(rowids);
        }
        choice.Indexes.push_back(column->index);
    }
    if (!left || static_cast<std::int64_t>(left->size()) > lookups) {
        choice.FullScan = true;
        choice.Indexes.clear();
        return choice;
    }
    assert(std::is_sorted(left->begin(), left->end()));
    choice.Candidates = std::move(*left);
    return choice;
}

}  // namespace platform
