#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QSignalSpy>
#include <QTest>

#include "platform/qtglue/CaseEdit.h"

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
