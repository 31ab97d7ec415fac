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

class TDBMemo : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit TDBMemo(QWidget* parent = nullptr);
    void SetDataSet(TDataSet* dataSet) { link_.SetDataSet(dataSet); }
    void SetDataField(const std::string& field);
    const std::string& DataField() const { return field_; }

private:
    void Refresh();
    std::string field_;
    TDataLink link_;
};

}  // namespace platform
