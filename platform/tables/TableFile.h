#pragma once
// One table file: a SQLite database holding the records and the schema
// they follow. Keeps the position of the current record as its key values,
// so moving never needs more than the rows it returns.
#include "platform/tables/FieldDefs.h"
#include "platform/tables/Sqlite.h"

#include <map>
#include <string>
#include <vector>

namespace platform {

class TableFile {
public:
    TableFile(const std::string& path, bool readOnly, bool syncWrites = true);
    static void Create(const std::string& path, const TTableSchema& schema);

    const TTableSchema& Schema() const { return schema_; }

    bool First(TRecord& out);
    bool Last(TRecord& out);
    int Move(int distance, TRecord& out);
    int Count();
    int RecNo();
    std::vector<TRecord> Peek(int offset, int count);
    bool FindKey(const std::vector<TValue>& values, TRecord& out);
    bool FindNearest(const std::vector<TValue>& values, TRecord& out);
    void Insert(const TRecord& record, TRecord& out);
    void Update(const TRecord& record, TRecord& out);
    bool Delete(TRecord& out);

private:
    void ReadSchema(const std::string& path);
    void CheckKeyTypes(bool readOnly);
    sqlite::Statement& Prepared(const std::string& sql);
    std::string Select() const;  // "SELECT rowid, <fields> FROM records "
    std::string KeyTuple() const;
    std::string Order(bool ascending) const;
    std::string Placeholders(size_t n) const;
    int BindPosition(sqlite::Statement& s, int first);
    void BindRecord(sqlite::Statement& s, const TRecord& record);
    TRecord ReadRow(sqlite::Statement& s, std::int64_t* rowid) const;
    // Runs a one-row select; when a row comes, it becomes current.
    bool FetchCurrent(sqlite::Statement& s, TRecord& out);
    std::vector<TRecord> FetchAll(sqlite::Statement& s);
    int CountWhere(const std::string& cmp);
    bool ReadByRowid(std::int64_t rowid, TRecord& out);
    void SetPosition(std::int64_t rowid, const TRecord& rec);

    sqlite::Connection db_;
    TTableSchema schema_;
    std::vector<int> keyIndex_;  // field index of each key field
    std::map<std::string, sqlite::Statement> cache_;
    std::int64_t rowid_ = 0;
    std::vector<TValue> position_;  // key values (or rowid) of the current record
};

}  // namespace platform
