#pragma once
// The main window: eight tabs holding every feature of the component
// database, the main menu, the one-time start-up on first show and the close
// that puts every dataset away. The data module (tables, queries, pictures)
// is created after the window and handed in; the window is its display side.
#include <QMainWindow>
#include <QPointer>
#include <array>
#include <string>
#include <vector>

#include "app/data/TModuloDeDados.h"
#include "app/search/DeviceCriteria.h"

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QMenu;
class QPushButton;
class QStatusBar;
class QTabWidget;

namespace platform {
class TCaseEdit;
class TDBGrid;
class TDBMemo;
class TDBText;
class TDataSet;
class TImage;
class TLinkLabel;
class TPageControl;
class TTable;
class TQuery;
}  // namespace platform

namespace vorel {

class CapacitorsTab;
class CrossReferenceTab;
class RepairTab;
class ResistorsTab;
class TextEditor;
class TCaixaLegenda;

// The controls of one device (transistors, rectifier or zener diodes) and
// the datasets behind them.
struct DevicePanel {
    explicit DevicePanel(Device d) : device(d) {}
    Device device;
    platform::TCaseEdit* QuickSearchBox = nullptr;
    bool* QuickSearchEnabled = nullptr;  // the window's flag for this box
    platform::TImage* Picture1 = nullptr;  // the device's package picture
    platform::TImage* Picture2 = nullptr;  // the equivalent's
    QPushButton* EquivalentsButton = nullptr;
    std::vector<platform::TDBGrid*> OriginalGrids, EquivalentGrids;
    std::vector<QCheckBox*> Checks;  // by criterion, in the criteria order
    std::vector<QComboBox*> Combos;  // by criterion; nullptr for an equality
    std::vector<QWidget*> Bound;     // data-aware labels and memos; property "original" tells the side
    platform::TTable* Table = nullptr;
    platform::TQuery* Query = nullptr;
};

class TFormulario : public QMainWindow, public WindowSide {
    Q_OBJECT
public:
    // FormCreate: the window with its tabs and menu; the base directory is
    // the current directory now.
    explicit TFormulario(QWidget* parent = nullptr);
    ~TFormulario() override;

    // The data module the first show opens (not owned; must outlive the window).
    void SetDataModule(TModuloDeDados* module);
    TModuloDeDados* DataModule() const { return module_; }

    // Program-wide state of the main window.
    std::string BaseDirectory;        // base directory, no trailing separator
    bool StartingFlag = true;         // starting: until the end of the first-show start-up
    bool TabChangeAllowed = false;    // tab change allowed
    bool QuickSearchEnabledTB = true;        // quick-search enabled: transistors
    bool QuickSearchEnabledDR = true;        //   rectifier diodes
    bool QuickSearchEnabledDZ = true;        //   zener diodes
    bool QuickSearchEnabledBDR = true;       //   repairs
    bool RepairFieldsUnchanged = true;  // repair fields unchanged
    bool NotesUnchanged = true;       // notes unchanged
    std::string NotesFileName = "Untitled";
    std::string OpenDialogStartDir;   // the editor's open dialog starts here

    // Handlers.
    void FormShow();
    void InicializaFormulario();
    void FormClose();
    bool PageControl1Changing() const { return TabChangeAllowed; }
    void PageControl1Change();
    void Conteudo1Click();
    void Sobre1Click();
    void Encerrar1Click();
    void Legenda1Click();
    void FazerBackupdosBancosdeDados1Click();
    void RecuperarBackupdosBancosdeDados1Click();
    void Verificaratualizacoes1Click();

    // Quick search and equivalents search.
    void TBBuscaRapidaChange();
    void DRBuscaRapidaChange();
    void DZBuscaRapidaChange();
    void TransistoresEquivalentesClick();
    void DiodosREquivalentesClick();
    void DiodosZEquivalentesClick();
    void PesquisaTransistoresEquivalentes();
    void PesquisaDiodosREquivalentes();
    void PesquisaDiodosZEquivalentes();

    // The window side of the data module's after-scroll handlers.
    bool Starting() const override { return StartingFlag; }
    void EnableQuickSearch(Device device, bool enabled) override;
    void WriteQuickSearch(Device device, const std::string& text) override;
    platform::TImage& OriginalPicture(Device device) override;
    platform::TImage& EquivalentPicture(Device device) override;
    void ExibeRegistroBDR() override;
    void Terminate() override;

