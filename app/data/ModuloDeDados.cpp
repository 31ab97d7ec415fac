#include "app/data/ModuloDeDados.h"

#include "app/data/Esquemas.h"
#include "app/data/Jpeg.h"
#include "platform/dbcontrols/Image.h"
#include "platform/qtglue/Messenger.h"
#include "platform/runtime/PathCase.h"
#include "platform/runtime/Text.h"

#include <filesystem>

namespace vorel {

TModuloDeDados::TModuloDeDados(std::string diretorioBase) : base_(std::move(diretorioBase)) {
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

std::string TModuloDeDados::DiretorioDados() const {
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
            terminacaoPedida_ = true;
            if (janela_) janela_->Termina();
            return;
        }
    }
    Session1.PrivateDir = temp.string();
    Session1.SessionName = "SessionCorrente";
    Session1.Open();

    const std::string dados = DiretorioDados();
    struct Abertura {
        platform::TTable* tabela;
        const char* arquivo;
        bool primeiro;
    };
    const Abertura tabelas[] = {
        {&TabelaGraficos, "Graficos.db", false},     {&TabelaBDR, "Reparos.db", true},
        {&TabelaTransistores, "Transistores.db", true}, {&TabelaDiodosR, "DiodosR.db", true},
        {&TabelaDiodosZ, "DiodosZ.db", true},         {&TabelaIntegrados, "Integrados.db", true},
    };
    for (const auto& t : tabelas) {
        t.tabela->Close();
        t.tabela->DatabaseName = dados;
        t.tabela->TableName = t.arquivo;
        t.tabela->Indexes = EsquemaDe(t.arquivo).Indexes;
        t.tabela->Open();
        if (t.primeiro) t.tabela->First();
    }
    for (platform::TQuery* q : {&PesquisarTransistores, &PesquisarDiodosR, &PesquisarDiodosZ, &PesquisarDS}) {
        q->Close();
        q->DatabaseName = dados;
    }
    PesquisarDS.Open();
    TabelaAtualiza.Close();
    TabelaAtualiza.DatabaseName = dados;
}

void TModuloDeDados::Session1Password(platform::TSession& sender, bool& Continue) {
    sender.AddPassword(kSenhaTabelas);
    Continue = true;
}

void TModuloDeDados::ExibeImagem(const std::string& Name, platform::TImage& Image) {
    TabelaGraficos.SetKey();
    if (!TabelaGraficos.FindKey({Name})) return;
    std::string bytes = TabelaGraficos.FieldByName("Figura").AsBytes();
    QImage picture;
    try {
        picture = DecodificaJpeg(bytes);
    } catch (const EJPEG& e) {
        throw EJPEG("Picture \"" + Name + "\": " + e.Message());
    }
    Image.SetPicture(picture);
}

platform::TTable& TModuloDeDados::Tabela(Device device) {
    switch (device) {
    case Device::Transistores: return TabelaTransistores;
    case Device::DiodosR: return TabelaDiodosR;
    case Device::DiodosZ: break;
    }
    return TabelaDiodosZ;
}

platform::TQuery& TModuloDeDados::Pesquisa(Device device) {
    switch (device) {
    case Device::Transistores: return PesquisarTransistores;
    case Device::DiodosR: return PesquisarDiodosR;
    case Device::DiodosZ: break;
    }
    return PesquisarDiodosZ;
}

std::string TModuloDeDados::NomeEncapsulamento(Device device, platform::TDataSet& dataSet) {
    std::string nome = dataSet.FieldByName("Encapsulamento").AsString();
    return device == Device::DiodosR ? nome : platform::TrimSpaces(nome);
}

void TModuloDeDados::TabelaDispositivoAfterScroll(Device device) {
    platform::TQuery& pesquisa = Pesquisa(device);
    if (pesquisa.Active()) pesquisa.Close();
    if (!janela_) return;
    janela_->ImagemEquivalente(device).Clear();
    if (janela_->Iniciando()) return;
    platform::TTable& tabela = Tabela(device);
    janela_->HabilitaBuscaRapida(device, false);
    try {
        ExibeImagem(NomeEncapsulamento(device, tabela), janela_->ImagemOriginal(device));
        janela_->EscreveBuscaRapida(device, tabela.FieldByName("Identificacao").AsString());
    } catch (...) {
        janela_->HabilitaBuscaRapida(device, true);
        throw;
    }
    janela_->HabilitaBuscaRapida(device, true);
}

void TModuloDeDados::PesquisaAfterScroll(Device device) {
    if (!janela_ || janela_->Iniciando()) return;
    ExibeImagem(NomeEncapsulamento(device, Pesquisa(device)), janela_->ImagemEquivalente(device));
}

void TModuloDeDados::TabelaBDRAfterScroll() {
    if (janela_) janela_->ExibeRegistroBDR();
}

}  // namespace vorel
