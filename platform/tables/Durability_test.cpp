#include "platform/tables/EDBEngineError.h"
#include "platform/tables/Query.h"
#include "platform/tables/Table.h"
#include "platform/tables/TableCopy.h"
#include "testkit/files/TempDir.h"
#include "testkit/support/ChildProcess.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sqlite3.h>
#include <utility>
#include <csignal>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace platform {
namespace {

TTableSchema Schema() {
    TTableSchema s;
    s.Fields = {{"Fabricante", TFieldType::ftString, 15},
                {"Defeito", TFieldType::ftString, 60},
                {"Descricao", TFieldType::ftBlob, 0}};
    s.Key = {"Fabricante", "Defeito"};
    return s;
}

std::string Key(int i) { return "F" + std::to_string(100000 + i); }

// Posts records one after another, telling the parent after each post,
// until it is killed. Every second record is edited once more after its
// post and left unposted.
[[noreturn]] void WriteUntilKilled(const std::string& dir, int out) {
    try {
        TTable t;
        t.DatabaseName = dir;
        t.TableName = "Reparos.db";
        t.Open();
        for (int i = 0;; ++i) {
            t.Append();
            t.FieldByName("Fabricante").SetAsString(Key(i));
            t.FieldByName("Defeito").SetAsString("no picture");
            t.FieldByName("Descricao").SetAsBytes(std::string(2000 + i % 700, static_cast<char>('a' + i % 26)));
            t.Post();
            if (i % 2) {
                t.Edit();
                t.FieldByName("Defeito").SetAsString("half-edited");
            }
            if (write(out, &i, sizeof i) != sizeof i) break;
            if (i % 2) t.Cancel();
        }
    } catch (...) {
        // The child only reports by exiting; the parent sees the missing records.
    }
    _exit(1);
}

TEST(Durability, KilledWriterLeavesEveryPostedRecordReadable) {
    testing::TempDir dir;
    {
        TTable t;
        t.DatabaseName = dir.Path().string();
        t.TableName = "Reparos.db";
        t.CreateTable(Schema());
    }
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(fds[0]);
        WriteUntilKilled(dir.Path().string(), fds[1]);
    }
    close(fds[1]);
    int last = -1, got = 0;
    while (last < 150 && read(fds[0], &got, sizeof got) == sizeof got) last = got;
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    close(fds[0]);
    ASSERT_GE(last, 150);

    // Read first through a read-only use: a journal the writer left is rolled back.
    TTable t;
    t.DatabaseName = dir.Path().string();
    t.TableName = "reparos.db";
    t.ReadOnly = true;
    t.Open();
    EXPECT_GE(t.RecordCount(), last + 1);
    for (int i = 0; i <= last; ++i) {
        ASSERT_TRUE(t.FindKey({Key(i), "no picture"})) << i;
        ASSERT_EQ(t.FieldByName("Descricao").AsBytes().size(), static_cast<size_t>(2000 + i % 700));
    }
    TQuery q;
    q.DatabaseName = dir.Path().string();
    q.SQL = {"select * from reparos.db where defeito = \"half-edited\""};
    q.Open();
    EXPECT_TRUE(q.IsEmpty());  // an edit never posted is not in the file
}

struct TwoSessions : ::testing::Test {
    testing::TempDir dir;
    TTable a, b;
    void SetUp() override {
        a.DatabaseName = b.DatabaseName = dir.Path().string();
        a.TableName = b.TableName = "Reparos.db";
        a.CreateTable(Schema());
        a.Open();
        b.Open();
        for (const char* k : {"K1", "K2", "K3"}) Put(a, k, std::string("first ") + k);
    }
    static void Put(TTable& t, const std::string& key, const std::string& text) {
        t.Append();
        t.FieldByName("Fabricante").SetAsString(key);
        t.FieldByName("Defeito").SetAsString("dead");
        t.FieldByName("Descricao").SetAsBytes(text);
        t.Post();
    }
    // Every record as a third program reads it: "key=text".
    std::vector<std::string> Stored() {
        TTable t;
        t.DatabaseName = dir.Path().string();
        t.TableName = "Reparos.db";
        t.ReadOnly = true;
        t.Open();
        std::vector<std::string> out;
        for (t.First(); !t.Eof(); t.Next())
            out.push_back(t.FieldByName("Fabricante").AsString() + "=" + t.FieldByName("Descricao").AsBytes());
        return out;
    }
};

