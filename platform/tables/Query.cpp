#include "platform/tables/Query.h"

#include "platform/runtime/PathCase.h"
#include "platform/tables/EDBEngineError.h"
#include "platform/tables/SqlDialect.h"
#include "platform/tables/Sqlite.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <stdexcept>

namespace platform {

namespace {
constexpr int kFirstChunk = 64;
constexpr int kMaxChunk = 4096;

std::string Alias(size_t index) { return index == 0 ? "main" : "t" + std::to_string(index); }

TFieldDef DefFromDecl(const std::string& name, const std::string& decl) {
    TFieldDef f;
    f.Name = name;
    std::string d;
    for (char c : decl) d += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (d.rfind("VARCHAR(", 0) == 0) {
        f.DataType = TFieldType::ftString;
        f.Size = std::atoi(d.c_str() + 8);
    } else if (d == "FLOAT") {
        f.DataType = TFieldType::ftFloat;
    } else if (d == "BLOB") {
        f.DataType = TFieldType::ftBlob;
    } else {
        f.DataType = TFieldType::ftMemo;  // text of any length, computed columns too
    }
    return f;
}
}  // namespace

// Reads a query's result a chunk at a time; each chunk is one short
// statement run, so nothing stays locked between calls.
class QueryCursor {
public:
    QueryCursor(const std::string& sql, const std::string& databaseName, TSession& session, std::string& label) {
        try {
            sql_ = TranslateSql(sql, &Alias);
        } catch (const std::invalid_argument& e) {
            throw EDBEngineError(std::string("Invalid SQL: ") + e.what() + ".", label.empty() ? sql : label);
        }
        std::filesystem::path dir = databaseName.empty() ? std::filesystem::path(".") : std::filesystem::path(databaseName);
        std::vector<std::string> paths;
        for (const auto& t : sql_.tables) paths.push_back(ResolveCase(dir, t).string());
        label = paths.front();
        for (size_t i = 1; i < paths.size(); ++i) label += ", " + paths[i];
        for (const auto& p : paths) {
            std::error_code ec;
            if (!std::filesystem::is_regular_file(p, ec)) throw EDBEngineError("Table does not exist.", p);
        }
        db_ = sqlite::Connection(paths.front(), true, false, label);
        for (size_t i = 1; i < paths.size(); ++i) {
            sqlite::Statement attach(db_, "ATTACH ? AS " + Alias(i));
            attach.Bind(1, paths[i]);
            attach.Step();
        }
        for (size_t i = 0; i < paths.size(); ++i) CheckTable(Alias(i), paths[i], session);

        std::string base = sql_.hasLimit ? "SELECT * FROM (" + sql_.text + ")" : sql_.text;
        page_ = sqlite::Statement(db_, base + " LIMIT ? OFFSET ?");
        for (int c = 0; c < page_.ColumnCount(); ++c) defs_.push_back(DefFromDecl(page_.ColumnName(c), page_.ColumnDeclType(c)));
    }

    const std::vector<TFieldDef>& Defs() const { return defs_; }

    bool First(TRecord& out) {
        pos_ = 0;
        return RowAt(0, out);
    }

    bool Last(TRecord& out) {
        int total = Count();
        if (total == 0) return false;
        pos_ = total - 1;
        return RowAt(pos_, out);
    }

    int Move(int distance, TRecord& out) {
        int target = std::max(0, pos_ + distance);
        if (!RowAt(target, out)) {
            target = Count() - 1;
            if (target <= pos_ || !RowAt(target, out)) return 0;
        }
        int moved = target - pos_;
        pos_ = target;
        return moved;
    }

    int Count() {
        if (total_) return *total_;
        sqlite::Statement s(db_, "SELECT count(*) FROM (" + sql_.text + ")");
        BindValues(s);
        sqlite::ResetGuard g(s);
        total_ = s.Step() ? static_cast<int>(s.ColumnInt(0)) : 0;
        return *total_;
    }

    int RecNo() const { return pos_ + 1; }

