// Table files a user might copy in or an older tool might have written:
// foreign key types, field lists no creation could write, half-made files.
#include "platform/tables/EDBEngineError.h"
#include "platform/tables/Sqlite.h"
#include "platform/tables/Table.h"
#include "testkit/files/TempDir.h"
#include "testkit/support/ErrorOf.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sqlite3.h>

#include <csignal>
#include <fstream>
#include <sys/wait.h>
#include <unistd.h>

namespace platform {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using platform::testing::ErrorOf;

constexpr const char* kDamaged = "Table is damaged or is not a table file.";

// Runs SQL on a file outside the engine, as another program would.
void Raw(const std::filesystem::path& file, const std::string& sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
    char* err = nullptr;
    int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &err);
    std::string message = err ? err : "";
    sqlite3_free(err);
    sqlite3_close(db);
    ASSERT_EQ(rc, SQLITE_OK) << message;
}

std::string RawText(const std::filesystem::path& file, const std::string& sql) {
    sqlite3* db = nullptr;
    sqlite3_open(file.c_str(), &db);
    sqlite3_stmt* s = nullptr;
    std::string out;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &s, nullptr) == SQLITE_OK) {
        while (sqlite3_step(s) == SQLITE_ROW) {
            const unsigned char* t = sqlite3_column_text(s, 0);
            out += (out.empty() ? "" : ",") + std::string(t ? reinterpret_cast<const char*>(t) : "");
        }
    }
    sqlite3_finalize(s);
    sqlite3_close(db);
    return out;
}

// A table file written by hand: the engine's property and field lists with
// the given field rows and records DDL.
void HandMade(const std::filesystem::path& file, const std::string& fields, const std::string& records) {
    Raw(file, "CREATE TABLE vorel_table(property TEXT PRIMARY KEY, value TEXT);"
              "INSERT INTO vorel_table VALUES ('format', '1'), ('password', '');"
              "CREATE TABLE vorel_fields(position INTEGER PRIMARY KEY, name TEXT NOT NULL, type TEXT NOT NULL, "
              "size INTEGER NOT NULL, keyposition INTEGER);"
              "INSERT INTO vorel_fields VALUES " + fields + ";" + records);
}

// Walks the table to its end; stops (and fails) after limit records.
std::vector<std::string> Walk(TTable& t, const char* field, int limit = 50) {
    std::vector<std::string> seen;
    for (t.First(); !t.Eof(); t.Next()) {
        seen.push_back(t.FieldByName(field).AsString());
        if (static_cast<int>(seen.size()) > limit) {
            ADD_FAILURE() << "moving never reaches the end";
            break;
        }
    }
    return seen;
}

struct ForeignFiles : ::testing::Test {
    platform::testing::TempDir dir;
    TTable t;
    std::filesystem::path File(const char* name) { return dir.Path() / name; }
    void SetUp() override { t.DatabaseName = dir.Path().string(); }
    std::string OpenError(const char* name, bool readOnly = false) {
        t.Close();
        t.TableName = name;
        t.ReadOnly = readOnly;
        return ErrorOf([&] { t.Open(); });
    }
};

TEST_F(ForeignFiles, RowsOutOfOrderInTheFileEndAWalkAsDamage) {
    HandMade(File("Order.db"), "(0, 'Uso', 'A', 10, NULL)",
             "CREATE TABLE records(Uso); INSERT INTO records(rowid, Uso) VALUES (1, 'FIRSTROW'), (2, 'ZZROW2');");
    // The second row's id rewritten to 0 in its cell: the tree now holds 1
    // before 0, and a seek past 1 lands on 0, which leads back to 1.
    std::string bytes;
    {
        std::ifstream in(File("Order.db"), std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), {});
    }
    const std::string cell = std::string("\x02\x02\x19", 3) + "ZZROW2";
    const auto at = bytes.find(cell);
    ASSERT_NE(at, std::string::npos);
    bytes[at] = '\0';
    std::ofstream(File("Order.db"), std::ios::binary | std::ios::trunc) << bytes;
    ASSERT_EQ(OpenError("Order.db"), "(no error)");
    std::string error = ErrorOf([&] {
        for (int steps = 0; !t.Eof() && steps < 10; ++steps) t.Next();
    });
    EXPECT_THAT(error, HasSubstr(kDamaged));
}

