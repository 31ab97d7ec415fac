// Quick search and equivalents search for transistors, rectifier and zener
// diodes, and the window side of the devices' after-scroll handlers.
#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>

#include "app/ui/TFormulario.h"
#include "platform/core/runtime/ScopeExit.h"
#include "platform/core/runtime/Text.h"
#include "platform/qt/dbcontrols/Image.h"
#include "platform/qt/qtglue/CaseEdit.h"
#include "platform/qt/qtglue/Messenger.h"
#include "platform/tables/Query.h"
#include "platform/tables/Table.h"

namespace vorel {

namespace {

void WriteBox(platform::TCaseEdit& box, bool& flag, const std::string& text) {
    // The box's quick-search flag is off for a programmatic write, and on again whatever happens.
    flag = false;
    platform::ScopeExit on([&] { flag = true; });
    box.setText(QString::fromStdString(text));
}

// The criteria as the window and the original record answer them.
class PanelInput : public CriteriaInput {
public:
    PanelInput(const DevicePanel& panel, platform::TTable& original) : panel_(panel), original_(original) {}
    bool Checked(const Criterion& c) const override { return panel_.Checks.at(c.number - 1)->isChecked(); }
    std::string PercentText(const Criterion& c) const override {
        const QComboBox* combo = panel_.Combos.at(c.number - 1);
        return combo ? combo->currentText().toStdString() : std::string();
    }
    double Number(const std::string& field) const override { return original_.FieldByName(field).AsFloat(); }
    bool Missing(const std::string& field) const override { return original_.FieldByName(field).IsNull(); }
    std::string Text(const std::string& field) const override { return original_.FieldByName(field).AsString(); }

private:
    const DevicePanel& panel_;
    platform::TTable& original_;
};

}  // namespace

void TFormulario::TBBuscaRapidaChange() { QuickSearch(Device::Transistores); }
void TFormulario::DRBuscaRapidaChange() { QuickSearch(Device::DiodosR); }
void TFormulario::DZBuscaRapidaChange() { QuickSearch(Device::DiodosZ); }

void TFormulario::QuickSearch(Device device) {
    DevicePanel& p = Panel(device);
    if (!*p.QuickSearchEnabled || !module_) return;
    platform::TTable& table = *p.Table;
    table.SetKey();
    table.FindNearest({platform::TrimControls(p.QuickSearchBox->text().toStdString())});
    module_->ExibeImagem(platform::TrimControls(table.FieldByName("Encapsulamento").AsString()), *p.Picture1);
    p.Picture2->Clear();
    p.Query->Close();
}

void TFormulario::TransistoresEquivalentesClick() { PesquisaTransistoresEquivalentes(); }
void TFormulario::DiodosREquivalentesClick() { PesquisaDiodosREquivalentes(); }
void TFormulario::DiodosZEquivalentesClick() { PesquisaDiodosZEquivalentes(); }
void TFormulario::PesquisaTransistoresEquivalentes() { EquivalentsSearch(Device::Transistores); }
void TFormulario::PesquisaDiodosREquivalentes() { EquivalentsSearch(Device::DiodosR); }
void TFormulario::PesquisaDiodosZEquivalentes() { EquivalentsSearch(Device::DiodosZ); }

void TFormulario::EquivalentsSearch(Device device) {
    DevicePanel& p = Panel(device);
    if (!module_) return;
    platform::TTable& original = *p.Table;
    if (!StartingFlag)
        WriteBox(*p.QuickSearchBox, *p.QuickSearchEnabled, original.FieldByName("Identificacao").AsString());
    const DeviceCriteria& criteria = CriteriaOf(device);
    const std::string sql = BuildEquivalentsSql(criteria, PanelInput(p, original));
    if (sql == criteria.prefix) {
        // Ticked boxes whose figures the original lacks are a different reason from no box ticked.
        bool ticked = false;
        for (QCheckBox* box : p.Checks) ticked = ticked || box->isChecked();
        platform::ShowMessage(ticked ? "The device has no figures to compare in the selected types of search."
                                     : "At least one type of search must be selected.",
                              platform::MsgIcon::Information);
        return;
    }
    // The grids follow the query through their data links.
    platform::TQuery& query = *p.Query;
    query.Close();
    query.SQL.clear();
    query.SQL.push_back(sql);
    query.Open();
}

void TFormulario::EnableQuickSearch(Device device, bool enabled) { *Panel(device).QuickSearchEnabled = enabled; }

void TFormulario::WriteQuickSearch(Device device, const std::string& text) {
    Panel(device).QuickSearchBox->setText(QString::fromStdString(text));
}

platform::TImage& TFormulario::OriginalPicture(Device device) { return *Panel(device).Picture1; }
platform::TImage& TFormulario::EquivalentPicture(Device device) { return *Panel(device).Picture2; }

}  // namespace vorel
