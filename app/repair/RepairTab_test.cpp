#include "app/repair/RepairTab.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <fstream>
#include <sstream>

#include "platform/dbcontrols/DBGrid.h"
#include "platform/dbcontrols/Image.h"
#include "platform/qtglue/CaseEdit.h"
#include "platform/qtglue/Messenger.h"
#include "testkit/app/TestData.h"
#include "testkit/support/InterruptingMessenger.h"

using namespace vorel;
using platform::MsgIcon;
using vorel::testing::DadosDeTeste;

namespace {

std::string Bytes(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

// The window's side as far as the repair tab is concerned.
struct Janela : LadoJanela {
    RepairTab* aba = nullptr;
    platform::TImage imagem;
    bool iniciando = false;
    bool Iniciando() const override { return iniciando; }
    void HabilitaBuscaRapida(Device, bool) override {}
    void EscreveBuscaRapida(Device, const std::string&) override {}
    platform::TImage& ImagemOriginal(Device) override { return imagem; }
    platform::TImage& ImagemEquivalente(Device) override { return imagem; }
    void ExibeRegistroBDR() override { aba->ExibeRegistroBDR(); }
    void Termina() override {}
};

struct Reparos : ::testing::Test {
    platform::ScriptedMessenger boxes;
    DadosDeTeste dados;
    bool iniciando = false, buscaRapida = true, inalterado = true;
    std::unique_ptr<TModuloDeDados> module;  // outlives the tab's grid
    RepairTab aba{{&iniciando, &buscaRapida, &inalterado}};
    Janela janela;

    void SetUp() override {
        auto add = [&](const char* f, const char* e, const char* m, const char* d, const char* s) {
            dados.Add("Reparos.db",
                      {{"Fabricante", f}, {"Equipamento", e}, {"Modelo", m}, {"Defeito", d}, {"Descricao", s}});
        };
        add("Philips", "TV", "14PT", "No sound", "Replace the TDA7056");
        add("Panasonic", "VCR", "NV-SD20", "Eats tapes", "Clean the pinch roller");
        add("Sony", "TV", "KV-21", "No picture", "Check the flyback\nand the HV");
        janela.aba = &aba;
        module = dados.Modulo();
        module->DefineJanela(&janela);
        aba.Attach(module.get());
        aba.resize(800, 500);
        module->TabelaBDR.First();
    }
    std::vector<std::string> Campos() {
        return {aba.BDRFabricante->text().toStdString(), aba.BDREquipamento->text().toStdString(),
                aba.BDRModelo->text().toStdString(), aba.BDRDefeito->text().toStdString(),
                aba.BDRDescricao->toPlainText().toStdString()};
    }
    void Preenche(const char* f, const char* e, const char* m, const char* d, const char* s) {
        aba.BDRFabricante->setText(f);
        aba.BDREquipamento->setText(e);
        aba.BDRModelo->setText(m);
        aba.BDRDefeito->setText(d);
        aba.BDRDescricao->setPlainText(s);
    }
    std::string Solucao(const char* company) {
        platform::TTable t;
        t.DatabaseName = dados.Data().string();
        t.TableName = "Reparos.db";
        t.Open();
        t.SetKey();
        return t.FindKey({company}) ? t.FieldByName("Descricao").AsString() : "(none)";
    }
};

TEST_F(Reparos, ScrollingCopiesTheRecordAndQuickSearchFindsByCompanyIgnoringCase) {
    // Key order: Panasonic, Philips, Sony.
    EXPECT_EQ(Campos(), (std::vector<std::string>{"Panasonic", "VCR", "NV-SD20", "Eats tapes", "Clean the pinch roller"}));
    EXPECT_EQ(aba.BDRBuscaRapida->text().toStdString(), "Panasonic");  // in the case stored
    EXPECT_TRUE(inalterado);

    // Unsaved changes are asked about before another record replaces them:
    // Cancel keeps the fields and the record, No lets the move go on.
    aba.BDRDefeito->setText("edited");
    EXPECT_FALSE(inalterado);
    boxes.answers = {platform::mrCancel};
    module->TabelaBDR.Last();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "Changes were made. Do you want to save them?");
    EXPECT_EQ(boxes.shown[0].buttons, platform::mbYesNoCancel);
    EXPECT_EQ(Campos()[3], "edited");
    EXPECT_EQ(module->TabelaBDR.FieldByName("Fabricante").AsString(), "Panasonic");
    EXPECT_FALSE(inalterado);
    boxes.answers = {platform::mrNo};
    module->TabelaBDR.Last();
    EXPECT_EQ(Campos()[0], "Sony");
    EXPECT_EQ(Campos()[4], "Check the flyback\nand the HV");
    EXPECT_TRUE(inalterado);
    EXPECT_EQ(Solucao("Panasonic"), "Clean the pinch roller");
    boxes.shown.clear();

    // Typed letters become lower case; the box keeps them; the table finds the company.
    aba.BDRBuscaRapida->clear();
    aba.BDRBuscaRapida->setFocus();
    QTest::keyClicks(aba.BDRBuscaRapida, "PHI");
    EXPECT_EQ(aba.BDRBuscaRapida->text().toStdString(), "phi");
    EXPECT_EQ(module->TabelaBDR.FieldByName("Fabricante").AsString(), "Philips");
    EXPECT_EQ(Campos()[0], "Philips");
    EXPECT_TRUE(inalterado);
    // Past the last company: the last record.
    QTest::keyClicks(aba.BDRBuscaRapida, "zz");
    EXPECT_EQ(aba.BDRBuscaRapida->text().toStdString(), "phizz");
    EXPECT_EQ(Campos()[0], "Sony");

    // Typing in the quick-search box with unsaved fields asks too; Yes saves
    // them, then the search goes on from what was typed.
    aba.BDRDescricao->setPlainText("Check the flyback, the HV and the focus");
    boxes.answers = {platform::mrYes, platform::mrYes};
    aba.BDRBuscaRapida->setText("pan");
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[1].text, "This record already exists. Overwrite it?");
    EXPECT_EQ(Solucao("Sony"), "Check the flyback, the HV and the focus");
    EXPECT_EQ(aba.BDRBuscaRapida->text().toStdString(), "pan");
    EXPECT_EQ(Campos()[0], "Panasonic");
    EXPECT_TRUE(inalterado);
    // Moving with the grid after a Yes: the move starts from the record left.
    module->TabelaBDR.First();
    aba.BDRDescricao->setPlainText("Clean the pinch roller and the heads");
    boxes.answers = {platform::mrYes, platform::mrYes};
    module->TabelaBDR.Next();
    EXPECT_EQ(Solucao("Panasonic"), "Clean the pinch roller and the heads");
    EXPECT_EQ(Campos()[0], "Philips");
    boxes.shown.clear();
    module->TabelaBDR.Last();

