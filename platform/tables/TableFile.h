#pragma once
// One table file: a SQLite database holding the records and the schema
// they follow. Keeps the position of the current record as its key values,
// so moving never needs more than the rows it returns.
#include "platform/tables/FieldDefs.h"
#include "platform/tables/Sqlite.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace platform {

class CheckedKeys;

class TableFile {
public:
    // keyChecks: where files found with keys of their types are remembered.
    TableFile(const std::string& path, bool readOnly, bool syncWrites = true, CheckedKeys* keyChecks = nullptr);
    static void Create(const std::string& path, const TTableSchema& schema);

    const TTableSchema& Schema() const { return schema_; }
    // Makes the missing secondary indexes (and the planner's statistics);
    // a file that cannot be written is left as it is. Unknown fields raise.
    void EnsureIndexes(const std::vector<std::vector<std::string>>& indexes);

    bool First(TRecord& out);
    bool Last(TRecord& out);
    int Move(int distance, TRecord& out);
    int Count();  // kept until the file changes
    int RecNo();  // exact
    TGridPosition GridPosition(int window);
    std::vector<TRecord> Peek(int offset, int count);
    // Records whose text field holds text (case-sensitive), in key order;
    // the match reads only that field and the row id, then the matching
    // records are read whole. The position does not change.
    std::vector<TRecord> RowsContaining(int fieldIndex, const std::string& text);
    bool FindKey(const std::vector<TValue>& values, TRecord& out);
    bool FindNearest(const std::vector<TValue>& values, TRecord& out);
    void Insert(const TRecord& record, TRecord& out);
    // Inserts each record whose key no record holds yet (keys matching as
    // FindKey matches them; without a key, every record), through one
    // prepared statement; the position stays. How many were inserted.
    int InsertMissing(const std::vector<TRecord>& records);
    // Update and Delete find the record by the key of original (the
    // current record as it was read) and change it only when it still
    // holds exactly original; else ERecordChanged and nothing is written.
    void Update(const TRecord& original, const TRecord& record, TRecord& out);
    bool Delete(const TRecord& original, TRecord& out);
    // The record now under the current key, else the next, else the last.
    bool Resync(TRecord& out);
    // One transaction around many writes (see TTable::StartTransaction).
    void StartTransaction();
    void Commit();
    void Rollback();

private:
    void ReadSchema(const std::string& path);
    void CheckKeyTypes(const std::string& path, bool readOnly, CheckedKeys* keyChecks);
    sqlite::Statement& Prepared(const std::string& sql);
    std::string Select() const;  // "SELECT rowid, <fields> FROM records "
    std::string KeyTuple() const;
    std::string Order(bool ascending) const;
    std::string Placeholders(size_t n) const;
    int BindPosition(sqlite::Statement& s, int first);
    void BindRecord(sqlite::Statement& s, const TRecord& record);
    TRecord ReadRow(sqlite::Statement& s, std::int64_t* rowid) const;
    // Runs a one-row select; when a row comes, it becomes current.
    // beyond: the move's check column after the fields, when it has one.
    bool FetchCurrent(sqlite::Statement& s, TRecord& out, bool* beyond = nullptr);
    std::vector<TRecord> FetchAll(sqlite::Statement& s);
    int CountWhere(const std::string& cmp);
    bool ReadByRowid(std::int64_t rowid, TRecord& out);
    // Inside a write transaction: the row id of the record stored under
    // original's key, raising ERecordChanged unless it still equals original.
    std::int64_t RowStillAsRead(const TRecord& original);
    void SetPosition(std::int64_t rowid, const TRecord& rec);
    // Drops what was counted when another connection changed the file since
    // the last look (SQLite's data version); Forget does it after our own writes.
    void NoteOutsideChanges();
    void Forget();
    // Records before (after) the current one, counting no further than limit.
    int CountBounded(bool before, int limit);
    // Records before the current one, estimated from every stride-th key.
    int EstimateBefore();

    sqlite::Connection db_;
    TTableSchema schema_;
    std::vector<int> keyIndex_;  // field index of each key field
    std::map<std::string, sqlite::Statement> cache_;
    bool readOnly_ = false;
    std::unique_ptr<sqlite::WriteTransaction> transaction_;
    std::unique_ptr<sqlite::ReadTransaction> reading_;  // the transaction of a read-only file
    std::int64_t rowid_ = 0;
    std::vector<TValue> position_;  // key values (or rowid) of the current record

    // Counting caches, valid for dataVersion_.
    std::int64_t dataVersion_ = -1;
    int count_ = -1;
    int recNo_ = 0;            // 0: not known
    bool recNoExact_ = false;  // else an estimate that moves exactly with the record
    std::vector<std::vector<TValue>> samples_;  // keys of records 0, stride_, 2 stride_...
    int stride_ = 0;
};

}  // namespace platform
