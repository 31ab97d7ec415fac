#include "platform/tables/Table.h"
#include "platform/tables/Query.h"
#include "platform/testing/TempDir.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace platform
