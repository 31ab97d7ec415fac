// Secondary indexes the engine keeps: made once when a writable file lacks
// them, with the planner's statistics; a read-only file is used as it is;
// a search's rows and their order are the same with and without them.
#include "platform/tables/EDBEngineError.h"
#include "platform/tables/IndexChoice.h"
#include "platform/tables/SqlDialect.h"
#include "platform/tables/Query.h"
#include "platform/tables/Table.h"
#include "testkit/files/TempDir.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <string>
#include <vector>

namespace platform {
namespace {

TTableSchema PartsSchema() {
    TTableSchema s;
    s.Fields = {{"Codigo", TFieldType::ftString, 20}, {"Polaridade", TFieldType::ftString, 6},
                {"Vceo", TFieldType::ftFloat, 0}};
    s.Key = {"Codigo"};
    return s;
}

std::vector<std::string> IndexNames(const std::filesystem::path& file) {
    std::vector<std::string> names;
    sqlite3* db = nullptr;
    sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(db, "SELECT name FROM sqlite_master WHERE type = 'index' AND name LIKE 'vorel_ix%' ORDER BY name",
                       -1, &s, nullptr);
    while (sqlite3_step(s) == SQLITE_ROW) names.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(s, 0)));
    sqlite3_finalize(s);
    sqlite3_close(db);
    return names;
}

struct IndexFixture : ::testing::Test {
    platform::testing::TempDir dir;
    std::filesystem::path file;
    void SetUp() override {
        TTable t;
        t.DatabaseName = dir.Path().string();
        t.TableName = "Parts.db";
        t.CreateTable(PartsSchema());
        t.Open();
        for (int i = 0; i < 300; ++i) {
            t.Append();
            t.FieldByName("Codigo").SetAsString("P" + std::to_string(1000 + i));
            t.FieldByName("Polaridade").SetAsString(i % 2 ? "NPN" : "PNP");
            t.FieldByName("Vceo").SetAsFloat(i % 37);
            t.Post();
        }
        file = dir.Path() / "Parts.db";
    }
    std::vector<std::string> Codes(const std::string& sql) {
        TQuery q;
        q.DatabaseName = dir.Path().string();
        q.SQL = {sql};
        q.Open();
        std::vector<std::string> out;
        for (; !q.Eof(); q.Next()) out.push_back(q.FieldByName("Codigo").AsString());
        return out;
    }
};

TEST_F(IndexFixture, OpeningMakesTheMissingIndexesOnceAndSearchesFindTheSameRows) {
    const std::string sql = "select * from parts.db where vceo >= 3.000 and vceo <= 5.000 and polaridade = \"NPN\"";
    const auto before = Codes(sql);
    ASSERT_FALSE(before.empty());

    TTable t;
    t.DatabaseName = dir.Path().string();
    t.TableName = "parts.db";
    t.Indexes = {{"vceo"}, {"Polaridade"}};
    t.Open();
    EXPECT_EQ(IndexNames(file), (std::vector<std::string>{"vorel_ix_polaridade", "vorel_ix_vceo"}));
    t.Close();
    const auto modified = std::filesystem::last_write_time(file);
    t.Open();  // nothing left to make: the file is not written again
    EXPECT_EQ(std::filesystem::last_write_time(file), modified);
    t.Close();

    EXPECT_EQ(Codes(sql), before);
    // The planner reads the range through the index once it has statistics.
    sqlite3* db = nullptr;
    sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(db, "EXPLAIN QUERY PLAN SELECT * FROM records WHERE vceo >= 3 AND vceo <= 5 AND polaridade = 'NPN'",
                       -1, &s, nullptr);
    std::string plan;
    while (sqlite3_step(s) == SQLITE_ROW) plan += reinterpret_cast<const char*>(sqlite3_column_text(s, 3));
    sqlite3_finalize(s);
    sqlite3_close(db);
    EXPECT_NE(plan.find("vorel_ix_vceo"), std::string::npos) << plan;
}

TEST_F(IndexFixture, AReadOnlyTableIsUsedAsItIs) {
    TTable t;
    t.DatabaseName = dir.Path().string();
    t.TableName = "Parts.db";
    t.ReadOnly = true;
    t.Indexes = {{"Vceo"}};
    t.Open();
    EXPECT_TRUE(IndexNames(file).empty());
    EXPECT_EQ(t.RecordCount(), 300);
}

