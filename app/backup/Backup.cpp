#include "app/backup/Backup.h"

#include <algorithm>
#include <cassert>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <functional>

#include "app/data/TModuloDeDados.h"
#include "app/xref/CrossReferenceTab.h"
#include "platform/core/hostio/DestinationFolder.h"
#include "platform/core/hostio/HostFile.h"
#include "platform/core/hostio/PendingFile.h"
#include "platform/core/runtime/PathCase.h"
#include "platform/core/runtime/ScopeExit.h"
#include "platform/core/runtime/Text.h"
#include "platform/qt/qtglue/Messenger.h"
#include "platform/tables/EDBEngineError.h"
#include "platform/tables/TableCopy.h"

namespace vorel {

namespace fs = std::filesystem;

namespace {
const char* const kAllDS = "select * from ds.db";

// Another program's lock on a table is waited out this long, this many times.
constexpr std::chrono::milliseconds kBusyWait{2000};
constexpr int kBusyAttempts = 3;

void Inform(const std::string& text) { platform::ShowMessage(text, platform::MsgIcon::Information); }

std::string DataDir(const TModuloDeDados& m) { return m.DataDirectory(); }

// A file of the set in dir, found whatever the case of its name.
fs::path InFolder(const fs::path& dir, const std::string& file) {
    return platform::ResolveCase(dir, file);
}
}  // namespace

const std::vector<std::string>& BackupFiles() {
    static const std::vector<std::string> files = {"Reparos.db", "DS.db"};
    return files;
}

int CopyFile(const std::string& Source, const std::string& Dest) {
    std::error_code ec;
    if (!fs::is_regular_file(Source, ec)) {
        Inform("Could not open file [" + Source + "].");
        return 1;
    }
    const fs::path dest(Dest);
    if (fs::is_directory(dest, ec)) {
        Inform("Could not open destinationfile: " + Dest + ".");
        return 1;
    }
    // Until it is published, the copy lives under a temporary name only.
    platform::DestinationFolder folder;
    platform::PendingFile out(folder);
    const fs::path parent = dest.parent_path().empty() ? fs::path(".") : dest.parent_path();
    if (!folder.Open(parent) || !out.Create(dest.filename().string())) {
        Inform("Could not open destinationfile: " + Dest + ".");
        return 1;
    }
    if (const auto facts = platform::HostFileFactsOf(Source)) out.File().SetPermissions(facts->permissions & 0666);
    platform::HostFile& target = out.File();
    std::string why;
    auto writeFailed = [&](int error) {
        why = "Could not write destination file: " + Dest + ".\n" + std::strerror(error ? error : ENOSPC);
    };
    // What was read, to tell a damaged source from a copy the disk spoiled.
    std::string copied;
    for (int attempt = 1;; ++attempt) {
        try {
            // One committed state of the table, whatever another program writes meanwhile.
            platform::ReadCommittedTable(
                Source,
                [&](const char* bytes, std::size_t n) {
                    copied.append(bytes, n);
                    if (target.Write(bytes, n) == n) return true;
                    writeFailed(target.LastError());
                    return false;
                },
                kBusyWait);
        } catch (const platform::ETableBusy& e) {
            assert(copied.empty());  // busy only while taking the lock, before any byte
            // A writer's short transactions are waited out; a table held longer is reported.
            if (attempt < kBusyAttempts) continue;
            why = "Could not read file [" + Source + "].\n" + e.what();
        } catch (const platform::EDBEngineError& e) {
            why = "Could not read file [" + Source + "].\n" + e.what();
        }
        break;
    }
    // What reached the file is read back and checked before it may replace a good backup.
    if (why.empty() && !target.Sync()) writeFailed(target.LastError());
    if (why.empty()) {
        std::string readBack(static_cast<std::size_t>(std::max<std::int64_t>(0, target.Position())), '\0');
        if (!target.Seek(0) || !target.ReadExact(readBack.data(), readBack.size()))
            why = "Could not read destination file: " + Dest + ".\n" + std::strerror(target.LastError() ? target.LastError() : EIO);
        else if (const std::string fault = platform::CheckTableImage(readBack); !fault.empty())
            why = readBack == copied ? Source + " is damaged; its earlier backup is kept.\n" + fault
                                     : "Could not write destination file: " + Dest + ".\n" + fault;
    }
    if (why.empty() && out.Commit() != platform::PendingFile::Committed::Done)
        why = "Could not open destinationfile: " + Dest + ".";
    if (!why.empty()) {
        out.Discard();
        Inform(why);
        return 1;
    }
    return 0;
}

void BackupGeral(TModuloDeDados& m) {
    const fs::path data = DataDir(m);
    const fs::path b = platform::ResolveCase(m.BaseDirectory(), "data\\backup");
    std::error_code ec;
    if (!fs::is_directory(b, ec)) {
        // One level only: the data directory must be there.
        if (!fs::create_directory(b, ec) || ec) {
            Inform("It was not possible to create the Backup directory. Close all programs, re-boot the computer "
                    "and try again.");
            return;
        }
    }
    // Copies a killed backup left behind are of no use to anyone.
    for (const auto& file : BackupFiles()) platform::PendingFile::RemoveAbandoned(b, file);
    // Every table is tried and every ending gives a verdict: what failed is named in the summary.
    std::vector<std::string> failed;
    auto copyOne = [&](const std::string& file) {
        if (CopyFile(InFolder(data, file).string(), InFolder(b, file).string()) == 0) return;
        failed.push_back(file + ": not copied; its earlier backup is kept.");
    };
    auto reopen = [&](const std::function<void()>& open) {
        try {
            open();
        } catch (const std::exception& e) {
            failed.push_back(e.what());
        }
    };
    // The repair table is reopened on its first record, also when the copy failed.
    m.TabelaBDR.Close();
    copyOne("Reparos.db");
    reopen([&] {
        m.TabelaBDR.DatabaseName = m.DataDirectory();
        m.TabelaBDR.TableName = "Reparos.db";
        m.TabelaBDR.Open();
        m.TabelaBDR.First();
    });
    m.PesquisarDS.Close();
    m.TabelaAtualiza.Close();
    copyOne("DS.db");
    reopen([&] { ReloadDSList(m, kAllDS); });
    std::string summary = "Error when creating the Backup files. Close all programs, re-boot the computer and try again.";
    for (const auto& line : failed) summary += "\n" + line;
    Inform(failed.empty() ? "Backup successfully done!" : summary);
}

bool IsDataDirectory(const TModuloDeDados& m, const std::string& Dir) {
    const std::string data = platform::ResolveCase(m.BaseDirectory(), "Data").string();
    if (platform::AsciiUpper(Dir) == platform::AsciiUpper(data)) return true;
    // Any other spelling of the same folder (a trailing separator, "..", a link) is the same folder.
    std::error_code ec;
    return fs::equivalent(Dir, data, ec) && !ec;
}

// Rows of the backup merged per transaction: one wait for the disk each,
// and the write lock is let go between them.
constexpr int kRowsPerTransaction = 5000;

// Adds each row of the backup table whose key the live table lacks. Keys
// are compared as the tabs store and look them up: trimmed, ignoring case
// (the table's own matching), so a blank or a case variant never adds a
// second row for a live key; a row is added with its key trimmed. The
// backup is read a batch at a time in key order, and each batch is added
// through one prepared statement.
static void Merge(platform::TTable& backup, platform::TTable& live, const std::vector<std::string>& key,
                  const std::vector<std::string>& fields) {
    struct Copied {
        int from, to;
        bool key;
    };
    std::vector<Copied> copied;
    for (const auto& c : fields) copied.push_back({backup.FieldByName(c).Index(), live.FieldByName(c).Index(), false});
    for (const auto& k : key) copied.push_back({backup.FieldByName(k).Index(), live.FieldByName(k).Index(), true});
    std::vector<int> backupKey;
    for (const auto& k : key) backupKey.push_back(backup.FieldByName(k).Index());

    platform::TTableTransaction readLock(backup);  // one read lock on the backup for the whole merge
    backup.First();
    for (bool more = !backup.Eof(); more;) {
        std::vector<platform::TRecord> rows = backup.PeekRows(0, kRowsPerTransaction + 1);
        more = rows.size() > static_cast<size_t>(kRowsPerTransaction);
        if (more) {
            // The next batch starts at the row after this one.
            std::vector<std::string> next;
            for (int k : backupKey) next.push_back(platform::TField::Text(rows.back()[static_cast<size_t>(k)]));
            backup.SetKey();
            if (!backup.FindKey(next)) throw platform::EDBEngineError("The backup changed while it was read.", backup.FileDescription());
            rows.pop_back();
        }
        std::vector<platform::TRecord> adding;
        adding.reserve(rows.size());
        platform::TTableTransaction batch(live);
        try {
            for (const platform::TRecord& row : rows) {
                platform::TRecord record(static_cast<size_t>(live.FieldCount()));
                for (const Copied& c : copied) {
                    std::string bytes = platform::TField::Text(row[static_cast<size_t>(c.from)]);
                    if (c.key) bytes = platform::TrimControls(bytes);
                    record[static_cast<size_t>(c.to)] =
                        platform::TField::FromBytes(live.Fields(c.to).Def(), bytes, live);
                }
                adding.push_back(std::move(record));
            }
            live.InsertMissing(adding);
        } catch (...) {
            // Rows merged before the failure stay, as they would one post at a time.
            try {
                live.InsertMissing(adding);
                batch.Commit();
            } catch (...) {
                // The error that stopped the merge is the one worth reporting.
            }
            throw;
        }
        batch.Commit();
    }
    readLock.Commit();
}

void RecuperaBackupGeral(TModuloDeDados& m, const std::string& Dir) {
    bool ok = true;
    platform::TTable& backup = m.TabelaBackup;
    backup.ReadOnly = true;  // a restore never changes the backup
    auto openBackup = [&](const char* file) {
        backup.Close();
        backup.DatabaseName = Dir;
        backup.TableName = file;
        backup.Open();
        backup.First();
    };
    std::error_code ec;
    if (fs::is_regular_file(InFolder(Dir, "Reparos.db"), ec)) {
        platform::ScopeExit close([&] { backup.Close(); });
        openBackup("Reparos.db");
        if (!m.TabelaBDR.Active()) m.TabelaBDR.Open();
        Merge(backup, m.TabelaBDR, {"Fabricante", "Equipamento", "Modelo", "Defeito"},
               {"Fabricante", "Equipamento", "Modelo", "Defeito", "Descricao"});
        m.TabelaBDR.First();
        close.Run();
    } else {
        ok = false;
    }
    if (fs::is_regular_file(InFolder(Dir, "DS.db"), ec)) {
        platform::ScopeExit close([&] {
            backup.Close();
            m.TabelaAtualiza.Close();
        });
        openBackup("DS.db");
        m.TabelaAtualiza.Close();
        m.TabelaAtualiza.DatabaseName = DataDir(m);
        m.TabelaAtualiza.TableName = "DS.db";
        m.TabelaAtualiza.Open();
        m.PesquisarDS.Close();
        platform::ScopeExit reload([&] { ReloadDSList(m, kAllDS); });
        Merge(backup, m.TabelaAtualiza, {"Original", "Fabricante"},
               {"Original", "Fabricante", "Descricao", "Similar", "Equivalente"});
        reload.Run();  // here their errors reach the caller
        close.Run();
    } else {
        ok = false;
    }
    Inform(ok ? "Restore of the Backup done.\n" : "Error when restoring the backup of the Repair Database.\n");
}

}  // namespace vorel
