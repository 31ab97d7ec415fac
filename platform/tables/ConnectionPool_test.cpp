// Queries keep their connection for the session, and never read a file
// that was replaced under the same name through it.
#include "platform/tables/ConnectionPool.h"
#include "platform/tables/Query.h"
#include "platform/tables/Table.h"
#include "testkit/files/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace platform {
namespace {

void MakeTable(const std::string& dir, const std::string& name, int rows) {
    TTable t;
    t.DatabaseName = dir;
    t.TableName = name;
    TTableSchema s;
    s.Fields = {{"Codigo", TFieldType::ftString, 10}};
    s.Key = {"Codigo"};
    t.CreateTable(s);
    t.Open();
    for (int i = 0; i < rows; ++i) {
        t.Append();
        t.FieldByName("Codigo").SetAsString("K" + std::to_string(i));
        t.Post();
    }
}

int Rows(TSession& session, const std::string& dir) {
    TQuery q(&session);
    q.DatabaseName = dir;
    q.SQL = {"select * from codes.db"};
    q.Open();
    return q.RecordCount();
}

TEST(ConnectionPool, OneConnectionPerFilesUntilTheFileIsReplaced) {
    platform::testing::TempDir dir;
    MakeTable(dir.Path().string(), "Codes.db", 3);
    MakeTable(dir.Path().string(), "Other.db", 5);
    TSession session;
    const std::string codes = (dir.Path() / "Codes.db").string(), other = (dir.Path() / "Other.db").string();
    auto a = session.QueryConnections().Get({codes}, codes).connection;
    EXPECT_EQ(session.QueryConnections().Get({codes}, codes).connection, a);
    EXPECT_NE(session.QueryConnections().Get({codes, other}, codes).connection, a);
    EXPECT_EQ(Rows(session, dir.Path().string()), 3);

    // A restore or a copy puts another file in its place: the next query reads it.
    std::filesystem::rename(other, codes);
    EXPECT_NE(session.QueryConnections().Get({codes}, codes).connection, a);
    EXPECT_EQ(Rows(session, dir.Path().string()), 5);

    session.Close();
    EXPECT_EQ(a.use_count(), 1);  // only this test holds the old one now
}

}  // namespace
}  // namespace platform
