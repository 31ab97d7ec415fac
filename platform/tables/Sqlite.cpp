#include "platform/tables/Sqlite.h"

#include "platform/tables/EDBEngineError.h"

#include <sqlite3.h>
#include <algorithm>
#include <cassert>
#include <cstring>
#include <utility>
#include <vector>

namespace platform::sqlite {

namespace {
// How long a writer waits for another connection's short read to finish.
constexpr int kBusyTimeoutMs = 5000;

std::string Describe(int code, sqlite3* db) {
    switch (code & 0xff) {
    case SQLITE_CONSTRAINT: return "Key violation.";
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT: return "Table is damaged or is not a table file.";
    case SQLITE_READONLY: return "Table is read only.";
    case SQLITE_BUSY:
    case SQLITE_LOCKED: return "Table is busy.";
    case SQLITE_CANTOPEN: return "Cannot open the table file.";
    case SQLITE_FULL: return "Disk is full.";
    case SQLITE_IOERR: return "Read or write error on the table file.";
    default: break;
    }
    std::string msg = db ? sqlite3_errmsg(db) : sqlite3_errstr(code);
    return "Engine error: " + msg + ".";
}

// The passes this thread holds: connections are never shared between threads.
thread_local std::vector<ReadPass*> heldPasses;

// Waits for a busy file as sqlite3_busy_timeout does (the same steps, up
// to the connection's timeout), but first ends this thread's read passes
// on other connections: one of them may hold the very lock this one waits
// for, and would hold it until the program goes idle.
int WaitWhileBusy(void* arg, int tries) {
    const auto& wait = *static_cast<const Connection::BusyWait*>(arg);
    if (tries == 0 && EndReadPasses(wait.db) > 0) return 1;
    static constexpr int kDelays[] = {1, 2, 5, 10, 15, 20, 25, 25, 25, 50, 50, 100};
    constexpr int kSteps = static_cast<int>(std::size(kDelays));
    int waited = 0;
    for (int i = 0; i < std::min(tries, kSteps); ++i) waited += kDelays[i];
    if (tries > kSteps) waited += 100 * (tries - kSteps);
    const int delay = std::min(tries < kSteps ? kDelays[tries] : 100, wait.timeoutMs - waited);
    if (delay <= 0) return 0;
    sqlite3_sleep(delay);
    return 1;
}
}  // namespace

Connection::Connection(const std::string& path, bool readOnly, bool create, const std::string& label)
    : label_(label) {
    // Read-only use still opens for writing when the file allows it: a
    // journal left by a killed program must be rolled back before reading.
    int flags = SQLITE_OPEN_READWRITE;
    if (create) flags |= SQLITE_OPEN_CREATE;
    flags |= SQLITE_OPEN_NOMUTEX;
    int rc = sqlite3_open_v2(path.c_str(), &db_, flags, nullptr);
    if (rc != SQLITE_OK) {
        std::string what = Describe(rc, db_);
        sqlite3_close(db_);
        db_ = nullptr;
        throw EDBEngineError(what, label_);
    }
    sqlite3_extended_result_codes(db_, 1);
    SetBusyTimeout(kBusyTimeoutMs);
    // A double-quoted name that is not a column must fail, never read as a
    // string: a field listed but missing from the records would else show
    // its own name in every row.
    sqlite3_db_config(db_, SQLITE_DBCONFIG_DQS_DML, 0, static_cast<int*>(nullptr));
    sqlite3_db_config(db_, SQLITE_DBCONFIG_DQS_DDL, 0, static_cast<int*>(nullptr));
    try {
        if (readOnly) Exec("PRAGMA query_only=1");
    } catch (...) {
        sqlite3_close_v2(db_);  // no destructor runs for a half-made object
        db_ = nullptr;
        throw;
    }
}

void Connection::SetBusyTimeout(int ms) {
    if (!busyWait_) busyWait_ = std::make_unique<BusyWait>();
    *busyWait_ = {db_, ms};
    sqlite3_busy_handler(db_, &WaitWhileBusy, busyWait_.get());
}

void Connection::MapMemory() { Exec("PRAGMA mmap_size=268435456"); }

std::optional<std::uint32_t> Connection::ChangeCounter() const {
    sqlite3_file* file = nullptr;
    if (sqlite3_file_control(db_, "main", SQLITE_FCNTL_FILE_POINTER, &file) != SQLITE_OK || !file || !file->pMethods)
        return std::nullopt;
    unsigned char bytes[4];
    if (file->pMethods->xRead(file, bytes, 4, 24) != SQLITE_OK) return std::nullopt;
    return (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) | (std::uint32_t{bytes[2]} << 8) | bytes[3];
}

Connection::~Connection() {
    prepared_.clear();
    if (db_) sqlite3_close_v2(db_);
}

// The kept statements name the connection they came from: they stay behind and are finalized.
Connection::Connection(Connection&& other) noexcept
    : label_(std::move(other.label_)), busyWait_(std::move(other.busyWait_)) {
    other.prepared_.clear();
    db_ = std::exchange(other.db_, nullptr);
}

Connection& Connection::operator=(Connection&& other) noexcept {
    if (this != &other) {
        prepared_.clear();
        other.prepared_.clear();
        if (db_) sqlite3_close_v2(db_);
        db_ = std::exchange(other.db_, nullptr);
        label_ = std::move(other.label_);
        busyWait_ = std::move(other.busyWait_);
    }
    return *this;
}

std::shared_ptr<Statement> Connection::Prepared(const std::string& sql) {
    ++uses_;
    if (auto it = prepared_.find(sql); it != prepared_.end()) {
        it->second.lastUse = uses_;
        return it->second.statement;
    }
    auto statement = std::make_shared<Statement>(*this, sql);  // raises before anything is kept
    if (prepared_.size() >= kKeptStatements) {
        auto oldest = prepared_.begin();
        for (auto it = prepared_.begin(); it != prepared_.end(); ++it)
            if (it->second.lastUse < oldest->second.lastUse) oldest = it;
        prepared_.erase(oldest);  // one still held elsewhere lives on there
    }
    prepared_.emplace(sql, Kept{statement, uses_});
    return statement;
}

void Connection::Exec(const std::string& sql) {
    char* err = nullptr;
    int rc = sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &err);
    sqlite3_free(err);
    if (rc != SQLITE_OK) FailWith(rc);
}

