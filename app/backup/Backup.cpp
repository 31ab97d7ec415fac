#include "app/backup/Backup.h"

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
#include "platform/runtime/Text.h"

namespace vorel {

namespace fs = std::filesystem;

namespace {
constexpr size_t kBuffer = 8192;
const char* const kTodosDS = "select * from ds.db";

void Informa(const std::string& text) { platform::ShowMessage(text, platform::MsgIcon::Information); }

// Runs a step when the scope ends, also when it fails.
template <typename F>
class AoSair {
public:
    explicit AoSair(F f) : f_(std::move(f)) {}
    ~AoSair() noexcept(false) {
        if (std::uncaught_exceptions() == count_) f_();
        else try {
                f_();
            } catch (...) {
            }
    }
    AoSair(const AoSair&) = delete;
    AoSair& operator=(const AoSair&) = delete;

private:
    F f_;
    int count_ = std::uncaught_exceptions();
};

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
    platform::HostFile origem;
    if (!origem.Open(Source, platform::HostFile::Mode::Read)) {
        Informa("Could not open file [" + Source + "].");
        return 1;
    }
    std::error_code ec;
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
    saida.File().SetPermissions(origem.Opened().permissions & 0666);
    std::string porque;
    char buffer[kBuffer];
    for (;;) {
        const std::size_t n = origem.Read(buffer, sizeof buffer);
        if (n == 0 && origem.LastError() != 0) {
            porque = "Could not read file [" + Source + "].\n" + std::strerror(origem.LastError());
            break;
        }
        if (n == 0) break;
        if (saida.File().Write(buffer, n) != n) {
            const int erro = saida.File().LastError();
            porque = "Could not write destination file: " + Dest + ".\n" + std::strerror(erro ? erro : ENOSPC);
            break;
        }
    }
    if (porque.empty() && (!saida.File().Sync() || !saida.File().Close()))
        porque = "Could not write destination file: " + Dest + ".\n" + std::strerror(saida.File().LastError());
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
    auto copia = [&](const std::string& arquivo) {
        return CopyFile(NoDiretorio(dados, arquivo).string(), NoDiretorio(b, arquivo).string()) == 0;
    };
    bool ok = true;
    {
        // The repair table is reopened on its first record, also when the copy failed.
        m.TabelaBDR.Close();
        AoSair reabre([&] {
            m.TabelaBDR.DatabaseName = m.DiretorioDados();
            m.TabelaBDR.TableName = "Reparos.db";
            m.TabelaBDR.Open();
            m.TabelaBDR.First();
        });
        ok = copia("Reparos.db");
    }
    {
        m.PesquisarDS.Close();
        m.TabelaAtualiza.Close();
        AoSair recarrega([&] { RecarregaListaDS(m, kTodosDS); });
        ok = copia("DS.db") && ok;
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

// Adds each row of the backup table whose key the live table lacks.
static void Mescla(platform::TTable& backup, platform::TTable& viva, const std::vector<std::string>& chave,
                   const std::vector<std::string>& campos) {
    for (backup.First(); !backup.Eof(); backup.Next()) {
        std::vector<std::string> valores;
        for (const auto& k : chave) valores.push_back(backup.FieldByName(k).AsString());
        viva.SetKey();
        if (viva.FindKey(valores)) continue;
        viva.Append();
        try {
            for (const auto& c : campos) viva.FieldByName(c).SetAsBytes(backup.FieldByName(c).AsBytes());
            viva.Post();
        } catch (...) {
            viva.Cancel();
            throw;
        }
    }
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
        AoSair fecha([&] { backup.Close(); });
        abreBackup("Reparos.db");
        if (!m.TabelaBDR.Active()) m.TabelaBDR.Open();
        Mescla(backup, m.TabelaBDR, {"Fabricante", "Equipamento", "Modelo", "Defeito"},
               {"Fabricante", "Equipamento", "Modelo", "Defeito", "Descricao"});
        m.TabelaBDR.First();
    } else {
        ok = false;
    }
    if (fs::is_regular_file(NoDiretorio(Dir, "DS.db"), ec)) {
        AoSair fecha([&] {
            backup.Close();
            m.TabelaAtualiza.Close();
        });
        abreBackup("DS.db");
        m.TabelaAtualiza.Close();
        m.TabelaAtualiza.DatabaseName = Dados(m);
        m.TabelaAtualiza.TableName = "DS.db";
        m.TabelaAtualiza.Open();
        m.PesquisarDS.Close();
        AoSair recarrega([&] { RecarregaListaDS(m, kTodosDS); });
        Mescla(backup, m.TabelaAtualiza, {"Original", "Fabricante"},
               {"Original", "Fabricante", "Descricao", "Similar", "Equivalente"});
    } else {
        ok = false;
    }
    Informa(ok ? "Restore of the Backup done.\n" : "Error when restoring the backup of the Repair Database.\n");
}

}  // namespace vorel
