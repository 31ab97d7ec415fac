#include <gtest/gtest.h>

#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <QScrollBar>
#include <QTextDocument>
#include <QTest>
#include <QWheelEvent>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/qt/dbcontrols/DBGrid.h"
#include "platform/qt/dbcontrols/DBText.h"
#include "platform/qt/dbcontrols/Image.h"
#include "platform/qt/qtglue/Messenger.h"
#include "platform/tables/Query.h"
#include "platform/tables/Sqlite.h"
#include "platform/tables/Table.h"
#include "testkit/files/TempDir.h"

#include <sqlite3.h>

using namespace platform;

namespace {

using platform::testing::TempDir;

// A stock table of n rows: P001.. with a number and a note.
struct Stock {
    TempDir dir;
    TTable table;
    int scrolls = 0;
    explicit Stock(int n) {
        table.DatabaseName = dir.Path().string();
        table.TableName = "Stock.db";
        table.CreateTable({{{"Code", TFieldType::ftString, 20}, {"Value", TFieldType::ftFloat, 0},
                            {"Note", TFieldType::ftMemo, 0}},
                           {"Code"},
                           ""});
        table.Open();
        for (int i = 1; i <= n; ++i) {
            table.Append();
            char code[8];
            std::snprintf(code, sizeof code, "P%03d", i);
            table.FieldByName("Code").SetAsString(code);
            table.FieldByName("Value").SetAsFloat(i * 0.5);
            table.FieldByName("Note").SetAsString(std::string("line one\nnote ") + code);
            table.Post();
        }
        table.First();
        table.AfterScroll = [this](TDataSet&) { ++scrolls; };
    }
};

std::string Code(const std::vector<std::vector<std::string>>& rows, int r) { return rows.at(r).at(0); }

}  // namespace

TEST(DBGrid, ShowsAWindowAroundTheCurrentRecordAndFollowsIt) {
    Stock parts(50);
    TDBGrid grid;
    grid.SetColumns({{"Code", "Code"}, {"Value", ""}, {"Missing", ""}});
    grid.SetDataSet(&parts.table);
    grid.resize(300, 200);
    grid.show();
    const int visible = grid.VisibleRowCount();
    ASSERT_GE(visible, 3);
    auto rows = grid.VisibleRows();
    ASSERT_EQ(static_cast<int>(rows.size()), visible);
    EXPECT_EQ(Code(rows, 0), "P001");
    EXPECT_EQ(rows[1][1], "1");
    EXPECT_EQ(rows[0][2], "");  // an absent field shows empty
    EXPECT_EQ(grid.ActiveRow(), 0);

    // Positioning by key (no after-scroll) still moves the grid.
    parts.table.FindNearest({"P030"});
    rows = grid.VisibleRows();
    EXPECT_EQ(Code(rows, grid.ActiveRow()), "P030");
    parts.table.Last();
    rows = grid.VisibleRows();
    EXPECT_EQ(grid.ActiveRow(), visible - 1);
    EXPECT_EQ(Code(rows, visible - 1), "P050");
    parts.table.First();
    EXPECT_EQ(grid.ActiveRow(), 0);
    parts.table.MoveBy(2);
    EXPECT_EQ(grid.ActiveRow(), 2);  // the marker moves inside the window
    EXPECT_EQ(Code(grid.VisibleRows(), 0), "P001");
    // The current row is painted marked (highlight colour across the row).
    const QImage shot = grid.grab().toImage();
    const int rowH = grid.fontMetrics().height() + 6, headH = grid.fontMetrics().height() + 8;
    const QPoint inRow(grid.width() - 30, 2 + headH + 2 * rowH + rowH / 2);
    EXPECT_EQ(shot.pixelColor(inRow), grid.palette().color(QPalette::Inactive, QPalette::Highlight));
}

TEST(DBGrid, UserSelectionMovesTheDataSetAndFiresAfterScroll) {
    Stock parts(20);
    TDBGrid grid;
    grid.SetColumns({{"Code", ""}});
    grid.SetDataSet(&parts.table);
    grid.resize(240, 220);
    grid.show();
    grid.VisibleRows();
    int clicks = 0;
    grid.OnCellClick = [&] { ++clicks; };
    const int rowH = grid.fontMetrics().height() + 6, headH = grid.fontMetrics().height() + 8;
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, QPoint(40, headH + 3 * rowH + rowH / 2));
    EXPECT_EQ(parts.table.FieldByName("Code").AsString(), "P004");
    EXPECT_EQ(parts.scrolls, 1);
    EXPECT_EQ(clicks, 1);
    QTest::keyClick(&grid, Qt::Key_Down);
    QTest::keyClick(&grid, Qt::Key_End);
    EXPECT_EQ(parts.table.FieldByName("Code").AsString(), "P020");
    QTest::keyClick(&grid, Qt::Key_Up);
    EXPECT_EQ(parts.table.FieldByName("Code").AsString(), "P019");
    EXPECT_EQ(parts.scrolls, 4);
    // The wheel and the scroll bar move the dataset too.
    parts.table.First();
    QWheelEvent down(QPointF(40, 60), grid.mapToGlobal(QPointF(40, 60)), QPoint(), QPoint(0, -120), Qt::NoButton,
                     Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(grid.viewport(), &down);
    EXPECT_EQ(parts.table.FieldByName("Code").AsString(), "P004");
    grid.VisibleRows();
    grid.verticalScrollBar()->setValue(14);
    EXPECT_EQ(parts.table.FieldByName("Code").AsString(), "P015");
    // A click below the last row does nothing.
    parts.table.First();
    Stock few(2);
    grid.SetDataSet(&few.table);
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, QPoint(40, headH + 5 * rowH));
    EXPECT_EQ(few.scrolls, 0);
    grid.SetDataSet(nullptr);
}