TEST_F(IndexFixture, AnIndexOnAFieldTheTableLacksIsRefused) {
    TTable t;
    t.DatabaseName = dir.Path().string();
    t.TableName = "Parts.db";
    t.Indexes = {{"Vcbo"}};
    try {
        t.Open();
        FAIL() << "opened";
    } catch (const EDBEngineError& e) {
        EXPECT_NE(e.Message().find("Vcbo"), std::string::npos);
    }
    EXPECT_FALSE(t.Active());
}

TEST_F(IndexFixture, RecordsContainingMatchesBytesInKeyOrderWithoutMoving) {
    TTable t;
    t.DatabaseName = dir.Path().string();
    t.TableName = "Parts.db";
    t.Open();
    t.MoveBy(5);
    const std::string current = t.FieldByName("Codigo").AsString();
    auto codes = [](const std::vector<TRecord>& rows) {
        std::vector<std::string> out;
        for (const auto& r : rows) out.push_back(std::get<std::string>(r[0]));
        return out;
    };
    const auto found = t.RecordsContaining("Codigo", "121");
    EXPECT_EQ(codes(found).size(), 11u);  // P1121, P1210 ... P1219, in key order
    EXPECT_EQ(codes(found).front(), "P1121");
    EXPECT_EQ(codes(found).back(), "P1219");
    EXPECT_EQ(t.RecordsContaining("Codigo", "P1121").size(), 1u);
    EXPECT_TRUE(t.RecordsContaining("Codigo", "p1121").empty());  // case counts, unlike the key order
    EXPECT_TRUE(t.RecordsContaining("Codigo", "").empty());
    EXPECT_EQ(t.FieldByName("Codigo").AsString(), current);

    // A query finds the same rows by reading them all.
    TQuery q;
    q.DatabaseName = dir.Path().string();
    q.SQL = {"select * from parts.db"};
    q.Open();
    q.MoveBy(5);
    EXPECT_EQ(codes(q.RecordsContaining("Codigo", "121")), codes(found));
    // The search leaves the query's record, its neighbours and the next one as they were.
    EXPECT_EQ(q.FieldByName("Codigo").AsString(), current);
    EXPECT_EQ(codes(q.PeekRows(-1, 3)), codes(t.PeekRows(-1, 3)));
    q.Next();
    t.Next();
    EXPECT_EQ(q.FieldByName("Codigo").AsString(), t.FieldByName("Codigo").AsString());
}

