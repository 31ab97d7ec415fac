// The tabs whose features are built on their own: IC's, Other devices,
// Repair database, Technical texts and Cross-reference. Here they get their
// captions, sub-tabs and the controls the start-up already touches.
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QStatusBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/calc/CapacitorsTab.h"
#include "app/calc/ResistorsTab.h"
#include "app/editor/TextEditor.h"
#include "app/icsearch/ICTab.h"
#include "app/repair/RepairTab.h"
#include "app/xref/CrossReferenceTab.h"
#include "app/ui/TFormulario.h"
#include "platform/qt/qtglue/Controls.h"
#include "platform/qt/dbcontrols/Image.h"
#include "platform/qt/qtglue/PageControl.h"
#include "platform/core/runtime/Exception.h"

namespace vorel {

using platform::Named;
using platform::ScrolledContent;

void TFormulario::BuildICTab() {
    TabSheet6 = Named(new QWidget, "TabSheet6");
    PageControl1->addTab(TabSheet6, "IC's");
    auto* v = new QVBoxLayout(TabSheet6);
    v->setContentsMargins(0, 0, 0, 0);
    auto icTable = [this]() -> platform::TDataSet& {
        if (!module_) throw platform::Exception("The tables are not open");
        return module_->TabelaIntegrados;
    };
    v->addWidget(Named(new ICTab(icTable, BaseDirectory), "ICTab"));
}

void TFormulario::BuildOtherDevicesTab() {
    TabSheet1_4 = Named(new QWidget, "TabSheet1_4");
    PageControl1->addTab(TabSheet1_4, "Other devices");
    auto* v = new QVBoxLayout(ScrolledContent(TabSheet1_4));
    v->setContentsMargins(4, 4, 4, 4);
    auto* sub = new QTabWidget;
    Resistors = new ResistorsTab;
    Capacitors = new CapacitorsTab;
    sub->addTab(Resistors, "Resistors");
    sub->addTab(Capacitors, "Polyester capacitors");
    v->addWidget(sub);
    ImagemResistor = Resistors->ImagemResistor;
    ImagemCapacitor = Capacitors->ImagemCapacitor;
}

void TFormulario::BuildRepairTab() {
    TabSheet1_5 = Named(new QWidget, "TabSheet1_5");
    PageControl1->addTab(TabSheet1_5, "Repair database");
    auto* v = new QVBoxLayout(TabSheet1_5);
    v->setContentsMargins(0, 0, 0, 0);
    RepairPage = Named(new RepairTab({&StartingFlag, &QuickSearchEnabledBDR, &RepairFieldsUnchanged}), "RepairTab");
    v->addWidget(RepairPage);
}

void TFormulario::BuildTextsTab() {
    TabSheet1_6 = Named(new QWidget, "TabSheet1_6");
    PageControl1->addTab(TabSheet1_6, "Technical texts");
    auto* v = new QVBoxLayout(TabSheet1_6);
    v->setContentsMargins(0, 0, 0, 0);
    Editor = new TextEditor(NotesUnchanged, NotesFileName, OpenDialogStartDir, [this] { return StartingFlag; });
    v->addWidget(Editor);
    StatusBar = Editor->StatusBar;
    StatusPanels = Editor->StatusPanels;
}

void TFormulario::BuildCrossReferenceTab() {
    TabSheet8 = Named(new QWidget, "TabSheet8");
    PageControl1->addTab(TabSheet8, "Cross-reference");
    auto* v = new QVBoxLayout(TabSheet8);
    v->setContentsMargins(0, 0, 0, 0);
    CrossReferencePage = Named(new CrossReferenceTab, "CrossReferenceTab");
    PageControl10 = CrossReferencePage->PageControl10;
    v->addWidget(CrossReferencePage);
}

}  // namespace vorel
