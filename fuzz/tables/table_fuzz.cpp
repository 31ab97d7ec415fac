// libFuzzer target for opening a table file: any bytes as a table file,
// opened, walked to both ends, searched by key and written to. Every
// outcome must be a clean engine error or a walk that ends after as many
// records as the table counts; the sanitizers catch the rest.
#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/core/runtime/Exception.h"
#include "platform/tables/Table.h"
#include "testkit/files/FuzzScratch.h"

namespace {

using platform::testing::FuzzScratch;

// Moving must end: more steps than records is a loop.
void Walk(platform::TTable& t, bool forward) {
    const int limit = t.RecordCount() + 1;
    int steps = 0;
    for (forward ? t.First() : t.Last(); !(forward ? t.Eof() : t.Bof()); forward ? t.Next() : t.Prior()) {
        for (int i = 0; i < t.FieldCount(); ++i) (void)t.Fields(i).AsString();
        if (++steps > limit) __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::filesystem::path& dir = FuzzScratch();
    std::error_code ec;
    std::filesystem::remove(dir / "Input.db-journal", ec);
    {
        std::ofstream out(dir / "Input.db", std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    platform::TSession session;
    session.SyncWrites = false;
    session.OnPassword = [](platform::TSession& s, bool& Continue) {
        s.AddPassword("vKarPelmuZ");
        Continue = true;
    };
    platform::TTable t(&session);
    t.DatabaseName = dir.string();
    t.TableName = "Input.db";
    try {
        t.Open();
        Walk(t, true);
        Walk(t, false);
        if (!t.Schema().Key.empty()) {
            t.SetKey();
            t.FindKey({"A"});
            t.FindNearest({"B"});
            t.MoveBy(3);
            t.MoveBy(-2);
        }
        t.Append();
        t.Fields(0).SetAsString("1");
        t.Post();
        Walk(t, true);
        t.Delete();
    } catch (const platform::Exception&) {
        // Refusing a damaged file is expected; only crashes count here.
    }
    return 0;
}
