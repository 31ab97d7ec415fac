#include "app/repair/AbaReparos.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/data/EscritaConcorrente.h"
#include "app/data/ModuloDeDados.h"
#include "platform/qtglue/Controls.h"
#include "platform/runtime/Text.h"
#include "platform/dbcontrols/DBGrid.h"
#include "platform/qtglue/CaseEdit.h"
#include "platform/qtglue/Guard.h"
#include "platform/qtglue/Messenger.h"
#include "platform/runtime/Exception.h"

namespace vorel {

namespace {
using platform::Named;

const char* const kAlteradoPorOutro = "The record was changed by another user.";

QString Q(const std::string& s) { return QString::fromStdString(s); }
std::string S(const QString& s) { return s.toStdString(); }
}  // namespace

AbaReparos::AbaReparos(EstadoReparos estado, QWidget* parent) : QWidget(parent), estado_(estado) {
    Construir();
    LigaEventos();
}

void AbaReparos::Construir() {
    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(8, 8, 8, 8);

    auto* barra = new QHBoxLayout;
    barra->addWidget(new QLabel("Quick search:"));
    BDRBuscaRapida = Named(new platform::TCaseEdit(platform::CharCase::Lower), "BDRBuscaRapida");
    BDRBuscaRapida->setMaxLength(15);
    BDRBuscaRapida->setMinimumWidth(140);
    barra->addWidget(BDRBuscaRapida);
    barra->addStretch(1);
    GravaBDR = platform::ToolButton(this, "GravaBDR", "Save changes", QStyle::SP_DialogSaveButton);
    LimpaBDR = platform::ToolButton(this, "LimpaBDR", "Clear edition fields", QStyle::SP_LineEditClearButton);
    ApagaBDR = platform::ToolButton(this, "ApagaBDR", "Delete", QStyle::SP_TrashIcon);
    barra->addWidget(GravaBDR);
    barra->addWidget(LimpaBDR);
    barra->addWidget(ApagaBDR);
    v->addLayout(barra);

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

void AbaReparos::LigaEventos() {
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

void AbaReparos::Liga(TModuloDeDados* modulo) {
    if (modulo_) modulo_->TabelaBDR.BeforeScroll = nullptr;
    modulo_ = modulo;
    DBGridBDR1->SetDataSet(modulo ? &modulo->TabelaBDR : nullptr);
    if (modulo) modulo->TabelaBDR.BeforeScroll = [this](platform::TDataSet&) { return PodeSair(); };
}

TModuloDeDados& AbaReparos::Modulo() {
    if (!modulo_) throw platform::Exception("The tables are not open");
    return *modulo_;
}

platform::TTable& AbaReparos::Reparos() { return Modulo().TabelaBDR; }

// The current record into the fields (all empty when there is none).
void AbaReparos::CopiaRegistro() {
    platform::TTable& t = Reparos();
    const bool tem = t.Active() && !t.IsEmpty();
    auto texto = [&](const char* field) { return tem ? Q(t.FieldByName(field).AsString()) : QString(); };
    BDRFabricante->setText(texto("Fabricante"));
    BDREquipamento->setText(texto("Equipamento"));
    BDRModelo->setText(texto("Modelo"));
    BDRDefeito->setText(texto("Defeito"));
    BDRDescricao->setPlainText(tem ? QString::fromStdString(t.FieldByName("Descricao").AsBytes()) : QString());
}

// Writes into the quick-search box without starting a search.
void AbaReparos::EscreveBusca(const std::string& text) {
    *estado_.BuscaRapida = false;
    BDRBuscaRapida->setText(Q(text));
    *estado_.BuscaRapida = true;
}

void AbaReparos::BDRFabricanteChange() {
    if (!*estado_.Iniciando) *estado_.Inalterado = false;
}

void AbaReparos::ExibeRegistroBDR() {
    if (*estado_.Iniciando || !modulo_ || !Reparos().Active()) return;
    MostraRegistroAtual();
}

void AbaReparos::CopiaRegistroAtual() {
    CopiaRegistro();
    CopiaFabricante();
}

void AbaReparos::CopiaFabricante() {
    platform::TTable& t = Reparos();
    BDRBuscaRapida->setText(t.IsEmpty() ? QString() : Q(t.FieldByName("Fabricante").AsString()));
}

void AbaReparos::BDRBuscaRapidaChange() {
    if (!*estado_.BuscaRapida) return;
    const std::string digitado = S(BDRBuscaRapida->text());
    if (!PerguntaSalvar()) return;
    EscreveBusca(digitado);  // a save showed its company there
    platform::TTable& t = Reparos();
    t.SetKey();
    t.FindNearest({platform::TrimControls(digitado)});
    CopiaRegistro();
    *estado_.Inalterado = true;
}

void AbaReparos::DBGridBDR1CellClick() {
    platform::TTable& t = Reparos();
    if (t.RecordCount() != 1) return;
    t.First();
    CopiaRegistro();
}

bool AbaReparos::PerguntaSalvar() {
    if (*estado_.Inalterado) return true;
    const int r = platform::ShowMessage("Changes were made. Do you want to save them?", platform::MsgIcon::Question,
                                        platform::mbYesNoCancel);
    if (r == platform::mrYes) return Grava();
    if (r == platform::mrNo) *estado_.Inalterado = true;
    return *estado_.Inalterado;
}

bool AbaReparos::PodeSair() {
    if (*estado_.Inalterado) return true;
    platform::TTable& t = Reparos();
    std::vector<std::string> deixado;  // the key of the record being left
    if (!t.IsEmpty())
        for (const char* f : {"Fabricante", "Equipamento", "Modelo", "Defeito"}) deixado.push_back(t.FieldByName(f).AsString());
    if (!PerguntaSalvar()) return false;
    // A save stands the table on the saved record: the move goes on from the one it left.
    if (!deixado.empty()) t.FindKey(deixado);
    return true;
}

void AbaReparos::MostraRegistroAtual() {
    CopiaRegistro();
    EscreveBusca(Reparos().IsEmpty() ? std::string() : Reparos().FieldByName("Fabricante").AsString());
    *estado_.Inalterado = true;
}

void AbaReparos::Limpa() {
    if (!PerguntaSalvar()) return;
    for (QLineEdit* e : {BDRFabricante, BDREquipamento, BDRModelo, BDRDefeito}) e->clear();
    BDRDescricao->clear();
    *estado_.Inalterado = true;
}

bool AbaReparos::Grava() {
    const std::string fabricante = platform::TrimControls(S(BDRFabricante->text())), equipamento = platform::TrimControls(S(BDREquipamento->text())),
                      modelo = platform::TrimControls(S(BDRModelo->text())), defeito = platform::TrimControls(S(BDRDefeito->text()));
    if (fabricante.empty() || equipamento.empty() || modelo.empty() || defeito.empty()) {
        platform::ShowMessage("The fields Company, Equipment, Model and Problem must be filled.",
                              platform::MsgIcon::Information);
        return false;
    }
    const std::string descricao = S(BDRDescricao->toPlainText());
    platform::TTable& t = Reparos();
    t.SetKey();
    if (t.FindKey({fabricante, equipamento, modelo, defeito})) {
        if (platform::ShowMessage("This record already exists. Overwrite it?", platform::MsgIcon::Question,
                                  platform::mbYesNo) != platform::mrYes)
            return false;
        t.Edit();
    } else {
        t.Append();
        t.FieldByName("Fabricante").SetAsString(fabricante);
        t.FieldByName("Equipamento").SetAsString(equipamento);
        t.FieldByName("Modelo").SetAsString(modelo);
        t.FieldByName("Defeito").SetAsString(defeito);
    }
    try {
        t.FieldByName("Descricao").SetAsBytes(descricao);
        if (!EscreveSeInalterado([&] { t.Post(); }, kAlteradoPorOutro)) {
            MostraRegistroAtual();
            return false;
        }
    } catch (...) {
        t.Cancel();
        throw;
    }
    // The saved record is current: the fields and the box show it as stored.
    CopiaRegistro();
    EscreveBusca(t.FieldByName("Fabricante").AsString());
    *estado_.Inalterado = true;
    return true;
}

void AbaReparos::Apaga() {
    if (!PerguntaSalvar()) return;
    platform::TTable& t = Reparos();
    if (!t.Active() || t.IsEmpty()) {
        platform::ShowMessage("Select the record to be deleted.", platform::MsgIcon::Information);
        return;
    }
    const std::string registro = t.FieldByName("Fabricante").AsString() + ", " +
                                 t.FieldByName("Equipamento").AsString() + ", " + t.FieldByName("Modelo").AsString() +
                                 ", " + t.FieldByName("Defeito").AsString();
    if (platform::ShowMessage("Do you want to delete the record [" + registro + "]?", platform::MsgIcon::Question,
                              platform::mbYesNo) != platform::mrYes)
        return;
    // The after-scroll shows the record now current.
    if (!EscreveSeInalterado([&] { t.Delete(); }, kAlteradoPorOutro) || t.IsEmpty()) MostraRegistroAtual();
}

}  // namespace vorel