    // A one-record table: a click on the grid copies it again.
    aba.BDRFabricante->setText("typed");
    EXPECT_NO_THROW(aba.DBGridBDR1CellClick());  // three records: nothing
    EXPECT_EQ(Campos()[0], "typed");

    // While the window starts, typing in the fields leaves them unchanged.
    iniciando = true;
    aba.BDRModelo->setText("x");
    EXPECT_TRUE(inalterado == false);  // cleared above by "typed", still clear
    inalterado = true;
    aba.BDRModelo->setText("y");
    EXPECT_TRUE(inalterado);
}

TEST_F(Reparos, ClearAsksOnlyWhenChangedAndHonoursEachAnswer) {
    // Unchanged: emptied without a question.
    aba.ClearFields();
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(Campos(), (std::vector<std::string>(5, "")));

    // Cancel keeps the fields.
    module->TabelaBDR.First();
    aba.BDRDescricao->setPlainText("new text");
    boxes.answers = {platform::mrCancel};
    aba.ClearFields();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "Changes were made. Do you want to save them?");
    EXPECT_EQ(boxes.shown[0].buttons, platform::mbYesNoCancel);
    EXPECT_EQ(boxes.shown[0].icon, MsgIcon::Question);
    EXPECT_EQ(Campos()[4], "new text");
    EXPECT_FALSE(inalterado);

    // No empties them and saves nothing.
    boxes.answers = {platform::mrNo};
    aba.ClearFields();
    EXPECT_EQ(Campos(), (std::vector<std::string>(5, "")));
    EXPECT_EQ(Solucao("Panasonic"), "Clean the pinch roller");

    // Yes saves (the record exists: the overwrite question, answered Yes), then empties.
    module->TabelaBDR.First();
    aba.BDRDescricao->setPlainText("Replace the idler");
    boxes.answers = {platform::mrYes, platform::mrYes};
    aba.ClearFields();
    EXPECT_EQ(boxes.shown.size(), 4u);
    EXPECT_EQ(boxes.shown[3].text, "This record already exists. Overwrite it?");
    EXPECT_EQ(Solucao("Panasonic"), "Replace the idler");
    EXPECT_EQ(Campos(), (std::vector<std::string>(5, "")));
    EXPECT_TRUE(inalterado);

    // Yes whose save is refused keeps the fields.
    Preenche("Akai", "", "", "", "half typed");
    boxes.answers = {platform::mrYes};
    aba.ClearFields();
    EXPECT_EQ(boxes.shown.back().text, "The fields Company, Equipment, Model and Problem must be filled.");
    EXPECT_EQ(Campos()[4], "half typed");
    EXPECT_FALSE(inalterado);
}

