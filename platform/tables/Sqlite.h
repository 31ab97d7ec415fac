#pragma once
// Thin RAII over the sqlite3 C API for the engine's own use. Errors become
// EDBEngineError naming the file the connection belongs to.
#include "platform/tables/FieldDefs.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>

struct sqlite3;
struct sqlite3_stmt;

namespace platform::sqlite {

class Statement;
class ReadPass;

class Connection {
public:
    Connection() = default;
    // Opens an existing file (create: a new one); raises naming `label`.
    // readOnly refuses every change through this connection.
    Connection(const std::string& path, bool readOnly, bool create, const std::string& label);
    ~Connection();
    Connection(Connection&& other) noexcept;
    Connection& operator=(Connection&& other) noexcept;
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    sqlite3* Handle() const { return db_; }
    const std::string& Label() const { return label_; }
    // How long a statement waits for a file another connection locks
    // before it fails as busy (5 s unless set); this thread's read passes
    // on other connections end before any wait.
    void SetBusyTimeout(int ms);
    struct BusyWait {
        const sqlite3* db = nullptr;
        int timeoutMs = 0;
    };
    void Exec(const std::string& sql);
    // The statement for sql, prepared on its first use and kept for the
    // next (the most recently used few are kept), so a connection kept for
    // many queries parses each of its SQL texts once. Each use still ends
    // in Reset, as with any statement; it must not outlive the connection.
    // Moving the connection finalizes those kept.
    std::shared_ptr<Statement> Prepared(const std::string& sql);
    // Reads through a memory map of the file instead of a copy per page.
    // It pays on a connection kept for many queries over the same pages;
    // on a short-lived one, the first touch of every page costs a fault
    // and the mapped pages count as the program's memory.
    void MapMemory();
    // The file change counter of the main file's header, which every
    // committed write of a file in rollback-journal mode advances, whoever
    // writes; nothing when it cannot be read.
    std::optional<std::uint32_t> ChangeCounter() const;
    std::int64_t LastInsertRowid() const;
    // Rows the last insert, update or delete statement changed.
    int Changes() const;
    [[noreturn]] void Fail(const std::string& what) const;
    // Raises the engine error for a failed call (code from sqlite).
    [[noreturn]] void FailWith(int code) const;

private:
    struct Kept {
        std::shared_ptr<Statement> statement;
        std::uint64_t lastUse = 0;
    };
    static constexpr std::size_t kKeptStatements = 64;

    sqlite3* db_ = nullptr;
    std::string label_;
    std::unordered_map<std::string, Kept> prepared_;
    std::uint64_t uses_ = 0;
    std::unique_ptr<BusyWait> busyWait_;  // the busy handler's, where moves leave it
};

// A prepared statement. Each use binds, steps and is reset at once, so no
// statement holds a lock or a transaction between calls, unless a ReadPass
// holds it part-way.
class Statement {
public:
    Statement() = default;
    Statement(Connection& db, const std::string& sql);
    ~Statement();
    Statement(Statement&& other) noexcept;
    Statement& operator=(Statement&& other) noexcept;
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool Valid() const { return stmt_ != nullptr; }
    sqlite3_stmt* Handle() const { return stmt_; }
    // Binding or resetting begins another use: a ReadPass holding the
    // statement ends first.
    void Bind(int index, const TValue& value);  // 1-based
    void Bind(int index, const std::string& text);
    void Bind(int index, std::int64_t number);
    void BindBlob(int index, const TValue& value);  // bytes kept exactly
    bool Step();     // true when a row is ready
    void Reset();    // also clears the bindings
    // Back before the first row for another run, its values kept.
    void Rewind();
    int ColumnCount() const;
    std::string ColumnName(int column) const;
    std::string ColumnDeclType(int column) const;
    TValue Column(int column) const;
    // The same into a value that may keep its buffer.
    void ColumnInto(int column, TValue& into) const;
    // Columns first, first + 1... into the values of a record, all of it.
    void ColumnsInto(int first, TRecord& into) const;
    std::int64_t ColumnInt(int column) const;

private:
    friend class ReadPass;
    Connection* db_ = nullptr;
    sqlite3_stmt* stmt_ = nullptr;
    ReadPass* pass_ = nullptr;  // holding it part-way, if any
};

// A statement kept part-way through its rows between calls of ours, so
// that reading on steps it again instead of running it anew in a new read
// transaction. It keeps the file's shared lock until it ends, which is
// always soon: its holder ends it when done (or by destruction); another
// use of the statement (Bind, Reset) ends it first; a connection of this
// thread kept waiting on a busy file ends every pass of this thread before
// it waits (the lock in the way may be ours); and the program ends them
// all whenever it goes idle (EndReadPasses), so that, as design.md asks,
// no transaction stays open between events.
class ReadPass {
public:
    ReadPass() = default;
    ~ReadPass() { End(); }
    ReadPass(const ReadPass&) = delete;
    ReadPass& operator=(const ReadPass&) = delete;

    // Holds s, which has just given a row; a pass holds one statement.
    void Hold(Statement& s);
    // Whether it still holds s: the next Step of s gives the next row.
    bool Holds(const Statement& s) const { return statement_ == &s; }
    // Resets the statement held, which ends its read transaction.
    void End();
    bool OnConnection(const sqlite3* db) const;

private:
    Statement* statement_ = nullptr;
};

// Ends every pass held on this thread, but those of the connection
// `except` (whose own call is under way); returns how many ended.
int EndReadPasses(const sqlite3* except = nullptr);
// How many passes this thread holds, for tests.
int ReadPassesHeld();

// Resets a statement when the scope ends, whatever happens.
class ResetGuard {
public:
    explicit ResetGuard(Statement& s) : s_(s) {}
    ~ResetGuard() { s_.Reset(); }
    ResetGuard(const ResetGuard&) = delete;
    ResetGuard& operator=(const ResetGuard&) = delete;

private:
    Statement& s_;
};

// One read transaction around several statements run in one call of ours:
// one shared lock instead of one per statement. It always ends with the
// scope, so no transaction stays open between calls. Nested or inside a
// writer's transaction it does nothing.
class ReadTransaction {
public:
    explicit ReadTransaction(Connection& db);
    ~ReadTransaction();
    ReadTransaction(const ReadTransaction&) = delete;
    ReadTransaction& operator=(const ReadTransaction&) = delete;

private:
    Connection& db_;
    bool began_ = false;
};

// A write transaction around the statements of one call of ours (BEGIN
// IMMEDIATE: the write lock from the start, so what was read inside stays
// true until the commit). Rolled back when the scope ends without Commit.
// Inside a transaction that is already open it does nothing: the outer
// one commits.
class WriteTransaction {
public:
    explicit WriteTransaction(Connection& db);
    ~WriteTransaction();
    void Commit();
    WriteTransaction(const WriteTransaction&) = delete;
    WriteTransaction& operator=(const WriteTransaction&) = delete;

private:
    Connection& db_;
    bool began_ = false;
};

// "name" with inner quotes doubled.
std::string QuoteIdentifier(const std::string& name);

}  // namespace platform::sqlite
