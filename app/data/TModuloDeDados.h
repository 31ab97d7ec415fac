#pragma once
// The data module: one database session, the seven tables, the four queries
// behind the search grids, opening them at start-up, showing a stored
// picture, and the data side of the after-scroll handlers.
//
// The main window fills the display side through WindowSide; without a
// window the handlers do their data work only.
#include "app/data/DecodedPictures.h"
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
class WindowSide {
public:
    virtual ~WindowSide() = default;
    // The starting flag: true until the first-show start-up has ended.
    virtual bool Starting() const = 0;
    // The quick-search-enabled flag of a device's box.
    virtual void EnableQuickSearch(Device device, bool enabled) = 0;
    // Writes text into the device's quick-search box (TBBuscaRapida, DRBuscaRapida, DZBuscaRapida).
    virtual void WriteQuickSearch(Device device, const std::string& text) = 0;
    // ImagemTransistor1, ImagemDiodoR1, ImagemDiodoZ1 / ImagemTransistor2, ImagemDiodoR2, ImagemDiodoZ2.
    virtual platform::TImage& OriginalPicture(Device device) = 0;
    virtual platform::TImage& EquivalentPicture(Device device) = 0;
    // The repair tab's copy of the current Reparos record.
    virtual void ExibeRegistroBDR() = 0;
    // The application is told to terminate.
    virtual void Terminate() = 0;
};

class TModuloDeDados {
public:
    // baseDirectory: the main program's base directory (host path).
    explicit TModuloDeDados(std::string baseDirectory);
    TModuloDeDados(const TModuloDeDados&) = delete;
    TModuloDeDados& operator=(const TModuloDeDados&) = delete;

    void SetWindow(WindowSide* window) { window_ = window; }
    const std::string& BaseDirectory() const { return base_; }
    // base directory + \data\ as the host path the tables use.
    std::string DataDirectory() const;
    // True once AbreBancosDeDados told the application to terminate.
    bool TerminationRequested() const { return terminationRequested_; }

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

    void TabelaTransistoresAfterScroll() { DeviceTableAfterScroll(Device::Transistores); }
    void TabelaDiodosRAfterScroll() { DeviceTableAfterScroll(Device::DiodosR); }
    void TabelaDiodosZAfterScroll() { DeviceTableAfterScroll(Device::DiodosZ); }
    void PesquisarTransistoresAfterScroll() { DeviceQueryAfterScroll(Device::Transistores); }
    void PesquisarDiodosRAfterScroll() { DeviceQueryAfterScroll(Device::DiodosR); }
    void PesquisarDiodosZAfterScroll() { DeviceQueryAfterScroll(Device::DiodosZ); }
    void TabelaBDRAfterScroll();

    platform::TTable& Table(Device device);
    platform::TQuery& Query(Device device);
    // The Encapsulamento a device's pictures are looked up by: trimmed for
    // transistors and zener diodes, as stored for rectifier diodes.
    static std::string PackageName(Device device, platform::TDataSet& dataSet);

private:
    void DeviceTableAfterScroll(Device device);
    void DeviceQueryAfterScroll(Device device);

    std::string base_;
    WindowSide* window_ = nullptr;
    DecodedPictures pictures_;
    bool terminationRequested_ = false;
};

}  // namespace vorel