TEST_F(TwoSessions, DeleteReplaceAndEditNeverHitAnotherSessionsRecord) {
    // A record deleted under a session, its row id taken by a new record: the delete refuses.
    a.Last();
    ASSERT_TRUE(b.FindKey({"K3"}));
    b.Delete();
    Put(b, "K9", "new K9");
    EXPECT_THROW(a.Delete(), ERecordChanged);
    EXPECT_EQ(Stored(), (std::vector<std::string>{"K1=first K1", "K2=first K2", "K9=new K9"}));
    EXPECT_EQ(a.FieldByName("Fabricante").AsString(), "K9");  // the record now there is shown

    // A record replaced under the same key: neither delete nor edit hits the new one.
    ASSERT_TRUE(a.FindKey({"K2"}));
    ASSERT_TRUE(b.FindKey({"K2"}));
    b.Delete();
    Put(b, "K2", "replaced K2");
    EXPECT_THROW(a.Delete(), ERecordChanged);
    EXPECT_EQ(a.FieldByName("Descricao").AsBytes(), "replaced K2");
    a.Delete();  // now read as it is: it goes
    EXPECT_EQ(Stored(), (std::vector<std::string>{"K1=first K1", "K9=new K9"}));

    // Two edits of one record read at the same time: the second post refuses, the first stays.
    ASSERT_TRUE(a.FindKey({"K1"}));
    ASSERT_TRUE(b.FindKey({"K1"}));
    a.Edit();
    b.Edit();
    b.FieldByName("Descricao").SetAsBytes("by b");
    b.Post();
    a.FieldByName("Descricao").SetAsBytes("by a");
    EXPECT_THROW(a.Post(), ERecordChanged);
    EXPECT_EQ(a.State(), TDataSetState::dsBrowse);
    EXPECT_EQ(a.FieldByName("Descricao").AsBytes(), "by b");
    EXPECT_EQ(Stored(), (std::vector<std::string>{"K1=by b", "K9=new K9"}));

    // A record gone altogether: the edit's post writes nothing back.
    a.Edit();
    b.Delete();
    a.FieldByName("Descricao").SetAsBytes("resurrected");
    EXPECT_THROW(a.Post(), ERecordChanged);
    EXPECT_EQ(Stored(), (std::vector<std::string>{"K9=new K9"}));
    EXPECT_EQ(a.FieldByName("Fabricante").AsString(), "K9");

    // Deleted and added again just as it was, under another row id: the
    // record is the same, so the edit read before goes on.
    ASSERT_TRUE(b.FindKey({"K9"}));
    b.Delete();
    Put(b, "K0", "takes the old row id");
    Put(b, "K9", "new K9");
    a.Edit();
    a.FieldByName("Descricao").SetAsBytes("edited by a");
    EXPECT_NO_THROW(a.Post());
    EXPECT_EQ(Stored(), (std::vector<std::string>{"K0=takes the old row id", "K9=edited by a"}));
}

TEST_F(TwoSessions, ACopyIsOneCommittedStateAndOnlyASoundImagePassesTheCheck) {
    const std::string path = (dir.Path() / "Reparos.db").string();
    a.Close();
    b.Close();
    // Another program, which does not wait for locks, writes while the copy runs.
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &other), SQLITE_OK);
    auto writeByOther = [&] {
        return sqlite3_exec(other, "UPDATE records SET Descricao = 'by the other program'", nullptr, nullptr, nullptr);
    };
    const std::vector<std::string> before = Stored();
    std::string copy;
    int otherDuringCopy = SQLITE_OK;
    bool first = true;
    ReadCommittedTable(path, [&](const char* bytes, std::size_t n) {
        if (std::exchange(first, false)) otherDuringCopy = writeByOther();
        copy.append(bytes, n);
        return true;
    });
    EXPECT_EQ(otherDuringCopy & 0xff, SQLITE_BUSY);  // held off until the copy ended
    EXPECT_EQ(CheckTableImage(copy), "");
    testing::TempDir copyDir;
    {
        std::ofstream out(copyDir / "Reparos.db", std::ios::binary);
        out << copy;
    }
    TTable copied;
    copied.DatabaseName = copyDir.Path().string();
    copied.TableName = "Reparos.db";
    copied.ReadOnly = true;
    copied.Open();
    std::vector<std::string> rows;
    for (copied.First(); !copied.Eof(); copied.Next())
        rows.push_back(copied.FieldByName("Fabricante").AsString() + "=" + copied.FieldByName("Descricao").AsBytes());
    EXPECT_EQ(rows, before);
    EXPECT_EQ(writeByOther(), SQLITE_OK);  // and free to write after it
    sqlite3_close(other);

    // Bytes that are not a table, or only part of one, are never sound.
    EXPECT_NE(CheckTableImage(std::string(8192, 'x')), "");
    EXPECT_NE(CheckTableImage(""), "");
    EXPECT_NE(CheckTableImage(copy.substr(0, 100)), "");
}

// Appends token to the record's text, read then posted, again until no
// other program overtook the read.
void AppendToken(TTable& t, const std::string& token) {
    for (;;) {
        ASSERT_TRUE(t.FindKey({"K1"}));
        t.Edit();
        t.FieldByName("Descricao").SetAsBytes(t.FieldByName("Descricao").AsBytes() + token + ";");
        try {
            t.Post();
            return;
        } catch (const ERecordChanged&) {
            // Another writer won the race: read its row and try again.
        }
    }
}

TEST_F(TwoSessions, ConcurrentEditsOfOneRecordInTwoProgramsLoseNoPostedEdit) {
    constexpr int kEach = 150;
    b.Close();
    ASSERT_TRUE(a.FindKey({"K1"}));
    a.Edit();
    a.FieldByName("Descricao").SetAsBytes(";");
    a.Post();
    {
        testing::ChildProcess other([&](testing::ChildProcess&) {
            TTable t;
            t.DatabaseName = dir.Path().string();
            t.TableName = "Reparos.db";
            t.Open();
            for (int i = 0; i < kEach; ++i) AppendToken(t, "c" + std::to_string(i));
        });
        for (int i = 0; i < kEach; ++i) AppendToken(a, "p" + std::to_string(i));
        while (other.WaitSignal()) {
        }
    }
    ASSERT_TRUE(a.FindKey({"K1"}));
    const std::string text = a.FieldByName("Descricao").AsBytes();
    for (int i = 0; i < kEach; ++i)
        for (const char* who : {"p", "c"})
            EXPECT_NE(text.find(";" + std::string(who) + std::to_string(i) + ";"), std::string::npos) << who << i;
    EXPECT_EQ(std::count(text.begin(), text.end(), ';'), 1 + 2 * kEach);
}

}  // namespace
}  // namespace platform
