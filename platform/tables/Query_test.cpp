#include "platform/tables/EDBEngineError.h"
#include "platform/tables/Query.h"
#include "platform/tables/SqlDialect.h"
#include "platform/tables/Sqlite.h"
#include "platform/tables/Table.h"
#include "testkit/files/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sqlite3.h>

#include "testkit/support/ErrorOf.h"

namespace platform {
namespace {

using ::testing::HasSubstr;

std::string Alias(size_t i) { return "t" + std::to_string(i); }

TEST(SqlDialect, StringsBecomeValuesAndTablesBecomeFiles) {
    auto t = TranslateSql("select * from transistores.db where pd >= 0.500 and pd <= 0.500 and polaridade = \"NPN\" "
                          "and vceo >= 45.000 and vceo <= 49.500",
                          &Alias);
    EXPECT_EQ(t.text,
              "select * from t0.records where pd >= 0.500 and pd <= 0.500 and polaridade = ? and vceo >= 45.000 "
              "and vceo <= 49.500");
    EXPECT_THAT(t.values, ::testing::ElementsAre("NPN"));
    EXPECT_THAT(t.tables, ::testing::ElementsAre("transistores.db"));

    // A double-quoted text is a value, never a column.
    t = TranslateSql("select * from TRANSISTORES.DB where uso = \"Pd\"", &Alias);
    EXPECT_EQ(t.text, "select * from t0.records where uso = ?");
    EXPECT_THAT(t.values, ::testing::ElementsAre("Pd"));
    EXPECT_THAT(t.tables, ::testing::ElementsAre("transistores.db"));

    // Doubled quotes stand for one; single quotes work alike.
    t = TranslateSql("select * from ds.db where original = \"a\"\"b\" or original = 'it''s';", &Alias);
    EXPECT_THAT(t.values, ::testing::ElementsAre("a\"b", "it's"));
    EXPECT_EQ(t.text, "select * from t0.records where original = ? or original = ?");
    EXPECT_EQ(QuotedSqlString("NP\"N"), "\"NP\"\"N\"");
    EXPECT_THAT(TranslateSql("select * from ds.db where x = " + QuotedSqlString("a\" or \"1\"=\"1"), &Alias).values,
                ::testing::ElementsAre("a\" or \"1\"=\"1"));

    t = TranslateSql("select a.x from ds.db a, ds.db b, reparos.db where x in (select 1 limit 1)", &Alias);
    EXPECT_THAT(t.tables, ::testing::ElementsAre("ds.db", "reparos.db"));
    EXPECT_EQ(t.text, "select a.x from t0.records a, t0.records b, t1.records where x in (select 1 limit 1)");
    EXPECT_FALSE(t.hasLimit);
    EXPECT_TRUE(TranslateSql("select * from ds.db limit 3", &Alias).hasLimit);

    // Plain one-table selects read on by rowid.
    t = TranslateSql("select \"a\", * from ds.db d where original = \"x\"", &Alias);
    EXPECT_TRUE(t.resumable);
    EXPECT_EQ(t.selectList, "?, *");
    EXPECT_EQ(t.fromClause, "t0.records d");
    EXPECT_EQ(t.whereClause, "original = ?");
    EXPECT_EQ(t.rowidColumn, "d.rowid");
    EXPECT_EQ(t.valuesInSelectList, 1u);
    EXPECT_EQ(TranslateSql("select * from ds.db", &Alias).rowidColumn, "records.rowid");
    for (const char* other : {"select * from ds.db order by original", "select distinct original from ds.db",
                              "select * from ds.db, reparos.db", "select count(*) from ds.db group by original",
                              "select * from ds.db a join ds.db b on a.original = b.original"})
        EXPECT_FALSE(TranslateSql(other, &Alias).resumable) << other;

    for (const char* bad : {"", "   ", "delete from ds.db", "select * from ds.db; delete from ds.db",
                            "select * from ds.db where original = \"BC\"547\"", "select * from ds.db where x = ?",
                            "select * from ds.db where x = :p", "select * from ds", "select 1 /* open",
                            "select * from ds.db where x = 'open"}) {
        EXPECT_THROW(TranslateSql(bad, &Alias), std::invalid_argument) << bad;
    }
}

struct QueryFixture : ::testing::Test {
    testing::TempDir dir;
    TSession session;
    void SetUp() override {
        TTable t(&session);
        t.DatabaseName = dir.Path().string();
        t.TableName = "Transistores.db";
        TTableSchema s;
        s.Fields = {{"Identificacao", TFieldType::ftString, 20},
                    {"Uso", TFieldType::ftString, 20},
                    {"Polaridade", TFieldType::ftString, 6},
                    {"Pd", TFieldType::ftFloat, 0},
                    {"Vceo", TFieldType::ftFloat, 0}};
        s.Key = {"Identificacao"};
        s.Password = "vKarPelmuZ";
        t.CreateTable(s);
        session.AddPassword("vKarPelmuZ");
        t.Open();
        auto add = [&](const char* id, const char* uso, const char* pol, double pd, double vceo) {
            t.Append();
            t.FieldByName("Identificacao").SetAsString(id);
            t.FieldByName("Uso").SetAsString(uso);
            t.FieldByName("Polaridade").SetAsString(pol);
            t.FieldByName("Pd").SetAsFloat(pd);
            t.FieldByName("Vceo").SetAsFloat(vceo);
            t.Post();
        };
        add("BC547", "Pd", "NPN", 0.5, 45);
        add("BC548", "Audio", "NPN", 0.5, 30);
        add("BC557", "Audio", "PNP", 0.5, 45);
        add("2N2222", "Switch", "NPN", 0.5, 40);
        add("BC337", "Pd", "NPN", 0.625, 45);
        session.RemoveAllPasswords();
    }
    std::vector<std::string> Run(TQuery& q, const std::string& sql) {
        q.Close();
        q.SQL = {sql};
        q.Open();
        std::vector<std::string> ids;
        for (; !q.Eof(); q.Next()) ids.push_back(q.FieldByName("Identificacao").AsString());
        return ids;
    }
};

TEST_F(QueryFixture, RunsTheProgramsQueries) {
    session.OnPassword = [](TSession& s, bool& Continue) {
        s.AddPassword("vKarPelmuZ");
        Continue = true;
    };
    TQuery q(&session);
    q.DatabaseName = dir.Path().string();
    EXPECT_EQ(Run(q, "select * from transistores.db").size(), 5u);
    EXPECT_EQ(q.FieldCount(), 5);
    EXPECT_EQ(q.FieldByName("Pd").DataType(), TFieldType::ftFloat);
    EXPECT_EQ(q.FieldByName("Polaridade").Size(), 6);
    EXPECT_THAT(Run(q, "select * from transistores.db where pd >= 0.500 and pd <= 0.500 and polaridade = \"NPN\" and "
                       "vceo >= 45.000 and vceo <= 49.500"),
                ::testing::ElementsAre("BC547"));
    // "Pd" is the text Pd, not the column pd.
    EXPECT_THAT(Run(q, "select * from transistores.db where uso = \"Pd\""), ::testing::UnorderedElementsAre("BC547", "BC337"));
    // A key column matches ignoring case, like the table's own searches.
    EXPECT_THAT(Run(q, "select * from transistores.db where identificacao = \"bc547\""), ::testing::ElementsAre("BC547"));
    // A quote pasted into a value either fails or stays inside the value.
    q.Close();
    q.SQL = {"select * from transistores.db where polaridade = \"NP\"N\""};
    EXPECT_THROW(q.Open(), EDBEngineError);
    EXPECT_FALSE(q.Active());
    EXPECT_TRUE(Run(q, "select * from transistores.db where polaridade = " + QuotedSqlString("x\" or \"1\"=\"1")).empty());
    // Several lines are one statement.
    q.Close();
    q.SQL = {"select * from transistores.db where", " vceo >= 45.000 and", " vceo <= 45.000"};
    q.Open();
    EXPECT_EQ(q.RecordCount(), 3);
}

TEST_F(QueryFixture, ErrorsNameTheTableFile) {
    TQuery q(&session);
    q.DatabaseName = dir.Path().string();
    q.SQL = {"select * from transistores.db"};
    try {
        q.Open();  // protected, no password handler
        FAIL();
    } catch (const EDBEngineError& e) {
        EXPECT_THAT(e.Message(), HasSubstr("Invalid password"));
        EXPECT_THAT(e.Message(), HasSubstr("Transistores.db"));
    }
    q.SQL = {"select * from ds.db where original = \"BC547\""};
    try {
        q.Open();
        FAIL();
    } catch (const EDBEngineError& e) {
        EXPECT_THAT(e.Message(), HasSubstr("ds.db"));
    }
    // A one-letter table name is named too.
    q.SQL = {"select * from a.db"};
    EXPECT_THAT(platform::testing::ErrorOf([&] { q.Open(); }), HasSubstr("a.db"));
    q.SQL = {"select * from transistores.db where x = ?"};
    try {
        q.Open();
        FAIL();
    } catch (const EDBEngineError& e) {
        EXPECT_THAT(e.Message(), HasSubstr("Invalid SQL"));
        EXPECT_THAT(e.Message(), HasSubstr("Transistores.db"));
    }
    EXPECT_THAT(TableFilesNamed("select * from DS.DB, \"x.db\", reparos.db where a.dbx = 1 and 'open"),
                ::testing::ElementsAre("ds.db", "reparos.db"));
    session.AddPassword("vKarPelmuZ");
    q.SQL = {"select * from transistores.db where nocolumn = 1"};
    try {
        q.Open();
        FAIL();
    } catch (const EDBEngineError& e) {
        EXPECT_THAT(e.Message(), HasSubstr("nocolumn"));
        EXPECT_THAT(e.Message(), HasSubstr("Transistores.db"));
    }
    EXPECT_THROW(q.First(), EDBEngineError);
    EXPECT_THROW(q.Edit(), EDBEngineError);
    EXPECT_NO_THROW(q.Close());
    q.SQL = {"select * from transistores.db"};
    q.Open();
    EXPECT_THROW(q.Edit(), EDBEngineError);  // queries are read-only
    EXPECT_THROW(q.Append(), EDBEngineError);
}

TEST(QueryCursor, LargeResultsReadInChunks) {
    testing::TempDir dir;
    TSession bulk;
    bulk.SyncWrites = false;
    TTable t(&bulk);
    t.DatabaseName = dir.Path().string();
    t.TableName = "Big.db";
    TTableSchema s;
    s.Fields = {{"N", TFieldType::ftFloat, 0}, {"Name", TFieldType::ftString, 10}};
    s.Key = {"N"};
    t.CreateTable(s);
    t.Open();
    const int kRows = 9000;
    for (int i = 0; i < kRows; ++i) {
        t.Append();
        t.FieldByName("N").SetAsFloat(i);
        t.FieldByName("Name").SetAsString("n" + std::to_string(i));
        t.Post();
    }
    TQuery q;
    q.DatabaseName = dir.Path().string();
    // Read on by rowid, by OFFSET, and by rowid with values before and after FROM.
    for (const char* sql : {"select * from big.db where n >= 0", "select n, name from big.db order by n",
                            "select 'x' as tag, d.* from big.db as d where d.name <> \"zz\" and d.n < 1e9"}) {
        SCOPED_TRACE(sql);
        q.Close();
        q.SQL = {sql};
        int scrolls = 0;
        q.AfterScroll = [&](TDataSet&) { ++scrolls; };
        q.Open();
        EXPECT_EQ(scrolls, 1);
        // The rows a grid shows around a record reached by Next, again after First went back.
        auto shown = [&](const std::vector<TRecord>& rows) {
            std::string out;
            for (const auto& r : rows) {
                for (const char* field : {"N", "Name"}) out += TField::Text(r[q.FieldByName(field).Index()]);
                out += " ";
            }
            return out;
        };
        for (int pass = 0; pass < 2; ++pass, q.First()) {
            q.Next();
            q.Next();
            q.Next();
            EXPECT_EQ(q.FieldByName("Name").AsString(), "n3");
            EXPECT_EQ(shown(q.PeekRows(-3, 5)), "0n0 1n1 2n2 3n3 4n4 ");
        }
        int expected = 0;
        for (; !q.Eof(); q.Next()) ASSERT_EQ(q.FieldByName("N").AsInteger(), expected++);
        EXPECT_EQ(expected, kRows);
        EXPECT_EQ(q.RecNo(), kRows);
        for (int i = kRows - 1; i >= 0; --i, q.Prior()) ASSERT_EQ(q.FieldByName("N").AsInteger(), i);
        EXPECT_TRUE(q.Bof());
        q.Last();
        EXPECT_EQ(q.FieldByName("Name").AsString(), "n8999");
        EXPECT_EQ(q.MoveBy(-5000), -5000);
        EXPECT_EQ(q.FieldByName("N").AsInteger(), 3999);
        auto rows = q.PeekRows(-2, 5);
        ASSERT_EQ(rows.size(), 5u);
        EXPECT_EQ(TField::Text(rows[0][q.FieldByName("N").Index()]), "3997");
        EXPECT_EQ(q.RecordCount(), kRows);
        EXPECT_EQ(q.MoveBy(100000), kRows - 4000);
        EXPECT_TRUE(q.Eof());
        q.Close();
        q.Open();
        q.Last();  // straight to the end of a fresh cursor
        EXPECT_EQ(q.FieldByName("N").AsInteger(), kRows - 1);
    }
    q.AfterScroll = nullptr;

    // Queries of the same SQL share their prepared statement: two open at
    // once each read their own rows, interleaved, and a query read on after
    // many others ran (its statement no longer the newest kept) still reads its rows.
    {
        TQuery a, b;
        for (TQuery* each : {&a, &b}) {
            each->DatabaseName = dir.Path().string();
            each->SQL = {"select * from big.db where n >= 100"};
            each->Open();
        }
        for (int i = 0; i < 300; ++i) b.Next();
        for (int i = 0; i < 100; ++i) {
            TQuery other;
            other.DatabaseName = dir.Path().string();
            other.SQL = {"select * from big.db where n = " + std::to_string(i)};
            other.Open();
            ASSERT_EQ(other.FieldByName("Name").AsString(), "n" + std::to_string(i));
        }
        int expectedA = 100, expectedB = 400;
        for (; !a.Eof(); a.Next()) {
            ASSERT_EQ(a.FieldByName("N").AsInteger(), expectedA++);
            if (!b.Eof()) {
                ASSERT_EQ(b.FieldByName("N").AsInteger(), expectedB++);
                b.Next();
            }
        }
        EXPECT_EQ(expectedA, kRows);
        EXPECT_EQ(expectedB, kRows);
        EXPECT_EQ(a.RecordCount(), kRows - 100);
    }

    // A query read on past its first rows keeps its statement part-way
    // between calls, so it locks the file while the program is busy: a
    // writer of this program still gets through (its wait ends the read
    // first), another program, which does not wait, once the program is
    // idle; the query reads on what both wrote.
    {
        TQuery held;
        held.DatabaseName = dir.Path().string();
        held.SQL = {"select * from big.db where n >= 0"};
        held.Open();
        for (int i = 0; i < 100; ++i) held.Next();
        ASSERT_EQ(sqlite::ReadPassesHeld(), 1);
        sqlite3* other = nullptr;
        ASSERT_EQ(sqlite3_open((dir.Path() / "Big.db").c_str(), &other), SQLITE_OK);
        const char* byOther = "UPDATE records SET Name = 'other' WHERE N = 5000";
        EXPECT_EQ(sqlite3_exec(other, byOther, nullptr, nullptr, nullptr) & 0xff, SQLITE_BUSY);
        sqlite::EndReadPasses();  // what the program does whenever it goes idle
        EXPECT_EQ(sqlite3_exec(other, byOther, nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(other);
        for (int i = 0; i < 300; ++i) held.Next();
        ASSERT_EQ(sqlite::ReadPassesHeld(), 1);
        ASSERT_TRUE(t.FindKey({"6000"}));
        t.Edit();
        t.FieldByName("Name").SetAsString("mine");
        t.Post();
        EXPECT_EQ(sqlite::ReadPassesHeld(), 0);
        int expected = 400;
        std::string changed;
        for (; !held.Eof(); held.Next()) {
            ASSERT_EQ(held.FieldByName("N").AsInteger(), expected++);
            if (expected == 5001 || expected == 6001) changed += held.FieldByName("Name").AsString() + ";";
        }
        EXPECT_EQ(expected, kRows);
        EXPECT_EQ(changed, "other;mine;");
        EXPECT_EQ(sqlite::ReadPassesHeld(), 0);  // read to its end
    }

    // A query of its own with LIMIT.
    q.Close();
    q.SQL = {"select * from big.db where n >= 10 order by n desc limit 3"};
    q.Open();
    EXPECT_EQ(q.RecordCount(), 3);
    EXPECT_EQ(q.FieldByName("N").AsInteger(), 8999);

    // Two table files in one query.
    TTable other(&bulk);
    other.DatabaseName = dir.Path().string();
    other.TableName = "Other.db";
    other.CreateTable(s);
    other.Open();
    other.Append();
    other.FieldByName("N").SetAsFloat(7);
    other.FieldByName("Name").SetAsString("seven");
    other.Post();
    q.Close();
    q.SQL = {"select big.name, o.name as other from big.db big, other.db o where big.n = o.n"};
    q.Open();
    EXPECT_EQ(q.RecordCount(), 1);
    EXPECT_EQ(q.FieldByName("other").AsString(), "seven");
    EXPECT_EQ(q.FieldByName("name").AsString(), "n7");

    // A table walks the same records in key order.
    t.First();
    t.MoveBy(8998);
    EXPECT_EQ(t.FieldByName("N").AsInteger(), 8998);
    EXPECT_EQ(t.RecNo(), 8999);
}

TEST_F(QueryFixture, OpenQueryNeverBlocksAWriter) {
    session.AddPassword("vKarPelmuZ");
    TQuery q(&session);
    q.DatabaseName = dir.Path().string();
    q.SQL = {"select * from transistores.db"};
    q.Open();
    q.Next();
    TTable t(&session);
    t.DatabaseName = dir.Path().string();
    t.TableName = "transistores.db";
    t.Open();
    t.Append();
    t.FieldByName("Identificacao").SetAsString("TIP31");
    t.Post();  // would wait and fail if the query held a read lock
    t.First();
    t.Delete();
    EXPECT_EQ(t.RecordCount(), 5);
    q.Next();
    EXPECT_FALSE(q.Eof());

    // The same SQL again, its statement kept from before: the rows as they are now.
    q.Close();
    q.Open();
    EXPECT_EQ(q.RecordCount(), 5);
    t.Append();
    t.FieldByName("Identificacao").SetAsString("TIP32");
    t.Post();
    q.Close();
    q.Open();
    EXPECT_EQ(q.RecordCount(), 6);
    q.Last();
    EXPECT_EQ(q.FieldByName("Identificacao").AsString(), "TIP32");
}

}  // namespace
}  // namespace platform
