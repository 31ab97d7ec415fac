#include "platform/qt/qtglue/CaseEdit.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>

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
    if (Converts()) {
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

QMenu* TCaseEdit::CreateContextMenu() {
    QMenu* menu = createStandardContextMenu();
    if (!Converts()) return menu;
    // The standard Paste (known by its shortcut, which Qt writes after a tab)
    // would insert the clipboard as it is.
    const QString pasteKey = "\t" + QKeySequence(QKeySequence::Paste).toString(QKeySequence::NativeText);
    for (QAction* a : menu->actions()) {
        if (!a->text().endsWith(pasteKey)) continue;
        a->setObjectName("edit-paste");
        a->disconnect(this);
        connect(a, &QAction::triggered, this, [this] { insert(Convert(QApplication::clipboard()->text())); });
    }
    return menu;
}

void TCaseEdit::contextMenuEvent(QContextMenuEvent* e) {
    QMenu* menu = CreateContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(e->globalPos());
}

void TCaseEdit::mouseReleaseEvent(QMouseEvent* e) {
    QClipboard* clip = QApplication::clipboard();
    if (Converts() && e->button() == Qt::MiddleButton && clip->supportsSelection()) {
        deselect();
        setCursorPosition(cursorPositionAt(e->position().toPoint()));
        insert(Convert(clip->text(QClipboard::Selection)));
        e->accept();
        return;
    }
    QLineEdit::mouseReleaseEvent(e);
}

void TCaseEdit::dropEvent(QDropEvent* e) {
    if (!Converts() || !e->mimeData()->hasText()) {
        QLineEdit::dropEvent(e);
        return;
    }
    QMimeData converted;
    converted.setText(Convert(e->mimeData()->text()));
    QDropEvent again(e->position(), e->possibleActions(), &converted, e->buttons(), e->modifiers(), e->type());
    again.setDropAction(e->dropAction());
    QLineEdit::dropEvent(&again);
    e->setDropAction(again.dropAction());
    e->setAccepted(again.isAccepted());
}

}  // namespace platform
