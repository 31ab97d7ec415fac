#include "app/backup/Backup.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "app/data/ModuloDeDados.h"
#include "app/xref/AbaReferencia.h"
#include "platform/hostio/DestinationFolder.h"
#include "platform/hostio/HostFile.h"
#include "platform/hostio/PendingFile.h"
#include "platform/qtglue/Messenger.h"
#include "platform/runtime/PathCase.h"
#include "platform/runtime/ScopeExit.h"
#include "platform/runtime/Text.h"
#include "platform/tables/EDBEngineError.h"
#include "platform/tables/TableCopy.h"

namespace vorel {

namespace fs = std::filesystem;

namespace {
const char* const kTodosDS = "select * from ds.db";

void Informa(const std::string& text) { platform::ShowMessage(text, platform::MsgIcon::Information); }

std::string Dados(const TModuloDeDados& m) { return m.DiretorioDados(); }

// A file of the set in dir, found whatever the case of its name.
fs::path NoDiretorio(const fs::path& dir, const std::string& arquivo) {
    return platform::ResolveCase(dir, arquivo);
}
}  // namespace

const std::vector<std::string>& ArquivosDoBackup() {
    static const std::vector<std::string> arquivos = {"Reparos.db", "DS.db"};
    return arquivos;
}

int CopyFile(const std::string& Source, const std::string& Dest) {
    std::error_code ec;
    if (!fs::is_regular_file(Source, ec)) {
        Informa("Could not open file [" + Source + "].");
        return 1;
    }
    const fs::path destino(Dest);
    if (fs::is_directory(destino, ec)) {
        Informa("Could not open destinationfile: " + Dest + ".");
        return 1;
    }
    // Until it is published, the copy lives under a temporary name only.
    platform::DestinationFolder pasta;
    platform::PendingFile saida(pasta);
    const fs::path pai = destino.parent_path().empty() ? fs::path(".") : destino.parent_path();
    if (!pasta.Open(pai) || !saida.Create(destino.filename().string())) {
        Informa("Could not open destinationfile: " + Dest + ".");
        return 1;
    }
    if (const auto facts = platform::HostFileFactsOf(Source)) saida.File().SetPermissions(facts->permissions & 0666);
    platform::HostFile& copia = saida.File();
    std::string porque;
    auto falhaEscrita = [&](int erro) {
        porque = "Could not write destination file: " + Dest + ".\n" + std::strerror(erro ? erro : ENOSPC);
    };
    try {
        // One committed state of the table, whatever another program writes meanwhile.
        platform::ReadCommittedTable(Source, [&](const char* bytes, std::size_t n) {
            if (copia.Write(bytes, n) == n) return true;
            falhaEscrita(copia.LastError());
            return false;
        });
    } catch (const platform::EDBEngineError& e) {
        porque = "Could not read file [" + Source + "].\n" + e.what();
    }
    // What reached the file is read back and checked before it may replace a good backup.
    if (porque.empty() && !copia.Sync()) falhaEscrita(copia.LastError());
    if (porque.empty()) {
        std::string lido(static_cast<std::size_t>(std::max<std::int64_t>(0, copia.Position())), '\0');
        if (!copia.Seek(0) || !copia.ReadExact(lido.data(), lido.size()))
            porque = "Could not read destination file: " + Dest + ".\n" + std::strerror(copia.LastError() ? copia.LastError() : EIO);
        else if (const std::string defeito = platform::CheckTableImage(lido); !defeito.empty())
            porque = "Could not write destination file: " + Dest + ".\n" + defeito;
    }
    if (porque.empty() && saida.Commit() != platform::PendingFile::Committed::Done)
        porque = "Could not open destinationfile: " + Dest + ".";
    if (!porque.empty()) {
        saida.Discard();
        Informa(porque);
        return 1;
    }
    return 0;
}

void BackupGeral(TModuloDeDados& m) {
    const fs::path dados = Dados(m);
    const fs::path b = platform::ResolveCase(m.DiretorioBase(), "data\\backup");
    std::error_code ec;
    if (!fs::is_directory(b, ec)) {
        // One level only: the data directory must be there.
        if (!fs::create_directory(b, ec) || ec) {
            Informa("It was not possible to create the Backup directory. Close all programs, re-boot the computer "
                    "and try again.");
            return;
        }
    }
    // Copies a killed backup left behind are of no use to anyone.
    for (const auto& arquivo : ArquivosDoBackup()) platform::PendingFile::RemoveAbandoned(b, arquivo);
    auto copia = [&](const std::string& arquivo) {
        return CopyFile(NoDiretorio(dados, arquivo).string(), NoDiretorio(b, arquivo).string()) == 0;
    };
    bool ok = true;
    {
        // The repair table is reopened on its first record, also when the copy failed.
        m.TabelaBDR.Close();
        platform::ScopeExit reabre([&] {
            m.TabelaBDR.DatabaseName = m.DiretorioDados();
            m.TabelaBDR.TableName = "Reparos.db";
            m.TabelaBDR.Open();
            m.TabelaBDR.First();
        });
        ok = copia("Reparos.db");
        reabre.Run();  // here its errors reach the caller, as any other
    }
    {
        m.PesquisarDS.Close();
        m.TabelaAtualiza.Close();
        platform::ScopeExit recarrega([&] { RecarregaListaDS(m, kTodosDS); });
        ok = copia("DS.db") && ok;
        recarrega.Run();
    }
    Informa(ok ? "Backup successfully done!"
               : "Error when creating the Backup files. Close all programs, re-boot the computer and try again.");
}

bool EDiretorioDeDados(const TModuloDeDados& m, const std::string& Dir) {
    const std::string dados = platform::ResolveCase(m.DiretorioBase(), "Data").string();
    if (platform::AsciiUpper(Dir) == platform::AsciiUpper(dados)) return true;
    // Any other spelling of the same folder (a trailing separator, "..", a link) is the same folder.
    std::error_code ec;
    return fs::equivalent(Dir, dados, ec) && !ec;
}

// Rows merged per transaction: one wait for the disk each, and the write
// lock is let go between them.
constexpr int kLinhasPorTransacao = 2000;

// Adds each row of the backup table whose key the live table lacks. Keys
// are compared as the tabs store and look them up: trimmed, ignoring case
// (the table's own matching), so a blank or a case variant never adds a
// second row for a live key; a row is added with its key trimmed.
static void Mescla(platform::TTable& backup, platform::TTable& viva, const std::vector<std::string>& chave,
                   const std::vector<std::string>& campos) {
    platform::TTableTransaction leitura(backup);  // one read lock on the backup for the whole merge
    backup.First();
    while (!backup.Eof()) {
        platform::TTableTransaction lote(viva);
        try {
            for (int n = 0; n < kLinhasPorTransacao && !backup.Eof(); backup.Next()) {
                std::vector<std::string> valores;
                for (const auto& k : chave) valores.push_back(platform::TrimControls(backup.FieldByName(k).AsString()));
                viva.SetKey();
                if (viva.FindKey(valores)) continue;
                viva.Append();
                for (const auto& c : campos) viva.FieldByName(c).SetAsBytes(backup.FieldByName(c).AsBytes());
                for (size_t i = 0; i < chave.size(); ++i) viva.FieldByName(chave[i]).SetAsString(valores[i]);
                viva.Post();
                ++n;
            }
        } catch (...) {
            // Rows merged before the failure stay, as they would one post at a time.
            viva.Cancel();
            try {
                lote.Commit();
            } catch (...) {
                // The error that stopped the merge is the one worth reporting.
            }
            throw;
        }
        lote.Commit();
    }
    leitura.Commit();
}

void RecuperaBackupGeral(TModuloDeDados& m, const std::string& Dir) {
    bool ok = true;
    platform::TTable& backup = m.TabelaBackup;
    backup.ReadOnly = true;  // a restore never changes the backup
    auto abreBackup = [&](const char* arquivo) {
        backup.Close();
        backup.DatabaseName = Dir;
        backup.TableName = arquivo;
        backup.Open();
        backup.First();
    };
    std::error_code ec;
    if (fs::is_regular_file(NoDiretorio(Dir, "Reparos.db"), ec)) {
        platform::ScopeExit fecha([&] { backup.Close(); });
        abreBackup("Reparos.db");
        if (!m.TabelaBDR.Active()) m.TabelaBDR.Open();
        Mescla(backup, m.TabelaBDR, {"Fabricante", "Equipamento", "Modelo", "Defeito"},
               {"Fabricante", "Equipamento", "Modelo", "Defeito", "Descricao"});
        m.TabelaBDR.First();
        fecha.Run();
    } else {
        ok = false;
    }
    if (fs::is_regular_file(NoDiretorio(Dir, "DS.db"), ec)) {
        platform::ScopeExit fecha([&] {
            backup.Close();
            m.TabelaAtualiza.Close();
        });
        abreBackup("DS.db");
        m.TabelaAtualiza.Close();
        m.TabelaAtualiza.DatabaseName = Dados(m);
        m.TabelaAtualiza.TableName = "DS.db";
        m.TabelaAtualiza.Open();
        m.PesquisarDS.Close();
        platform::ScopeExit recarrega([&] { RecarregaListaDS(m, kTodosDS); });
        Mescla(backup, m.TabelaAtualiza, {"Original", "Fabricante"},
               {"Original", "Fabricante", "Descricao", "Similar", "Equivalente"});
        recarrega.Run();  // here their errors reach the caller
        fecha.Run();
    } else {
        ok = false;
    }
    Informa(ok ? "Restore of the Backup done.\n" : "Error when restoring the backup of the Repair Database.\n");
}

}  // namespace vorel
