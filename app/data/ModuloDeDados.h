#pragma once
// The data module: one database session, the seven tables, the four queries
// behind the search grids, opening them at start-up, showing a stored
// picture, and the data side of the after-scroll handlers.
//
// The main window fills the display side through LadoJanela; without a
// window the handlers do their data work only.
#include "app/search/DeviceCriteria.h"
#include "platform/tables/Query.h"
#include "platform/tables/Session.h"
#include "platform/tables/Table.h"

#include <string>

namespace platform {
class TImage;
}

namespace vorel {

// What the data module needs from the main window.
class LadoJanela {
public:
    virtual ~LadoJanela() = default;
    // The starting flag: true until the first-show start-up has ended.
    virtual bool Iniciando() const = 0;
    // The quick-search-enabled flag of a device's box.
    virtual void HabilitaBuscaRapida(Device device, bool enabled) = 0;
    // Writes text into the device's quick-search box (TBBuscaRapida, DRBuscaRapida, DZBuscaRapida).
    virtual void EscreveBuscaRapida(Device device, const std::string& text) = 0;
    // ImagemTransistor1, ImagemDiodoR1, ImagemDiodoZ1 / ImagemTransistor2, ImagemDiodoR2, ImagemDiodoZ2.
    virtual platform::TImage& ImagemOriginal(Device device) = 0;
    virtual platform::TImage& ImagemEquivalente(Device device) = 0;
    // The repair tab's copy of the current Reparos record.
    virtual void ExibeRegistroBDR() = 0;
    // The application is told to terminate.
    virtual void Termina() = 0;
};

class TModuloDeDados {
public:
    // diretorioBase: the main program's base directory (host path).
    explicit TModuloDeDados(std::string diretorioBase);
    TModuloDeDados(const TModuloDeDados&) = delete;
    TModuloDeDados& operator=(const TModuloDeDados&) = delete;

    void DefineJanela(LadoJanela* janela) { janela_ = janela; }
    const std::string& DiretorioBase() const { return base_; }
    // base directory + \data\ as the host path the tables use.
    std::string DiretorioDados() const;
    // True once AbreBancosDeDados told the application to terminate.
    bool TerminacaoPedida() const { return terminacaoPedida_; }

    platform::TSession Session1;
    platform::TTable TabelaGraficos{&Session1}, TabelaBDR{&Session1}, TabelaTransistores{&Session1},
        TabelaDiodosR{&Session1}, TabelaDiodosZ{&Session1}, TabelaIntegrados{&Session1}, TabelaAtualiza{&Session1},
        TabelaBackup{&Session1};
    platform::TQuery PesquisarTransistores{&Session1}, PesquisarDiodosR{&Session1}, PesquisarDiodosZ{&Session1},
        PesquisarDS{&Session1};

    void AbreBancosDeDados();
    void Session1Password(platform::TSession& sender, bool& Continue);
    // Shows picture Name of Graficos in Image; a name without a row leaves
    // the image as it was; a blob that is not a JPEG raises EJPEG.
    void ExibeImagem(const std::string& Name, platform::TImage& Image);

    void TabelaTransistoresAfterScroll() { TabelaDispositivoAfterScroll(Device::Transistores); }
    void TabelaDiodosRAfterScroll() { TabelaDispositivoAfterScroll(Device::DiodosR); }
    void TabelaDiodosZAfterScroll() { TabelaDispositivoAfterScroll(Device::DiodosZ); }
    void PesquisarTransistoresAfterScroll() { PesquisaAfterScroll(Device::Transistores); }
    void PesquisarDiodosRAfterScroll() { PesquisaAfterScroll(Device::DiodosR); }
    void PesquisarDiodosZAfterScroll() { PesquisaAfterScroll(Device::DiodosZ); }
    void TabelaBDRAfterScroll();

    platform::TTable& Tabela(Device device);
    platform::TQuery& Pesquisa(Device device);
    // The Encapsulamento a device's pictures are looked up by: trimmed for
    // transistors and zener diodes, as stored for rectifier diodes.
    static std::string NomeEncapsulamento(Device device, platform::TDataSet& dataSet);

private:
    void TabelaDispositivoAfterScroll(Device device);
    void PesquisaAfterScroll(Device device);

    std::string base_;
    LadoJanela* janela_ = nullptr;
    bool terminacaoPedida_ = false;
};

}  // namespace vorel
