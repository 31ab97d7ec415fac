// What grids ask of a table: the record count, kept until the file changes
// (also when another connection writes it), and the position of the current
// record, exact near either end and a consistent estimate in between.
#include "platform/tables/Table.h"
#include "testkit/files/TempDir.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdio>
#include <string>

namespace platform {
namespace {

TTableSchema CodesSchema() {
    TTableSchema s;
    s.Fields = {{"Codigo", TFieldType::ftString, 20}, {"Valor", TFieldType::ftFloat, 0}};
    s.Key = {"Codigo"};
    return s;
}

std::string Code(int i) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "C%06d", i);
    return buf;
}

struct CountingFixture : ::testing::Test {
    static constexpr int kRows = 5000;
    platform::testing::TempDir dir;
    TTable table;
    void SetUp() override {
        TSession& session = TSession::Default();
        session.SyncWrites = false;  // filling only; the program never does this
        table.DatabaseName = dir.Path().string();
        table.TableName = "Codes.db";
        table.CreateTable(CodesSchema());
        // Filled through SQLite in one transaction: thousands of posts would be slow.
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open((dir.Path() / "Codes.db").c_str(), &db), SQLITE_OK);
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        for (int i = 0; i < kRows; ++i) {
            // Mixed case: the order ignores it, as the records' collation does.
            std::string code = Code(i);
            if (i % 3 == 0) code[0] = 'c';
            std::string sql = "INSERT INTO records VALUES ('" + code + "', " + std::to_string(i) + ")";
            sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
        }
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_close(db);
        session.SyncWrites = true;
        table.Open();
    }
    void InsertOutside(const std::string& code) {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open((dir.Path() / "Codes.db").c_str(), &db), SQLITE_OK);
        std::string sql = "INSERT INTO records VALUES ('" + code + "', 0)";
        ASSERT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(db);
    }
};

TEST_F(CountingFixture, ExactWithinTheWindowOfEitherEnd) {
    table.First();
    TGridPosition p = table.GridPosition(20);
    EXPECT_EQ(p.Count, kRows);
    EXPECT_EQ(p.RecNo, 1);
    EXPECT_EQ(p.Before, 0);
    EXPECT_EQ(p.After, 20);  // capped at the window
    table.MoveBy(7);
    p = table.GridPosition(20);
    EXPECT_EQ(p.RecNo, 8);
    EXPECT_EQ(p.Before, 7);

    table.SetKey();
    table.FindNearest({Code(kRows - 5)});  // found by key: the number is counted, not carried
    p = table.GridPosition(20);
    EXPECT_EQ(p.RecNo, kRows - 5 + 1);
    EXPECT_EQ(p.After, 4);
    EXPECT_EQ(table.RecNo(), kRows - 5 + 1);
}

TEST_F(CountingFixture, InTheMiddleAnEstimateThatMovesExactly) {
    for (int target : {37, 1234, 2500, 4321}) {
        table.SetKey();
        table.FindNearest({Code(target)});
        const TGridPosition p = table.GridPosition(20);
        EXPECT_EQ(p.Before, 20);
        EXPECT_EQ(p.After, 20);
        // Within one sampling stride (16 records for a table this size) of the truth.
        EXPECT_NEAR(p.RecNo, target + 1, 16) << target;
        table.MoveBy(-3);
        EXPECT_EQ(table.GridPosition(20).RecNo, p.RecNo - 3);
        table.MoveBy(10);
        EXPECT_EQ(table.GridPosition(20).RecNo, p.RecNo + 7);
        EXPECT_EQ(table.RecNo(), target + 1 + 7);  // the exact figure on request
    }
}

TEST_F(CountingFixture, CountsFollowChangesFromHereAndElsewhere) {
    table.First();
    EXPECT_EQ(table.RecordCount(), kRows);
    InsertOutside("A000000");  // another program (or a restore) adds a record before all others
    EXPECT_EQ(table.RecordCount(), kRows + 1);
    EXPECT_EQ(table.GridPosition(20).RecNo, 2);
    table.Append();
    table.FieldByName("Codigo").SetAsString("ZZZ");
    table.Post();
    EXPECT_EQ(table.RecordCount(), kRows + 2);
    EXPECT_EQ(table.GridPosition(20).RecNo, kRows + 2);
    table.Delete();
    EXPECT_EQ(table.RecordCount(), kRows + 1);
    EXPECT_EQ(table.GridPosition(20).RecNo, kRows + 1);
}

}  // namespace
}  // namespace platform