// The plan a query gets on a table large enough for indexes to matter: the
// rowids every useful index leaves, read from the indexes alone; a scan
// when they leave too many for a lookup each; the planner's own choice for
// conditions of other shapes. The rows found are those a scan finds.
TEST(IndexChoice, TheIndexesSingleOutFewRecordsOrTheTableIsScanned) {
    platform::testing::TempDir dir;
    {
        TTable t;
        t.DatabaseName = dir.Path().string();
        t.TableName = "Parts.db";
        t.CreateTable(PartsSchema());
    }
    const std::filesystem::path file = dir.Path() / "Parts.db";
    auto raw = [&](const std::string& sql) {
        std::vector<std::int64_t> out;
        sqlite3* db = nullptr;
        sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
        sqlite3_stmt* s = nullptr;
        EXPECT_EQ(sqlite3_prepare_v2(db, sql.c_str(), -1, &s, nullptr), SQLITE_OK) << sql;
        while (sqlite3_step(s) == SQLITE_ROW) out.push_back(sqlite3_column_int64(s, 0));
        sqlite3_finalize(s);
        sqlite3_close(db);
        return out;
    };
    // 30,000 parts: 1,000 voltages of 30 parts each, 3,000 polarity codes of 10.
    raw("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 29999) "
        "INSERT INTO records(Codigo, Polaridade, Vceo) SELECT 'P' || i, 'X' || (i % 3000), i % 1000 FROM n");
    {
        TTable t;  // makes the indexes and their statistics
        t.DatabaseName = dir.Path().string();
        t.TableName = "Parts.db";
        t.Indexes = {{"Vceo"}, {"Polaridade"}};
        t.Open();
    }
    sqlite::Connection db(file.string(), true, false, "Parts.db");
    IndexEstimates estimates;
    auto choose = [&](const std::string& where) {
        return ChooseIndex(db, TranslateSql("select * from parts.db where " + where,
                                            [](size_t) { return std::string("main"); }), estimates);
    };

    // Two indexes, each leaving few, meet in the rows both leave.
    auto both = choose("vceo >= 7.000 and vceo <= 7.000 and polaridade = \"X7\"");
    ASSERT_TRUE(both);
    EXPECT_FALSE(both->FullScan);
    EXPECT_EQ(both->Indexes, (std::vector<std::string>{"vorel_ix_polaridade", "vorel_ix_vceo"}));
    EXPECT_EQ(both->Candidates, raw("SELECT rowid FROM records WHERE Vceo = 7 AND Polaridade = 'X7' ORDER BY rowid"));
    EXPECT_EQ(both->Candidates.size(), 10u);

    // A range that leaves most of the table is not read through its index.
    auto wide = choose("vceo >= 7.000 and vceo <= 900.000");
    ASSERT_TRUE(wide);
    EXPECT_TRUE(wide->FullScan);
    EXPECT_TRUE(wide->Indexes.empty());

    // An index that leaves more records than lookups can beat a scan on: scanned.
    auto many = choose("vceo >= 7.000 and vceo <= 60.000");
    ASSERT_TRUE(many);
    EXPECT_TRUE(many->FullScan);

    // Other shapes are the planner's.
    EXPECT_FALSE(choose("vceo = 7 or vceo = 8"));

    // The rows a query finds are those a scan finds, in rowid order.
    TQuery q;
    q.DatabaseName = dir.Path().string();
    q.SQL = {"select * from parts.db where vceo >= 7.000 and vceo <= 7.000 and polaridade = \"X7\""};
    q.Open();
    std::vector<std::string> codes;
    for (; !q.Eof(); q.Next()) codes.push_back(q.FieldByName("Codigo").AsString());
    std::vector<std::string> expected;
    for (int i = 7; i < 30000; i += 3000) expected.push_back("P" + std::to_string(i));
    EXPECT_EQ(codes, expected);

    // Another program moves every voltage but 7 out of the wide range: the
    // estimates are made again for the file's new state, and the range
    // now singles out its 30 parts.
    const int made = estimates.Made();
    EXPECT_TRUE(choose("vceo >= 7.000 and vceo <= 900.000")->FullScan);
    EXPECT_EQ(estimates.Made(), made);  // nothing changed: the same estimates
    raw("UPDATE records SET Vceo = 2000 WHERE Vceo <> 7");
    auto narrowed = choose("vceo >= 7.000 and vceo <= 900.000");
    ASSERT_TRUE(narrowed);
    EXPECT_FALSE(narrowed->FullScan);
    EXPECT_EQ(narrowed->Indexes, std::vector<std::string>{"vorel_ix_vceo"});
    EXPECT_EQ(narrowed->Candidates, raw("SELECT rowid FROM records WHERE Vceo = 7 ORDER BY rowid"));

    // Records at both ends of the rowid range: estimates over all of it, and the same rows.
    raw("INSERT INTO records(rowid, Codigo, Polaridade, Vceo) VALUES "
        "(-9223372036854775808, 'PMIN', 'X7', 7), (9223372036854775807, 'PMAX', 'X7', 7)");
    ASSERT_TRUE(choose("vceo >= 7.000 and vceo <= 900.000"));
    TQuery ends;
    ends.DatabaseName = dir.Path().string();
    ends.SQL = {"select * from parts.db where vceo >= 7.000 and vceo <= 900.000 and polaridade = \"X7\""};
    ends.Open();
    codes.clear();
    for (; !ends.Eof(); ends.Next()) codes.push_back(ends.FieldByName("Codigo").AsString());
    expected.insert(expected.begin(), "PMIN");
    expected.push_back("PMAX");
    EXPECT_EQ(codes, expected);
}

}  // namespace
}  // namespace platform

