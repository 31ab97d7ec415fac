#include "app/xref/AbaReferencia.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabBar>
#include <QTest>
#include <fstream>
#include <sstream>

#include "app/data/ModuloDeDados.h"
#include "app/data/TestData.h"
#include "platform/dbcontrols/DBGrid.h"
#include "platform/qtglue/Messenger.h"
#include "platform/testing/InterruptingMessenger.h"
#include "platform/qtglue/PageControl.h"

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

// The tab over an installation whose cross-reference table holds two rows.
struct Referencia : ::testing::Test {
    platform::ScriptedMessenger boxes;
    DadosDeTeste inst;
    std::unique_ptr<TModuloDeDados> modulo;
    AbaReferencia aba;

    void SetUp() override {
        inst.Add("DS.db", {{"Original", "BC547"}, {"Fabricante", "Philips"}, {"Descricao", "NPN AF"},
                           {"Similar", "BC548\nBC549"}, {"Equivalente", "2N2222"}});
        inst.Add("DS.db", {{"Original", "TIP31"}, {"Fabricante", "ST"}, {"Descricao", "NPN power"}});
        modulo = inst.Modulo();
        aba.Attach(modulo.get());
        aba.resize(800, 500);
    }
    std::vector<std::string> Lista() {
        std::vector<std::string> out;
        auto& q = modulo->PesquisarDS;
        if (!q.Active()) return out;
        for (q.First(); !q.Eof(); q.Next())
            out.push_back(q.FieldByName("Original").AsString() + "/" + q.FieldByName("Fabricante").AsString());
        q.First();
        return out;
    }
    std::map<std::string, std::string> Linha(const std::string& original) {
        platform::TTable t;
        t.DatabaseName = inst.Data().string();
        t.TableName = "DS.db";
        t.Open();
        std::map<std::string, std::string> out;
        for (t.First(); !t.Eof(); t.Next())
            if (t.FieldByName("Original").AsString() == original)
                for (const char* f : {"Original", "Fabricante", "Descricao", "Similar", "Equivalente"})
                    out[f] = t.FieldByName(f).AsString();
        return out;
    }
    void Preenche(const char* original, const char* fabricante, const char* descricao, const char* similar,
                  const char* equivalente) {
        aba.OriginalXR->setText(QString::fromUtf8(original));
        aba.FabricanteXR->setText(QString::fromUtf8(fabricante));
        aba.DescricaoXR->setText(QString::fromUtf8(descricao));
        aba.SimilarXR->setPlainText(QString::fromUtf8(similar));
        aba.EquivalenteXR->setPlainText(QString::fromUtf8(equivalente));
    }
};

TEST_F(Referencia, SearchShowAllAndQuotesInTheText) {
    EXPECT_EQ(Lista(), (std::vector<std::string>{"BC547/Philips", "TIP31/ST"}));

    aba.PesquisarXR->setText("   ");
    aba.PesquisaXRef();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "Indique o item a ser pesquisado.");
    EXPECT_EQ(boxes.shown[0].icon, MsgIcon::Information);
    EXPECT_EQ(Lista().size(), 2u);  // the list stays as it was

    aba.PesquisarXR->setText(" bc547 ");
    aba.PesquisaXRef();
    EXPECT_EQ(Lista(), (std::vector<std::string>{"BC547/Philips"}));
    EXPECT_EQ(aba.DBGridXR1->VisibleRows().size(), 1u);

    // A quote is part of the value: nothing found, nothing raised.
    for (const char* t : {"BC\"547", "\" or \"1\"=\"1", "x' or 'a'='a", "\""}) {
        aba.PesquisarXR->setText(t);
        EXPECT_NO_THROW(aba.PesquisaXRef()) << t;
        EXPECT_TRUE(modulo->PesquisarDS.Active()) << t;
        EXPECT_TRUE(Lista().empty()) << t;
    }
    EXPECT_EQ(boxes.shown.size(), 1u);

    aba.AbreXRef();
    EXPECT_EQ(Lista().size(), 2u);
    EXPECT_EQ(modulo->PesquisarDS.SQL, (std::vector<std::string>{"select * from ds.db"}));
}

TEST_F(Referencia, SubTabSwitchShowsTheWholeTable) {
    aba.show();
    aba.PesquisarXR->setText("TIP31");
    aba.PesquisaXRef();
    EXPECT_EQ(Lista().size(), 1u);
    QTabBar* bar = aba.PageControl10->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(1).center());
    EXPECT_EQ(aba.PageControl10->currentIndex(), 1);
    EXPECT_EQ(Lista().size(), 2u);
    aba.PesquisaXRef();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(0).center());
    EXPECT_EQ(aba.PageControl10->currentIndex(), 0);
    EXPECT_EQ(Lista().size(), 2u);
}

