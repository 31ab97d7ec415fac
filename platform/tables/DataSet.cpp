#include "platform/tables/DataSet.h"

#include "platform/tables/EDBEngineError.h"
#include "platform/core/runtime/Text.h"

#include <algorithm>
#include <cctype>
#include <sstream>

namespace platform {

namespace {
bool Editing(TDataSetState s) { return s == TDataSetState::dsEdit || s == TDataSetState::dsInsert; }

bool SameDefs(const std::vector<TField>& fields, const std::vector<TFieldDef>& defs) {
    if (fields.size() != defs.size()) return false;
    for (size_t i = 0; i < defs.size(); ++i) {
        const auto& a = fields[i].Def();
        if (a.Name != defs[i].Name || a.DataType != defs[i].DataType || a.Size != defs[i].Size) return false;
    }
    return true;
}
}  // namespace

void TDataSet::Fail(const std::string& what) const { throw EDBEngineError(what, FileDescription()); }

void TDataSet::CheckActive() const {
    if (!Active()) Fail("Cannot perform this operation on a closed dataset.");
}

void TDataSet::CheckBrowseMode() {
    CheckActive();
    if (Editing(state_)) Post();
    else if (state_ == TDataSetState::dsSetKey) state_ = TDataSetState::dsBrowse;
}

void TDataSet::Open() {
    if (Active()) return;
    std::vector<TFieldDef> defs = DoOpen();
    try {
        // Fields survive a reopen with the same layout, so references stay good.
        if (!SameDefs(fields_, defs)) {
            fields_.clear();
            byName_.clear();
            fields_.reserve(defs.size());  // no field moves while the others are made
            for (size_t i = 0; i < defs.size(); ++i) {
                fields_.emplace_back(*this, static_cast<int>(i), defs[i]);
                byName_.emplace(AsciiLower(defs[i].Name), static_cast<int>(i));
            }
        }
        hasRecord_ = DoFirst(current_);
    } catch (...) {
        DoClose();
        throw;
    }
    if (!hasRecord_) current_.assign(fields_.size(), TValue{});
    bof_ = true;
    eof_ = !hasRecord_;
    state_ = TDataSetState::dsBrowse;
    FireDataChange();
    if (hasRecord_) FireScroll();
}

void TDataSet::Close() {
    if (!Active()) return;
    state_ = TDataSetState::dsInactive;
    buffer_.clear();
    current_.clear();
    hasRecord_ = false;
    eof_ = bof_ = true;
    DoClose();
    FireDataChange();
}

void TDataSet::First() {
    CheckBrowseMode();
    if (!MayScroll()) return;
    TRecord rec;
    hasRecord_ = DoFirst(rec);
    if (hasRecord_) current_ = std::move(rec);
    bof_ = true;
    eof_ = !hasRecord_;
    FireDataChange();
    FireScroll();
}

void TDataSet::Last() {
    CheckBrowseMode();
    if (!MayScroll()) return;
    TRecord rec;
    hasRecord_ = DoLast(rec);
    if (hasRecord_) current_ = std::move(rec);
    eof_ = true;
    bof_ = !hasRecord_;
    FireDataChange();
    FireScroll();
}

int TDataSet::MoveBy(int distance) {
    CheckBrowseMode();
    if (distance == 0 || !hasRecord_) return 0;
    if ((distance > 0 && eof_) || (distance < 0 && bof_)) return 0;
    if (!MayScroll()) return 0;
    if (!hasRecord_) return 0;
    int moved = DoMoveCurrent(distance, current_, previous_);
    eof_ = distance > 0 && moved < distance;
    bof_ = distance < 0 && moved > distance;
    if (moved != 0) FireDataChange();
    FireScroll();
    return moved;
}

int TDataSet::DoMoveCurrent(int distance, TRecord& current, TRecord& spare) {
    // The record left behind lends its buffers to the one read next.
    int moved = DoMove(distance, spare);
    if (moved != 0) std::swap(current, spare);
    return moved;
}

bool TDataSet::Eof() const {
    CheckActive();
    return eof_;
}

bool TDataSet::Bof() const {
    CheckActive();
    return bof_;
}

bool TDataSet::IsEmpty() const {
    CheckActive();
    return !hasRecord_ && state_ != TDataSetState::dsInsert;
}

int TDataSet::RecordCount() {
    CheckActive();
    return DoRecordCount();
}

int TDataSet::RecNo() {
    CheckActive();
    if (state_ == TDataSetState::dsInsert || !hasRecord_) return 0;
    return DoRecNo();
}

std::vector<TRecord> TDataSet::RecordsContaining(const std::string& fieldName, const std::string& text) {
    CheckBrowseMode();
    const int index = FieldByName(fieldName).Index();
    if (text.empty() || !hasRecord_) return {};
    return DoRecordsContaining(index, text);
}

std::vector<TRecord> TDataSet::DoRecordsContaining(int fieldIndex, const std::string& text) {
    constexpr int kBatch = 512;
    std::vector<TRecord> found;
    TRecord rec;
    if (!DoFirst(rec)) return found;
    // The scan moves below the dataset; the dataset's own record stays current.
    for (;;) {
        const std::vector<TRecord> batch = DoPeek(0, kBatch);
        for (const TRecord& r : batch) {
            const auto* s = fieldIndex < static_cast<int>(r.size()) ? std::get_if<std::string>(&r[static_cast<size_t>(fieldIndex)]) : nullptr;
            if (s && s->find(text) != std::string::npos) found.push_back(r);
        }
        if (static_cast<int>(batch.size()) < kBatch || DoMove(kBatch, rec) < kBatch) break;
    }
    return found;
}

TGridPosition TDataSet::GridPosition(int window) {
    CheckActive();
    if (state_ == TDataSetState::dsInsert || !hasRecord_) return {DoRecordCount(), 0, 0, 0};
    return DoGridPosition(std::max(1, window));
}

TGridPosition TDataSet::DoGridPosition(int window) {
    TGridPosition p;
    p.Count = DoRecordCount();
    p.RecNo = DoRecNo();
    p.Before = std::min(window, p.RecNo - 1);
    p.After = std::min(window, p.Count - p.RecNo);
    return p;
}

void TDataSet::FailFieldIndex() const { Fail("Field index out of range."); }

TField* TDataSet::FindField(const std::string& name) {
    auto it = byName_.find(AsciiLower(name));
    return it == byName_.end() ? nullptr : &fields_[static_cast<size_t>(it->second)];
}

TField& TDataSet::FieldByName(const std::string& name) {
    if (TField* f = FindField(name)) return *f;
    if (!Active() && fields_.empty()) Fail("Cannot perform this operation on a closed dataset.");
    Fail("Field '" + name + "' not found.");
}

const TValue& TDataSet::FieldValueElsewhere(int index) const {
    CheckActive();
    static const TValue kNull;
    const TRecord& rec = Editing(state_) ? buffer_ : current_;
    if (index < 0 || static_cast<size_t>(index) >= rec.size()) return kNull;
    if (!Editing(state_) && !hasRecord_) return kNull;
    return rec[static_cast<size_t>(index)];
}

void TDataSet::SetFieldValue(int index, TValue value) {
    CheckActive();
    if (!Editing(state_)) Fail("Dataset not in edit or insert mode.");
    if (index < 0 || static_cast<size_t>(index) >= buffer_.size()) Fail("Field index out of range.");
    buffer_[static_cast<size_t>(index)] = std::move(value);
    FireDataChange();
}

void TDataSet::BlankBuffer() { buffer_.assign(fields_.size(), TValue{}); }

void TDataSet::Append() { Insert(); }

void TDataSet::Insert() {
    CheckBrowseMode();
    if (!CanModify()) Fail("Cannot modify a read-only dataset.");
    BlankBuffer();
    state_ = TDataSetState::dsInsert;
    FireDataChange();
}

void TDataSet::Edit() {
    CheckActive();
    if (Editing(state_)) return;
    CheckBrowseMode();
    if (!CanModify()) Fail("Cannot modify a read-only dataset.");
    // Editing an empty dataset inserts, as the class library does.
    if (!hasRecord_) return Insert();
    buffer_ = current_;
    state_ = TDataSetState::dsEdit;
    FireDataChange();
}

void TDataSet::Post() {
    CheckActive();
    if (!Editing(state_)) return;
    TRecord stored;
    if (state_ == TDataSetState::dsInsert) {
        DoInsertRecord(buffer_, stored);
    } else {
        try {
            DoUpdateRecord(current_, buffer_, stored);
        } catch (const ERecordChanged&) {
            Resync();
            throw;
        }
    }
    current_ = std::move(stored);
    hasRecord_ = true;
    buffer_.clear();
    state_ = TDataSetState::dsBrowse;
    eof_ = bof_ = false;
    FireDataChange();
}

void TDataSet::Cancel() {
    CheckActive();
    if (!Editing(state_) && state_ != TDataSetState::dsSetKey) return;
    buffer_.clear();
    state_ = TDataSetState::dsBrowse;
    FireDataChange();
}

void TDataSet::Delete() {
    CheckActive();
    if (state_ == TDataSetState::dsInsert) return Cancel();
    if (state_ == TDataSetState::dsSetKey) state_ = TDataSetState::dsBrowse;
    if (!CanModify()) Fail("Cannot modify a read-only dataset.");
    if (!hasRecord_) Fail("Cannot perform this operation on an empty dataset.");
    buffer_.clear();
    state_ = TDataSetState::dsBrowse;
    TRecord rec;
    try {
        hasRecord_ = DoDeleteRecord(current_, rec);
    } catch (const ERecordChanged&) {
        Resync();
        throw;
    }
    if (hasRecord_) current_ = std::move(rec);
    else current_.assign(fields_.size(), TValue{});
    eof_ = bof_ = !hasRecord_;
    FireDataChange();
    FireScroll();
}

std::unique_ptr<std::istream> TDataSet::CreateBlobStream(TField& field) {
    CheckActive();
    return std::make_unique<std::istringstream>(field.AsBytes());
}

std::vector<TRecord> TDataSet::PeekRows(int offset, int count) {
    CheckActive();
    if (!hasRecord_ || count <= 0) return {};
    return DoPeek(offset, count);
}

int TDataSet::AddDataLink(std::function<void(TDataSet&)> changed) {
    int id = nextLink_++;
    links_.emplace(id, std::move(changed));
    return id;
}

void TDataSet::RemoveDataLink(int id) { links_.erase(id); }

void TDataSet::Reposition(TRecord rec) {
    current_ = std::move(rec);
    hasRecord_ = true;
    eof_ = bof_ = false;
    FireDataChange();
}

bool TDataSet::MayScroll() { return !BeforeScroll || BeforeScroll(*this); }

void TDataSet::FireScroll() {
    if (AfterScroll) AfterScroll(*this);
}

void TDataSet::FireDataChange() {
    // A link may remove itself (or others) while it runs.
    std::vector<int> ids;
    for (const auto& [id, fn] : links_) ids.push_back(id);
    for (int id : ids) {
        auto it = links_.find(id);
        if (it != links_.end() && it->second) {
            auto fn = it->second;
            fn(*this);
        }
    }
}

void TDataSet::Resync() {
    buffer_.clear();
    state_ = TDataSetState::dsBrowse;
    TRecord rec;
    hasRecord_ = DoResync(rec);
    if (hasRecord_) current_ = std::move(rec);
    else current_.assign(fields_.size(), TValue{});
    eof_ = bof_ = !hasRecord_;
    FireDataChange();
}

void TDataSet::DoInsertRecord(const TRecord&, TRecord&) { Fail("Cannot modify a read-only dataset."); }
void TDataSet::DoUpdateRecord(const TRecord&, const TRecord&, TRecord&) { Fail("Cannot modify a read-only dataset."); }
bool TDataSet::DoDeleteRecord(const TRecord&, TRecord&) { Fail("Cannot modify a read-only dataset."); }
bool TDataSet::DoResync(TRecord& out) {
    out = current_;
    return hasRecord_;
}

}  // namespace platform
