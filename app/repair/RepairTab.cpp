#include "app/repair/RepairTab.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/data/ConcurrentWrite.h"
#include "app/data/TModuloDeDados.h"
#include "platform/qt/qtglue/Controls.h"
#include "platform/core/runtime/Text.h"
#include "platform/qt/dbcontrols/DBGrid.h"
#include "platform/qt/qtglue/CaseEdit.h"
#include "platform/qt/qtglue/Guard.h"
#include "platform/qt/qtglue/Messenger.h"
#include "platform/core/runtime/Exception.h"

namespace vorel {

namespace {
using platform::Named;

const char* const kChangedByAnother = "The record was changed by another user.";

QString Q(const std::string& s) { return QString::fromStdString(s); }
std::string S(const QString& s) { return s.toStdString(); }
}  // namespace

RepairTab::RepairTab(RepairTabState state, QWidget* parent) : QWidget(parent), state_(state) {
    Build();
    ConnectEvents();
}

void RepairTab::Build() {
    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(8, 8, 8, 8);

    auto* bar = new QHBoxLayout;
    bar->addWidget(new QLabel("Quick search:"));
    BDRBuscaRapida = Named(new platform::TCaseEdit(platform::CharCase::Lower), "BDRBuscaRapida");
    BDRBuscaRapida->setMaxLength(15);
    BDRBuscaRapida->setMinimumWidth(140);
    bar->addWidget(BDRBuscaRapida);
    bar->addStretch(1);
    GravaBDR = platform::ToolButton(this, "GravaBDR", "Save changes", QStyle::SP_DialogSaveButton);
    LimpaBDR = platform::ToolButton(this, "LimpaBDR", "Clear edition fields", QStyle::SP_LineEditClearButton);
    ApagaBDR = platform::ToolButton(this, "ApagaBDR", "Delete", QStyle::SP_TrashIcon);
    bar->addWidget(GravaBDR);
    bar->addWidget(LimpaBDR);
    bar->addWidget(ApagaBDR);
    v->addLayout(bar);

    DBGridBDR1 = Named(new platform::TDBGrid, "DBGridBDR1");
    DBGridBDR1->SetColumns({{"Fabricante", "Company"}, {"Equipamento", "Equipment"}, {"Modelo", "Model"},
                            {"Defeito", "Problem"}});
    v->addWidget(DBGridBDR1, 3);

    auto* g = new QGridLayout;
    auto edit = [](const char* name, int width) {
        auto* e = Named(new QLineEdit, name);
        e->setMaxLength(width);
        return e;
    };
    BDRFabricante = edit("BDRFabricante", 15);
    BDREquipamento = edit("BDREquipamento", 15);
    BDRModelo = edit("BDRModelo", 15);
    BDRDefeito = edit("BDRDefeito", 60);
    BDRDescricao = Named(new QPlainTextEdit, "BDRDescricao");
    BDRDescricao->setTabChangesFocus(true);
    g->addWidget(new QLabel("Company:"), 0, 0);
    g->addWidget(BDRFabricante, 0, 1);
    g->addWidget(new QLabel("Equipment:"), 0, 2);
    g->addWidget(BDREquipamento, 0, 3);
    g->addWidget(new QLabel("Model:"), 0, 4);
    g->addWidget(BDRModelo, 0, 5);
    g->addWidget(new QLabel("Problem:"), 1, 0);
    g->addWidget(BDRDefeito, 1, 1, 1, 5);
    g->addWidget(new QLabel("Solução:"), 2, 0, Qt::AlignTop);
    g->addWidget(BDRDescricao, 2, 1, 1, 5);
    for (int c : {1, 3, 5}) g->setColumnStretch(c, 1);
    g->setRowStretch(2, 1);
    v->addLayout(g, 2);
}

void RepairTab::ConnectEvents() {
    auto guard = [](auto handler) { return [handler] { platform::Guarded(handler); }; };
    for (QLineEdit* e : {BDRFabricante, BDREquipamento, BDRModelo, BDRDefeito})
        connect(e, &QLineEdit::textChanged, this, guard([this] { BDRFabricanteChange(); }));
    connect(BDRDescricao, &QPlainTextEdit::textChanged, this, guard([this] { BDRFabricanteChange(); }));
    connect(BDRBuscaRapida, &QLineEdit::textChanged, this, guard([this] { BDRBuscaRapidaChange(); }));
    connect(GravaBDR, &QToolButton::clicked, this, guard([this] { GravaBDRClick(); }));
    connect(LimpaBDR, &QToolButton::clicked, this, guard([this] { LimpaBDRClick(); }));
    connect(ApagaBDR, &QToolButton::clicked, this, guard([this] { ApagaBDRClick(); }));
    DBGridBDR1->OnCellClick = [this] { platform::Guarded([this] { DBGridBDR1CellClick(); }); };
}

void RepairTab::Attach(TModuloDeDados* module) {
    if (module_) module_->TabelaBDR.BeforeScroll = nullptr;
    module_ = module;
    DBGridBDR1->SetDataSet(module ? &module->TabelaBDR : nullptr);
    if (module) module->TabelaBDR.BeforeScroll = [this](platform::TDataSet&) { return MayLeave(); };
}

TModuloDeDados& RepairTab::Module() {
    if (!module_) throw platform::Exception("The tables are not open");
    return *module_;
}

platform::TTable& RepairTab::Reparos() { return Module().TabelaBDR; }

std::optional<std::vector<std::string>> RepairTab::CurrentTexts() {
    platform::TTable& t = Reparos();
    if (!t.Active() || t.IsEmpty()) return std::nullopt;
    return std::vector<std::string>{t.FieldByName("Fabricante").AsString(), t.FieldByName("Equipamento").AsString(),
                                    t.FieldByName("Modelo").AsString(), t.FieldByName("Defeito").AsString(),
                                    t.FieldByName("Descricao").AsBytes()};
}

// The current record into the fields (all empty when there is none).
void RepairTab::CopyRecord() {
    platform::TTable& t = Reparos();
    const bool has = t.Active() && !t.IsEmpty();
    shown_ = CurrentTexts();
    auto fieldText = [&](const char* field) { return has ? Q(t.FieldByName(field).AsString()) : QString(); };
    BDRFabricante->setText(fieldText("Fabricante"));
    BDREquipamento->setText(fieldText("Equipamento"));
    BDRModelo->setText(fieldText("Modelo"));
    BDRDefeito->setText(fieldText("Defeito"));
    BDRDescricao->setPlainText(has ? QString::fromStdString(t.FieldByName("Descricao").AsBytes()) : QString());
}

// Writes into the quick-search box without starting a search.
void RepairTab::WriteSearch(const std::string& text) {
    *state_.QuickSearchEnabled = false;
    BDRBuscaRapida->setText(Q(text));
    *state_.QuickSearchEnabled = true;
}

void RepairTab::BDRFabricanteChange() {
    if (!*state_.Starting) *state_.Unchanged = false;
}

void RepairTab::ExibeRegistroBDR() {
    if (*state_.Starting || !module_ || !Reparos().Active()) return;
    ShowCurrentRecord();
}

void RepairTab::CopyCurrentRecord() {
    CopyRecord();
    CopyCompany();
}

void RepairTab::CopyCompany() {
    platform::TTable& t = Reparos();
    BDRBuscaRapida->setText(t.IsEmpty() ? QString() : Q(t.FieldByName("Fabricante").AsString()));
}

void RepairTab::BDRBuscaRapidaChange() {
    if (!*state_.QuickSearchEnabled) return;
    const std::string typed = S(BDRBuscaRapida->text());
    if (!AskToSave()) return;
    WriteSearch(typed);  // a save showed its company there
    platform::TTable& t = Reparos();
    t.SetKey();
    t.FindNearest({platform::TrimControls(typed)});
    CopyRecord();
    *state_.Unchanged = true;
}

void RepairTab::DBGridBDR1CellClick() {
    platform::TTable& t = Reparos();
    if (t.RecordCount() != 1) return;
    t.First();
    CopyRecord();
}

bool RepairTab::AskToSave() {
    if (*state_.Unchanged) return true;
    const int r = platform::ShowMessage("Changes were made. Do you want to save them?", platform::MsgIcon::Question,
                                        platform::mbYesNoCancel);
    if (r == platform::mrYes) return SaveRecord();
    if (r == platform::mrNo) *state_.Unchanged = true;
    return *state_.Unchanged;
}

bool RepairTab::MayLeave() {
    if (*state_.Unchanged) return true;
    platform::TTable& t = Reparos();
    std::vector<std::string> leftKey;  // the key of the record being left
    if (!t.IsEmpty())
        for (const char* f : {"Fabricante", "Equipamento", "Modelo", "Defeito"}) leftKey.push_back(t.FieldByName(f).AsString());
    if (!AskToSave()) return false;
    // A save stands the table on the saved record: the move goes on from the one it left.
    if (!leftKey.empty()) t.FindKey(leftKey);
    return true;
}

void RepairTab::ShowCurrentRecord() {
    CopyRecord();
    WriteSearch(Reparos().IsEmpty() ? std::string() : Reparos().FieldByName("Fabricante").AsString());
    *state_.Unchanged = true;
}

void RepairTab::ClearFields() {
    if (!AskToSave()) return;
    for (QLineEdit* e : {BDRFabricante, BDREquipamento, BDRModelo, BDRDefeito}) e->clear();
    BDRDescricao->clear();
    shown_.reset();
    *state_.Unchanged = true;
}

bool RepairTab::RefuseOvertakenSave(std::optional<std::vector<std::string>> storedNow) {
    platform::ShowMessage(kChangedByAnother, platform::MsgIcon::Information);
    // The user now knows: the next Save writes over what is stored now.
    shown_ = std::move(storedNow);
    return false;
}

bool RepairTab::SaveRecord() {
    const std::string company = platform::TrimControls(S(BDRFabricante->text())), equipment = platform::TrimControls(S(BDREquipamento->text())),
                      model = platform::TrimControls(S(BDRModelo->text())), defect = platform::TrimControls(S(BDRDefeito->text()));
    if (company.empty() || equipment.empty() || model.empty() || defect.empty()) {
        platform::ShowMessage("The fields Company, Equipment, Model and Problem must be filled.",
                              platform::MsgIcon::Information);
        return false;
    }
    const std::string description = S(BDRDescricao->toPlainText());
    const std::vector<std::string> key{company, equipment, model, defect};
    platform::TTable& t = Reparos();
    t.SetKey();
    const bool found = t.FindKey(key);
    const auto storedNow = found ? CurrentTexts() : std::nullopt;
    // What the user worked from: the record the fields were filled from
    // when the key is its key (the table matches keys ignoring case), else
    // what the lookup just found.
    bool fromShown = shown_.has_value();
    for (size_t i = 0; fromShown && i < key.size(); ++i)
        fromShown = platform::AsciiLower((*shown_)[i]) == platform::AsciiLower(key[i]);
    const auto expected = fromShown ? shown_ : storedNow;
    if (storedNow != expected) return RefuseOvertakenSave(storedNow);
    if (found && platform::ShowMessage("This record already exists. Overwrite it?", platform::MsgIcon::Question,
                                       platform::mbYesNo) != platform::mrYes)
        return false;
    {
        // The check and the write under one write lock: nobody writes in between.
        platform::TTableTransaction writing(t);
        t.SetKey();
        const bool there = t.FindKey(key);
        const auto stored = there ? CurrentTexts() : std::nullopt;
        if (stored != expected) return RefuseOvertakenSave(stored);
        if (there) {
            t.Edit();
        } else {
            t.Append();
            t.FieldByName("Fabricante").SetAsString(company);
            t.FieldByName("Equipamento").SetAsString(equipment);
            t.FieldByName("Modelo").SetAsString(model);
            t.FieldByName("Defeito").SetAsString(defect);
        }
        t.FieldByName("Descricao").SetAsBytes(description);
        t.Post();
        writing.Commit();
    }
    // The saved record is current: the fields and the box show it as stored.
    CopyRecord();
    WriteSearch(t.FieldByName("Fabricante").AsString());
    *state_.Unchanged = true;
    return true;
}

void RepairTab::DeleteRecord() {
    if (!AskToSave()) return;
    platform::TTable& t = Reparos();
    if (!t.Active() || t.IsEmpty()) {
        platform::ShowMessage("Select the record to be deleted.", platform::MsgIcon::Information);
        return;
    }
    const std::string record = t.FieldByName("Fabricante").AsString() + ", " +
                                 t.FieldByName("Equipamento").AsString() + ", " + t.FieldByName("Modelo").AsString() +
                                 ", " + t.FieldByName("Defeito").AsString();
    if (platform::ShowMessage("Do you want to delete the record [" + record + "]?", platform::MsgIcon::Question,
                              platform::mbYesNo) != platform::mrYes)
        return;
    // The after-scroll shows the record now current.
    if (!WriteIfUnchanged([&] { t.Delete(); }, kChangedByAnother) || t.IsEmpty()) ShowCurrentRecord();
}

}  // namespace vorel
