#pragma once
// Base of tables and queries, as the class library's datasets: open and
// close, a current record moved by First/Next/Prior/Last/MoveBy, fields by
// name, edit states and the after-scroll event.
//
// AfterScroll fires after Open (when there is a record), First, Last,
// Next, Prior, MoveBy and Delete; never after FindKey or FindNearest.
// Data links (grids, data-aware controls) hear of every change of what the
// current record shows, positioning by key included.
//
// Every operation on a closed dataset raises EDBEngineError.
#include "platform/tables/Field.h"
#include "platform/tables/FieldDefs.h"
#include "platform/tables/Session.h"

#include <functional>
#include <istream>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace platform {

enum class TDataSetState { dsInactive, dsBrowse, dsEdit, dsInsert, dsSetKey };


class TDataSet {
public:
    explicit TDataSet(TSession* session = nullptr) : Session(session) {}
    virtual ~TDataSet() = default;
    TDataSet(const TDataSet&) = delete;
    TDataSet& operator=(const TDataSet&) = delete;

    TSession* Session;            // nullptr: TSession::Default()
    std::string DatabaseName;     // directory that holds the table files
    std::function<void(TDataSet&)> AfterScroll;
    // Asked before First, Last, Next, Prior and MoveBy leave the current
    // record (not before Open, Delete or positioning by key); false keeps
    // the record current and the call does nothing. The handler may write
    // to the dataset; the move then starts from where it left the dataset.
    std::function<bool(TDataSet&)> BeforeScroll;

    void Open();
    void Close();  // cancels a pending edit; harmless when closed
    bool Active() const { return state_ != TDataSetState::dsInactive; }
    void SetActive(bool active) { active ? Open() : Close(); }
    TDataSetState State() const { return state_; }

    void First();
    void Last();
    void Next() { MoveBy(1); }
    void Prior() { MoveBy(-1); }
    int MoveBy(int distance);  // rows actually moved
    bool Eof() const;
    bool Bof() const;
    bool IsEmpty() const;
    int RecordCount();
    int RecNo();  // 1-based position of the current record; 0 when empty
    // For grids and scroll bars: cheap whatever the table's size (see TGridPosition).
    TGridPosition GridPosition(int window);

    int FieldCount() const { return static_cast<int>(fields_.size()); }
    TField& Fields(int index) {
        if (index < 0 || index >= FieldCount()) FailFieldIndex();
        return fields_[static_cast<size_t>(index)];
    }
    TField& FieldByName(const std::string& name);
    TField* FindField(const std::string& name);  // nullptr when absent

    void Append();
    void Insert();
    void Edit();
    // Post of an edit and Delete address the record by its key and write
    // only when it is still as it was read; when another session changed
    // or removed it meanwhile they raise ERecordChanged, write nothing,
    // drop the edit and make current the record now stored under that key
    // (else the next one), without an after-scroll event.
    void Post();
    void Cancel();
    void Delete();

    // Read stream over a blob or memo field of the current record.
    std::unique_ptr<std::istream> CreateBlobStream(TField& field);

    // Records around the current one without moving (offset 0 = current),
    // for grids; fewer when the dataset ends.
    std::vector<TRecord> PeekRows(int offset, int count);
    // Every record whose text field contains `text` (case-sensitive; an
    // empty text matches nothing), in the dataset's order, without moving.
    std::vector<TRecord> RecordsContaining(const std::string& fieldName, const std::string& text);

    int AddDataLink(std::function<void(TDataSet&)> changed);
    void RemoveDataLink(int id);

    // The table file (or query) failures name.
    virtual std::string FileDescription() const = 0;

    // For TField. Browsing a record is the common case and stays inline:
    // a query read to its end asks for every field of every row.
    const TValue& FieldValue(int index) const {
        if (state_ == TDataSetState::dsBrowse && hasRecord_ && index >= 0 && static_cast<size_t>(index) < current_.size())
            return current_[static_cast<size_t>(index)];
        return FieldValueElsewhere(index);
    }
    void SetFieldValue(int index, TValue value);

protected:
    // What a table or a query does below the dataset.
    virtual std::vector<TFieldDef> DoOpen() = 0;
    virtual void DoClose() = 0;
    // Reads the first (last) record; false when empty.
    virtual bool DoFirst(TRecord& out) = 0;
    virtual bool DoLast(TRecord& out) = 0;
    // Moves |distance| rows from the current record; returns the rows moved
    // (fewer at an end, out then holds the last reached record).
    virtual int DoMove(int distance, TRecord& out) = 0;
    // The move of the current record itself (MoveBy): current becomes the
    // record moved to; spare's buffers may be reused and left with anything.
    // When nothing moves or the call raises, current is as it was.
    // Default: DoMove into spare, which then swaps with current.
    virtual int DoMoveCurrent(int distance, TRecord& current, TRecord& spare);
    virtual int DoRecordCount() = 0;
    virtual int DoRecNo() = 0;
    // Default: exact, from DoRecordCount and DoRecNo.
    virtual TGridPosition DoGridPosition(int window);
    virtual std::vector<TRecord> DoPeek(int offset, int count) = 0;
    // Default: reads every record from the first, a batch at a time.
    virtual std::vector<TRecord> DoRecordsContaining(int fieldIndex, const std::string& text);
    virtual bool CanModify() const { return false; }
    // Writes a new record; out becomes the written record, now current.
    virtual void DoInsertRecord(const TRecord& record, TRecord& out);
    // Rewrites the current record, read as original; out becomes the
    // stored record. Raises ERecordChanged when the stored record is no
    // longer original.
    virtual void DoUpdateRecord(const TRecord& original, const TRecord& record, TRecord& out);
    // Deletes the current record, read as original (ERecordChanged as
    // above); out gets the record now current (the next, else the prior);
    // false when the dataset became empty.
    virtual bool DoDeleteRecord(const TRecord& original, TRecord& out);
    // After ERecordChanged: reads the record now stored under the current
    // key, else the next (else the last); false when the dataset is empty.
    virtual bool DoResync(TRecord& out);

    // Makes rec current without an after-scroll event (positioning by key).
    void Reposition(TRecord rec);
    void CheckActive() const;
    void CheckBrowseMode();  // posts nothing: an open edit must be finished first
    [[noreturn]] void Fail(const std::string& what) const;
    const TRecord& Current() const { return current_; }
    bool HasRecord() const { return hasRecord_; }
    void EnterState(TDataSetState s) { state_ = s; }

private:
    [[noreturn]] void FailFieldIndex() const;
    const TValue& FieldValueElsewhere(int index) const;
    bool MayScroll();
    void FireScroll();
    void FireDataChange();
    void BlankBuffer();
    // Leaves an edit that met another session's change: the stored record becomes current.
    void Resync();

    TDataSetState state_ = TDataSetState::dsInactive;
    std::vector<TField> fields_;  // filled once per layout: references stay good
    std::map<std::string, int> byName_;  // lower-case name -> index
    TRecord current_;
    TRecord previous_;  // spare record for DoMoveCurrent, whose buffers the next move reuses
    TRecord buffer_;  // the record being edited or inserted
    bool hasRecord_ = false;
    bool eof_ = true, bof_ = true;
    std::map<int, std::function<void(TDataSet&)>> links_;
    int nextLink_ = 1;
};

// Here, not in Field.cpp: a field's value is read for every field of every
// row a loop or a grid reads.
inline const TValue& TField::Value() const { return owner_->FieldValue(index_); }

}  // namespace platform
