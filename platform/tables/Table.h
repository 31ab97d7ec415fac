#pragma once
// A table: one file in the DatabaseName directory, named TableName and found
// whatever the case of its name. Records run in primary-key order; text keys
// order and match ignoring case. Each Post is written at once, so the file
// alone holds every posted record whenever no call is running.
#include "platform/tables/DataSet.h"

#include <memory>
#include <string>
#include <vector>

namespace platform {

class TableFile;

class TTable : public TDataSet {
public:
    explicit TTable(TSession* session = nullptr);
    ~TTable() override;

    std::string TableName;
    bool ReadOnly = false;
    // Secondary indexes to keep in the file (field names each): opening a
    // writable file that lacks one makes it and refreshes the statistics the
    // query planner reads; a read-only file is used as it is.
    std::vector<std::vector<std::string>> Indexes;

    // Puts the table in key-search state; FindKey and FindNearest also work without it.
    void SetKey();
    // Exact match on the leading key fields (one value each); true when found,
    // which makes that record current. Not found: the current record stays.
    bool FindKey(const std::vector<std::string>& values);
    // First record whose key is not less than the values; past the last key,
    // the last record.
    void FindNearest(const std::vector<std::string>& values);

    // Adds each record (all fields, in the table's field order, values as
    // FromBytes makes them) whose key no record of the table holds yet,
    // keys matching as FindKey matches them; how many were added. One
    // prepared statement for all: no record becomes current, no event
    // fires. Inside a transaction, they reach the file with its Commit.
    int InsertMissing(const std::vector<TRecord>& records);

    // One transaction over the table file: the posts and deletes until
    // Commit reach the file together, with one wait for the disk instead of
    // one per record, or not at all (Rollback, Close, a killed program).
    // On a read-only table it is one read lock for many reads: they see one
    // state of the file and skip a lock each. It must end in the call that
    // began it (TTableTransaction does that): no transaction stays open
    // between events.
    void StartTransaction();
    void Commit();
    void Rollback();

    // Creates the table file (which must not exist yet).
    void CreateTable(const TTableSchema& schema);
    // The schema of the open table.
    const TTableSchema& Schema() const;

    // Resolved path of the table file.
    std::string TablePath() const;
    std::string FileDescription() const override { return TablePath(); }

protected:
    std::vector<TFieldDef> DoOpen() override;
    void DoClose() override;
    bool DoFirst(TRecord& out) override;
    bool DoLast(TRecord& out) override;
    int DoMove(int distance, TRecord& out) override;
    int DoRecordCount() override;
    int DoRecNo() override;
    TGridPosition DoGridPosition(int window) override;
    std::vector<TRecord> DoPeek(int offset, int count) override;
    std::vector<TRecord> DoRecordsContaining(int fieldIndex, const std::string& text) override;
    bool CanModify() const override { return !ReadOnly; }
    void DoInsertRecord(const TRecord& record, TRecord& out) override;
    void DoUpdateRecord(const TRecord& original, const TRecord& record, TRecord& out) override;
    bool DoDeleteRecord(const TRecord& original, TRecord& out) override;
    bool DoResync(TRecord& out) override;

private:
    std::vector<std::string> KeyValuesFor(const std::vector<std::string>& values) const;

    std::unique_ptr<TableFile> file_;
};

// A transaction of a table for one scope: rolled back unless committed.
class TTableTransaction {
public:
    explicit TTableTransaction(TTable& table) : table_(table) { table_.StartTransaction(); }
    ~TTableTransaction() {
        if (open_) try {
                table_.Rollback();
            } catch (...) {
                // A destructor must not throw; the error that left the scope says more.
            }
    }
    void Commit() {
        table_.Commit();
        open_ = false;
    }
    TTableTransaction(const TTableTransaction&) = delete;
    TTableTransaction& operator=(const TTableTransaction&) = delete;

private:
    TTable& table_;
    bool open_ = true;
};

}  // namespace platform
