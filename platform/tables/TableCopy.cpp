#include "platform/tables/TableCopy.h"

#include "platform/tables/EDBEngineError.h"
#include "platform/tables/Sqlite.h"

#include <sqlite3.h>

#include <algorithm>
#include <vector>

namespace platform {

namespace {
constexpr std::int64_t kPiece = 8192;
constexpr const char* kDamaged = "Table is damaged or is not a table file.";
}  // namespace

void ReadCommittedTable(const std::string& path, const std::function<bool(const char*, std::size_t)>& write,
                        std::chrono::milliseconds busyWait) {
    sqlite::Connection db(path, true, false, path);
    db.SetBusyTimeout(static_cast<int>(busyWait.count()));
    db.Exec("BEGIN");
    try {
        // The first read takes the shared lock that keeps writers from
        // committing until the transaction ends.
        sqlite::Statement probe(db, "SELECT count(*) FROM sqlite_master");
        probe.Step();
        probe.Reset();
        // The bytes come through the engine's own handle of the file: a
        // second descriptor, once closed, would drop this process's locks.
        sqlite3_file* file = nullptr;
        if (sqlite3_file_control(db.Handle(), "main", SQLITE_FCNTL_FILE_POINTER, &file) != SQLITE_OK || !file ||
            !file->pMethods)
            db.Fail(kDamaged);
        sqlite3_int64 size = 0;
        if (int rc = file->pMethods->xFileSize(file, &size); rc != SQLITE_OK) db.FailWith(rc);
        std::vector<char> buffer(kPiece);
        for (sqlite3_int64 at = 0; at < size;) {
            const int n = static_cast<int>(std::min<sqlite3_int64>(kPiece, size - at));
            if (int rc = file->pMethods->xRead(file, buffer.data(), n, at); rc != SQLITE_OK) db.FailWith(rc);
            if (!write(buffer.data(), static_cast<std::size_t>(n))) break;
            at += n;
        }
    } catch (...) {
        try {
            db.Exec("ROLLBACK");
        } catch (const EDBEngineError&) {
            // The error that stopped the read is the one to report.
        }
        throw;
    }
    db.Exec("COMMIT");
}

std::string CheckTableImage(const std::string& bytes) {
    if (bytes.empty()) return kDamaged;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(":memory:", &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return "Engine error: out of memory.";
    }
    auto* image = static_cast<unsigned char*>(sqlite3_malloc64(bytes.size()));
    if (!image) {
        sqlite3_close(db);
        return "Engine error: out of memory.";
    }
    std::copy(bytes.begin(), bytes.end(), image);
    // The engine owns the image from here and frees it with the connection.
    int rc = sqlite3_deserialize(db, "main", image, static_cast<sqlite3_int64>(bytes.size()),
                                 static_cast<sqlite3_int64>(bytes.size()),
                                 SQLITE_DESERIALIZE_FREEONCLOSE | SQLITE_DESERIALIZE_READONLY);
    std::string problem;
    sqlite3_stmt* s = nullptr;
    if (rc == SQLITE_OK) rc = sqlite3_prepare_v2(db, "PRAGMA integrity_check(1)", -1, &s, nullptr);
    if (rc == SQLITE_OK && sqlite3_step(s) == SQLITE_ROW) {
        const unsigned char* t = sqlite3_column_text(s, 0);
        const std::string answer = t ? reinterpret_cast<const char*>(t) : "";
        if (answer != "ok") problem = std::string(kDamaged) + "\n" + answer;
    } else {
        problem = kDamaged;
    }
    sqlite3_finalize(s);
    sqlite3_close(db);
    return problem;
}

}  // namespace platform
