#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QDropEvent>
#include <QMenu>
#include <QMimeData>
#include <memory>
#include <QSignalSpy>
#include <QTest>

#include "platform/qt/qtglue/CaseEdit.h"

using namespace platform;

TEST(CaseEdit, ConvertsTypedAndPastedTextOnly) {
    TCaseEdit upper(CharCase::Upper);
    upper.show();
    QSignalSpy changes(&upper, &QLineEdit::textChanged);
    upper.setText("bc");  // set by the program: kept as it is
    QTest::keyClicks(&upper, "5a7");
    EXPECT_EQ(upper.text().toStdString(), "bc5A7");
    QApplication::clipboard()->setText("xy");
    QTest::keyClick(&upper, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(upper.text().toStdString(), "bc5A7XY");
    EXPECT_EQ(changes.count(), 5);

    TCaseEdit lower(CharCase::Lower);
    lower.show();
    lower.setText("Sony");
    QTest::keyClicks(&lower, "AB");
    EXPECT_EQ(lower.text().toStdString(), "Sonyab");
}

namespace {
// A drag from another program that ends on the box.
void DropText(QWidget* target, const QString& text) {
    QMimeData data;
    data.setText(text);
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QDragMoveEvent move(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &move);
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
}
}  // namespace

// Every other way text enters goes through the same conversion: a search on
// an upper-case box must never see "lm741".
TEST(CaseEdit, ContextMenuPasteAndDropConvertToo) {
    QWidget window;  // drops go to child widgets
    auto& upper = *new TCaseEdit(CharCase::Upper, &window);
    auto& normal = *new TCaseEdit(CharCase::Normal, &window);
    normal.move(0, 40);
    window.show();
    QApplication::clipboard()->setText("lm741");
    std::unique_ptr<QMenu> menu(upper.CreateContextMenu());
    QAction* paste = nullptr;
    for (QAction* a : menu->actions())
        if (a->objectName() == "edit-paste") paste = a;
    ASSERT_NE(paste, nullptr);
    paste->trigger();
    EXPECT_EQ(upper.text().toStdString(), "LM741");

    upper.clear();
    DropText(&upper, "ne555");
    EXPECT_EQ(upper.text().toStdString(), "NE555");

    // A box without conversion takes the text as it is.
    DropText(&normal, "ne555");
    EXPECT_EQ(normal.text().toStdString(), "ne555");
    normal.end(false);
    normal.paste();
    EXPECT_EQ(normal.text().toStdString(), "ne555lm741");
}
