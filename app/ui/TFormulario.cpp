#include "app/ui/TFormulario.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QMenuBar>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QStyle>
#include <filesystem>

#include "app/backup/Backup.h"
#include "app/backup/TCaixaBackup.h"
#include "app/editor/TextEditor.h"
#include "app/legend/TCaixaLegenda.h"
#include "app/repair/RepairTab.h"
#include "app/ui/AppIcon.h"
#include "app/update/TCaixaAtualiza.h"
#include "app/xref/CrossReferenceTab.h"
#include "platform/core/runtime/PathCase.h"
#include "platform/qt/dbcontrols/DBGrid.h"
#include "platform/qt/dbcontrols/DBText.h"
#include "platform/qt/qtglue/CaseEdit.h"
#include "platform/qt/qtglue/Guard.h"
#include "platform/qt/qtglue/Messenger.h"
#include "platform/qt/qtglue/PageControl.h"
#include "platform/windows/shell/Shell.h"

namespace vorel {

namespace {
const char* const kTitle = "Vorel - Electronics";
}

TFormulario::TFormulario(QWidget* parent) : QMainWindow(parent) {
    setObjectName("Formulario");
    setWindowTitle(kTitle);
    setWindowIcon(AppIcon());
    resize(544, 375);
    std::error_code ec;
    BaseDirectory = std::filesystem::current_path(ec).string();

    PageControl1 = new platform::TPageControl(this);
    PageControl1->setObjectName("PageControl1");
    PageControl1->setDocumentMode(false);
    PageControl1->OnChanging = [this] { return PageControl1Changing(); };
    setCentralWidget(PageControl1);

    BuildMenu();
    BuildAboutTab();
    BuildTransistorTab();
    BuildDiodeTabs();
    BuildICTab();
    BuildOtherDevicesTab();
    BuildRepairTab();
    BuildTextsTab();
    BuildCrossReferenceTab();
    PageControl1->setCurrentWidget(TabSheet1_1);
    ConnectEvents();

    NotesFileName = "Untitled";
    StatusPanels[2]->setText("Editing: Untitled");
    QApplication::processEvents();
}

void TFormulario::ConnectEvents() {
    auto guard = [](auto handler) { return [handler] { platform::Guarded(handler); }; };
    PageControl1->OnChange = [this] { PageControl1Change(); };
    connect(TBBuscaRapida, &QLineEdit::textChanged, this, guard([this] { TBBuscaRapidaChange(); }));
    connect(DRBuscaRapida, &QLineEdit::textChanged, this, guard([this] { DRBuscaRapidaChange(); }));
    connect(DZBuscaRapida, &QLineEdit::textChanged, this, guard([this] { DZBuscaRapidaChange(); }));
    connect(TransistoresEquivalentes, &QPushButton::clicked, this, guard([this] { TransistoresEquivalentesClick(); }));
    connect(DiodosREquivalentes, &QPushButton::clicked, this, guard([this] { DiodosREquivalentesClick(); }));
    connect(DiodosZEquivalentes, &QPushButton::clicked, this, guard([this] { DiodosZEquivalentesClick(); }));
}

TFormulario::~TFormulario() {
    // FormDestroy: out of the clipboard watch.
    Editor->LeaveClipboardChain();
    if (module_) module_->SetWindow(nullptr);
}

// Entering "Technical texts" focuses the editor and refreshes its mark.
void TFormulario::PageControl1Change() {
    if (PageControl1->currentWidget() == TabSheet1_6) Editor->EnterTab();
}

void TFormulario::SetDataModule(TModuloDeDados* module) {
    if (module_) module_->SetWindow(nullptr);
    module_ = module;
    if (module_) module_->SetWindow(this);
    ConnectData();
}

// Grids, labels and memos of the data sheets onto the device tables (the
// original) and the equivalents queries.
void TFormulario::ConnectData() {
    for (Device d : {Device::Transistores, Device::DiodosR, Device::DiodosZ}) {
        DevicePanel& p = Panel(d);
        p.Table = module_ ? &module_->Table(d) : nullptr;
        p.Query = module_ ? &module_->Query(d) : nullptr;
        for (auto* g : p.OriginalGrids) g->SetDataSet(p.Table);
        for (auto* g : p.EquivalentGrids) g->SetDataSet(p.Query);
        for (QWidget* w : p.Bound) {
            platform::TDataSet* ds = w->property("original").toBool() ? static_cast<platform::TDataSet*>(p.Table)
                                                                       : p.Query;
            if (auto* label = qobject_cast<platform::TDBText*>(w)) label->SetDataSet(ds);
            if (auto* memo = qobject_cast<platform::TDBMemo*>(w)) memo->SetDataSet(ds);
        }
    }
    RepairPage->Attach(module_);
    CrossReferencePage->Attach(module_);
}

void TFormulario::BuildMenu() {
    QMenuBar* bar = menuBar();
    Opcoes1 = bar->addMenu("&Options");
    Opcoes1->setObjectName("Opcoes1");
    Opcoes1->setEnabled(false);  // the first show enables it
    auto item = [this](QMenu* menu, const char* name, const char* caption, QKeySequence key,
                       void (TFormulario::*handler)(), QStyle::StandardPixmap icon) {
        QAction* a = menu->addAction(style()->standardIcon(icon), caption);
        a->setObjectName(name);
        if (!key.isEmpty()) a->setShortcut(key);
        connect(a, &QAction::triggered, this, [this, handler] { platform::Guarded([&] { (this->*handler)(); }); });
        return a;
    };
    Legenda1 = item(Opcoes1, "Legenda1", "&Legend", QKeySequence(Qt::Key_F2), &TFormulario::Legenda1Click,
                   QStyle::SP_FileDialogInfoView);
    Opcoes1->addSeparator();
    FazerBackupdosBancosdeDados1 = item(Opcoes1, "FazerBackupdosBancosdeDados1", "&Make databases backup",
                                        QKeySequence(Qt::Key_F4), &TFormulario::FazerBackupdosBancosdeDados1Click,
                                        QStyle::SP_DialogSaveButton);
    RecuperarBackupdosBancosdeDados1 =
        item(Opcoes1, "RecuperarBackupdosBancosdeDados1", "&Recover databases backup", QKeySequence(Qt::Key_F5),
             &TFormulario::RecuperarBackupdosBancosdeDados1Click, QStyle::SP_DialogOpenButton);
    Opcoes1->addSeparator();
    Verificaratualizacoes1 = item(Opcoes1, "Verificaratualizacoes1", "&Verify updates", QKeySequence(Qt::Key_F3),
                                  &TFormulario::Verificaratualizacoes1Click, QStyle::SP_BrowserReload);
    Opcoes1->addSeparator();
    Encerrar1 = item(Opcoes1, "Encerrar1", "&Exit", QKeySequence(Qt::ALT | Qt::Key_F4), &TFormulario::Encerrar1Click,
                     QStyle::SP_DialogCloseButton);

    Ajuda1 = bar->addMenu("&Help");
    Ajuda1->setObjectName("Ajuda1");
    Conteudo1 = item(Ajuda1, "Conteudo1", "&Contents", QKeySequence(Qt::Key_F1), &TFormulario::Conteudo1Click,
                     QStyle::SP_DialogHelpButton);
    Ajuda1->addSeparator();
    Sobre1 = item(Ajuda1, "Sobre1", "&About...", QKeySequence(), &TFormulario::Sobre1Click,
                  QStyle::SP_MessageBoxInformation);
}

void TFormulario::showEvent(QShowEvent* e) {
    QMainWindow::showEvent(e);
    if (e->spontaneous() || shown_) return;
    shown_ = true;
    platform::Guarded([this] { FormShow(); });
}

void TFormulario::FormShow() {
    if (!StartingFlag) return;
    TabChangeAllowed = true;
    Opcoes1->setEnabled(true);
    QApplication::processEvents();
    InicializaFormulario();
}

void TFormulario::closeEvent(QCloseEvent* e) {
    // Unsaved notes, then unsaved repair fields, are asked about first;
    // Cancel (or a save that did not complete) keeps the window open.
    bool mayClose = false;
    platform::Guarded([&] { mayClose = Editor->AskToSave() && RepairPage->AskToSave(); });
    if (!mayClose) {
        e->ignore();
        return;
    }
    platform::Guarded([this] { FormClose(); });
    setAttribute(Qt::WA_DeleteOnClose);
    e->accept();
}

void TFormulario::Conteudo1Click() {
    platform::ShellExecute({"", "visao_geral.html",
                            platform::ResolveCase(BaseDirectory, "Help").string(), platform::ShowMode::Maximized});
}

void TFormulario::Sobre1Click() { PageControl1->setCurrentWidget(TabSheet1_1); }

void TFormulario::Encerrar1Click() { close(); }

void TFormulario::Legenda1Click() {
    delete LegendDialog.data();
    LegendDialog = new TCaixaLegenda(BaseDirectory, this);
    LegendDialog->exec();
}

// Backup and restore reopen the repair table on its first record: unsaved
// repair fields are asked about first.
void TFormulario::FazerBackupdosBancosdeDados1Click() {
    if (module_ && RepairPage->AskToSave()) BackupGeral(*module_);
}
void TFormulario::RecuperarBackupdosBancosdeDados1Click() {
    if (module_ && RepairPage->AskToSave()) ShowBackupDialog(*module_, this);
}

void TFormulario::Verificaratualizacoes1Click() {
    ShowUpdateDialog(this, VersaoS->text().toStdString(), VersaoBD->text().toStdString(), BaseDirectory);
}

DevicePanel& TFormulario::Panel(Device device) {
    switch (device) {
        case Device::Transistores: return transistors_;
        case Device::DiodosR: return rectifiers_;
        case Device::DiodosZ: break;
    }
    return zeners_;
}

}  // namespace vorel
