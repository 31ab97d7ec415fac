#include "app/data/TModuloDeDados.h"

#include "app/data/TableSchemas.h"
#include "app/data/Jpeg.h"
#include "platform/qt/dbcontrols/Image.h"
#include "platform/qt/qtglue/Messenger.h"
#include "platform/core/runtime/PathCase.h"
#include "platform/core/runtime/Text.h"

#include <filesystem>

namespace vorel {

TModuloDeDados::TModuloDeDados(std::string baseDirectory) : base_(std::move(baseDirectory)) {
    Session1.SessionName = "SessionCorrente";
    Session1.OnPassword = [this](platform::TSession& sender, bool& Continue) { Session1Password(sender, Continue); };
    TabelaGraficos.ReadOnly = true;
    TabelaGraficos.TableName = "Graficos";
    TabelaBDR.TableName = "Reparos";
    TabelaTransistores.TableName = "Transistores";
    TabelaDiodosR.TableName = "DiodosR";
    TabelaDiodosZ.TableName = "DiodosZ";
    TabelaIntegrados.TableName = "Integrados";
    PesquisarTransistores.SQL = {"select * from transistores.db"};
    PesquisarDiodosR.SQL = {"select * from diodosr.db"};
    PesquisarDiodosZ.SQL = {"select * from diodosz.db"};
    PesquisarDS.SQL = {"select * from ds.db"};

    TabelaBDR.AfterScroll = [this](platform::TDataSet&) { TabelaBDRAfterScroll(); };
    TabelaTransistores.AfterScroll = [this](platform::TDataSet&) { TabelaTransistoresAfterScroll(); };
    TabelaDiodosR.AfterScroll = [this](platform::TDataSet&) { TabelaDiodosRAfterScroll(); };
    TabelaDiodosZ.AfterScroll = [this](platform::TDataSet&) { TabelaDiodosZAfterScroll(); };
    PesquisarTransistores.AfterScroll = [this](platform::TDataSet&) { PesquisarTransistoresAfterScroll(); };
    PesquisarDiodosR.AfterScroll = [this](platform::TDataSet&) { PesquisarDiodosRAfterScroll(); };
    PesquisarDiodosZ.AfterScroll = [this](platform::TDataSet&) { PesquisarDiodosZAfterScroll(); };
}

std::string TModuloDeDados::DataDirectory() const {
    return platform::ResolveCase(base_, "data").string() + "/";
}

void TModuloDeDados::AbreBancosDeDados() {
    namespace fs = std::filesystem;
    fs::path temp = platform::ResolveCase(base_, "data\\temp");
    std::error_code ec;
    if (!fs::is_directory(temp, ec)) {
        // One level only: the data directory must be there already.
        if (!fs::create_directory(temp, ec) || ec) {
            // Which folder and why, so the user can mend it.
            std::string why = ec ? ec.message() : std::string("a file of that name is in the way");
            platform::ShowMessage("Error when creating the temporary directory.\n" + temp.string() + ": " + why,
                                  platform::MsgIcon::Error);
            terminationRequested_ = true;
            if (window_) window_->Terminate();
            return;
        }
    }
    Session1.PrivateDir = temp.string();
    Session1.SessionName = "SessionCorrente";
    Session1.Open();

    const std::string dataDir = DataDirectory();
    struct TableOpening {
        platform::TTable* table;
        const char* file;
        bool goFirst;
    };
    const TableOpening tables[] = {
        {&TabelaGraficos, "Graficos.db", false},     {&TabelaBDR, "Reparos.db", true},
        {&TabelaTransistores, "Transistores.db", true}, {&TabelaDiodosR, "DiodosR.db", true},
        {&TabelaDiodosZ, "DiodosZ.db", true},         {&TabelaIntegrados, "Integrados.db", true},
    };
    for (const auto& t : tables) {
        t.table->Close();
        t.table->DatabaseName = dataDir;
        t.table->TableName = t.file;
        t.table->Indexes = SchemaOf(t.file).Indexes;
        t.table->Open();
        if (t.goFirst) t.table->First();
    }
    for (platform::TQuery* q : {&PesquisarTransistores, &PesquisarDiodosR, &PesquisarDiodosZ, &PesquisarDS}) {
        q->Close();
        q->DatabaseName = dataDir;
    }
    PesquisarDS.Open();
    TabelaAtualiza.Close();
    TabelaAtualiza.DatabaseName = dataDir;
}

void TModuloDeDados::Session1Password(platform::TSession& sender, bool& Continue) {
    sender.AddPassword(kTablePassword);
    Continue = true;
}

void TModuloDeDados::ExibeImagem(const std::string& Name, platform::TImage& Image) {
    TabelaGraficos.SetKey();
    if (!TabelaGraficos.FindKey({Name})) return;
    std::string bytes = TabelaGraficos.FieldByName("Figura").AsBytes();
    QImage picture;
    try {
        picture = pictures_.Decode(bytes);
    } catch (const EJPEG& e) {
        throw EJPEG("Picture \"" + Name + "\": " + e.Message());
    }
    Image.SetPicture(picture);
}

platform::TTable& TModuloDeDados::Table(Device device) {
    switch (device) {
    case Device::Transistores: return TabelaTransistores;
    case Device::DiodosR: return TabelaDiodosR;
    case Device::DiodosZ: break;
    }
    return TabelaDiodosZ;
}

platform::TQuery& TModuloDeDados::Query(Device device) {
    switch (device) {
    case Device::Transistores: return PesquisarTransistores;
    case Device::DiodosR: return PesquisarDiodosR;
    case Device::DiodosZ: break;
    }
    return PesquisarDiodosZ;
}

std::string TModuloDeDados::PackageName(Device device, platform::TDataSet& dataSet) {
    std::string name = dataSet.FieldByName("Encapsulamento").AsString();
    return device == Device::DiodosR ? name : platform::TrimSpaces(name);
}

void TModuloDeDados::DeviceTableAfterScroll(Device device) {
    platform::TQuery& query = Query(device);
    if (query.Active()) query.Close();
    if (!window_) return;
    window_->EquivalentPicture(device).Clear();
    if (window_->Starting()) return;
    platform::TTable& table = Table(device);
    window_->EnableQuickSearch(device, false);
    try {
        ExibeImagem(PackageName(device, table), window_->OriginalPicture(device));
        window_->WriteQuickSearch(device, table.FieldByName("Identificacao").AsString());
    } catch (...) {
        window_->EnableQuickSearch(device, true);
        throw;
    }
    window_->EnableQuickSearch(device, true);
}

void TModuloDeDados::DeviceQueryAfterScroll(Device device) {
    if (!window_ || window_->Starting()) return;
    ExibeImagem(PackageName(device, Query(device)), window_->EquivalentPicture(device));
}

void TModuloDeDados::TabelaBDRAfterScroll() {
    if (window_) window_->ExibeRegistroBDR();
}

}  // namespace vorel
