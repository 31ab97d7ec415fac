#include "platform/qt/dbcontrols/DBText.h"

#include "platform/tables/DataSet.h"

namespace platform {

std::string FieldText(const TDataLink& link, const std::string& field) {
    if (field.empty() || !link.HasRecord()) return {};
    TField* f = link.DataSet()->FindField(field);
    return f ? f->AsString() : std::string();
}

TDBText::TDBText(QWidget* parent) : QLabel(parent), link_([this] { Refresh(); }) {
    setTextFormat(Qt::PlainText);
    setTextInteractionFlags(Qt::TextSelectableByMouse);
}

void TDBText::SetDataField(const std::string& field) {
    field_ = field;
    Refresh();
}

void TDBText::Refresh() { setText(QString::fromStdString(FieldText(link_, field_))); }

TDBMemo::TDBMemo(QWidget* parent) : QPlainTextEdit(parent), link_([this] { Refresh(); }) {
    setReadOnly(true);
}

void TDBMemo::SetDataField(const std::string& field) {
    field_ = field;
    Refresh();
}

void TDBMemo::Refresh() {
    const QString text = QString::fromStdString(FieldText(link_, field_));
    if (text != toPlainText()) setPlainText(text);
}

}  // namespace platform
