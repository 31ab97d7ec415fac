#include "platform/tables/TableFile.h"

#include "platform/core/runtime/PathCase.h"
#include "platform/core/runtime/Text.h"
#include "platform/tables/CheckedKeys.h"
#include "platform/tables/EDBEngineError.h"
#include "platform/tables/Field.h"

#include <algorithm>
#include <cassert>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <set>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>

namespace platform {

namespace {
using sqlite::QuoteIdentifier;
using sqlite::ResetGuard;
using sqlite::Statement;

constexpr int kMaxTextWidth = 255;
constexpr const char* kFormat = "1";

std::string TypeName(TFieldType t) {
    switch (t) {
    case TFieldType::ftString: return "A";
    case TFieldType::ftFloat: return "N";
    case TFieldType::ftBlob: return "B";
    case TFieldType::ftMemo: return "M";
    }
    return "A";
}

bool TypeFromName(const std::string& n, TFieldType& t) {
    if (n == "A") t = TFieldType::ftString;
    else if (n == "N") t = TFieldType::ftFloat;
    else if (n == "B") t = TFieldType::ftBlob;
    else if (n == "M") t = TFieldType::ftMemo;
    else return false;
    return true;
}

// Declared column types: the affinity keeps text as text and the query
// layer reads field types back from them.
std::string DeclaredType(const TFieldDef& f) {
    switch (f.DataType) {
    case TFieldType::ftString: return "VARCHAR(" + std::to_string(f.Size) + ")";
    case TFieldType::ftFloat: return "FLOAT";
    case TFieldType::ftBlob: return "BLOB";
    case TFieldType::ftMemo: return "MEMOTEXT";
    }
    return "BLOB";
}

bool ValidName(const std::string& n) {
    if (n.empty() || n.size() > 64) return false;
    if (std::isdigit(static_cast<unsigned char>(n[0]))) return false;
    for (char c : n)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_') return false;
    std::string l = AsciiLower(n);
    return l != "rowid" && l != "oid" && l != "_rowid_";
}

void CheckSchema(const TTableSchema& schema, const std::string& path) {
    if (schema.Fields.empty()) throw EDBEngineError("A table needs at least one field.", path);
    std::set<std::string> names;
    for (const auto& f : schema.Fields) {
        if (!ValidName(f.Name)) throw EDBEngineError("Invalid field name '" + f.Name + "'.", path);
        if (!names.insert(AsciiLower(f.Name)).second)
            throw EDBEngineError("Duplicate field name '" + f.Name + "'.", path);
        if (f.DataType == TFieldType::ftString && (f.Size < 1 || f.Size > kMaxTextWidth))
            throw EDBEngineError("Invalid width of field '" + f.Name + "'.", path);
    }
    std::set<std::string> keys;
    for (const auto& k : schema.Key) {
        auto it = std::find_if(schema.Fields.begin(), schema.Fields.end(),
                               [&](const TFieldDef& f) { return AsciiLower(f.Name) == AsciiLower(k); });
        if (it == schema.Fields.end()) throw EDBEngineError("Key field '" + k + "' is not a field.", path);
        if (it->DataType != TFieldType::ftString && it->DataType != TFieldType::ftFloat)
            throw EDBEngineError("Field '" + k + "' cannot be part of a key.", path);
        if (!keys.insert(AsciiLower(k)).second) throw EDBEngineError("Key field '" + k + "' given twice.", path);
    }
}
}  // namespace

namespace {
constexpr const char* kDamaged = "Table is damaged or is not a table file.";

// The records of a new table, written into an open, empty file.
void WriteNewTable(sqlite::Connection& db, const TTableSchema& schema) {
    std::string cols;
    for (const auto& f : schema.Fields) {
        bool isKey = std::any_of(schema.Key.begin(), schema.Key.end(),
                                 [&](const std::string& k) { return AsciiLower(k) == AsciiLower(f.Name); });
        if (!cols.empty()) cols += ", ";
        cols += QuoteIdentifier(f.Name) + " " + DeclaredType(f);
        if (isKey)
            cols += f.DataType == TFieldType::ftString ? " COLLATE NOCASE NOT NULL DEFAULT ''" : " NOT NULL DEFAULT 0";
    }
    if (!schema.Key.empty()) {
        std::string key;
        for (const auto& k : schema.Key) key += (key.empty() ? "" : ", ") + QuoteIdentifier(k);
        cols += ", PRIMARY KEY (" + key + ")";
    }
    db.Exec("PRAGMA journal_mode=DELETE");
    db.Exec("BEGIN");
    db.Exec("CREATE TABLE vorel_table(property TEXT PRIMARY KEY, value TEXT)");
    db.Exec("CREATE TABLE vorel_fields(position INTEGER PRIMARY KEY, name TEXT NOT NULL, "
            "type TEXT NOT NULL, size INTEGER NOT NULL, keyposition INTEGER)");
    db.Exec("CREATE TABLE records(" + cols + ")");
    Statement prop(db, "INSERT INTO vorel_table VALUES (?, ?)");
    prop.Bind(1, std::string("format"));
    prop.Bind(2, std::string(kFormat));
    prop.Step();
    prop.Reset();
    prop.Bind(1, std::string("password"));
    prop.Bind(2, schema.Password);
    prop.Step();
    prop.Reset();
    Statement field(db, "INSERT INTO vorel_fields VALUES (?, ?, ?, ?, ?)");
    for (size_t i = 0; i < schema.Fields.size(); ++i) {
        const auto& f = schema.Fields[i];
        field.Bind(1, static_cast<std::int64_t>(i));
        field.Bind(2, f.Name);
        field.Bind(3, TypeName(f.DataType));
        field.Bind(4, static_cast<std::int64_t>(f.DataType == TFieldType::ftString ? f.Size : 0));
        auto k = std::find_if(schema.Key.begin(), schema.Key.end(),
                              [&](const std::string& n) { return AsciiLower(n) == AsciiLower(f.Name); });
        if (k != schema.Key.end()) field.Bind(5, static_cast<std::int64_t>(k - schema.Key.begin()));
        field.Step();
        field.Reset();
    }
    db.Exec("COMMIT");
}

void RemoveQuietly(const std::string& path) {
    std::error_code ec;
    std::filesystem::remove(path, ec);
    std::filesystem::remove(path + "-journal", ec);
}

// Makes the directory entry of a new name durable.
void SyncDirectory(const std::filesystem::path& dir) {
    int fd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}
}  // namespace

// The table is written under a temporary name in the same folder and gets
// its own name only when complete, so a writer killed half-way leaves no
// file that passes for the table or blocks a new attempt.
void TableFile::Create(const std::string& path, const TTableSchema& schema) {
    CheckSchema(schema, path);
    namespace fs = std::filesystem;
    std::error_code ec;
    if (fs::exists(path, ec)) throw EDBEngineError("Table already exists.", path);
    if (ec) throw EDBEngineError("Cannot create the table file.", path);
    fs::path target(path);
    std::string pattern = (target.parent_path() / ("." + target.filename().string() + ".new-XXXXXX")).string();
    int fd = ::mkstemp(pattern.data());
    if (fd < 0) throw EDBEngineError("Cannot create the table file.", path);
    // mkstemp makes the file private; a table gets the usual permissions.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
    ::close(fd);
    const std::string temp = pattern;
    try {
        {
            sqlite::Connection db(temp, false, true, path);
            WriteNewTable(db, schema);
        }
        // link() never replaces: a file that appeared meanwhile keeps its place.
        if (::link(temp.c_str(), path.c_str()) != 0) {
            int err = errno;
            if (err == EEXIST) throw EDBEngineError("Table already exists.", path);
            if (err != EPERM && err != ENOTSUP && err != EOPNOTSUPP)
                throw EDBEngineError("Cannot create the table file.", path);
            // No hard links on this file system: a rename, checked just before.
            if (fs::exists(path, ec)) throw EDBEngineError("Table already exists.", path);
            if (::rename(temp.c_str(), path.c_str()) != 0)
                throw EDBEngineError("Cannot create the table file.", path);
        }
    } catch (...) {
        RemoveQuietly(temp);
        throw;
    }
    RemoveQuietly(temp);
    SyncDirectory(target.parent_path());
}

TableFile::TableFile(const std::string& path, bool readOnly, bool syncWrites, CheckedKeys* keyChecks)
    : db_(path, readOnly, false, path), readOnly_(readOnly) {
    if (!syncWrites && !readOnly) {
        db_.Exec("PRAGMA synchronous=OFF");
        db_.Exec("PRAGMA journal_mode=MEMORY");
    }
    ReadSchema(path);
    CheckKeyTypes(path, readOnly, keyChecks);
    // Fails here, not at the first move, when the records lack a field.
    Prepared(Select() + "LIMIT 0");
}

// The schema as the file lists it, held to the rules of creation: an empty
// file, another program's database or a field list that no creation could
// have written is damage.
void TableFile::ReadSchema(const std::string& path) {
    {
        Statement s(db_, "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND "
                         "name IN ('vorel_table', 'vorel_fields', 'records')");
        ResetGuard g(s);
        if (!s.Step() || s.ColumnInt(0) != 3) db_.Fail(kDamaged);
    }
    std::string format;
    {
        Statement s(db_, "SELECT property, value FROM vorel_table");
        ResetGuard g(s);
        while (s.Step()) {
            TValue n = s.Column(0), v = s.Column(1);
            const auto* name = std::get_if<std::string>(&n);
            std::string value = std::holds_alternative<std::string>(v) ? std::get<std::string>(v) : "";
            if (name && *name == "format") format = value;
            if (name && *name == "password") schema_.Password = value;
        }
    }
    if (format != kFormat) db_.Fail(kDamaged);
    std::vector<std::pair<std::int64_t, std::string>> keys;
    {
        Statement s(db_, "SELECT name, type, size, keyposition FROM vorel_fields ORDER BY position");
        ResetGuard g(s);
        while (s.Step()) {
            TFieldDef f;
            TValue name = s.Column(0), type = s.Column(1), size = s.Column(2), kp = s.Column(3);
            if (!std::holds_alternative<std::string>(name) || !std::holds_alternative<std::string>(type) ||
                !TypeFromName(std::get<std::string>(type), f.DataType))
                db_.Fail(kDamaged);
            f.Name = std::get<std::string>(name);
            const auto* width = std::get_if<double>(&size);
            if (f.DataType == TFieldType::ftString) {
                if (!width || *width != static_cast<double>(static_cast<int>(std::clamp(*width, 0.0, 1e6))))
                    db_.Fail(kDamaged);
                f.Size = static_cast<int>(*width);
            }
            if (!std::holds_alternative<std::monostate>(kp)) {
                const auto* d = std::get_if<double>(&kp);
                // Positions run 0, 1, 2... (checked below); anything else is damage.
                if (!d || !(*d >= 0 && *d < 1e6) || *d != static_cast<double>(static_cast<std::int64_t>(*d)))
                    db_.Fail(kDamaged);
                keys.emplace_back(static_cast<std::int64_t>(*d), f.Name);
            }
            schema_.Fields.push_back(std::move(f));
        }
    }
    std::sort(keys.begin(), keys.end());
    for (size_t i = 0; i < keys.size(); ++i) {
        if (keys[i].first != static_cast<std::int64_t>(i)) db_.Fail(kDamaged);
        schema_.Key.push_back(keys[i].second);
    }
    try {
        CheckSchema(schema_, path);
    } catch (const EDBEngineError&) {
        db_.Fail(kDamaged);
    }
    for (const auto& name : schema_.Key)
        for (size_t i = 0; i < schema_.Fields.size(); ++i)
            if (schema_.Fields[i].Name == name) keyIndex_.push_back(static_cast<int>(i));
    // Every listed field must be a column of the records.
    std::set<std::string> columns;
    {
        Statement s(db_, "SELECT name FROM pragma_table_info('records')");
        ResetGuard g(s);
        while (s.Step()) {
            TValue n = s.Column(0);
            if (const auto* t = std::get_if<std::string>(&n)) columns.insert(AsciiLower(*t));
        }
    }
    for (const auto& f : schema_.Fields)
        if (!columns.count(AsciiLower(f.Name))) db_.Fail(kDamaged);
}

namespace {
// What tells one state of a table file from another: any write changes its
// modification time or its change counter. Empty when either is unknown.
std::string FileState(const std::string& path, const sqlite::Connection& db) {
    struct stat st {};
    const auto counter = db.ChangeCounter();
    if (::stat(path.c_str(), &st) != 0 || !counter) return {};
    return std::to_string(st.st_dev) + " " + std::to_string(st.st_ino) + " " + std::to_string(st.st_size) + " " +
           std::to_string(st.st_mtim.tv_sec) + "." + std::to_string(st.st_mtim.tv_nsec) + " " +
           std::to_string(*counter);
}
}  // namespace

// Moving by key compares stored keys with the current one; a key stored
// with another type (a blob, a number in a text key, text in a numeric
// key, a null) compares above or below every value of the right type, and
// moving would find the same record again. Such keys are turned into the
// type the engine writes, in one transaction; when that cannot be done
// (read-only, a clash of keys, text that is no number) the file is refused.
void TableFile::CheckKeyTypes(const std::string& path, bool readOnly, CheckedKeys* keyChecks) {
    auto foreign = [&](const TFieldDef& f) {
        return QuoteIdentifier(f.Name) +
               (f.DataType == TFieldType::ftString ? " IS NULL OR typeof(" + QuoteIdentifier(f.Name) + ") <> 'text'"
                                                   : " IS NULL OR typeof(" + QuoteIdentifier(f.Name) +
                                                         ") NOT IN ('integer', 'real')");
    };
    auto count = [&](const TFieldDef& f) {
        Statement s(db_, "SELECT count(*) FROM records WHERE " + foreign(f));
        ResetGuard g(s);
        return s.Step() ? s.ColumnInt(0) : 0;
    };
    // The primary index orders the first key field by type before value
    // (null, numbers, text, blobs), so its two ends tell whether any value
    // of a foreign type is there without reading the rest; later key fields
    // are ordered only within the first and are counted.
    auto firstKeyIsClean = [&](const TFieldDef& f) {
        const std::string col = QuoteIdentifier(f.Name);
        auto endType = [&](const char* dir) {
            Statement s(db_, "SELECT typeof(" + col + ") FROM records ORDER BY " + col + " " + dir + " LIMIT 1");
            ResetGuard g(s);
            return s.Step() ? TField::Text(s.Column(0)) : std::string("text");
        };
        const std::string low = endType("ASC"), high = endType("DESC");
        if (f.DataType == TFieldType::ftString) return low == "text" && high == "text";
        return (low == "integer" || low == "real") && (high == "integer" || high == "real");
    };
    // Later key fields are counted, which reads the whole file: only when
    // the file is first seen or has changed since it was found clean.
    const std::string state = keyChecks ? FileState(path, db_) : std::string();
    const bool laterKeysClean = !state.empty() && keyChecks->FoundClean(path, state);
    std::vector<const TFieldDef*> mixed;
    for (size_t k = 0; k < keyIndex_.size(); ++k) {
        const TFieldDef& f = schema_.Fields[keyIndex_[k]];
        if (k == 0 ? !firstKeyIsClean(f) : !laterKeysClean && count(f) > 0) mixed.push_back(&f);
    }
    if (mixed.empty() && !laterKeysClean && !state.empty() && keyIndex_.size() > 1) keyChecks->NoteClean(path, state);
    if (mixed.empty()) return;
    if (readOnly) db_.Fail(kDamaged);
    try {
        db_.Exec("BEGIN IMMEDIATE");
        for (const TFieldDef* f : mixed) {
            std::string col = QuoteIdentifier(f->Name);
            if (f->DataType == TFieldType::ftString) {
                db_.Exec("UPDATE records SET " + col + " = '' WHERE " + col + " IS NULL");
                db_.Exec("UPDATE records SET " + col + " = CAST(" + col + " AS TEXT) WHERE typeof(" + col +
                         ") <> 'text'");
            } else {
                db_.Exec("UPDATE records SET " + col + " = 0 WHERE " + col + " IS NULL");
            }
            if (count(*f) > 0) db_.Fail(kDamaged);
        }
        db_.Exec("COMMIT");
    } catch (const EDBEngineError& e) {
        try {
            db_.Exec("ROLLBACK");
        } catch (const EDBEngineError&) {
            // The table is reported damaged either way.
        }
        if (dynamic_cast<const ETableBusy*>(&e)) throw;  // locked by another program, not damaged
        db_.Fail(kDamaged);
    }
}

void TableFile::EnsureIndexes(const std::vector<std::vector<std::string>>& indexes) {
    std::vector<std::pair<std::string, std::string>> missing;  // name, column list
    for (const auto& fields : indexes) {
        if (fields.empty()) continue;
        std::string name = "vorel_ix", cols;
        for (const auto& f : fields) {
            auto it = std::find_if(schema_.Fields.begin(), schema_.Fields.end(),
                                   [&](const TFieldDef& d) { return AsciiLower(d.Name) == AsciiLower(f); });
            if (it == schema_.Fields.end()) db_.Fail("Index field '" + f + "' is not a field.");
            name += "_" + AsciiLower(it->Name);
            cols += (cols.empty() ? "" : ", ") + QuoteIdentifier(it->Name);
        }
        Statement s(db_, "SELECT 1 FROM sqlite_master WHERE type = 'index' AND name = ?");
        ResetGuard g(s);
        s.Bind(1, name);
        if (!s.Step()) missing.emplace_back(name, cols);
    }
    bool analysed = false;
    {
        Statement s(db_, "SELECT 1 FROM sqlite_master WHERE name = 'sqlite_stat1'");
        ResetGuard g(s);
        analysed = s.Step();
    }
    if (missing.empty() && analysed) return;
    try {
        db_.Exec("BEGIN IMMEDIATE");
        for (const auto& [name, cols] : missing)
            db_.Exec("CREATE INDEX IF NOT EXISTS " + QuoteIdentifier(name) + " ON records(" + cols + ")");
        // Without statistics the planner takes any equality for selective,
        // and would read half a table through an index on a two-valued field.
        db_.Exec("ANALYZE");
        db_.Exec("COMMIT");
    } catch (const EDBEngineError&) {
        try {
            db_.Exec("ROLLBACK");
        } catch (const EDBEngineError&) {
            // nothing was begun, or it already ended
        }
        // A file this program may only read (or a busy one) is used as it is.
    }
    cache_.clear();  // statements see the new schema anyway; start from a clean slate
}

sqlite::Statement& TableFile::Prepared(const std::string& sql) {
    auto it = cache_.find(sql);
    if (it == cache_.end()) it = cache_.emplace(sql, Statement(db_, sql)).first;
    return it->second;
}

std::string TableFile::Select() const {
    std::string s = "SELECT rowid";
    for (const auto& f : schema_.Fields) s += ", " + QuoteIdentifier(f.Name);
    return s + " FROM records ";
}

std::string TableFile::KeyTuple() const {
    if (keyIndex_.empty()) return "(rowid)";
    std::string s;
    for (int i : keyIndex_) s += (s.empty() ? "(" : ", ") + QuoteIdentifier(schema_.Fields[i].Name);
    return s + ")";
}

std::string TableFile::Order(bool ascending) const {
    const char* dir = ascending ? "" : " DESC";
    if (keyIndex_.empty()) return std::string("ORDER BY rowid") + dir + " ";
    std::string s;
    for (int i : keyIndex_) s += (s.empty() ? "ORDER BY " : ", ") + QuoteIdentifier(schema_.Fields[i].Name) + dir;
    return s + " ";
}

std::string TableFile::Placeholders(size_t n) const {
    std::string s = "(";
    for (size_t i = 0; i < n; ++i) s += i ? ", ?" : "?";
    return s + ")";
}

int TableFile::BindPosition(Statement& s, int first) {
    // The position is one value per key field, or the row id of a keyless table.
    assert(position_.size() == (keyIndex_.empty() ? 1 : keyIndex_.size()));
    for (const auto& v : position_) s.Bind(first++, v);
    return first;
}

TRecord TableFile::ReadRow(Statement& s, std::int64_t* rowid) const {
    if (rowid) *rowid = s.ColumnInt(0);
    TRecord r;
    r.reserve(schema_.Fields.size());
    // The row id, then every field in schema order (a move adds its check after them).
    assert(s.ColumnCount() >= static_cast<int>(schema_.Fields.size()) + 1);
    for (size_t i = 0; i < schema_.Fields.size(); ++i) {
        TValue v = s.Column(static_cast<int>(i) + 1);
        // Numbers stay numbers and text stays text whatever SQLite stored.
        const auto type = schema_.Fields[i].DataType;
        if (type == TFieldType::ftFloat) {
            if (auto* t = std::get_if<std::string>(&v)) {
                char* end = nullptr;
                double d = std::strtod(t->c_str(), &end);
                v = (end && *end == '\0' && !t->empty()) ? TValue(d) : TValue(std::monostate{});
            }
        }
        r.push_back(std::move(v));
    }
    return r;
}

void TableFile::SetPosition(std::int64_t rowid, const TRecord& rec) {
    rowid_ = rowid;
    position_.clear();
    if (keyIndex_.empty()) {
        position_.push_back(static_cast<double>(rowid));
        return;
    }
    assert(rec.size() == schema_.Fields.size());
    for (int i : keyIndex_) {
        assert(i >= 0 && static_cast<size_t>(i) < rec.size());
        TValue v = rec[i];
        if (std::holds_alternative<std::monostate>(v))
            v = schema_.Fields[i].DataType == TFieldType::ftString ? TValue(std::string()) : TValue(0.0);
        position_.push_back(std::move(v));
    }
}

bool TableFile::FetchCurrent(Statement& s, TRecord& out, bool* beyond) {
    ResetGuard g(s);
    if (!s.Step()) return false;
    std::int64_t rowid = 0;
    out = ReadRow(s, &rowid);
    if (beyond) *beyond = s.ColumnInt(static_cast<int>(schema_.Fields.size()) + 1) != 0;
    SetPosition(rowid, out);
    return true;
}

std::vector<TRecord> TableFile::FetchAll(Statement& s) {
    ResetGuard g(s);
    std::vector<TRecord> rows;
    while (s.Step()) rows.push_back(ReadRow(s, nullptr));
    return rows;
}

bool TableFile::First(TRecord& out) {
    NoteOutsideChanges();
    if (!FetchCurrent(Prepared(Select() + Order(true) + "LIMIT 1"), out)) return false;
    recNo_ = 1;
    recNoExact_ = true;
    return true;
}

bool TableFile::Last(TRecord& out) {
    NoteOutsideChanges();
    if (!FetchCurrent(Prepared(Select() + Order(false) + "LIMIT 1"), out)) return false;
    recNo_ = Count();
    recNoExact_ = true;
    return true;
}

int TableFile::CountWhere(const std::string& cmp) {
    auto& s = Prepared("SELECT count(*) FROM records WHERE " + KeyTuple() + " " + cmp + " " +
                       Placeholders(position_.size()));
    ResetGuard g(s);
    BindPosition(s, 1);
    return s.Step() ? static_cast<int>(s.ColumnInt(0)) : 0;
}

int TableFile::Move(int distance, TRecord& out) {
    if (distance == 0) return 0;
    NoteOutsideChanges();
    bool forward = distance > 0;
    int steps = forward ? distance : -distance;
    // A seek trusts the file's order, so a damaged tree can hand back a row
    // that is not beyond the start and make a walk go round for ever. The
    // row's own values are compared again in the select list, with the
    // columns' collations: every step then leads strictly onwards.
    const std::string beyondStart = KeyTuple() + (forward ? " > " : " < ") + Placeholders(position_.size());
    std::string sql = Select();
    sql.insert(sql.find(" FROM records "), ", " + beyondStart);
    sql += "WHERE " + beyondStart + " " + Order(forward) + "LIMIT 1 OFFSET ?";
    auto bind = [&](Statement& st, int offset) {
        int next = BindPosition(st, 1);
        next = BindPosition(st, next);
        st.Bind(next, static_cast<std::int64_t>(offset));
    };
    auto& s = Prepared(sql);
    bind(s, steps - 1);
    const std::int64_t from = rowid_;
    bool beyond = false;
    if (FetchCurrent(s, out, &beyond)) {
        if (!beyond || rowid_ == from) db_.Fail(kDamaged);
        if (recNo_ > 0) recNo_ += distance;
        return distance;
    }
    // Fewer rows than asked: go to the end that is there.
    int available = CountWhere(forward ? ">" : "<");
    if (available == 0) return 0;
    auto& again = Prepared(sql);
    bind(again, available - 1);
    if (!FetchCurrent(again, out, &beyond)) return 0;
    if (!beyond) db_.Fail(kDamaged);
    // At an end now: the record number is exact again.
    recNo_ = forward ? Count() : 1;
    recNoExact_ = true;
    return forward ? available : -available;
}

int TableFile::Count() {
    NoteOutsideChanges();
    if (count_ >= 0) return count_;
    auto& s = Prepared("SELECT count(*) FROM records");
    ResetGuard g(s);
    count_ = s.Step() ? static_cast<int>(s.ColumnInt(0)) : 0;
    return count_;
}

int TableFile::RecNo() {
    NoteOutsideChanges();
    if (recNo_ > 0 && recNoExact_) return recNo_;
    recNo_ = CountWhere("<") + 1;
    recNoExact_ = true;
    return recNo_;
}

void TableFile::NoteOutsideChanges() {
    auto& s = Prepared("PRAGMA data_version");
    ResetGuard g(s);
    const std::int64_t version = s.Step() ? s.ColumnInt(0) : -1;
    if (version != dataVersion_) {
        Forget();
        dataVersion_ = version;
    }
}

void TableFile::Forget() {
    count_ = -1;
    recNo_ = 0;
    recNoExact_ = false;
    samples_.clear();
    stride_ = 0;
}

int TableFile::CountBounded(bool before, int limit) {
    auto& s = Prepared("SELECT count(*) FROM (SELECT 1 FROM records WHERE " + KeyTuple() + (before ? " < " : " > ") +
                       Placeholders(position_.size()) + " LIMIT ?)");
    ResetGuard g(s);
    int next = BindPosition(s, 1);
    s.Bind(next, static_cast<std::int64_t>(limit));
    return s.Step() ? static_cast<int>(s.ColumnInt(0)) : 0;
}

namespace {
// Key order as the records' collation gives it: null, then numbers, then
// text ignoring ASCII case (NOCASE), then bytes.
int CompareValue(const TValue& a, const TValue& b) {
    if (a.index() != b.index()) {
        auto rank = [](const TValue& v) { return std::holds_alternative<std::monostate>(v) ? 0
                                                 : std::holds_alternative<double>(v)         ? 1
                                                                                             : 2; };
        return rank(a) < rank(b) ? -1 : 1;
    }
    if (const auto* x = std::get_if<double>(&a)) {
        const double y = std::get<double>(b);
        return *x < y ? -1 : *x > y ? 1 : 0;
    }
    if (const auto* x = std::get_if<std::string>(&a)) {
        const std::string& y = std::get<std::string>(b);
        const size_t n = std::min(x->size(), y.size());
        for (size_t i = 0; i < n; ++i) {
            unsigned char p = static_cast<unsigned char>((*x)[i]), q = static_cast<unsigned char>(y[i]);
            if (p < 128) p = static_cast<unsigned char>(std::tolower(p));
            if (q < 128) q = static_cast<unsigned char>(std::tolower(q));
            if (p != q) return p < q ? -1 : 1;
        }
        return x->size() < y.size() ? -1 : x->size() > y.size() ? 1 : 0;
    }
    return 0;
}

bool KeyLess(const std::vector<TValue>& a, const std::vector<TValue>& b) {
    for (size_t i = 0; i < a.size() && i < b.size(); ++i)
        if (int c = CompareValue(a[i], b[i])) return c < 0;
    return a.size() < b.size();
}
}  // namespace

// Stage one (once per version of the file): every stride-th key in key
// order, at most about 4,096 of them. Stage two (each call): the samples
// below the current key say between which two sampled records it stands.
int TableFile::EstimateBefore() {
    const int count = Count();
    if (samples_.empty() && count > 0) {
        stride_ = std::max(16, count / 4096 + 1);
        std::string cols;
        if (keyIndex_.empty()) cols = "rowid";
        for (int i : keyIndex_) cols += (cols.empty() ? "" : ", ") + QuoteIdentifier(schema_.Fields[i].Name);
        auto& s = Prepared("SELECT " + cols + " FROM records " + Order(true));
        ResetGuard g(s);
        const int width = static_cast<int>(keyIndex_.empty() ? 1 : keyIndex_.size());
        for (int row = 0; s.Step(); ++row) {
            if (row % stride_ != 0) continue;
            std::vector<TValue> key;
            for (int c = 0; c < width; ++c) key.push_back(s.Column(c));  // integers read back as numbers
            samples_.push_back(std::move(key));
        }
    }
    if (samples_.empty()) return 0;
    const auto below = std::lower_bound(samples_.begin(), samples_.end(), position_, KeyLess) - samples_.begin();
    if (below == 0) return 0;
    assert(stride_ > 0);
    // Between sampled records below - 1 and below: take the middle.
    return static_cast<int>(std::min<std::int64_t>(count - 1, (below - 1) * static_cast<std::int64_t>(stride_) + stride_ / 2));
}

TGridPosition TableFile::GridPosition(int window) {
    TGridPosition p;
    p.Count = Count();
    p.Before = CountBounded(true, window);
    p.After = CountBounded(false, window);
    if (p.Before < window) {
        recNo_ = p.Before + 1;
        recNoExact_ = true;
    } else if (p.After < window) {
        recNo_ = p.Count - p.After;
        recNoExact_ = true;
    } else if (recNo_ <= 0) {
        recNo_ = EstimateBefore() + 1;
        recNoExact_ = false;
    }
    // An estimate never contradicts what was counted exactly.
    if (!recNoExact_) recNo_ = std::clamp(recNo_, window + 1, std::max(window + 1, p.Count - window));
    p.RecNo = recNo_;
    return p;
}

std::vector<TRecord> TableFile::Peek(int offset, int count) {
    std::vector<TRecord> rows;
    if (count <= 0) return rows;
    if (offset < 0) {
        int back = -offset;
        auto& s = Prepared(Select() + "WHERE " + KeyTuple() + " < " + Placeholders(position_.size()) + " " +
                           Order(false) + "LIMIT ?");
        int next = BindPosition(s, 1);
        s.Bind(next, static_cast<std::int64_t>(back));
        rows = FetchAll(s);
        std::reverse(rows.begin(), rows.end());
        if (static_cast<int>(rows.size()) > count) rows.resize(static_cast<size_t>(count));
        count -= back;
        offset = 0;
        if (count <= 0) return rows;
    }
    auto& s = Prepared(Select() + "WHERE " + KeyTuple() + " >= " + Placeholders(position_.size()) + " " +
                       Order(true) + "LIMIT ? OFFSET ?");
    int next = BindPosition(s, 1);
    s.Bind(next, static_cast<std::int64_t>(count));
    s.Bind(next + 1, static_cast<std::int64_t>(offset));
    for (auto& r : FetchAll(s)) rows.push_back(std::move(r));
    return rows;
}

std::vector<TRecord> TableFile::RowsContaining(int fieldIndex, const std::string& text) {
    assert(fieldIndex >= 0 && fieldIndex < static_cast<int>(schema_.Fields.size()));
    sqlite::ReadTransaction reading(db_);
    std::vector<std::int64_t> rowids;
    {
        // instr compares bytes: the match is case-sensitive whatever the column's collation.
        auto& s = Prepared("SELECT rowid FROM records WHERE instr(" +
                           QuoteIdentifier(schema_.Fields[static_cast<size_t>(fieldIndex)].Name) + ", ?) > 0 " +
                           Order(true));
        ResetGuard g(s);
        s.Bind(1, text);
        while (s.Step()) rowids.push_back(s.ColumnInt(0));
    }
    std::vector<TRecord> rows;
    rows.reserve(rowids.size());
    auto& read = Prepared(Select() + "WHERE rowid = ?");
    for (std::int64_t rowid : rowids) {
        ResetGuard g(read);
        read.Bind(1, rowid);
        if (read.Step()) rows.push_back(ReadRow(read, nullptr));
    }
    return rows;
}

bool TableFile::FindKey(const std::vector<TValue>& values, TRecord& out) {
    assert(values.size() <= keyIndex_.size());
    std::string where;
    for (size_t i = 0; i < values.size(); ++i)
        where += (i ? " AND " : "WHERE ") + QuoteIdentifier(schema_.Fields[keyIndex_[i]].Name) + " = ?";
    auto& s = Prepared(Select() + where + " " + Order(true) + "LIMIT 1");
    for (size_t i = 0; i < values.size(); ++i) s.Bind(static_cast<int>(i) + 1, values[i]);
    if (!FetchCurrent(s, out)) return false;
    recNo_ = 0;
    return true;
}

bool TableFile::FindNearest(const std::vector<TValue>& values, TRecord& out) {
    assert(values.size() <= keyIndex_.size());
    std::string tuple;
    for (size_t i = 0; i < values.size(); ++i)
        tuple += (i ? ", " : "(") + QuoteIdentifier(schema_.Fields[keyIndex_[i]].Name);
    tuple += ")";
    auto& s = Prepared(Select() + "WHERE " + tuple + " >= " + Placeholders(values.size()) + " " + Order(true) +
                       "LIMIT 1");
    for (size_t i = 0; i < values.size(); ++i) s.Bind(static_cast<int>(i) + 1, values[i]);
    if (FetchCurrent(s, out)) {
        recNo_ = 0;
        return true;
    }
    return Last(out);
}

void TableFile::BindRecord(Statement& s, const TRecord& record) {
    for (size_t i = 0; i < schema_.Fields.size(); ++i) {
        TValue v = i < record.size() ? record[i] : TValue{};
        bool isKey = std::find(keyIndex_.begin(), keyIndex_.end(), static_cast<int>(i)) != keyIndex_.end();
        if (isKey && std::holds_alternative<std::monostate>(v))
            v = schema_.Fields[i].DataType == TFieldType::ftString ? TValue(std::string()) : TValue(0.0);
        if (schema_.Fields[i].DataType == TFieldType::ftBlob)
            s.BindBlob(static_cast<int>(i) + 1, v);
        else
            s.Bind(static_cast<int>(i) + 1, v);
    }
}

bool TableFile::ReadByRowid(std::int64_t rowid, TRecord& out) {
    auto& s = Prepared(Select() + "WHERE rowid = ?");
    s.Bind(1, rowid);
    return FetchCurrent(s, out);
}

void TableFile::Insert(const TRecord& record, TRecord& out) {
    std::string cols;
    for (const auto& f : schema_.Fields) cols += (cols.empty() ? "" : ", ") + QuoteIdentifier(f.Name);
    auto& s = Prepared("INSERT INTO records (" + cols + ") VALUES " + Placeholders(schema_.Fields.size()));
    {
        ResetGuard g(s);
        BindRecord(s, record);
        s.Step();
    }
    Forget();
    if (!ReadByRowid(db_.LastInsertRowid(), out)) db_.Fail("The written record cannot be read back.");
}

int TableFile::InsertMissing(const std::vector<TRecord>& records) {
    std::string cols;
    for (const auto& f : schema_.Fields) cols += (cols.empty() ? "" : ", ") + QuoteIdentifier(f.Name);
    // The primary key's own collation decides what is missing: text keys ignore case.
    auto& s = Prepared("INSERT OR IGNORE INTO records (" + cols + ") VALUES " + Placeholders(schema_.Fields.size()));
    int inserted = 0;
    try {
        for (const TRecord& record : records) {
            ResetGuard g(s);
            BindRecord(s, record);
            s.Step();
            inserted += db_.Changes();
        }
    } catch (...) {
        Forget();
        throw;
    }
    Forget();
    return inserted;
}

namespace {
constexpr const char* kChanged = "The record was changed by another user.";
constexpr const char* kGone = "The record was deleted by another user.";
}  // namespace

std::int64_t TableFile::RowStillAsRead(const TRecord& original) {
    std::int64_t rowid = rowid_;
    TRecord stored;
    bool found = false;
    if (keyIndex_.empty()) {
        auto& s = Prepared(Select() + "WHERE rowid = ?");
        ResetGuard g(s);
        s.Bind(1, rowid_);
        if ((found = s.Step())) stored = ReadRow(s, &rowid);
    } else {
        // Row ids of deleted rows come back for new ones: the key names the record.
        auto& s = Prepared(Select() + "WHERE " + KeyTuple() + " = " + Placeholders(keyIndex_.size()));
        ResetGuard g(s);
        for (size_t k = 0; k < keyIndex_.size(); ++k) {
            TValue v = static_cast<size_t>(keyIndex_[k]) < original.size() ? original[keyIndex_[k]] : TValue{};
            if (std::holds_alternative<std::monostate>(v))
                v = schema_.Fields[keyIndex_[k]].DataType == TFieldType::ftString ? TValue(std::string()) : TValue(0.0);
            s.Bind(static_cast<int>(k) + 1, v);
        }
        if ((found = s.Step())) stored = ReadRow(s, &rowid);
    }
    if (!found) throw ERecordChanged(kGone, db_.Label());
    if (stored != original) throw ERecordChanged(kChanged, db_.Label());
    return rowid;
}

void TableFile::Update(const TRecord& original, const TRecord& record, TRecord& out) {
    std::string set;
    for (const auto& f : schema_.Fields) set += (set.empty() ? "" : ", ") + QuoteIdentifier(f.Name) + " = ?";
    auto& s = Prepared("UPDATE records SET " + set + " WHERE rowid = ?");
    std::int64_t rowid = 0;
    {
        sqlite::WriteTransaction writing(db_);
        rowid = RowStillAsRead(original);
        {
            ResetGuard g(s);
            BindRecord(s, record);
            s.Bind(static_cast<int>(schema_.Fields.size()) + 1, rowid);
            s.Step();
        }
        writing.Commit();
    }
    Forget();
    if (!ReadByRowid(rowid, out)) db_.Fail(kGone);
}

bool TableFile::Delete(const TRecord& original, TRecord& out) {
    auto& s = Prepared("DELETE FROM records WHERE rowid = ?");
    {
        sqlite::WriteTransaction writing(db_);
        const std::int64_t rowid = RowStillAsRead(original);
        {
            ResetGuard g(s);
            s.Bind(1, rowid);
            s.Step();
        }
        writing.Commit();
    }
    Forget();
    // The position still holds the deleted record's key: its neighbours follow.
    if (Move(1, out) != 0) return true;
    return Move(-1, out) != 0;
}

bool TableFile::Resync(TRecord& out) {
    NoteOutsideChanges();
    recNo_ = 0;
    recNoExact_ = false;
    if (keyIndex_.empty()) {
        if (ReadByRowid(rowid_, out)) return true;
    } else {
        auto& s = Prepared(Select() + "WHERE " + KeyTuple() + " >= " + Placeholders(position_.size()) + " " +
                           Order(true) + "LIMIT 1");
        BindPosition(s, 1);
        if (FetchCurrent(s, out)) return true;
    }
    return Last(out);
}

void TableFile::StartTransaction() {
    if (transaction_ || reading_) db_.Fail("A transaction is already open.");
    if (readOnly_) reading_ = std::make_unique<sqlite::ReadTransaction>(db_);
    else transaction_ = std::make_unique<sqlite::WriteTransaction>(db_);
}

void TableFile::Commit() {
    if (transaction_) transaction_->Commit();
    transaction_.reset();
    reading_.reset();
    Forget();
}

void TableFile::Rollback() {
    transaction_.reset();
    reading_.reset();
    Forget();
}

}  // namespace platform
