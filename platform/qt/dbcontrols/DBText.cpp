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

TDBMemo::TDBMemo(QWidget* parent) : QPlainTextEdit(parent), link_([this] { DataChanged(); }) {
    setReadOnly(true);
}

void TDBMemo::SetDataField(const std::string& field) {
    field_ = field;
    Refresh();
}

void TDBMemo::DataChanged() {
    if (isVisible()) Refresh();
    else stale_ = true;
}

void TDBMemo::Refresh() {
    stale_ = false;
    const QString text = QString::fromStdString(FieldText(link_, field_));
    if (text != QPlainTextEdit::toPlainText()) setPlainText(text);
}

QString TDBMemo::toPlainText() const {
    if (stale_) const_cast<TDBMemo*>(this)->Refresh();
    return QPlainTextEdit::toPlainText();
}

void TDBMemo::showEvent(QShowEvent* e) {
    if (stale_) Refresh();
    QPlainTextEdit::showEvent(e);
}

}  // namespace platform
