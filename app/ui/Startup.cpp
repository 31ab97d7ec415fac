// The one-time start-up on first show, and the close.
#include <QComboBox>
#include <QLabel>
#include <QLayout>
#include <QStatusBar>
#include <QTimer>

#include "app/calc/CapacitorsTab.h"
#include "app/calc/ResistorsTab.h"
#include "app/data/TablesVersion.h"
#include "app/editor/TextEditor.h"
#include "app/repair/RepairTab.h"
#include "app/ui/TFormulario.h"
#include "platform/core/runtime/Text.h"
#include "platform/qt/dbcontrols/DBGrid.h"
#include "platform/qt/dbcontrols/Image.h"
#include "platform/qt/qtglue/CaseEdit.h"
#include "platform/qt/qtglue/PageControl.h"
#include "platform/qt/qtglue/WaitCursor.h"
#include "platform/tables/Query.h"
#include "platform/tables/Table.h"

namespace vorel {

void TFormulario::InicializaFormulario() {
    platform::WaitCursor hourglass;
    StartEditor();
    if (!StartingFlag) return;
    OpenDialogStartDir = BaseDirectory + "/library";
    for (QComboBox* combo : PercentCombos) combo->setCurrentIndex(0);
    StartCalculatorCombos();
    if (!module_) return;
    module_->AbreBancosDeDados();
    if (module_->TerminationRequested()) return;
    VersaoBD->setText(QString::fromStdString(ReadTablesVersion(BaseDirectory)));
    module_->ExibeImagem("abertura", *ImagemAbertura);
    module_->ExibeImagem("cap_poli", *ImagemCapacitor);
    module_->ExibeImagem("resistor", *ImagemResistor);
    CopyCurrentRepair();
    // These writes start quick searches, which find the records already current.
    for (Device d : {Device::Transistores, Device::DiodosR, Device::DiodosZ}) {
        DevicePanel& p = Panel(d);
        p.QuickSearchBox->setText(QString::fromStdString(p.Table->FieldByName("Identificacao").AsString()));
    }
    CopyRepairCompany();
    PesquisaTransistoresEquivalentes();
    PesquisaDiodosREquivalentes();
    PesquisaDiodosZEquivalentes();
    for (Device d : {Device::Transistores, Device::DiodosR, Device::DiodosZ}) {
        DevicePanel& p = Panel(d);
        const std::string package = platform::TrimControls(p.Table->FieldByName("Encapsulamento").AsString());
        module_->ExibeImagem(package, *p.Picture1);
        module_->ExibeImagem(package, *p.Picture2);
    }
    RefreshGrids();
    StartEditorParagraph();
    RepairFieldsUnchanged = true;
    NotesUnchanged = true;
    for (QLabel* l : {QtdeTR, QtdeDR, QtdeDZ, QtdeCI, Aviso, Aviso2}) l->setVisible(true);
    StartingFlag = false;
}

// The grids follow their datasets on their own; a repaint is all that is left.
void TFormulario::RefreshGrids() {
    for (Device d : {Device::Transistores, Device::DiodosR, Device::DiodosZ}) {
        for (auto* g : Panel(d).OriginalGrids) g->viewport()->update();
        for (auto* g : Panel(d).EquivalentGrids) g->viewport()->update();
    }
}

void TFormulario::ExibeRegistroBDR() { RepairPage->ExibeRegistroBDR(); }

// The application ends once the running handler is done.
void TFormulario::Terminate() {
    QTimer::singleShot(0, this, [this] { close(); });
}

// The editor's part of the start-up: line and column, Paste state, ruler,
// clipboard watch.
void TFormulario::StartEditor() { Editor->StartEditor(); }

// Every colour combo of the calculators on item 0.
void TFormulario::StartCalculatorCombos() {
    Resistors->ResetCombos();
    Capacitors->ResetCombos();
}

void TFormulario::CopyCurrentRepair() { RepairPage->CopyCurrentRecord(); }

void TFormulario::CopyRepairCompany() { RepairPage->CopyCompany(); }

// The editor's paragraph defaults (markers at 60 and 730 pixels). The right
// indent depends on the ruler's width, so the hidden tab is laid out first.
void TFormulario::StartEditorParagraph() {
    if (!TabSheet1_6->isVisible()) {
        TabSheet1_6->resize(PageControl1->currentWidget()->size());
        TabSheet1_6->layout()->activate();
    }
    Editor->StartParagraphs();
}

void TFormulario::FormClose() {
    if (!module_) return;
    TModuloDeDados& m = *module_;
    for (platform::TDataSet* ds :
         std::initializer_list<platform::TDataSet*>{&m.TabelaTransistores, &m.TabelaDiodosR, &m.TabelaDiodosZ,
                                                    &m.TabelaBDR, &m.TabelaGraficos, &m.TabelaIntegrados,
                                                    &m.PesquisarTransistores, &m.PesquisarDiodosR,
                                                    &m.PesquisarDiodosZ, &m.PesquisarDS})
        ds->Close();
    m.Session1.RemoveAllPasswords();
}

}  // namespace vorel
