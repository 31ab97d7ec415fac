#include "platform/qtglue/CaseEdit.h"

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QKeyEvent>

namespace platform {

QString TCaseEdit::Convert(const QString& typed) const {
    switch (case_) {
        case CharCase::Upper: return typed.toUpper();
        case CharCase::Lower: return typed.toLower();
        case CharCase::Normal: break;
    }
    return typed;
}

void TCaseEdit::keyPressEvent(QKeyEvent* e) {
    if (case_ != CharCase::Normal && !isReadOnly()) {
        if (e->matches(QKeySequence::Paste)) {
            insert(Convert(QApplication::clipboard()->text()));
            e->accept();
            return;
        }
        const QString converted = Convert(e->text());
        if (!e->text().isEmpty() && converted != e->text()) {
            QKeyEvent again(e->type(), e->key(), e->modifiers(), converted, e->isAutoRepeat(),
                            static_cast<ushort>(e->count()));
            QLineEdit::keyPressEvent(&again);
            e->setAccepted(again.isAccepted());
            return;
        }
    }
    QLineEdit::keyPressEvent(e);
}

void TCaseEdit::inputMethodEvent(QInputMethodEvent* e) {
    if (case_ != CharCase::Normal && !e->commitString().isEmpty()) {
        QInputMethodEvent again(e->preeditString(), e->attributes());
        again.setCommitString(Convert(e->commitString()), e->replacementStart(), e->replacementLength());
        QLineEdit::inputMethodEvent(&again);
        return;
    }
    QLineEdit::inputMethodEvent(e);
}

}  // namespace platform
