#include "platform/core/runtime/Text.h"
#include "platform/tables/IndexChoice.h"

#include "platform/tables/Field.h"

#include <algorithm>
#include <cassert>
#include <cctype>
#include <iterator>
#include <cstdlib>
#include <map>
#include <set>
#include <sstream>
#include <vector>

namespace platform {

namespace {

// A lookup in the records costs about as much as reading this many pages
// in order, on a cold cache.
constexpr std::int64_t kLookupsPerScannedPage = 4;

struct Comparison {
    std::string column;  // lower case, without a table or alias prefix
    std::string text;    // "<column> <op> <operand>" as written
    int value = -1;      // index into TranslatedSql::values for a "?" operand
};

bool IsIdentifier(const std::string& t) {
    if (t.empty() || std::isdigit(static_cast<unsigned char>(t[0]))) return false;
    for (char c : t)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_' && c != '.') return false;
    return true;
}

bool IsNumber(const std::string& t) {
    if (t.empty()) return false;
    size_t i = t[0] == '-' ? 1 : 0;
    bool digits = false;
    for (; i < t.size(); ++i) {
        if (std::isdigit(static_cast<unsigned char>(t[i]))) digits = true;
        else if (t[i] != '.') return false;
    }
    return digits;
}

// The condition as comparisons joined by "and"; nothing when it has any
// other shape (or, not, parentheses, functions...).
std::optional<std::vector<Comparison>> Comparisons(const TranslatedSql& sql) {
    static const std::set<std::string> ops = {"=", "<", "<=", ">", ">="};
    std::istringstream in(sql.whereClause);
    std::vector<std::string> tokens;
    for (std::string t; in >> t;) tokens.push_back(t);
    if (tokens.empty() || (tokens.size() + 1) % 4 != 0) return std::nullopt;
    std::vector<Comparison> out;
    int value = static_cast<int>(sql.valuesInSelectList);
    for (size_t i = 0; i < tokens.size(); i += 4) {
        if (i > 0 && platform::AsciiLower(tokens[i - 1]) != "and") return std::nullopt;
        const std::string &column = tokens[i], &op = tokens[i + 1], &operand = tokens[i + 2];
        if (!IsIdentifier(column) || !ops.count(op)) return std::nullopt;
        Comparison c;
        c.column = platform::AsciiLower(column.substr(column.rfind('.') == std::string::npos ? 0 : column.rfind('.') + 1));
        c.text = column + " " + op + " " + operand;
        if (operand == "?") c.value = value++;
        else if (!IsNumber(operand)) return std::nullopt;
        out.push_back(std::move(c));
    }
    if (value != static_cast<int>(sql.values.size())) return std::nullopt;
    return out;
}

}  // namespace

// Three stages: the indexes and statistics the file holds; for each
// indexed column, the rowids its comparisons leave, read from the index
// alone and given up past an eighth of the table (reading more of an index
// costs about what a scan does); the intersection, kept when it is small
// enough that a lookup per record costs less than reading every page.
std::optional<IndexChoice> ChooseIndex(sqlite::Connection& db, const TranslatedSql& sql) {
    if (!sql.resumable || sql.whereClause.empty()) return std::nullopt;
    auto comparisons = Comparisons(sql);
    if (!comparisons) return std::nullopt;

    // Stage 1: the engine's indexes with their records per value, and the table's size.
    std::map<std::string, std::int64_t> perValue;
    std::int64_t records = 0;
    {
        sqlite::Statement s(db, "SELECT 1 FROM main.sqlite_master WHERE name = 'sqlite_stat1'");
        sqlite::ResetGuard g(s);
        if (!s.Step()) return std::nullopt;  // never analysed
    }
    {
        sqlite::Statement s(db, "SELECT idx, stat FROM main.sqlite_stat1 WHERE tbl = 'records' AND idx IN "
                                "(SELECT name FROM main.sqlite_master WHERE type = 'index')");
        sqlite::ResetGuard g(s);
        while (s.Step()) {
            const std::string name = TField::Text(s.Column(0));
            std::istringstream stat(TField::Text(s.Column(1)));
            std::int64_t count = 0, each = 0;
            stat >> count >> each;
            records = std::max(records, count);
            if (name.rfind("vorel_ix_", 0) == 0) perValue[name] = std::max<std::int64_t>(each, 1);
        }
    }
    if (records <= 0 || perValue.empty()) return std::nullopt;
    std::int64_t pages = 0;
    {
        sqlite::Statement s(db, "PRAGMA main.page_count");
        sqlite::ResetGuard g(s);
        if (s.Step()) pages = s.ColumnInt(0);
    }

    // Stage 2: the rowids each indexed column leaves.
    const std::int64_t enough = records / 8 + 1;
    std::map<std::string, std::vector<const Comparison*>> byColumn;
    for (const Comparison& c : *comparisons) byColumn[c.column].push_back(&c);
    IndexChoice choice;
    std::optional<std::vector<std::int64_t>> left;
    for (const auto& [column, list] : byColumn) {
        const std::string index = "vorel_ix_" + column;
        auto stat = perValue.find(index);
        if (stat == perValue.end()) continue;
        const bool equality = std::all_of(list.begin(), list.end(), [](const Comparison* c) {
            return c->text.find(" = ") != std::string::npos;
        });
        if (equality && stat->second >= enough) continue;  // a value this common leaves too many
        std::string where;
        for (const Comparison* c : list) where += (where.empty() ? "" : " and ") + c->text;
        sqlite::Statement read(db, "SELECT " + sql.rowidColumn + " FROM " + sql.fromClause + " INDEXED BY " +
                                       sqlite::QuoteIdentifier(index) + " WHERE " + where + " LIMIT ?");
        sqlite::ResetGuard g(read);
        int n = 1;
        for (const Comparison* c : list)
            if (c->value >= 0) read.Bind(n++, sql.values[static_cast<size_t>(c->value)]);
        read.Bind(n, enough);
        std::vector<std::int64_t> rowids;
        while (read.Step()) rowids.push_back(read.ColumnInt(0));
        if (static_cast<std::int64_t>(rowids.size()) >= enough) continue;
        std::sort(rowids.begin(), rowids.end());
        if (left) {
            std::vector<std::int64_t> both;
            std::set_intersection(left->begin(), left->end(), rowids.begin(), rowids.end(), std::back_inserter(both));
            left = std::move(both);
        } else {
            left = std::move(rowids);
        }
        choice.Indexes.push_back(index);
    }

    // Stage 3: a lookup per record touches about a page each, in no order;
    // a scan reads every page once, in order, several per read ahead.
    if (!left || static_cast<std::int64_t>(left->size()) > pages / kLookupsPerScannedPage) {
        choice.FullScan = true;
        choice.Candidates.clear();
        return choice;
    }
    assert(std::is_sorted(left->begin(), left->end()));
    choice.Candidates = std::move(*left);
    return choice;
}

}  // namespace platform
