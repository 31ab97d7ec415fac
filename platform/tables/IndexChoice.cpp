#include "platform/runtime/Text.h"
#include "platform/tables/IndexChoice.h"

#include "platform/tables/Field.h"

#include <cctype>
#include <cstdlib>
#include <map>
#include <set>
#include <sstream>
#include <vector>

namespace platform {

namespace {

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

std::optional<IndexChoice> ChooseIndex(sqlite::Connection& db, const TranslatedSql& sql) {
    if (!sql.resumable || sql.whereClause.empty()) return std::nullopt;
    auto comparisons = Comparisons(sql);
    if (!comparisons) return std::nullopt;

    // The engine's indexes, and whether statistics were ever gathered, in one look.
    std::set<std::string> indexes;
    bool analysed = false;
    {
        sqlite::Statement s(db, "SELECT name FROM main.sqlite_master WHERE name = 'sqlite_stat1' OR "
                                "(type = 'index' AND name LIKE 'vorel\\_ix\\_%' ESCAPE '\\')");
        sqlite::ResetGuard g(s);
        while (s.Step()) {
            const std::string name = TField::Text(s.Column(0));
            if (name == "sqlite_stat1") analysed = true;
            else indexes.insert(name);
        }
    }
    if (!analysed || indexes.empty()) return std::nullopt;
    // How many records the table holds, as the last statistics counted them.
    std::int64_t records = 0;
    {
        sqlite::Statement s(db, "SELECT stat FROM main.sqlite_stat1 WHERE tbl = 'records' LIMIT 1");
        sqlite::ResetGuard g(s);
        if (!s.Step()) return std::nullopt;
        records = std::atoll(TField::Text(s.Column(0)).c_str());
    }
    if (records <= 0) return std::nullopt;

    std::map<std::string, std::vector<const Comparison*>> byColumn;
    for (const Comparison& c : *comparisons) byColumn[c.column].push_back(&c);
    std::optional<std::string> best;
    std::int64_t bestCount = records / 8 + 1;
    for (const auto& [column, list] : byColumn) {
        const std::string index = "vorel_ix_" + column;
        if (!indexes.count(index)) continue;
        std::string where;
        for (const Comparison* c : list) where += (where.empty() ? "" : " and ") + c->text;
        sqlite::Statement count(db, "SELECT count(*) FROM (SELECT 1 FROM " + sql.fromClause + " INDEXED BY " +
                                        sqlite::QuoteIdentifier(index) + " WHERE " + where + " LIMIT ?)");
        sqlite::ResetGuard g(count);
        int n = 1;
        for (const Comparison* c : list)
            if (c->value >= 0) count.Bind(n++, sql.values[static_cast<size_t>(c->value)]);
        count.Bind(n, bestCount);
        if (!count.Step()) continue;
        const std::int64_t left = count.ColumnInt(0);
        if (left < bestCount) {
            bestCount = left;
            best = index;
        }
    }
    if (!best) return IndexChoice{true, ""};
    return IndexChoice{false, *best};
}

}  // namespace platform
