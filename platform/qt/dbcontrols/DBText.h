#pragma once
// Read-only data-aware label and memo: the text of one field of the current
// record; empty while the dataset is closed or empty.
#include <QLabel>
#include <QPlainTextEdit>
#include <string>

#include "platform/qt/dbcontrols/DataLink.h"

namespace platform {

// The text a control shows for field of the link's current record.
std::string FieldText(const TDataLink& link, const std::string& field);

class TDBText : public QLabel {
    Q_OBJECT
public:
    explicit TDBText(QWidget* parent = nullptr);
    void SetDataSet(TDataSet* dataSet) { link_.SetDataSet(dataSet); }
    void SetDataField(const std::string& field);
    const std::string& DataField() const { return field_; }

private:
    void Refresh();
    std::string field_;
    TDataLink link_;
};

// Setting a memo's text lays its document out again, so a hidden memo
// takes up the current record's text only when it is shown or its text is
// asked for (through TDBMemo, not through QPlainTextEdit).
class TDBMemo : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit TDBMemo(QWidget* parent = nullptr);
    void SetDataSet(TDataSet* dataSet) { link_.SetDataSet(dataSet); }
    void SetDataField(const std::string& field);
    const std::string& DataField() const { return field_; }
    // The current record's text, as shown.
    QString toPlainText() const;

protected:
    void showEvent(QShowEvent* e) override;

private:
    void DataChanged();
    void Refresh();
    std::string field_;
    TDataLink link_;
    bool stale_ = false;  // hidden while the record changed
};

}  // namespace platform
