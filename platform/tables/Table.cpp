#include "platform/tables/Table.h"

#include "platform/core/runtime/PathCase.h"
#include "platform/tables/EDBEngineError.h"
#include "platform/tables/TableFile.h"

#include <charconv>
#include <filesystem>

namespace platform {

TTable::TTable(TSession* session) : TDataSet(session) {}

TTable::~TTable() = default;

std::string TTable::TablePath() const {
    if (TableName.empty()) return DatabaseName.empty() ? std::string("(no table name)") : DatabaseName;
    std::filesystem::path dir = DatabaseName.empty() ? std::filesystem::path(".") : std::filesystem::path(DatabaseName);
    return ResolveCase(dir, TableName).string();
}

std::vector<TFieldDef> TTable::DoOpen() {
    if (TableName.empty()) Fail("Table name is missing.");
    std::string path = TablePath();
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) Fail("Table does not exist.");
    TSession& session = Session ? *Session : TSession::Default();
    auto file = std::make_unique<TableFile>(path, ReadOnly, session.SyncWrites, &session.KeyChecks());
    const std::string& password = file->Schema().Password;
    if (!password.empty()) {
        if (!session.ObtainPassword(password)) Fail("Invalid password.");
    }
    if (!ReadOnly && !Indexes.empty()) file->EnsureIndexes(Indexes);
    file_ = std::move(file);
    return file_->Schema().Fields;
}

void TTable::DoClose() { file_.reset(); }

bool TTable::DoFirst(TRecord& out) { return file_->First(out); }
bool TTable::DoLast(TRecord& out) { return file_->Last(out); }
int TTable::DoMove(int distance, TRecord& out) { return file_->Move(distance, out); }
int TTable::DoRecordCount() { return file_->Count(); }
int TTable::DoRecNo() { return file_->RecNo(); }
TGridPosition TTable::DoGridPosition(int window) { return file_->GridPosition(window); }
std::vector<TRecord> TTable::DoPeek(int offset, int count) { return file_->Peek(offset, count); }
std::vector<TRecord> TTable::DoRecordsContaining(int fieldIndex, const std::string& text) {
    return file_->RowsContaining(fieldIndex, text);
}
void TTable::DoInsertRecord(const TRecord& record, TRecord& out) { file_->Insert(record, out); }
void TTable::DoUpdateRecord(const TRecord& original, const TRecord& record, TRecord& out) {
    file_->Update(original, record, out);
}
bool TTable::DoDeleteRecord(const TRecord& original, TRecord& out) { return file_->Delete(original, out); }
bool TTable::DoResync(TRecord& out) { return file_->Resync(out); }

int TTable::InsertMissing(const std::vector<TRecord>& records) {
    CheckBrowseMode();
    if (ReadOnly) Fail("Cannot modify a read-only dataset.");
    for (const TRecord& r : records)
        if (r.size() != file_->Schema().Fields.size()) Fail("Field index out of range.");
    return file_->InsertMissing(records);
}

const TTableSchema& TTable::Schema() const {
    CheckActive();
    return file_->Schema();
}

void TTable::SetKey() {
    CheckBrowseMode();
    EnterState(TDataSetState::dsSetKey);
}

std::vector<std::string> TTable::KeyValuesFor(const std::vector<std::string>& values) const {
    const auto& schema = file_->Schema();
    if (schema.Key.empty()) Fail("Table has no primary index.");
    if (values.empty() || values.size() > schema.Key.size()) Fail("Wrong number of key values.");
    return values;
}

namespace {
std::vector<TValue> Typed(const TTableSchema& schema, const std::vector<std::string>& values) {
    std::vector<TValue> out;
    for (size_t i = 0; i < values.size(); ++i) {
        const auto& name = schema.Key[i];
        TFieldType type = TFieldType::ftString;
        for (const auto& f : schema.Fields)
            if (f.Name == name) type = f.DataType;
        if (type == TFieldType::ftFloat) {
            double d = 0;
            const std::string& t = values[i];
            auto [p, ec] = std::from_chars(t.data(), t.data() + t.size(), d);
            out.emplace_back(ec == std::errc() && p == t.data() + t.size() ? TValue(d) : TValue(t));
        } else {
            out.emplace_back(values[i]);
        }
    }
    return out;
}
}  // namespace

bool TTable::FindKey(const std::vector<std::string>& values) {
    CheckBrowseMode();
    auto typed = Typed(file_->Schema(), KeyValuesFor(values));
    TRecord rec;
    // A failed search leaves the file's position where it was.
    if (!file_->FindKey(typed, rec)) return false;
    Reposition(std::move(rec));
    return true;
}

void TTable::FindNearest(const std::vector<std::string>& values) {
    CheckBrowseMode();
    auto typed = Typed(file_->Schema(), KeyValuesFor(values));
    TRecord rec;
    if (file_->FindNearest(typed, rec)) Reposition(std::move(rec));
}

void TTable::StartTransaction() {
    CheckBrowseMode();
    file_->StartTransaction();
}

void TTable::Commit() {
    CheckBrowseMode();
    file_->Commit();
}

void TTable::Rollback() {
    if (!Active()) return;  // closing already rolled it back
    Cancel();
    file_->Rollback();
}

void TTable::CreateTable(const TTableSchema& schema) {
    if (Active()) Fail("Cannot create a table that is open.");
    if (TableName.empty()) Fail("Table name is missing.");
    TableFile::Create(TablePath(), schema);
}

}  // namespace platform