TEST_F(ForeignFiles, KeysOfAnotherTypeAreNormalisedSoMovingReachesTheEnd) {
    // A text key holding a blob, a number and a null.
    HandMade(File("Blob.db"), "(0, 'Id', 'A', 10, 0), (1, 'Uso', 'A', 10, NULL)",
             "CREATE TABLE records(Id, Uso);"
             "INSERT INTO records VALUES ('A', 'text'), (X'42', 'blob'), (7, 'number'), ('c', 'text'), "
             "(NULL, 'null');");
    // Read-only use cannot mend the file: refused, not looping.
    EXPECT_THAT(OpenError("Blob.db", true), HasSubstr(kDamaged));
    EXPECT_EQ(OpenError("Blob.db"), "(no error)");
    EXPECT_THAT(Walk(t, "Uso"), ElementsAre("null", "number", "text", "blob", "text"));
    EXPECT_THAT(Walk(t, "Id"), ElementsAre("", "7", "A", "B", "c"));
    t.Last();
    int back = 0;
    while (!t.Bof() && back < 50) t.Prior(), ++back;
    EXPECT_EQ(back, 5);
    t.SetKey();
    EXPECT_TRUE(t.FindKey({"B"}));
    EXPECT_EQ(t.FieldByName("Uso").AsString(), "blob");
    t.Close();
    EXPECT_EQ(RawText(File("Blob.db"), "SELECT DISTINCT typeof(Id) FROM records"), "text");

    // A numeric key holding a number as text and a null: mended; no record lost.
    HandMade(File("Num.db"), "(0, 'N', 'N', 0, 0), (1, 'Uso', 'A', 10, NULL)",
             "CREATE TABLE records(N, Uso); INSERT INTO records VALUES (2, 'two'), (NULL, 'zero'), (1.5, 'x');");
    EXPECT_EQ(OpenError("Num.db"), "(no error)");
    EXPECT_THAT(Walk(t, "Uso"), ElementsAre("zero", "x", "two"));

    // A later key field is counted only when the file changed since it was
    // last found clean, but then always: another program's write is found.
    HandMade(File("Two.db"), "(0, 'Id', 'A', 10, 0), (1, 'Uso', 'A', 10, 1)",
             "CREATE TABLE records(Id, Uso); INSERT INTO records VALUES ('a', 'x'), ('b', 'y');");
    EXPECT_EQ(OpenError("Two.db"), "(no error)");
    t.Close();
    EXPECT_EQ(OpenError("Two.db"), "(no error)");
    t.Close();
    Raw(File("Two.db"), "UPDATE records SET Uso = X'42' WHERE Id = 'b'");
    EXPECT_EQ(OpenError("Two.db"), "(no error)");
    t.Close();
    EXPECT_EQ(RawText(File("Two.db"), "SELECT typeof(Uso) FROM records ORDER BY rowid"), "text,text");
}

TEST_F(ForeignFiles, KeysThatCannotBeMendedAreRefusedAndKeptAsTheyWere) {
    // A blob and a text that become the same key.
    HandMade(File("Clash.db"), "(0, 'Id', 'A', 10, 0)",
             "CREATE TABLE records(Id COLLATE NOCASE, PRIMARY KEY (Id));"
             "INSERT INTO records VALUES ('a'), (X'41');");
    EXPECT_THAT(OpenError("Clash.db"), HasSubstr(kDamaged));
    EXPECT_THAT(OpenError("Clash.db"), HasSubstr("Clash.db"));
    EXPECT_EQ(RawText(File("Clash.db"), "SELECT typeof(Id) FROM records ORDER BY rowid"), "text,blob");

    // Text that is no number in a numeric key.
    HandMade(File("Text.db"), "(0, 'N', 'N', 0, 0)",
             "CREATE TABLE records(N); INSERT INTO records VALUES (1), ('abc'), (2);");
    EXPECT_THAT(OpenError("Text.db"), HasSubstr(kDamaged));
    EXPECT_EQ(RawText(File("Text.db"), "SELECT N FROM records ORDER BY rowid"), "1,abc,2");
}

