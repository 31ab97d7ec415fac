#pragma once
// Test helper: a base directory whose data folder holds the seven tables,
// empty but for the rows a test adds, and a data module opened on it.
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/data/TableSchemas.h"
#include "app/data/TModuloDeDados.h"
#include "platform/tables/Table.h"
#include "testkit/files/TempDir.h"

namespace vorel::testing {

class TestData {
public:
    TestData() {
        session_.AddPassword(kTablePassword);
        std::filesystem::create_directory(Data());
        for (const auto& t : TableDefinitions()) {
            platform::TTable table(&session_);
            table.DatabaseName = Data().string();
            table.TableName = t.File;
            table.CreateTable(t.Schema);
        }
    }
    const std::filesystem::path& Base() const { return dir_.Path(); }
    std::filesystem::path Data() const { return dir_.Path() / "data"; }

    // Posts one row of text values (a blob gets the text's bytes) to a table file of dir.
    void Add(const std::string& file, const std::map<std::string, std::string>& values) const {
        AddTo(Data(), file, values);
    }
    static void AddTo(const std::filesystem::path& dir, const std::string& file,
                      const std::map<std::string, std::string>& values) {
        platform::TTable t;
        t.DatabaseName = dir.string();
        t.TableName = file;
        t.Open();
        t.Append();
        for (const auto& [k, v] : values) t.FieldByName(k).SetAsString(v);
        t.Post();
    }

    // Rewrites one field of the row found by its key, as another copy of
    // the program would; false when no row has that key.
    bool Change(const std::string& file, const std::vector<std::string>& key, const std::string& field,
                const std::string& value) const {
        platform::TTable t;
        t.DatabaseName = Data().string();
        t.TableName = file;
        t.Open();
        if (!t.FindKey(key)) return false;
        t.Edit();
        t.FieldByName(field).SetAsString(value);
        t.Post();
        return true;
    }

    // A data module over this base directory with its tables open.
    std::unique_ptr<TModuloDeDados> Module() const {
        auto m = std::make_unique<TModuloDeDados>(Base().string());
        m->AbreBancosDeDados();
        return m;
    }

private:
    platform::testing::TempDir dir_;
    platform::TSession session_;  // holds the table password (the constructor adds it)
};

}  // namespace vorel::testing
