#pragma once
// The bare sqlite3 side of a benchmark opens its connection as the engine
// opens its own (platform/tables/Sqlite.cpp), so that a ratio measures what
// the engine does above SQLite and not how the connection was opened:
// read-write open without SQLite's mutex (a connection is never shared
// between threads), extended result codes, the engine's busy timeout and
// its refusal of double-quoted names; read-only use through query_only;
// and the memory map the engine's pooled query connections set.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdlib>
#include <string>

namespace bench {

enum class BareUse { Reading, Writing };
enum class BareMap { No, AsQueries };

inline sqlite3* OpenAsEngine(const std::string& path, BareUse use, BareMap map = BareMap::No) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK)
        std::abort();
    sqlite3_extended_result_codes(db, 1);
    sqlite3_busy_timeout(db, 5000);
    sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DML, 0, static_cast<int*>(nullptr));
    sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DDL, 0, static_cast<int*>(nullptr));
    if (use == BareUse::Reading) sqlite3_exec(db, "PRAGMA query_only=1", nullptr, nullptr, nullptr);
    if (map == BareMap::AsQueries) sqlite3_exec(db, "PRAGMA mmap_size=268435456", nullptr, nullptr, nullptr);
    return db;
}

// Each column of the current row read as cheaply as the C API allows:
// through its value handle.
inline void ReadColumns(sqlite3_stmt* s) {
    for (int c = 0, n = sqlite3_column_count(s); c < n; ++c) {
        sqlite3_value* v = sqlite3_column_value(s, c);
        switch (sqlite3_value_type(v)) {
        case SQLITE_FLOAT:
        case SQLITE_INTEGER: benchmark::DoNotOptimize(sqlite3_value_double(v)); break;
        case SQLITE_NULL: break;
        default: benchmark::DoNotOptimize(sqlite3_value_text(v)); benchmark::DoNotOptimize(sqlite3_value_bytes(v));
        }
    }
}

}  // namespace bench