namespace platform {
namespace {

// A result found through an index that spans several chunks: candidates are
// held to the whole condition as the rows are read, and the rows are those
// a scan finds, read on, from the end, counted, and without a record
// another program deleted meanwhile.
TEST(IndexChoice, ManyFoundRowsReadOnCountedAndDeletedMeanwhile) {
    platform::testing::TempDir dir;
    {
        TTable t;
        t.DatabaseName = dir.Path().string();
        t.TableName = "Parts.db";
        TTableSchema s;
        s.Fields = {{"Codigo", TFieldType::ftString, 20}, {"Vceo", TFieldType::ftFloat, 0},
                    {"Half", TFieldType::ftFloat, 0}, {"Nota", TFieldType::ftString, 250},
                    {"Nota2", TFieldType::ftString, 250}};
        s.Key = {"Codigo"};
        t.CreateTable(s);
    }
    const std::filesystem::path file = dir.Path() / "Parts.db";
    auto raw = [&](const std::string& sql) {
        std::vector<std::string> out;
        sqlite3* db = nullptr;
        sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
        sqlite3_stmt* s = nullptr;
        EXPECT_EQ(sqlite3_prepare_v2(db, sql.c_str(), -1, &s, nullptr), SQLITE_OK) << sql;
        while (sqlite3_step(s) == SQLITE_ROW) out.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(s, 0)));
        sqlite3_finalize(s);
        sqlite3_close(db);
        return out;
    };
    // 20,000 wide parts (few to a page): 20 of each of 1,000 voltages, one in seven with Half 0.
    raw("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 19999) "
        "INSERT INTO records(Codigo, Vceo, Half, Nota, Nota2) "
        "SELECT 'P' || i, i % 1000, i % 7, printf('%.240c', 'x'), printf('%.240c', 'y') FROM n");
    {
        TTable t;
        t.DatabaseName = dir.Path().string();
        t.TableName = "Parts.db";
        t.Indexes = {{"Vceo"}};
        t.Open();
    }
    const std::string where = "vceo >= 7.000 and vceo <= 26.000 and half >= 1";
    {
        sqlite::Connection db(file.string(), true, false, "Parts.db");
        IndexEstimates estimates;
        auto choice = ChooseIndex(db, TranslateSql("select * from parts.db where " + where,
                                                   [](size_t) { return std::string("main"); }), estimates);
        ASSERT_TRUE(choice);
        ASSERT_FALSE(choice->FullScan);
        EXPECT_EQ(choice->Candidates.size(), 400u);
    }
    const auto expected = raw("SELECT Codigo FROM records WHERE Vceo >= 7 AND Vceo <= 26 AND Half >= 1 ORDER BY rowid");
    ASSERT_EQ(expected.size(), 342u);

    TQuery q;
    q.DatabaseName = dir.Path().string();
    q.SQL = {"select * from parts.db where " + where};
    q.Open();
    std::vector<std::string> codes;
    for (; !q.Eof(); q.Next()) codes.push_back(q.FieldByName("Codigo").AsString());
    EXPECT_EQ(codes, expected);
    EXPECT_EQ(q.RecordCount(), 342);

    q.Close();
    q.Open();
    q.Last();
    EXPECT_EQ(q.FieldByName("Codigo").AsString(), expected.back());
    EXPECT_EQ(q.MoveBy(-300), -300);
    EXPECT_EQ(q.FieldByName("Codigo").AsString(), expected[41]);
    EXPECT_EQ(q.RecNo(), 42);

    // Counted before anything past the first rows is read; and a record
    // past them deleted by another program after the query opened.
    q.Close();
    q.Open();
    raw("DELETE FROM records WHERE Codigo = '" + expected[300] + "'");
    codes.clear();
    for (; !q.Eof(); q.Next()) codes.push_back(q.FieldByName("Codigo").AsString());
    auto left = expected;
    left.erase(left.begin() + 300);
    EXPECT_EQ(codes, left);
    EXPECT_EQ(q.RecordCount(), 341);
    q.Close();
    q.Open();
    EXPECT_EQ(q.RecordCount(), 341);
    q.Last();
    EXPECT_EQ(q.FieldByName("Codigo").AsString(), left.back());
}

}  // namespace
}  // namespace platform