    DevicePanel& Panel(Device device);

    // Tabs and menu.
    platform::TPageControl* PageControl1 = nullptr;
    QWidget *TabSheet1_1 = nullptr, *TabSheet1_2 = nullptr, *TabSheet1_3 = nullptr, *TabSheet6 = nullptr,
            *TabSheet1_4 = nullptr, *TabSheet1_5 = nullptr, *TabSheet1_6 = nullptr, *TabSheet8 = nullptr;
    QMenu* Opcoes1 = nullptr;
    QMenu* Ajuda1 = nullptr;
    QAction *Legenda1 = nullptr, *FazerBackupdosBancosdeDados1 = nullptr, *RecuperarBackupdosBancosdeDados1 = nullptr,
            *Verificaratualizacoes1 = nullptr, *Encerrar1 = nullptr, *Conteudo1 = nullptr, *Sobre1 = nullptr;

    // About tab.
    platform::TImage* ImagemAbertura = nullptr;
    QLabel *VersaoS = nullptr, *VersaoBD = nullptr;
    QLabel *QtdeTR = nullptr, *QtdeDR = nullptr, *QtdeDZ = nullptr, *QtdeCI = nullptr;
    QLabel *Aviso = nullptr, *Aviso2 = nullptr;
    platform::TLinkLabel *EMail = nullptr, *HomePage = nullptr;

    // The legend dialog of the last F2, kept after use.
    QPointer<TCaixaLegenda> LegendDialog;

    // Devices.
    platform::TCaseEdit *TBBuscaRapida = nullptr, *DRBuscaRapida = nullptr, *DZBuscaRapida = nullptr;
    platform::TImage *ImagemTransistor1 = nullptr, *ImagemTransistor2 = nullptr, *ImagemDiodoR1 = nullptr,
                     *ImagemDiodoR2 = nullptr, *ImagemDiodoZ1 = nullptr, *ImagemDiodoZ2 = nullptr;
    QPushButton *TransistoresEquivalentes = nullptr, *DiodosREquivalentes = nullptr, *DiodosZEquivalentes = nullptr;
    std::array<platform::TDBGrid*, 9> DBGridTO{}, DBGridT{};  // DBGridTO1..9, DBGridT1..9
    std::array<platform::TDBGrid*, 2> DBGridDRO{}, DBGridDR{}, DBGridDZO{}, DBGridDZ{};
    std::vector<QComboBox*> PercentCombos;  // every percentage combo, in the start-up order

    // The calculators of "Other devices" and their pictures.
    ResistorsTab* Resistors = nullptr;
    CapacitorsTab* Capacitors = nullptr;
    platform::TImage *ImagemResistor = nullptr, *ImagemCapacitor = nullptr;
    // The technical-text editor, and its status bar: line and column,
    // "Modified", the file name.
    TextEditor* Editor = nullptr;
    QStatusBar* StatusBar = nullptr;
    std::array<QLabel*, 3> StatusPanels{};
    platform::TPageControl* PageControl10 = nullptr;
    RepairTab* RepairPage = nullptr;                  // the repair tab's content
    CrossReferenceTab* CrossReferencePage = nullptr;  // the cross-reference tab's content

protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    void BuildMenu();
    void BuildAboutTab();
    void BuildTransistorTab();
    void BuildDiodeTabs();
    void BuildICTab();
    void BuildOtherDevicesTab();
    void BuildRepairTab();
    void BuildTextsTab();
    void BuildCrossReferenceTab();
    void ConnectData();
    void ConnectEvents();

    // Start-up steps that belong to the editor, the repair tab and the
    // calculators; each is filled where its feature is built.
    void StartEditor();
    void StartCalculatorCombos();
    void CopyCurrentRepair();
    void CopyRepairCompany();
    void StartEditorParagraph();
    void RefreshGrids();

    void QuickSearch(Device device);
    void EquivalentsSearch(Device device);

    TModuloDeDados* module_ = nullptr;
    DevicePanel transistors_{Device::Transistores}, rectifiers_{Device::DiodosR}, zeners_{Device::DiodosZ};
    bool shown_ = false;
};

}  // namespace vorel
