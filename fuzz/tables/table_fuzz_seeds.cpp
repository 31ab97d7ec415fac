// Writes small table files into a folder as seeds for table_fuzz: the
// program's kinds of field and key, packed into 512-byte pages so the
// fuzzer's inputs stay short.
#include <sqlite3.h>

#include <cstdio>
#include <string>

#include "platform/core/runtime/Exception.h"
#include "platform/tables/Table.h"

namespace {
using platform::TFieldType;

void Shrink(const std::string& path) {
    sqlite3* db = nullptr;
    if (sqlite3_open(path.c_str(), &db) == SQLITE_OK) sqlite3_exec(db, "PRAGMA page_size=512; VACUUM;", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

void Write(const std::string& dir, const std::string& name, const platform::TTableSchema& schema, int rows) {
    platform::TSession session;
    session.SyncWrites = false;
    session.AddPassword(schema.Password);
    platform::TTable t(&session);
    t.DatabaseName = dir;
    t.TableName = name;
    t.CreateTable(schema);
    t.Open();
    for (int i = 0; i < rows; ++i) {
        t.Append();
        for (int f = 0; f < t.FieldCount(); ++f) {
            platform::TField& field = t.Fields(f);
            if (field.DataType() == TFieldType::ftFloat) field.SetAsFloat(i * 1.5);
            else field.SetAsString(std::string(1, static_cast<char>('A' + i)) + std::to_string(f));
        }
        t.Post();
    }
    t.Close();
    Shrink(dir + "/" + name);
}
}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: table_fuzz_seeds <folder>\n");
        return 2;
    }
    const std::string dir = argv[1];
    try {
        Write(dir, "text-key.db",
              {{{"Id", TFieldType::ftString, 8}, {"Note", TFieldType::ftMemo, 0}, {"Pic", TFieldType::ftBlob, 0}},
               {"Id"},
               ""},
              3);
        Write(dir, "two-keys.db",
              {{{"Original", TFieldType::ftString, 6}, {"Fabricante", TFieldType::ftString, 6},
                {"Vceo", TFieldType::ftFloat, 0}},
               {"Original", "Fabricante"},
               "vKarPelmuZ"},
              4);
        Write(dir, "number-key.db", {{{"N", TFieldType::ftFloat, 0}, {"Uso", TFieldType::ftString, 4}}, {"N"}, ""}, 3);
        Write(dir, "no-key.db", {{{"Uso", TFieldType::ftString, 4}}, {}, ""}, 2);
    } catch (const platform::Exception& e) {
        std::fprintf(stderr, "%s\n", e.Message().c_str());
        return 1;
    }
    return 0;
}
