#include "platform/tables/SqlDialect.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>
#include <string_view>

#include "platform/core/runtime/Text.h"

namespace platform {

namespace {
bool IdentStart(unsigned char c) { return std::isalpha(c) || c == '_' || c >= 0x80; }
bool IdentChar(unsigned char c) { return std::isalnum(c) || c == '_' || c >= 0x80; }

struct Token {
    enum Kind { Space, Ident, Number, String, Symbol } kind;
    std::string text;  // identifier, number or symbol as written; a string's value
};

std::vector<Token> Tokenize(const std::string& sql) {
    std::vector<Token> out;
    out.reserve(sql.size() / 2);
    size_t i = 0, n = sql.size();
    auto space = [&] {
        if (out.empty() || out.back().kind != Token::Space) out.push_back({Token::Space, " "});
    };
    while (i < n) {
        unsigned char c = static_cast<unsigned char>(sql[i]);
        if (std::isspace(c)) {
            space();
            ++i;
        } else if (c == '-' && i + 1 < n && sql[i + 1] == '-') {
            while (i < n && sql[i] != '\n') ++i;
            space();
        } else if (c == '/' && i + 1 < n && sql[i + 1] == '*') {
            size_t end = sql.find("*/", i + 2);
            if (end == std::string::npos) throw std::invalid_argument("unterminated comment");
            i = end + 2;
            space();
        } else if (c == '"' || c == '\'') {
            std::string value;
            size_t j = i + 1;
            for (;;) {
                if (j >= n) throw std::invalid_argument("unterminated string");
                if (sql[j] == static_cast<char>(c)) {
                    if (j + 1 < n && sql[j + 1] == static_cast<char>(c)) {
                        value += static_cast<char>(c);
                        j += 2;
                        continue;
                    }
                    break;
                }
                value += sql[j++];
            }
            out.push_back({Token::String, value});
            i = j + 1;
        } else if (IdentStart(c)) {
            size_t j = i;
            while (j < n && IdentChar(static_cast<unsigned char>(sql[j]))) ++j;
            out.push_back({Token::Ident, sql.substr(i, j - i)});
            i = j;
        } else if (std::isdigit(c) || (c == '.' && i + 1 < n && std::isdigit(static_cast<unsigned char>(sql[i + 1])))) {
            size_t j = i;
            while (j < n && (std::isdigit(static_cast<unsigned char>(sql[j])) || sql[j] == '.')) ++j;
            if (j < n && (sql[j] == 'e' || sql[j] == 'E')) {
                size_t k = j + 1;
                if (k < n && (sql[k] == '+' || sql[k] == '-')) ++k;
                if (k < n && std::isdigit(static_cast<unsigned char>(sql[k]))) {
                    j = k;
                    while (j < n && std::isdigit(static_cast<unsigned char>(sql[j]))) ++j;
                }
            }
            if (j < n && IdentChar(static_cast<unsigned char>(sql[j])))
                throw std::invalid_argument("bad number");
            out.push_back({Token::Number, sql.substr(i, j - i)});
            i = j;
        } else if (c == '?' || c == ':' || c == '@' || c == '$' || c == '#') {
            // Parameters of SQLite's own would shift the bound values.
            throw std::invalid_argument(std::string("unexpected '") + static_cast<char>(c) + "'");
        } else if (c == '[' || c == '`') {
            char close = c == '[' ? ']' : '`';
            size_t end = sql.find(close, i + 1);
            if (end == std::string::npos) throw std::invalid_argument("unterminated name");
            out.push_back({Token::Symbol, sql.substr(i, end - i + 1)});
            i = end + 1;
        } else {
            out.push_back({Token::Symbol, std::string(1, static_cast<char>(c))});
            ++i;
        }
    }
    return out;
}
// Splits a plain one-table select into its parts, when the FROM part is the
// table with at most an alias.
void MarkResumable(TranslatedSql& out, size_t fromPos, size_t wherePos, size_t valuesBeforeFrom,
                   const std::string& alias0) {
    const std::string table = alias0 + ".records";
    const size_t selectEnd = 6;  // the text starts with the word select
    std::string list = TrimSpaces(out.text.substr(selectEnd, fromPos - selectEnd));
    size_t fromEnd = wherePos == std::string::npos ? out.text.size() : wherePos;
    std::string from = TrimSpaces(out.text.substr(fromPos + 4, fromEnd - fromPos - 4));
    if (list.empty() || from.compare(0, table.size(), table) != 0) return;
    std::string rest = TrimSpaces(from.substr(table.size()));
    std::string alias;
    if (!rest.empty()) {
        size_t sp = rest.find(' ');
        if (sp != std::string::npos) {
            if (AsciiLower(rest.substr(0, sp)) != "as") return;
            rest = TrimSpaces(rest.substr(sp + 1));
        }
        for (char c : rest)
            if (!IdentChar(static_cast<unsigned char>(c))) return;
        alias = rest;
    }
    out.resumable = true;
    out.selectList = list;
    out.fromClause = from;
    out.whereClause = wherePos == std::string::npos ? "" : TrimSpaces(out.text.substr(wherePos + 5));
    out.rowidColumn = (alias.empty() ? std::string("records") : alias) + ".rowid";
    out.valuesInSelectList = valuesBeforeFrom;
}
}  // namespace

TranslatedSql TranslateSql(const std::string& sql, std::string (*tableAlias)(size_t index)) {
    std::vector<Token> tokens = Tokenize(sql);
    // Drop leading and trailing blanks and one trailing ';'.
    while (!tokens.empty() && tokens.back().kind == Token::Space) tokens.pop_back();
    if (!tokens.empty() && tokens.back().kind == Token::Symbol && tokens.back().text == ";") tokens.pop_back();
    while (!tokens.empty() && tokens.back().kind == Token::Space) tokens.pop_back();
    size_t start = 0;
    while (start < tokens.size() && tokens[start].kind == Token::Space) ++start;
    if (start >= tokens.size()) throw std::invalid_argument("empty SQL");
    if (tokens[start].kind != Token::Ident || AsciiLower(tokens[start].text) != "select")
        throw std::invalid_argument("only SELECT statements can be opened");

    TranslatedSql out;
    out.text.reserve(sql.size());
    int depth = 0;
    size_t fromPos = std::string::npos, wherePos = std::string::npos, valuesBeforeFrom = 0;
    bool complex = false;
    static constexpr std::string_view kNotPlain[] = {"group",  "order",   "limit",    "union", "except",
                                                     "intersect", "having", "window", "join", "natural",
                                                     "distinct", "all", "from"};
    for (size_t i = start; i < tokens.size(); ++i) {
        const Token& t = tokens[i];
        switch (t.kind) {
        case Token::Space: out.text += ' '; break;
        case Token::String:
            out.text += '?';
            out.values.push_back(t.text);
            break;
        case Token::Number: out.text += t.text; break;
        case Token::Symbol:
            if (t.text == ";") throw std::invalid_argument("only one statement can be opened");
            if (t.text == "(") ++depth;
            if (t.text == ")") --depth;
            if (t.text == "," && depth == 0 && fromPos != std::string::npos) complex = true;
            out.text += t.text;
            break;
        case Token::Ident: {
            bool isTable = i + 2 < tokens.size() && tokens[i + 1].kind == Token::Symbol && tokens[i + 1].text == "." &&
                           tokens[i + 2].kind == Token::Ident && AsciiLower(tokens[i + 2].text) == "db";
            if (isTable) {
                std::string file = AsciiLower(t.text) + ".db";
                auto it = std::find(out.tables.begin(), out.tables.end(), file);
                size_t index = static_cast<size_t>(it - out.tables.begin());
                if (it == out.tables.end()) out.tables.push_back(file);
                out.text += tableAlias(index) + ".records";
                i += 2;
            } else {
                std::string word = AsciiLower(t.text);
                if (depth == 0 && word == "limit") out.hasLimit = true;
                if (depth == 0 && i != start) {
                    if (word == "from" && fromPos == std::string::npos) {
                        fromPos = out.text.size();
                        valuesBeforeFrom = out.values.size();
                    } else if (word == "where" && wherePos == std::string::npos && fromPos != std::string::npos) {
                        wherePos = out.text.size();
                    } else if (std::find(std::begin(kNotPlain), std::end(kNotPlain), word) != std::end(kNotPlain)) {
                        complex = true;
                    }
                }
                out.text += t.text;
            }
            break;
        }
        }
    }
    if (out.tables.empty()) throw std::invalid_argument("no table named (tables are written name.db)");
    if (!complex && out.tables.size() == 1 && fromPos != std::string::npos) MarkResumable(out, fromPos, wherePos, valuesBeforeFrom, tableAlias(0));
    return out;
}

std::vector<std::string> TableFilesNamed(const std::string& sql) {
    std::vector<std::string> files;
    size_t i = 0, n = sql.size();
    while (i < n) {
        unsigned char c = static_cast<unsigned char>(sql[i]);
        if (c == '"' || c == '\'') {  // skip a string, closed or not
            size_t end = sql.find(static_cast<char>(c), i + 1);
            i = end == std::string::npos ? n : end + 1;
        } else if (IdentStart(c)) {
            size_t j = i;
            while (j < n && IdentChar(static_cast<unsigned char>(sql[j]))) ++j;
            bool db = j + 2 < n && sql[j] == '.' && (sql[j + 1] == 'd' || sql[j + 1] == 'D') &&
                      (sql[j + 2] == 'b' || sql[j + 2] == 'B') &&
                      (j + 3 >= n || !IdentChar(static_cast<unsigned char>(sql[j + 3])));
            if (db) {
                std::string file = AsciiLower(sql.substr(i, j - i)) + ".db";
                if (std::find(files.begin(), files.end(), file) == files.end()) files.push_back(file);
                j += 3;
            }
            i = j;
        } else {
            ++i;
        }
    }
    return files;
}

std::string QuotedSqlString(const std::string& value) {
    std::string out = "\"";
    for (char c : value) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

}  // namespace platform