TEST(DBGrid, ReopenedQueryRefreshesAndClosedShowsNothing) {
    Stock parts(10);
    TQuery q;
    q.DatabaseName = parts.dir.Path().string();
    q.SQL = {"select * from stock.db where value >= 2.000"};
    TDBGrid grid;
    grid.SetColumns({{"Code", ""}, {"Value", ""}});
    grid.SetDataSet(&q);
    grid.resize(300, 400);
    grid.show();
    EXPECT_TRUE(grid.VisibleRows().empty());
    EXPECT_EQ(grid.ActiveRow(), -1);
    q.Open();
    EXPECT_EQ(grid.VisibleRows().size(), 7u);
    // The marker stands on the current row of the result list.
    q.MoveBy(2);
    EXPECT_EQ(grid.ActiveRow(), 2);
    EXPECT_EQ(Code(grid.VisibleRows(), grid.ActiveRow()), "P006");
    EXPECT_EQ(q.FieldByName("Code").AsString(), "P006");
    q.Close();
    EXPECT_TRUE(grid.VisibleRows().empty());
    q.SQL = {"select * from stock.db where code = \"P009\""};
    q.Open();
    auto rows = grid.VisibleRows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][0], "P009");
    EXPECT_EQ(rows[0][1], "4.5");
    // Columns grow to fit what they show: nothing is clipped.
    EXPECT_GE(grid.ColumnWidth(0), grid.fontMetrics().horizontalAdvance("P009"));
    // In another font the reopened columns are as wide as a new grid's in that font.
    q.SQL = {"select * from stock.db where value >= 4.000"};
    grid.SetColumns({{"Code", ""}, {"Value", ""}, {"Note", ""}});
    q.Close();
    EXPECT_TRUE(grid.VisibleRows().empty());
    q.Open();
    const int before = grid.ColumnWidth(2);
    QFont big = grid.font();
    big.setPointSize(big.pointSize() * 2);
    grid.setFont(big);
    q.Close();
    EXPECT_TRUE(grid.VisibleRows().empty());
    q.Open();
    TDBGrid fresh;
    fresh.setFont(big);
    fresh.SetColumns(grid.Columns());
    fresh.SetDataSet(&q);
    fresh.resize(300, 400);
    fresh.show();
    EXPECT_GT(grid.ColumnWidth(2), before);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(grid.ColumnWidth(i), fresh.ColumnWidth(i)) << i;
    fresh.SetDataSet(nullptr);

    // A result longer than its first rows is read part-way, and the file
    // stays locked while the program is busy, no longer: once the event
    // loop goes idle, another program may write, and reading on shows it.
    for (int i = 11; i <= 100; ++i) {
        parts.table.Append();
        parts.table.FieldByName("Code").SetAsString("P" + std::to_string(i + 1000).substr(1));
        parts.table.FieldByName("Value").SetAsFloat(i * 0.5);
        parts.table.Post();
    }
    q.Close();
    q.SQL = {"select * from stock.db where value >= 0"};
    q.Open();
    EXPECT_EQ(Code(grid.VisibleRows(), 0), "P001");
    EXPECT_EQ(sqlite::ReadPassesHeld(), 1);
    QEventLoop idle;
    QTimer::singleShot(20, &idle, &QEventLoop::quit);
    idle.exec();
    EXPECT_EQ(sqlite::ReadPassesHeld(), 0);
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open((parts.dir.Path() / "Stock.db").c_str(), &other), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(other, "UPDATE records SET Value = 99 WHERE Code = 'P080'", nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(other);
    q.MoveBy(79);
    EXPECT_EQ(Code(grid.VisibleRows(), grid.ActiveRow()), "P080");
    EXPECT_EQ(grid.VisibleRows()[static_cast<size_t>(grid.ActiveRow())][1], "99");
    grid.SetDataSet(nullptr);
}

TEST(DBText, LabelAndMemoFollowTheCurrentRecord) {
    Stock parts(3);
    TDBText label;
    label.SetDataField("Code");
    TDBMemo memo;
    memo.SetDataField("Note");
    label.SetDataSet(&parts.table);
    memo.SetDataSet(&parts.table);
    EXPECT_EQ(label.text().toStdString(), "P001");
    parts.table.Next();
    EXPECT_EQ(label.text().toStdString(), "P002");
    EXPECT_EQ(memo.toPlainText().toStdString(), "line one\nnote P002");
    EXPECT_TRUE(memo.isReadOnly());
    parts.table.FindKey({"P003"});
    EXPECT_EQ(label.text().toStdString(), "P003");
    parts.table.Close();
    EXPECT_EQ(label.text().toStdString(), "");
    EXPECT_EQ(memo.toPlainText().toStdString(), "");
    // What the memo shows: the record current when it is shown, then every one as it comes.
    parts.table.Open();
    parts.table.Last();
    memo.show();
    EXPECT_EQ(memo.document()->toPlainText().toStdString(), "line one\nnote P003");
    parts.table.First();
    EXPECT_EQ(memo.document()->toPlainText().toStdString(), "line one\nnote P001");
}

TEST(Image, KeepsPictureAndScalesWithoutDistortion) {
    TImage image;
    image.resize(200, 100);
    QImage pic(40, 40, QImage::Format_RGB32);
    pic.fill(Qt::red);
    image.SetPicture(pic);
    EXPECT_FALSE(image.Empty());
    const QImage shot = image.grab().toImage();
    // A square picture in a wide control: centred square, sides left plain.
    EXPECT_EQ(shot.pixelColor(100, 50), QColor(Qt::red));
    EXPECT_NE(shot.pixelColor(20, 50), QColor(Qt::red));
    image.Clear();
    EXPECT_TRUE(image.Empty());
}