std::int64_t Connection::LastInsertRowid() const { return sqlite3_last_insert_rowid(db_); }

int Connection::Changes() const { return sqlite3_changes(db_); }

void Connection::Fail(const std::string& what) const { throw EDBEngineError(what, label_); }

void Connection::FailWith(int code) const {
    const int primary = code & 0xff;
    if (primary == SQLITE_BUSY || primary == SQLITE_LOCKED) throw ETableBusy(Describe(code, db_), label_);
    throw EDBEngineError(Describe(code, db_), label_);
}

Statement::Statement(Connection& db, const std::string& sql) : db_(&db) {
    const char* tail = nullptr;
    int rc = sqlite3_prepare_v3(db.Handle(), sql.c_str(), static_cast<int>(sql.size()),
                                SQLITE_PREPARE_PERSISTENT, &stmt_, &tail);
    if (rc != SQLITE_OK) {
        std::string msg = sqlite3_errmsg(db.Handle());
        sqlite3_finalize(stmt_);
        stmt_ = nullptr;
        if ((rc & 0xff) == SQLITE_ERROR) db.Fail("Invalid SQL: " + msg + ".");
        db.FailWith(rc);
    }
    if (!stmt_) db.Fail("Invalid SQL: empty statement.");
}

Statement::~Statement() {
    if (pass_) pass_->End();
    if (stmt_) sqlite3_finalize(stmt_);
}

// A pass holds the statement object, not its handle: moving ends it.
Statement::Statement(Statement&& other) noexcept : db_(other.db_) {
    if (other.pass_) other.pass_->End();
    stmt_ = std::exchange(other.stmt_, nullptr);
}

Statement& Statement::operator=(Statement&& other) noexcept {
    if (this != &other) {
        if (pass_) pass_->End();
        if (other.pass_) other.pass_->End();
        if (stmt_) sqlite3_finalize(stmt_);
        db_ = other.db_;
        stmt_ = std::exchange(other.stmt_, nullptr);
    }
    return *this;
}

void Statement::Bind(int index, const TValue& value) {
    if (pass_) pass_->End();
    int rc = SQLITE_OK;
    if (const auto* s = std::get_if<std::string>(&value))
        rc = sqlite3_bind_text(stmt_, index, s->data(), static_cast<int>(s->size()), SQLITE_TRANSIENT);
    else if (const auto* d = std::get_if<double>(&value))
        rc = sqlite3_bind_double(stmt_, index, *d);
    else
        rc = sqlite3_bind_null(stmt_, index);
    if (rc != SQLITE_OK) db_->FailWith(rc);
}

void Statement::Bind(int index, const std::string& text) { Bind(index, TValue(text)); }

void Statement::BindBlob(int index, const TValue& value) {
    const auto* s = std::get_if<std::string>(&value);
    if (!s) return Bind(index, value);
    if (pass_) pass_->End();
    int rc = sqlite3_bind_blob(stmt_, index, s->data(), static_cast<int>(s->size()), SQLITE_TRANSIENT);
    if (rc != SQLITE_OK) db_->FailWith(rc);
}

void Statement::Bind(int index, std::int64_t number) {
    if (pass_) pass_->End();
    int rc = sqlite3_bind_int64(stmt_, index, number);
    if (rc != SQLITE_OK) db_->FailWith(rc);
}

