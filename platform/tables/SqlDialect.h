#pragma once
// The SQL dialect the program writes, turned into SQLite SQL: a table is
// named by its file, `name.db`; a double- or single-quoted text is a string
// value (a doubled quote inside stands for one quote) and becomes a bound
// parameter, so no value ever reaches the SQL text.
#include <string>
#include <vector>

namespace platform {

struct TranslatedSql {
    std::string text;                  // SQLite SQL with ? for each value
    std::vector<std::string> values;   // the string values, in order
    std::vector<std::string> tables;   // table files named, e.g. "ds.db", first use order
    bool hasLimit = false;             // a LIMIT of its own at the top level

    // A plain "select <list> from <one table> [alias] [where <condition>]",
    // whose rows can be read on from the last rowid seen. Its parts:
    bool resumable = false;
    std::string selectList, fromClause, whereClause;  // SQLite text of each part
    std::string rowidColumn;                          // e.g. "records.rowid" or "d.rowid"
    size_t valuesInSelectList = 0;                    // values before FROM, the rest are the condition's
};

// Raises std::invalid_argument with the reason when the text is not a
// single SELECT of the dialect. tableAlias(i) names the i-th table file.
TranslatedSql TranslateSql(const std::string& sql, std::string (*tableAlias)(size_t index));

// The table files a text names ("ds.db"...), found even when the text is
// not valid SQL; for messages.
std::vector<std::string> TableFilesNamed(const std::string& sql);

// A text value written as a string of the dialect: "..." with each " doubled.
std::string QuotedSqlString(const std::string& value);

}  // namespace platform
