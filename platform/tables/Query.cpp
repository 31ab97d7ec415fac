#include "platform/tables/Query.h"

#include "platform/core/runtime/PathCase.h"
#include "platform/core/runtime/Text.h"
#include "platform/tables/ConnectionPool.h"
#include "platform/tables/EDBEngineError.h"
#include "platform/tables/IndexChoice.h"
#include "platform/tables/SqlDialect.h"
#include "platform/tables/Sqlite.h"

#include <algorithm>
#include <cassert>
#include <functional>
#include <limits>
#include <filesystem>
#include <optional>
#include <stdexcept>

namespace platform {

namespace {
constexpr int kFirstChunk = 64;
constexpr int kMaxChunk = 4096;

std::string Alias(size_t index) { return index == 0 ? "main" : "t" + std::to_string(index); }

// The table files the SQL text names, found in the directory; empty when it names none.
std::string FilesNamed(const std::string& text, const std::string& databaseName) {
    std::filesystem::path dir = databaseName.empty() ? std::filesystem::path(".") : std::filesystem::path(databaseName);
    std::string files;
    for (const auto& f : TableFilesNamed(text)) files += (files.empty() ? "" : ", ") + ResolveCase(dir, f).string();
    return files;
}

TFieldDef DefFromDecl(const std::string& name, const std::string& decl) {
    TFieldDef f;
    f.Name = name;
    const std::string d = AsciiUpper(decl);
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

// Reads a query's result a chunk at a time. A plain one-table select reads
// each chunk on from the last rowid of the one before, so reading the
// whole result scans the table once; its statement, having filled a
// chunk, is kept part-way by a read pass (sqlite::ReadPass), and reading
// the next chunk steps it on while the pass lasts, which is no longer than
// the program stays busy: reading on costs neither a new run nor a new read
// transaction, and nothing stays locked between events. Any other query
// skips the rows before a chunk with OFFSET, one short run a chunk.
//
// Moving the dataset's record (MoveCurrent) takes the row out of the
// window by swap instead of copying it: that row is then lent to the
// dataset's current record, and its window slot holds only spare buffers.
// Every read of the lent row is served from the current record; the row
// goes back to its slot (by swap) at the next such move, or by copy before
// First or Last replace the current record; reading a new window ends
// the loan, the current record keeping its own values.
class QueryCursor {
public:
    // current: the dataset's current record, which holds the lent row.
    QueryCursor(const std::string& sql, const std::string& databaseName, TSession& session, std::string& label,
                const TRecord& current)
        : current_(current) {
        try {
            sql_ = TranslateSql(sql, &Alias);
        } catch (const std::invalid_argument& e) {
            const std::string files = FilesNamed(sql, databaseName);
            throw EDBEngineError(std::string("Invalid SQL: ") + e.what() + ".",
                                 files.empty() ? "(no table) SQL: " + sql : files);
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
        const PooledConnection pooled = session.QueryConnections().Get(paths, label);
        shared_ = pooled.connection;
        // One read transaction for the checks, the plan and the first rows.
        sqlite::ReadTransaction reading(*shared_);
        for (size_t i = 0; i < paths.size(); ++i) CheckTable(Alias(i), paths[i], session);

        const auto choice = sql_.resumable ? ChooseIndex(*shared_, sql_, *pooled.estimates) : std::nullopt;
        if (choice && !choice->FullScan) {
            // The indexes left a few records; each is held to the whole
            // condition, and those it keeps are read in rowid order: the
            // same rows, in the same order, as reading on from the last
            // rowid would give. Candidates are held only as far as the
            // rows read need: the first chunk now, the rest when read on
            // or counted.
            page_ = shared_->Prepared("SELECT " + sql_.rowidColumn + ", " + sql_.selectList + " FROM " +
                                                    sql_.fromClause + " WHERE " + sql_.rowidColumn + " = ? AND (" +
                                                    sql_.whereClause + ")");
            firstColumn_ = 1;
            ReadDefs();
            candidates_ = std::move(choice->Candidates);
            rowids_.emplace();
            FetchListed(0);
            return;
        } else if (sql_.resumable) {
            std::string where = "WHERE " + sql_.rowidColumn + " > ?";
            if (!sql_.whereClause.empty()) where += " AND (" + sql_.whereClause + ")";
            page_ = shared_->Prepared("SELECT " + sql_.rowidColumn + ", " + sql_.selectList + " FROM " +
                                               sql_.fromClause + (choice ? " NOT INDEXED " : " ") + where +
                                               " ORDER BY " + sql_.rowidColumn + " LIMIT ?");
            firstColumn_ = 1;
            boundaries_.push_back(std::numeric_limits<std::int64_t>::min());  // not bound: see FetchChunk
        } else {
            std::string base = sql_.hasLimit ? "SELECT * FROM (" + sql_.text + ")" : sql_.text;
            page_ = shared_->Prepared(base + " LIMIT ? OFFSET ?");
        }
        ReadDefs();
    }

    const std::vector<TFieldDef>& Defs() const { return defs_; }

    // First and Last may be about to replace the current record, so the lent row goes back first.
    bool First(TRecord& out) {
        ReturnLent();
        pos_ = 0;
        return RowAt(0, out);
    }

    bool Last(TRecord& out) {
        ReturnLent();
        int total = Count();
        if (total == 0) return false;
        pos_ = total - 1;
        return RowAt(pos_, out);
    }

    // Move of the dataset's current record (which must be current): the
    // row moved to is lent to it, the row it held goes back to its slot.
    int MoveCurrent(int distance, TRecord& current) {
        assert(&current == &current_);
        int target = std::max(0, pos_ + distance);
        if (!Holds(target)) {
            target = Count() - 1;
            if (target <= pos_ || !Holds(target)) return 0;
        }
        // Nothing below raises: the current record is never left half moved.
        if (target != lent_) {
            assert(lent_ < 0 || InWindow(lent_));
            if (lent_ >= 0) std::swap(window_[static_cast<size_t>(lent_ - windowStart_)], current);
            std::swap(current, window_[static_cast<size_t>(target - windowStart_)]);
            lent_ = target;
        }
        int moved = target - pos_;
        pos_ = target;
        return moved;
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

    // Every row whose text field holds text, in the result's order; the
    // position stays where the dataset's record is.
    std::vector<TRecord> RowsContaining(int fieldIndex, const std::string& text) {
        std::vector<TRecord> found;
        for (int i = 0; Holds(i); ++i) {
            const TRecord& r = Row(i);
            const auto f = static_cast<size_t>(fieldIndex);
            const auto* s = f < r.size() ? std::get_if<std::string>(&r[f]) : nullptr;
            if (s && s->find(text) != std::string::npos) found.push_back(r);
        }
        return found;
    }

    int Count() {
        if (total_) return *total_;
        if (rowids_) {
            sqlite::ReadTransaction reading(*shared_);
            sqlite::ResetGuard g(*page_);
            BindListedValues();
            HoldCandidates(std::numeric_limits<int>::max(), -1, nullptr);
            assert(total_);
            return *total_;
        }
        sqlite::Statement& s = *shared_->Prepared("SELECT count(*) FROM (" + sql_.text + ")");
        sqlite::ResetGuard g(s);
        for (size_t i = 0; i < sql_.values.size(); ++i) s.Bind(static_cast<int>(i) + 1, sql_.values[i]);
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
            sqlite::Statement& s = *shared_->Prepared("SELECT property, value FROM " + alias + ".vorel_table");
            sqlite::ResetGuard g(s);
            while (s.Step()) {
                std::string name = TField::Text(s.Column(0)), value = TField::Text(s.Column(1));
                if (name == "format") format = value;
                if (name == "password") password = value;
            }
        } catch (const ETableBusy&) {
            throw;  // locked, not damaged
        } catch (const EDBEngineError&) {
            throw EDBEngineError("Table is damaged or is not a table file.", path);
        }
        if (format.empty()) throw EDBEngineError("Table is damaged or is not a table file.", path);
        if (!password.empty() && !session.ObtainPassword(password)) throw EDBEngineError("Invalid password.", path);
    }

    // The lent row back into its slot, by copy: the current record keeps it too.
    void ReturnLent() {
        if (lent_ < 0) return;
        assert(InWindow(lent_));
        window_[static_cast<size_t>(lent_ - windowStart_)] = current_;
        lent_ = -1;
    }

    // Runs the page statement; rows go to the window, which starts at row start.
    void Run(int start, int count, const std::function<void(int next)>& bindPosition) {
        int next = 1;
        size_t v = 0;
        if (sql_.resumable)
            for (; v < sql_.valuesInSelectList; ++v) page_->Bind(next++, sql_.values[v]);
        bindPosition(next);
        next = sql_.resumable ? next + 1 : next;
        for (; v < sql_.values.size(); ++v) page_->Bind(next++, sql_.values[v]);
        // A resumable run reads on past its chunk while its pass lasts:
        // no limit, the rows are counted here.
        page_->Bind(next, static_cast<std::int64_t>(sql_.resumable ? -1 : count));
        if (!sql_.resumable) page_->Bind(next + 1, static_cast<std::int64_t>(start));
        ReadWindow(start, count);
    }

    // Steps the page statement for up to count rows, the window's from row
    // start on. A resumable run that filled its window stays held by the
    // pass, its next row the one after the window; any other ends here.
    void ReadWindow(int start, int count) {
        lent_ = -1;  // the slots are read over; the current record keeps its values
        windowStart_ = start;
        size_t used = 0;
        try {
            while (static_cast<int>(used) < count && page_->Step()) ReadWindowRow(used);
        } catch (...) {
            page_->Reset();
            throw;
        }
        window_.resize(used);
        int got = static_cast<int>(window_.size());
        if (got < count && (got > 0 || start == 0)) total_ = start + got;
        if (sql_.resumable && got == count) {
            // The statement still stands on the window's last row.
            size_t k = ChunkOf(start) + 1;
            if (boundaries_.size() == k) boundaries_.push_back(page_->ColumnInt(0));
            pass_.Hold(*page_);
            passNext_ = start + count;
        } else {
            page_->Reset();
        }
    }

    // Chunk k of a resumable query; the chunks before it are read first when
    // where it starts is not known yet. The chunk right after the last one
    // read comes from the pass, when it lasted.
    void FetchChunk(size_t k) {
        while (boundaries_.size() <= k) {
            size_t last = boundaries_.size() - 1;
            FetchChunk(last);
            if (boundaries_.size() == last + 1) return;  // the result ended before chunk k
        }
        if (pass_.Holds(*page_) && passNext_ == StartOf(k)) return ReadWindow(StartOf(k), SizeOf(k));
        // The first chunk starts below every rowid, the least integer one too.
        const std::int64_t after = boundaries_[k];
        Run(StartOf(k), SizeOf(k), [&](int n) {
            if (k == 0) page_->Bind(n, TValue(kBelowEveryRowid));
            else page_->Bind(n, after);
        });
    }

    // The rows of the chunk starting at row start of a result found through an index:
    // those already held read again by rowid, then candidates held on
    // until the chunk is full or none is left.
    void FetchListed(int start) {
        lent_ = -1;  // as in Run
        sqlite::ReadTransaction reading(*shared_);
        windowStart_ = start;
        const int end = start + SizeOf(ChunkOf(start));
        const int held = std::min(static_cast<int>(rowids_->size()), end);
        size_t used = 0;
        sqlite::ResetGuard g(*page_);
        BindListedValues();
        for (int i = start; i < held; ++i)
            if (LookUp((*rowids_)[static_cast<size_t>(i)])) ReadWindowRow(used);  // else gone meanwhile
        HoldCandidates(end, start, &used);
        window_.resize(used);
    }

    // Holds candidates to the condition until `end` rows are known or none
    // is left (the result's size is then known); with `used`, the kept
    // rows from row `from` on go to the window too. The listed page
    // statement has its values bound (BindListedValues).
    void HoldCandidates(int end, int from, size_t* used) {
        while (static_cast<int>(rowids_->size()) < end && checked_ < candidates_.size()) {
            const std::int64_t candidate = candidates_[checked_++];
            if (!LookUp(candidate)) continue;
            if (used && static_cast<int>(rowids_->size()) >= from) ReadWindowRow(*used);
            rowids_->push_back(candidate);
        }
        if (checked_ == candidates_.size()) total_ = static_cast<int>(rowids_->size());
    }

    // The listed page statement's values, bound once for a run of lookups
    // (each binds only its rowid); the caller resets the statement after.
    void BindListedValues() {
        int next = 1;
        size_t v = 0;
        for (; v < sql_.valuesInSelectList; ++v) page_->Bind(next++, sql_.values[v]);
        rowidParameter_ = next++;
        for (; v < sql_.values.size(); ++v) page_->Bind(next++, sql_.values[v]);
    }

    // Whether the record with this rowid is still there and holds to the
    // condition; its row is then the statement's, until the next lookup.
    bool LookUp(std::int64_t rowid) {
        page_->Rewind();
        page_->Bind(rowidParameter_, rowid);
        return page_->Step();
    }

    void ReadDefs() {
        for (int c = firstColumn_; c < page_->ColumnCount(); ++c)
            defs_.push_back(DefFromDecl(page_->ColumnName(c), page_->ColumnDeclType(c)));
    }

    // The page statement's row into the window's next record, read over in
    // place so that its buffers serve again.
    void ReadWindowRow(size_t& used) {
        if (used == window_.size()) window_.emplace_back();
        TRecord& r = window_[used++];
        r.resize(defs_.size());
        page_->ColumnsInto(firstColumn_, r);
    }

    void FetchAt(int i) {
        if (rowids_) return FetchListed(StartOf(ChunkOf(i)));
        if (sql_.resumable) return FetchChunk(ChunkOf(i));
        int end = windowStart_ + static_cast<int>(window_.size());
        int start = i, count = kFirstChunk;
        if (i == end && !window_.empty()) {
            chunk_ = std::min(chunk_ * 2, kMaxChunk);  // reading on: bigger steps
            count = chunk_;
        } else if (i < windowStart_) {
            chunk_ = kFirstChunk;
            start = std::max(0, i - kFirstChunk + 1);
            count = i - start + 1;
        } else {
            chunk_ = kFirstChunk;
        }
        Run(start, count, [](int) {});
    }

    bool InWindow(int i) const { return i >= windowStart_ && i < windowStart_ + static_cast<int>(window_.size()); }

    // Whether row i exists; it is then in the window.
    bool Holds(int i) {
        if (i < 0 || (total_ && i >= *total_)) return false;
        if (!InWindow(i)) {
            FetchAt(i);
            if (!InWindow(i)) return false;
        }
        return true;
    }

    // Row i, which Holds: the lent row is read from the current record.
    const TRecord& Row(int i) const { return i == lent_ ? current_ : window_[static_cast<size_t>(i - windowStart_)]; }

    bool RowAt(int i, TRecord& out) {
        if (!Holds(i)) return false;
        out = Row(i);
        return true;
    }

    // Resumable results and those found through an index are read in
    // chunks: a short first one, since a window shows its first rows at
    // once and a search that keeps few records may read far to fill a
    // chunk, then kChunk rows each.
    static size_t ChunkOf(int row) {
        return row < kFirstChunk ? 0 : 1 + static_cast<size_t>((row - kFirstChunk) / kChunk);
    }
    static int StartOf(size_t chunk) { return chunk == 0 ? 0 : kFirstChunk + static_cast<int>(chunk - 1) * kChunk; }
    static int SizeOf(size_t chunk) { return chunk == 0 ? kFirstChunk : kChunk; }

    static constexpr int kChunk = 256;
    // The double just below the least 64-bit integer: SQLite compares a
    // rowid with it exactly.
    static constexpr double kBelowEveryRowid = -9223372036854777856.0;

    const TRecord& current_;
    int lent_ = -1;  // the window row lent to the current record; -1: none
    TranslatedSql sql_;
    std::shared_ptr<sqlite::Connection> shared_;  // kept by the session between queries, with its estimates
    std::shared_ptr<sqlite::Statement> page_;  // kept by the connection for the next query of the same SQL
    int firstColumn_ = 0;  // 1 when the page statement reads the rowid first
    int rowidParameter_ = 0;  // of the listed page statement
    std::vector<TFieldDef> defs_;
    std::vector<TRecord> window_;
    std::vector<std::int64_t> boundaries_;  // rowid after which each chunk starts
    int windowStart_ = 0;
    int chunk_ = kFirstChunk;
    int pos_ = 0;
    std::optional<int> total_;
    std::optional<std::vector<std::int64_t>> rowids_;  // the result's rows held so far, when an index found them
    std::vector<std::int64_t> candidates_;              // what the indexes left, ascending
    size_t checked_ = 0;                                // candidates held to the condition so far
    int passNext_ = 0;  // the row the held page statement gives next
    // Last: it ends (resetting page_) before the statement may go.
    sqlite::ReadPass pass_;
};

TQuery::TQuery(TSession* session) : TDataSet(session) {}

TQuery::~TQuery() = default;

std::string TQuery::FileDescription() const {
    if (!label_.empty()) return label_;
    std::string text;
    for (const auto& l : SQL) text += (text.empty() ? "" : " ") + l;
    const std::string files = FilesNamed(text, DatabaseName);
    return files.empty() ? "(no table) SQL: " + text : files;
}

std::vector<TFieldDef> TQuery::DoOpen() {
    std::string text;
    for (const auto& l : SQL) text += (text.empty() ? "" : " ") + l;
    label_.clear();  // the cursor names the files it opens
    TSession& session = Session ? *Session : TSession::Default();
    try {
        cursor_ = std::make_unique<QueryCursor>(text, DatabaseName, session, label_, Current());
    } catch (...) {
        label_.clear();
        throw;
    }
    return cursor_->Defs();
}

void TQuery::DoClose() {
    cursor_.reset();
    label_.clear();
}
bool TQuery::DoFirst(TRecord& out) { return cursor_->First(out); }
bool TQuery::DoLast(TRecord& out) { return cursor_->Last(out); }
int TQuery::DoMove(int distance, TRecord& out) { return cursor_->Move(distance, out); }
int TQuery::DoMoveCurrent(int distance, TRecord& current, TRecord&) { return cursor_->MoveCurrent(distance, current); }
int TQuery::DoRecordCount() { return cursor_->Count(); }
int TQuery::DoRecNo() { return cursor_->RecNo(); }
std::vector<TRecord> TQuery::DoPeek(int offset, int count) { return cursor_->Peek(offset, count); }
std::vector<TRecord> TQuery::DoRecordsContaining(int fieldIndex, const std::string& text) {
    return cursor_->RowsContaining(fieldIndex, text);
}

}  // namespace platform