bool Statement::Step() {
    int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    // The error code of the step, before reset clears it.
    int code = sqlite3_extended_errcode(db_->Handle());
    sqlite3_reset(stmt_);
    db_->FailWith(code);
}

void Statement::Rewind() {
    if (pass_) pass_->End();
    if (stmt_) sqlite3_reset(stmt_);
}

void Statement::Reset() {
    if (pass_) pass_->End();
    if (!stmt_) return;
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
}

int Statement::ColumnCount() const { return sqlite3_column_count(stmt_); }

std::string Statement::ColumnName(int column) const {
    const char* n = sqlite3_column_name(stmt_, column);
    return n ? n : "";
}

std::string Statement::ColumnDeclType(int column) const {
    const char* t = sqlite3_column_decltype(stmt_, column);
    return t ? t : "";
}

TValue Statement::Column(int column) const {
    TValue value;
    ColumnInto(column, value);
    return value;
}

void Statement::ColumnInto(int column, TValue& into) const {
    // The column's value is read through its own handle: one call finds
    // the column, the rest read it. The connection is never shared between
    // threads (it is opened without a mutex), which such reads need.
    sqlite3_value* v = sqlite3_column_value(stmt_, column);
    const void* p = nullptr;
    switch (sqlite3_value_type(v)) {
    case SQLITE_NULL: into = std::monostate{}; return;
    case SQLITE_INTEGER: into = static_cast<double>(sqlite3_value_int64(v)); return;
    case SQLITE_FLOAT: into = sqlite3_value_double(v); return;
    case SQLITE_BLOB: p = sqlite3_value_blob(v); break;
    default: p = sqlite3_value_text(v);
    }
    const int n = sqlite3_value_bytes(v);
    const size_t size = p && n > 0 ? static_cast<size_t>(n) : 0;
    const char* bytes = size ? static_cast<const char*>(p) : "";
    // A string already there keeps its buffer: reading row after row into
    // the same record allocates nothing for texts of like length.
    if (auto* s = std::get_if<std::string>(&into)) {
        s->resize(size);
        std::memcpy(s->data(), bytes, size);
    } else {
        into.emplace<std::string>(bytes, size);
    }
}

void Statement::ColumnsInto(int first, TRecord& into) const {
    int column = first;
    for (TValue& value : into) ColumnInto(column++, value);
}

std::int64_t Statement::ColumnInt(int column) const { return sqlite3_column_int64(stmt_, column); }

void ReadPass::Hold(Statement& s) {
    assert(s.stmt_ && sqlite3_stmt_busy(s.stmt_));
    if (statement_ == &s) return;
    End();
    if (s.pass_) s.pass_->End();
    statement_ = &s;
    s.pass_ = this;
    heldPasses.push_back(this);
}

bool ReadPass::OnConnection(const sqlite3* db) const {
    return statement_ && sqlite3_db_handle(statement_->stmt_) == db;
}

void ReadPass::End() {
    if (!statement_) return;
    Statement& s = *std::exchange(statement_, nullptr);
    assert(s.pass_ == this);
    s.pass_ = nullptr;
    heldPasses.erase(std::find(heldPasses.begin(), heldPasses.end(), this));
    s.Reset();
}

int EndReadPasses(const sqlite3* except) {
    int ended = 0;
    for (std::size_t i = heldPasses.size(); i-- > 0;) {
        if (i >= heldPasses.size()) continue;
        ReadPass* pass = heldPasses[i];
        if (except && pass->OnConnection(except)) continue;
        pass->End();
        ++ended;
    }
    return ended;
}

int ReadPassesHeld() { return static_cast<int>(heldPasses.size()); }

ReadTransaction::ReadTransaction(Connection& db) : db_(db) {
    if (sqlite3_get_autocommit(db.Handle()) && sqlite3_exec(db.Handle(), "BEGIN", nullptr, nullptr, nullptr) == SQLITE_OK)
        began_ = true;
}

ReadTransaction::~ReadTransaction() {
    if (!began_) return;
    // Only reads ran: ending it cannot lose anything; a failed end rolls back.
    if (sqlite3_exec(db_.Handle(), "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK)
        sqlite3_exec(db_.Handle(), "ROLLBACK", nullptr, nullptr, nullptr);
}

WriteTransaction::WriteTransaction(Connection& db) : db_(db) {
    if (!sqlite3_get_autocommit(db.Handle())) return;
    db.Exec("BEGIN IMMEDIATE");
    began_ = true;
}

WriteTransaction::~WriteTransaction() {
    if (began_) sqlite3_exec(db_.Handle(), "ROLLBACK", nullptr, nullptr, nullptr);
}

void WriteTransaction::Commit() {
    if (!began_) return;
    db_.Exec("COMMIT");
    began_ = false;
}

std::string QuoteIdentifier(const std::string& name) {
    std::string out = "\"";
    for (char c : name) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

}  // namespace platform::sqlite