TEST_F(ForeignFiles, FieldListsAreHeldToTheRulesOfCreation) {
    const std::string records = "CREATE TABLE records(Id, Uso); INSERT INTO records VALUES ('A', 'x');";
    struct Case {
        const char* file;
        const char* fields;
    } cases[] = {
        {"HugeKey.db", "(0, 'Id', 'A', 10, 1e300), (1, 'Uso', 'A', 10, NULL)"},
        {"NegKey.db", "(0, 'Id', 'A', 10, -1), (1, 'Uso', 'A', 10, NULL)"},
        {"GapKey.db", "(0, 'Id', 'A', 10, 1), (1, 'Uso', 'A', 10, NULL)"},
        {"TwiceKey.db", "(0, 'Id', 'A', 10, 0), (1, 'Uso', 'A', 10, 0)"},
        {"TextKey.db", "(0, 'Id', 'A', 10, 'first'), (1, 'Uso', 'A', 10, NULL)"},
        {"BlobKey.db", "(0, 'Id', 'B', 0, 0), (1, 'Uso', 'A', 10, NULL)"},
        {"Width.db", "(0, 'Id', 'A', 100000, 0), (1, 'Uso', 'A', 10, NULL)"},
        {"NoWidth.db", "(0, 'Id', 'A', 10, 0), (1, 'Uso', 'A', 0, NULL)"},
        {"Type.db", "(0, 'Id', 'A', 10, 0), (1, 'Uso', 'Q', 10, NULL)"},
        {"Name.db", "(0, 'Id', 'A', 10, 0), (1, 'U so', 'A', 10, NULL)"},
        {"Dup.db", "(0, 'Id', 'A', 10, 0), (1, 'ID', 'A', 10, NULL)"},
        // Listed but not in the records: it would read as its own name.
        {"Ghost.db", "(0, 'Id', 'A', 10, 0), (1, 'Uso', 'A', 10, NULL), (2, 'Ghost', 'A', 10, NULL)"},
    };
    for (const auto& c : cases) {
        HandMade(File(c.file), c.fields, records);
        EXPECT_THAT(OpenError(c.file), HasSubstr(kDamaged)) << c.file;
        EXPECT_FALSE(t.Active()) << c.file;
    }
    HandMade(File("Good.db"), "(0, 'Id', 'A', 10, 0), (1, 'Uso', 'A', 10, NULL)", records);
    EXPECT_EQ(OpenError("Good.db"), "(no error)");
    EXPECT_EQ(t.FieldByName("Uso").AsString(), "x");
}

TEST(Connections, DoubleQuotedNamesAreNeverStrings) {
    platform::testing::TempDir dir;
    sqlite::Connection db((dir.Path() / "x.db").string(), false, true, "x.db");
    db.Exec("CREATE TABLE t(a)");
    db.Exec("INSERT INTO t VALUES (1)");
    EXPECT_NO_THROW(sqlite::Statement(db, "SELECT \"a\" FROM t"));
    EXPECT_THAT(ErrorOf([&] { sqlite::Statement(db, "SELECT \"nocolumn\" FROM t"); }), HasSubstr("nocolumn"));
    EXPECT_THROW(db.Exec("CREATE INDEX i ON t(\"nocolumn\")"), EDBEngineError);
}