TEST_F(Referencia, SaveInsertsTrimmedAndAsksBeforeOverwriting) {
    // Blanks only: refused, nothing written.
    const std::string antes = Bytes(inst.Data() / "DS.db");
    Preenche("   ", "ST", "x", "", "");
    aba.GravaXRef();
    Preenche("BD139", " ", "x", "", "");
    aba.GravaXRef();
    ASSERT_EQ(boxes.shown.size(), 2u);
    for (const auto& b : boxes.shown) {
        EXPECT_EQ(b.text, "Os campos Componente Original e Fabricante tem que ser preenchidos.");
        EXPECT_EQ(b.icon, MsgIcon::Information);
    }
    EXPECT_EQ(Bytes(inst.Data() / "DS.db"), antes);

    // A new key: appended with trimmed texts; the fields keep what was typed.
    Preenche(" BD139 ", " ST ", " NPN driver ", " BD135\nBD137 \n", "\n2SC4793 ");
    aba.GravaXRef();
    EXPECT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(Linha("BD139"), (std::map<std::string, std::string>{{"Original", "BD139"}, {"Fabricante", "ST"},
                                                                   {"Descricao", "NPN driver"},
                                                                   {"Similar", "BD135\nBD137"},
                                                                   {"Equivalente", "2SC4793"}}));
    EXPECT_EQ(aba.OriginalXR->text().toStdString(), " BD139 ");
    EXPECT_EQ(Lista().size(), 3u);
    EXPECT_FALSE(modulo->TabelaAtualiza.Active());

    // An existing key typed with blanks and another case: the question, not a key violation.
    const std::string antesNao = Bytes(inst.Data() / "DS.db");
    Preenche(" bc547", "PHILIPS ", "changed", "changed", "changed");
    boxes.answers = {platform::mrNo};
    aba.GravaXRef();
    ASSERT_EQ(boxes.shown.size(), 3u);
    EXPECT_EQ(boxes.shown[2].text, "Esse registro já existe, sobrescrever?");
    EXPECT_EQ(boxes.shown[2].icon, MsgIcon::Question);
    EXPECT_EQ(boxes.shown[2].buttons, platform::mbYesNo);
    EXPECT_EQ(Bytes(inst.Data() / "DS.db"), antesNao);

    // Yes replaces the three texts, also with empty ones, and keeps the key.
    Preenche("BC547 ", "Philips", "", "", "  ");
    boxes.answers = {platform::mrYes};
    aba.GravaXRef();
    EXPECT_EQ(boxes.shown.size(), 4u);
    EXPECT_EQ(Linha("BC547"), (std::map<std::string, std::string>{{"Original", "BC547"}, {"Fabricante", "Philips"},
                                                                   {"Descricao", ""}, {"Similar", ""},
                                                                   {"Equivalente", ""}}));
    EXPECT_EQ(Lista().size(), 3u);

    // Another copy of the program rewrites the row while the question is
    // open: it is not overwritten and the user is told.
    platform::testing::InterruptingMessenger outro;
    outro.beforeFirstBox = [&] {
        ASSERT_TRUE(inst.Change("DS.db", {"BC547", "Philips"}, "Descricao", "by the other copy"));
    };
    Preenche("BC547", "Philips", "mine", "", "");
    outro.answers = {platform::mrYes};
    aba.GravaXRef();
    ASSERT_EQ(outro.shown.size(), 2u);
    EXPECT_EQ(outro.shown[1].text, "O registro foi alterado por outro usuário.");
    EXPECT_EQ(Linha("BC547").at("Descricao"), "by the other copy");
    EXPECT_EQ(Lista().size(), 3u);
}

TEST_F(Referencia, DeleteAsksAndDeletesTheCurrentRow) {
    // The current row is the first: BC547.
    boxes.answers = {platform::mrNo};
    aba.ApagaXRef();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "Deseja apagar o registro [BC547, Philips]?");
    EXPECT_EQ(boxes.shown[0].buttons, platform::mbYesNo);
    EXPECT_EQ(boxes.shown[0].icon, MsgIcon::Question);
    EXPECT_EQ(Lista().size(), 2u);

    modulo->PesquisarDS.Last();
    boxes.answers = {platform::mrYes};
    aba.ApagaXRef();
    EXPECT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[1].text, "Deseja apagar o registro [TIP31, ST]?");
    EXPECT_EQ(Lista(), (std::vector<std::string>{"BC547/Philips"}));
    EXPECT_TRUE(Linha("TIP31").empty());

    // Gone meanwhile: said so, nothing else deleted.
    {
        platform::TTable t;
        t.DatabaseName = inst.Data().string();
        t.TableName = "DS.db";
        t.Open();
        t.Delete();
    }
    boxes.answers = {platform::mrYes};
    aba.ApagaXRef();
    ASSERT_EQ(boxes.shown.size(), 4u);
    EXPECT_EQ(boxes.shown[3].text, "Não foi possível apagar o registro.");
    EXPECT_EQ(boxes.shown[3].icon, MsgIcon::Information);

    // An empty list has no row to delete.
    EXPECT_TRUE(Lista().empty());
    aba.ApagaXRef();
    ASSERT_EQ(boxes.shown.size(), 5u);
    EXPECT_EQ(boxes.shown[4].text, "Selecione o registro a ser apagado.");
    aba.PesquisarXR->setText("\"");
    aba.PesquisaXRef();
    aba.ApagaXRef();
    EXPECT_EQ(boxes.shown.back().text, "Selecione o registro a ser apagado.");

    // A row whose key was stored with a blank: deleting it leaves its trimmed twin alone.
    inst.Add("DS.db", {{"Original", "BC547"}, {"Fabricante", "Philips"}});
    inst.Add("DS.db", {{"Original", "BC547 "}, {"Fabricante", "Philips"}});
    aba.AbreXRef();
    modulo->PesquisarDS.Last();
    ASSERT_EQ(modulo->PesquisarDS.FieldByName("Original").AsString(), "BC547 ");
    boxes.answers = {platform::mrYes};
    aba.ApagaXRef();
    EXPECT_EQ(boxes.shown.back().text, "Deseja apagar o registro [BC547, Philips]?");
    EXPECT_EQ(Lista(), (std::vector<std::string>{"BC547/Philips"}));
}

}  // namespace
