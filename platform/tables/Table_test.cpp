#include "platform/tables/EDBEngineError.h"
#include "platform/tables/Table.h"
#include "testkit/files/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>

namespace platform {
namespace {

using ::testing::HasSubstr;

TTableSchema PartsSchema() {
    TTableSchema s;
    s.Fields = {{"Identificacao", TFieldType::ftString, 20},
                {"Uso", TFieldType::ftString, 20},
                {"Vceo", TFieldType::ftFloat, 0},
                {"Foto", TFieldType::ftBlob, 0}};
    s.Key = {"Identificacao"};
    return s;
}

void AddPart(TTable& t, const std::string& id, const std::string& uso = "", double vceo = 0) {
    t.Append();
    t.FieldByName("Identificacao").SetAsString(id);
    t.FieldByName("Uso").SetAsString(uso);
    t.FieldByName("Vceo").SetAsFloat(vceo);
    t.Post();
}

std::vector<std::string> Ids(TTable& t) {
    std::vector<std::string> ids;
    for (t.First(); !t.Eof(); t.Next()) ids.push_back(t.FieldByName("Identificacao").AsString());
    return ids;
}

struct TableFixture : ::testing::Test {
    testing::TempDir dir;
    TTable table;
    void SetUp() override {
        table.DatabaseName = dir.Path().string();
        table.TableName = "Parts.db";
        table.CreateTable(PartsSchema());
        table.Open();
    }
    void Fill() {
        for (const char* id : {"bc547", "BC546", "2N3055", "ac128", "BC548"}) AddPart(table, id);
    }
};

TEST_F(TableFixture, RecordsRunInKeyOrderIgnoringCase) {
    Fill();
    EXPECT_THAT(Ids(table), ::testing::ElementsAre("2N3055", "ac128", "BC546", "bc547", "BC548"));
    EXPECT_EQ(table.RecordCount(), 5);

    // A key that differs only in case is the same key.
    table.Append();
    table.FieldByName("Identificacao").SetAsString("BC547");
    try {
        table.Post();
        FAIL() << "duplicate key posted";
    } catch (const EDBEngineError& e) {
        EXPECT_THAT(e.Message(), HasSubstr("Key violation"));
        EXPECT_THAT(e.Message(), HasSubstr("Parts.db"));
    }
    EXPECT_EQ(table.State(), TDataSetState::dsInsert);  // the user may correct the key
    table.Cancel();
    EXPECT_EQ(table.RecordCount(), 5);

    // Adding many at once adds only the keys the table lacks, in any case;
    // values are held to the fields' rules as a field's SetAsBytes holds them.
    auto part = [&](const std::string& id, const std::string& uso, const std::string& vceo) {
        const auto& f = table.Schema().Fields;
        return TRecord{TField::FromBytes(f[0], id, table), TField::FromBytes(f[1], uso, table),
                       TField::FromBytes(f[2], vceo, table), TField::FromBytes(f[3], "", table)};
    };
    EXPECT_EQ(table.InsertMissing({part("BC547", "new", "45"), part("TIP31", "Power", " 40 "), part("tip31", "again", "")}), 1);
    EXPECT_THAT(Ids(table), ::testing::ElementsAre("2N3055", "ac128", "BC546", "bc547", "BC548", "TIP31"));
    table.SetKey();
    ASSERT_TRUE(table.FindKey({"tip31"}));
    EXPECT_EQ(table.FieldByName("Uso").AsString(), "Power");
    EXPECT_EQ(table.FieldByName("Vceo").AsFloat(), 40);
    EXPECT_TRUE(table.FieldByName("Foto").IsNull());
    table.SetKey();
    ASSERT_TRUE(table.FindKey({"bc547"}));
    EXPECT_TRUE(table.FieldByName("Uso").IsNull());  // the table's own record stays
    EXPECT_THROW(part(std::string(21, 'X'), "", ""), EDBEngineError);
    EXPECT_THROW(part("X", "", "4x5"), EDBEngineError);
}

TEST_F(TableFixture, NavigationFlagsAndMoves) {
    EXPECT_TRUE(table.Eof());
    EXPECT_TRUE(table.Bof());
    EXPECT_TRUE(table.IsEmpty());
    EXPECT_EQ(table.RecNo(), 0);
    table.Next();  // harmless on an empty table
    table.Last();
    EXPECT_TRUE(table.Eof());

    Fill();
    table.First();
    EXPECT_TRUE(table.Bof());
    EXPECT_FALSE(table.Eof());
    EXPECT_EQ(table.RecNo(), 1);
    EXPECT_EQ(table.MoveBy(2), 2);
    EXPECT_EQ(table.FieldByName("Identificacao").AsString(), "BC546");
    EXPECT_EQ(table.RecNo(), 3);
    EXPECT_EQ(table.MoveBy(10), 2);  // stops at the last record
    EXPECT_EQ(table.FieldByName("Identificacao").AsString(), "BC548");
    EXPECT_TRUE(table.Eof());
    EXPECT_EQ(table.MoveBy(-10), -4);
    EXPECT_TRUE(table.Bof());
    EXPECT_EQ(table.FieldByName("Identificacao").AsString(), "2N3055");
    table.Last();
    EXPECT_TRUE(table.Eof());
    table.Prior();
    EXPECT_EQ(table.FieldByName("Identificacao").AsString(), "bc547");
    EXPECT_FALSE(table.Eof());

    auto rows = table.PeekRows(-1, 3);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(TField::Text(rows[0][0]), "BC546");
    EXPECT_EQ(TField::Text(rows[2][0]), "BC548");
    EXPECT_EQ(table.FieldByName("Identificacao").AsString(), "bc547");  // peeking does not move
}

TEST_F(TableFixture, FindKeyAndFindNearest) {
    // Empty table: nothing found, nothing breaks.
    EXPECT_FALSE(table.FindKey({"BC547"}));
    table.FindNearest({"BC"});
    EXPECT_TRUE(table.IsEmpty());

    Fill();
    table.First();
    table.SetKey();
    EXPECT_TRUE(table.FindKey({"BC547"}));  // stored as "bc547"
    EXPECT_EQ(table.FieldByName("Identificacao").AsString(), "bc547");
    EXPECT_EQ(table.State(), TDataSetState::dsBrowse);

    EXPECT_FALSE(table.FindKey({"BC54"}));  // exact match only
    EXPECT_EQ(table.FieldByName("Identificacao").AsString(), "bc547");  // stays
    EXPECT_FALSE(table.FindKey({"bc547 "}));  // trailing blanks count

    table.FindNearest({"bc5"});  // prefix
    EXPECT_EQ(table.FieldByName("Identificacao").AsString(), "BC546");
    table.FindNearest({"B"});  // between keys
    EXPECT_EQ(table.FieldByName("Identificacao").AsString(), "BC546");
    table.FindNearest({"ZZZ"});  // past the last key
    EXPECT_EQ(table.FieldByName("Identificacao").AsString(), "BC548");
    table.FindNearest({""});  // empty text: the first record
    EXPECT_EQ(table.FieldByName("Identificacao").AsString(), "2N3055");
    table.Next();  // moving on continues from the found record
    EXPECT_EQ(table.FieldByName("Identificacao").AsString(), "ac128");

    EXPECT_THROW(table.FindKey({"a", "b"}), EDBEngineError);  // more values than key fields
}

TEST(TableKeys, LeadingFieldsOfACompositeKey) {
    testing::TempDir dir;
    TTable t;
    t.DatabaseName = dir.Path().string();
    t.TableName = "Reparos.db";
    TTableSchema s;
    s.Fields = {{"Fabricante", TFieldType::ftString, 15},
                {"Modelo", TFieldType::ftString, 15},
                {"Descricao", TFieldType::ftBlob, 0}};
    s.Key = {"Fabricante", "Modelo"};
    t.CreateTable(s);
    t.Open();
    for (auto [f, m] : std::vector<std::pair<std::string, std::string>>{
             {"Sony", "KV-21"}, {"sharp", "C-14"}, {"Sony", "kv-14"}, {"Philips", "20PT"}}) {
        t.Append();
        t.FieldByName("Fabricante").SetAsString(f);
        t.FieldByName("Modelo").SetAsString(m);
        t.Post();
    }
    EXPECT_TRUE(t.FindKey({"sony"}));
    EXPECT_EQ(t.FieldByName("Modelo").AsString(), "kv-14");  // first of the sony records
    EXPECT_TRUE(t.FindKey({"SONY", "KV-21"}));
    EXPECT_EQ(t.FieldByName("Modelo").AsString(), "KV-21");
    EXPECT_FALSE(t.FindKey({"Sony", "KV-99"}));
    t.FindNearest({"s"});
    EXPECT_EQ(t.FieldByName("Fabricante").AsString(), "sharp");
}

TEST_F(TableFixture, AfterScrollFiresOnMovesOnly) {
    Fill();
    table.Close();
    int scrolls = 0;
    table.AfterScroll = [&](TDataSet&) { ++scrolls; };
    table.Open();
    EXPECT_EQ(scrolls, 1);
    table.Next();
    table.Prior();
    table.Last();
    table.First();
    table.MoveBy(2);
    EXPECT_EQ(scrolls, 6);
    table.SetKey();
    table.FindKey({"BC548"});
    table.FindNearest({"A"});
    EXPECT_EQ(scrolls, 6);
    table.Edit();
    table.FieldByName("Uso").SetAsString("Audio");
    table.Post();
    EXPECT_EQ(scrolls, 6);
    table.Delete();
    EXPECT_EQ(scrolls, 7);

    // Nothing to move to: no scroll at either end.
    table.First();
    scrolls = 0;
    table.Prior();
    EXPECT_TRUE(table.Bof());
    EXPECT_EQ(scrolls, 0);
    table.Last();
    scrolls = 0;
    table.Next();
    EXPECT_TRUE(table.Eof());
    EXPECT_EQ(scrolls, 0);

    // Data links hear of positioning by key too.
    int changes = 0;
    int id = table.AddDataLink([&](TDataSet&) { ++changes; });
    table.FindNearest({"B"});
    EXPECT_GT(changes, 0);
    table.RemoveDataLink(id);

    // Opening an empty table raises no scroll.
    testing::TempDir other;
    TTable empty;
    empty.DatabaseName = other.Path().string();
    empty.TableName = "E.db";
    empty.CreateTable(PartsSchema());
    int emptyScrolls = 0;
    empty.AfterScroll = [&](TDataSet&) { ++emptyScrolls; };
    empty.Open();
    EXPECT_EQ(emptyScrolls, 0);
}

TEST_F(TableFixture, EditPostCancelDelete) {
    Fill();
    table.FindKey({"BC546"});
    table.Edit();
    table.FieldByName("Identificacao").SetAsString("ZTX450");  // a key change moves the record
    table.FieldByName("Vceo").SetAsString("45.5");
    table.Post();
    EXPECT_EQ(table.FieldByName("Identificacao").AsString(), "ZTX450");
    EXPECT_DOUBLE_EQ(table.FieldByName("Vceo").AsFloat(), 45.5);
    EXPECT_TRUE(table.FindKey({"ztx450"}));
    table.Prior();
    EXPECT_EQ(table.FieldByName("Identificacao").AsString(), "BC548");

    table.Edit();
    table.FieldByName("Uso").SetAsString("lost");
    table.Cancel();
    EXPECT_TRUE(table.FieldByName("Uso").IsNull());

    // Moving away posts a pending edit, as the class library's grids do.
    table.Edit();
    table.FieldByName("Uso").SetAsString("kept");
    table.Next();
    EXPECT_TRUE(table.FindKey({"BC548"}));
    EXPECT_EQ(table.FieldByName("Uso").AsString(), "kept");

    // Delete moves to the next record, or the prior one at the end.
    table.FindKey({"ac128"});
    table.Delete();
    EXPECT_EQ(table.FieldByName("Identificacao").AsString(), "bc547");
    table.Last();
    table.Delete();
    EXPECT_EQ(table.FieldByName("Identificacao").AsString(), "BC548");
    EXPECT_EQ(table.RecordCount(), 3);
    while (!table.IsEmpty()) table.Delete();
    EXPECT_TRUE(table.Eof());
    EXPECT_THROW(table.Delete(), EDBEngineError);

    // Edit on an empty table inserts.
    table.Edit();
    EXPECT_EQ(table.State(), TDataSetState::dsInsert);
    table.Cancel();
}

TEST_F(TableFixture, FieldWidthsTypesAndBlobs) {
    table.Append();
    auto& id = table.FieldByName("Identificacao");
    EXPECT_NO_THROW(id.SetAsString(std::string(20, 'X')));
    EXPECT_NO_THROW(id.SetAsString("Símbolo ção áéíóú ãõ"));  // 20 characters, more bytes
    try {
        id.SetAsString(std::string(21, 'X'));
        FAIL() << "over-wide text accepted";
    } catch (const EDBEngineError& e) {
        EXPECT_THAT(e.Message(), HasSubstr("Identificacao"));
        EXPECT_THAT(e.Message(), HasSubstr("20"));
        EXPECT_THAT(e.Message(), HasSubstr("Parts.db"));
    }
    EXPECT_EQ(id.AsString(), "Símbolo ção áéíóú ãõ");  // the refused text changed nothing
    EXPECT_THROW(table.FieldByName("Vceo").SetAsString("4x5"), EDBEngineError);
    table.FieldByName("Vceo").SetAsString(" 0.00001 ");
    std::string bytes("\xFF\xD8\0\x01jpeg\0", 9);
    table.FieldByName("Foto").SetAsBytes(bytes);
    table.Post();

    table.Close();
    table.Open();
    EXPECT_EQ(table.FieldByName("Foto").AsBytes(), bytes);
    auto in = table.CreateBlobStream(table.FieldByName("Foto"));
    std::string read((std::istreambuf_iterator<char>(*in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(read, bytes);
    EXPECT_EQ(table.FieldByName("Vceo").AsString(), "1E-5");
    EXPECT_TRUE(table.FieldByName("Uso").IsNull());
    EXPECT_EQ(table.FieldByName("Uso").AsString(), "");
    EXPECT_EQ(table.FieldByName("Uso").AsFloat(), 0);
    EXPECT_THROW(table.FieldByName("Nope"), EDBEngineError);
    EXPECT_EQ(table.FindField("nope"), nullptr);
    EXPECT_NE(table.FindField("vceo"), nullptr);  // names ignore case
    EXPECT_EQ(TField::Text(45.0), "45");
    EXPECT_EQ(TField::Text(0.5), "0.5");
    EXPECT_THROW(table.FieldByName("Uso").SetAsString("x"), EDBEngineError);  // not editing
}

TEST(TableErrors, ClosedMissingAndForeignFiles) {
    testing::TempDir dir;
    TTable t;
    t.DatabaseName = dir.Path().string();
    t.TableName = "Missing.db";
    for (auto op : std::vector<std::function<void()>>{
             [&] { t.First(); }, [&] { t.Next(); }, [&] { t.Last(); }, [&] { t.MoveBy(1); },
             [&] { (void)t.Eof(); }, [&] { (void)t.RecordCount(); }, [&] { t.Append(); }, [&] { t.Edit(); },
             [&] { t.Post(); }, [&] { t.Delete(); }, [&] { t.FindKey({"x"}); }, [&] { t.FindNearest({"x"}); },
             [&] { t.FieldByName("x"); }, [&] { t.SetKey(); }}) {
        EXPECT_THROW(op(), EDBEngineError);
    }
    EXPECT_NO_THROW(t.Close());
    EXPECT_NO_THROW(t.Close());
    try {
        t.Open();
        FAIL();
    } catch (const EDBEngineError& e) {
        EXPECT_THAT(e.Message(), HasSubstr("Table does not exist"));
        EXPECT_THAT(e.Message(), HasSubstr("Missing.db"));
    }
    EXPECT_FALSE(t.Active());

    std::ofstream(dir.Path() / "Junk.db") << "not a table at all, just text";
    t.TableName = "junk.DB";  // found whatever the case
    try {
        t.Open();
        FAIL();
    } catch (const EDBEngineError& e) {
        EXPECT_THAT(e.Message(), HasSubstr("Junk.db"));
    }

    t.TableName = "Parts.db";
    t.CreateTable(PartsSchema());
    EXPECT_THROW(t.CreateTable(PartsSchema()), EDBEngineError);  // never overwrites
    t.TableName = "PARTS.DB";
    t.Open();
    t.First();
    EXPECT_EQ(t.FieldByName("Vceo").AsString(), "");  // empty table: fields read empty
    t.Close();

    // A field reference taken before a reopen stays good.
    t.Open();
    TField& f = t.FieldByName("Uso");
    t.Close();
    EXPECT_THROW(f.AsString(), EDBEngineError);
    t.Open();
    EXPECT_EQ(f.AsString(), "");
}

TEST(TableErrors, ReadOnlyTablesRefuseChanges) {
    testing::TempDir dir;
    TTable t;
    t.DatabaseName = dir.Path().string();
    t.TableName = "Parts.db";
    t.CreateTable(PartsSchema());
    t.Open();
    AddPart(t, "BC547");
    t.Close();
    t.ReadOnly = true;
    t.Open();
    EXPECT_THROW(t.Edit(), EDBEngineError);
    EXPECT_THROW(t.Append(), EDBEngineError);
    EXPECT_THROW(t.Delete(), EDBEngineError);
    EXPECT_EQ(t.RecordCount(), 1);
}

TEST(TableSchemas, BadSchemasAreRefused) {
    testing::TempDir dir;
    TTable t;
    t.DatabaseName = dir.Path().string();
    t.TableName = "Bad.db";
    TTableSchema s = PartsSchema();
    s.Key = {"Foto"};
    EXPECT_THROW(t.CreateTable(s), EDBEngineError);
    s = PartsSchema();
    s.Fields[0].Size = 0;
    EXPECT_THROW(t.CreateTable(s), EDBEngineError);
    s = PartsSchema();
    s.Fields[1].Name = "identificacao";
    EXPECT_THROW(t.CreateTable(s), EDBEngineError);
    s = PartsSchema();
    s.Fields[1].Name = "bad name\"";
    EXPECT_THROW(t.CreateTable(s), EDBEngineError);
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "Bad.db"));
}

TEST(Sessions, PasswordEventGrantedAndRefused) {
    testing::TempDir dir;
    TSession session;
    TTable t(&session);
    t.DatabaseName = dir.Path().string();
    t.TableName = "Secret.db";
    TTableSchema s = PartsSchema();
    s.Password = "vKarPelmuZ";
    t.CreateTable(s);

    // No handler: refused.
    try {
        t.Open();
        FAIL();
    } catch (const EDBEngineError& e) {
        EXPECT_THAT(e.Message(), HasSubstr("Invalid password"));
        EXPECT_THAT(e.Message(), HasSubstr("Secret.db"));
    }
    // A handler that asks to go on without the password: refused, no endless loop.
    int asked = 0;
    session.OnPassword = [&](TSession&, bool& Continue) {
        ++asked;
        Continue = true;
    };
    EXPECT_THROW(t.Open(), EDBEngineError);
    EXPECT_GT(asked, 0);
    // The wrong password (case counts): refused.
    session.OnPassword = [&](TSession& sender, bool& Continue) {
        sender.AddPassword("vkarpelmuz");
        Continue = true;
    };
    EXPECT_THROW(t.Open(), EDBEngineError);
    // Granted.
    asked = 0;
    session.OnPassword = [&](TSession& sender, bool& Continue) {
        ++asked;
        sender.AddPassword("vKarPelmuZ");
        Continue = true;
    };
    t.Open();
    EXPECT_EQ(asked, 1);
    t.Close();
    t.Open();  // the session holds it now
    EXPECT_EQ(asked, 1);
    t.Close();
    session.RemoveAllPasswords();
    t.Open();
    EXPECT_EQ(asked, 2);
}

TEST(Sessions, PrivateDirectoryMustExist) {
    testing::TempDir dir;
    TSession s;
    s.SessionName = "SessionCorrente";
    s.PrivateDir = (dir.Path() / "none").string();
    EXPECT_THROW(s.Open(), EDBEngineError);
    s.PrivateDir = dir.Path().string();
    s.Open();
    EXPECT_TRUE(s.Active());
}

}  // namespace
}  // namespace platform