    std::vector<TRecord> Peek(int offset, int count) {
        std::vector<TRecord> rows;
        int from = std::max(0, pos_ + offset), to = pos_ + offset + count;
        for (int i = from; i < to; ++i) {
            TRecord r;
            if (!RowAt(i, r)) break;
            rows.push_back(std::move(r));
        }
        return rows;
    }

private:
    void CheckTable(const std::string& alias, const std::string& path, TSession& session) {
        std::string format, password;
        try {
            sqlite::Statement s(db_, "SELECT property, value FROM " + alias + ".vorel_table");
            sqlite::ResetGuard g(s);
            while (s.Step()) {
                std::string name = TField::Text(s.Column(0)), value = TField::Text(s.Column(1));
                if (name == "format") format = value;
                if (name == "password") password = value;
            }
        } catch (const EDBEngineError&) {
            throw EDBEngineError("Table is damaged or is not a table file.", path);
        }
        if (format.empty()) throw EDBEngineError("Table is damaged or is not a table file.", path);
        if (!password.empty() && !session.ObtainPassword(password)) throw EDBEngineError("Invalid password.", path);
    }

    int BindValues(sqlite::Statement& s) {
        int i = 1;
        for (const auto& v : sql_.values) s.Bind(i++, v);
        return i;
    }

    bool Fetch(int start, int count) {
        sqlite::ResetGuard g(page_);
        int next = BindValues(page_);
        page_.Bind(next, static_cast<std::int64_t>(count));
        page_.Bind(next + 1, static_cast<std::int64_t>(start));
        window_.clear();
        windowStart_ = start;
        while (page_.Step()) {
            TRecord r;
            r.reserve(defs_.size());
            for (int c = 0; c < static_cast<int>(defs_.size()); ++c) r.push_back(page_.Column(c));
            window_.push_back(std::move(r));
        }
        int got = static_cast<int>(window_.size());
        if (got < count && (got > 0 || start == 0)) total_ = start + got;
        return got > 0;
    }

    bool RowAt(int i, TRecord& out) {
        if (i < 0 || (total_ && i >= *total_)) return false;
        int end = windowStart_ + static_cast<int>(window_.size());
        if (i < windowStart_ || i >= end) {
            if (i == end && !window_.empty()) {
                chunk_ = std::min(chunk_ * 2, kMaxChunk);  // reading on: bigger steps
                Fetch(i, chunk_);
            } else if (i < windowStart_) {
                chunk_ = kFirstChunk;
                int start = std::max(0, i - chunk_ + 1);
                Fetch(start, i - start + 1);
            } else {
                chunk_ = kFirstChunk;
                Fetch(i, chunk_);
            }
            end = windowStart_ + static_cast<int>(window_.size());
            if (i < windowStart_ || i >= end) return false;
        }
        out = window_[static_cast<size_t>(i - windowStart_)];
        return true;
    }

    TranslatedSql sql_;
    sqlite::Connection db_;
    sqlite::Statement page_;
    std::vector<TFieldDef> defs_;
    std::vector<TRecord> window_;
    int windowStart_ = 0;
    int chunk_ = kFirstChunk;
    int pos_ = 0;
    std::optional<int> total_;
};

TQuery::TQuery(TSession* session) : TDataSet(session) {}

TQuery::~TQuery() = default;

std::string TQuery::FileDescription() const {
    if (!label_.empty()) return label_;
    std::string text;
    for (const auto& l : SQL) text += (text.empty() ? "" : " ") + l;
    return text.empty() ? std::string("(empty query)") : text;
}

std::vector<TFieldDef> TQuery::DoOpen() {
    std::string text;
    for (const auto& l : SQL) text += (text.empty() ? "" : " ") + l;
    label_.clear();
    TSession& session = Session ? *Session : TSession::Default();
    cursor_ = std::make_unique<QueryCursor>(text, DatabaseName, session, label_);
    return cursor_->Defs();
}

void TQuery::DoClose() { cursor_.reset(); }
bool TQuery::DoFirst(TRecord& out) { return cursor_->First(out); }
bool TQuery::DoLast(TRecord& out) { return cursor_->Last(out); }
int TQuery::DoMove(int distance, TRecord& out) { return cursor_->Move(distance, out); }
int TQuery::DoRecordCount() { return cursor_->Count(); }
int TQuery::DoRecNo() { return cursor_->RecNo(); }
std::vector<TRecord> TQuery::DoPeek(int offset, int count) { return cursor_->Peek(offset, count); }

}  // namespace platform