TEST_F(ForeignFiles, EmptyAndForeignFilesAreDamage) {
    std::ofstream(File("Empty.db")).close();
    EXPECT_THAT(OpenError("Empty.db"), HasSubstr(kDamaged));
    Raw(File("Other.db"), "CREATE TABLE people(name TEXT); INSERT INTO people VALUES ('x');");
    EXPECT_THAT(OpenError("Other.db"), HasSubstr(kDamaged));
    // A half-made table (lists written, no records) as an older writer left it.
    Raw(File("Half.db"), "CREATE TABLE vorel_table(property, value); CREATE TABLE vorel_fields(a);");
    EXPECT_THAT(OpenError("Half.db"), HasSubstr(kDamaged));
    // Opening never changed them.
    EXPECT_EQ(std::filesystem::file_size(File("Empty.db")), 0u);
}

TTableSchema Schema() {
    TTableSchema s;
    s.Fields = {{"Id", TFieldType::ftString, 10}, {"Uso", TFieldType::ftString, 10}};
    s.Key = {"Id"};
    return s;
}

TEST_F(ForeignFiles, CreationPublishesOnlyAWholeTable) {
    // What a writer killed half-way left under the temporary name blocks nothing.
    std::ofstream(File(".New.db.new-abc123")) << "half";
    t.TableName = "New.db";
    t.CreateTable(Schema());
    t.Open();
    EXPECT_TRUE(t.IsEmpty());
    t.Close();
    // Nothing of ours is left beside it; the file has the usual permissions.
    int files = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir.Path())) files += e.path().filename() != ".New.db.new-abc123";
    EXPECT_EQ(files, 1);
    EXPECT_NE(std::filesystem::status(File("New.db")).permissions() & std::filesystem::perms::others_read,
              std::filesystem::perms::none);
    // An existing file, even an empty one, is never replaced.
    std::ofstream(File("Zero.db")).close();
    t.TableName = "Zero.db";
    EXPECT_THAT(ErrorOf([&] { t.CreateTable(Schema()); }), HasSubstr("Table already exists."));
    EXPECT_EQ(std::filesystem::file_size(File("Zero.db")), 0u);
}

// Creates tables one after another, telling the parent after each, until killed.
[[noreturn]] void CreateUntilKilled(const std::string& dir, int out) {
    try {
        TSession session;
        session.SyncWrites = false;
        for (int i = 0;; ++i) {
            TTable t(&session);
            t.DatabaseName = dir;
            t.TableName = "T" + std::to_string(i) + ".db";
            t.CreateTable(Schema());
            if (write(out, &i, sizeof i) != sizeof i) break;
        }
    } catch (...) {
        // The child only reports how far it got; its exit code says it stopped.
    }
    _exit(1);
}

TEST(TableCreation, AKilledCreatorLeavesOnlyTablesThatOpen) {
    platform::testing::TempDir dir;
    int pipefd[2];
    ASSERT_EQ(pipe(pipefd), 0);
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        close(pipefd[0]);
        CreateUntilKilled(dir.Path().string(), pipefd[1]);
    }
    close(pipefd[1]);
    int last = -1;
    for (int n = 0; n < 40; ++n)
        if (read(pipefd[0], &last, sizeof last) != sizeof last) break;
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    close(pipefd[0]);
    ASSERT_GE(last, 0);
    int tables = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir.Path())) {
        std::string name = e.path().filename().string();
        if (name.front() == '.') continue;  // an unfinished one, under its temporary name
        TTable t;
        t.DatabaseName = dir.Path().string();
        t.TableName = name;
        EXPECT_NO_THROW(t.Open()) << name;
        ++tables;
    }
    EXPECT_GE(tables, last + 1);
    // The next creation of the interrupted name succeeds.
    TTable again;
    again.DatabaseName = dir.Path().string();
    again.TableName = "T" + std::to_string(tables) + ".db";
    if (!std::filesystem::exists(dir.Path() / again.TableName)) {
        EXPECT_NO_THROW(again.CreateTable(Schema()));
    }
}

}  // namespace
}  // namespace platform
