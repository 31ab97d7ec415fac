#pragma once
// The rich text of the notes (Texto): a QTextEdit that also paints the
// labels of numbered lists and the leaders of tab stops (LayoutMarks.h).
#include <QTextEdit>

namespace vorel {

class NotesView : public QTextEdit {
public:
    using QTextEdit::QTextEdit;

protected:
    void paintEvent(QPaintEvent* e) override;
};

}  // namespace vorel