TEST_F(Reparos, SaveInsertsOrOverwritesAfterTheQuestion) {
    const auto arquivo = dados.Data() / "Reparos.db";
    Preenche("  ", "TV", "X", "Y", "");
    EXPECT_FALSE(aba.SaveRecord());
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].icon, MsgIcon::Information);
    // A blank Problem is refused like any other key field.
    Preenche("Akai", "Deck", "GX-4000", " \t ", "Belt");
    EXPECT_FALSE(aba.SaveRecord());
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[1].text, "The fields Company, Equipment, Model and Problem must be filled.");
    EXPECT_EQ(module->TabelaBDR.RecordCount(), 3);
    boxes.shown.clear();

    // New: appended with trimmed keys; the fields show it as stored and are unchanged.
    Preenche(" Akai ", "Deck", " GX-4000 ", "Drifts", "Belt\nslips");
    EXPECT_TRUE(aba.SaveRecord());
    EXPECT_EQ(module->TabelaBDR.RecordCount(), 4);
    EXPECT_EQ(Campos(), (std::vector<std::string>{"Akai", "Deck", "GX-4000", "Drifts", "Belt\nslips"}));
    EXPECT_EQ(aba.BDRBuscaRapida->text().toStdString(), "Akai");
    EXPECT_TRUE(inalterado);
    EXPECT_EQ(Solucao("Akai"), "Belt\nslips");

    // Existing key typed in another case with blanks: No leaves the file as it was.
    const std::string antes = Bytes(arquivo);
    Preenche("sony ", " tv", "kv-21", "NO PICTURE", "another text");
    boxes.answers = {platform::mrNo};
    EXPECT_FALSE(aba.SaveRecord());
    EXPECT_EQ(boxes.shown.back().text, "This record already exists. Overwrite it?");
    EXPECT_EQ(boxes.shown.back().buttons, platform::mbYesNo);
    EXPECT_EQ(Bytes(arquivo), antes);
    EXPECT_FALSE(inalterado);

    boxes.answers = {platform::mrYes};
    EXPECT_TRUE(aba.SaveRecord());
    EXPECT_EQ(Solucao("Sony"), "another text");
    EXPECT_EQ(module->TabelaBDR.RecordCount(), 4);
    EXPECT_EQ(Campos()[0], "Sony");  // the key as stored

    // Another copy of the program rewrites the record while the question is
    // open: it is not overwritten, the user is told, the fields show it as stored now.
    {
        platform::testing::InterruptingMessenger outro;
        outro.beforeFirstBox = [&] { ASSERT_TRUE(dados.Change("Reparos.db", {"Sony"}, "Descricao", "by the other copy")); };
        Preenche("Sony", "TV", "KV-21", "No picture", "mine");
        outro.answers = {platform::mrYes};
        EXPECT_FALSE(aba.SaveRecord());
        ASSERT_EQ(outro.shown.size(), 2u);
        EXPECT_EQ(outro.shown[1].text, "The record was changed by another user.");
        EXPECT_EQ(Solucao("Sony"), "by the other copy");
        EXPECT_EQ(Campos()[4], "by the other copy");
        EXPECT_TRUE(inalterado);
    }
}

TEST_F(Reparos, DeleteAsksAndShowsTheNextRecord) {
    boxes.answers = {platform::mrNo};
    aba.DeleteRecord();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "Do you want to delete the record [Panasonic, VCR, NV-SD20, Eats tapes]?");
    EXPECT_EQ(module->TabelaBDR.RecordCount(), 3);

    for (int i = 0; i < 3; ++i) {
        boxes.answers = {platform::mrYes};
        aba.DeleteRecord();
        if (i == 0) {
            EXPECT_EQ(Campos()[0], "Philips");
        }
    }
    EXPECT_EQ(module->TabelaBDR.RecordCount(), 0);
    EXPECT_EQ(Campos(), (std::vector<std::string>(5, "")));
    aba.DeleteRecord();
    EXPECT_EQ(boxes.shown.back().text, "Select the record to be deleted.");
    EXPECT_EQ(boxes.shown.size(), 5u);

    // One record left in the table: a grid click copies it.
    dados.Add("Reparos.db", {{"Fabricante", "JVC"}, {"Equipamento", "TV"}, {"Modelo", "A"}, {"Defeito", "B"}});
    module->TabelaBDR.Close();
    module->TabelaBDR.Open();
    aba.BDRFabricante->clear();
    aba.DBGridBDR1CellClick();
    EXPECT_EQ(Campos()[0], "JVC");
}

}  // namespace
