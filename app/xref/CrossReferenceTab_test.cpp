#include "app/xref/CrossReferenceTab.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabBar>
#include <QTest>

#include "app/data/TModuloDeDados.h"
#include "platform/core/hostio/HostIo.h"
#include "platform/qt/dbcontrols/DBGrid.h"
#include "platform/qt/qtglue/Messenger.h"
#include "platform/qt/qtglue/PageControl.h"
#include "testkit/app/TestData.h"
#include "testkit/support/InterruptingMessenger.h"

using namespace vorel;
using platform::MsgIcon;
using vorel::testing::TestData;

namespace {

std::string Bytes(const std::filesystem::path& p) { return platform::ReadWholeFile(p).value_or(""); }

// The tab over an installation whose cross-reference table holds two rows.
struct CrossReference : ::testing::Test {
    platform::ScriptedMessenger boxes;
    TestData testData;
    std::unique_ptr<TModuloDeDados> module;
    CrossReferenceTab tab;

    void SetUp() override {
        testData.Add("DS.db", {{"Original", "BC547"}, {"Fabricante", "Philips"}, {"Descricao", "NPN AF"},
                           {"Similar", "BC548\nBC549"}, {"Equivalente", "2N2222"}});
        testData.Add("DS.db", {{"Original", "TIP31"}, {"Fabricante", "ST"}, {"Descricao", "NPN power"}});
        module = testData.Module();
        tab.Attach(module.get());
        tab.resize(800, 500);
    }
    std::vector<std::string> ListedRows() {
        std::vector<std::string> out;
        auto& q = module->PesquisarDS;
        if (!q.Active()) return out;
        for (q.First(); !q.Eof(); q.Next())
            out.push_back(q.FieldByName("Original").AsString() + "/" + q.FieldByName("Fabricante").AsString());
        q.First();
        return out;
    }
    std::map<std::string, std::string> Row(const std::string& original) {
        platform::TTable t;
        t.DatabaseName = testData.Data().string();
        t.TableName = "DS.db";
        t.Open();
        std::map<std::string, std::string> out;
        for (t.First(); !t.Eof(); t.Next())
            if (t.FieldByName("Original").AsString() == original)
                for (const char* f : {"Original", "Fabricante", "Descricao", "Similar", "Equivalente"})
                    out[f] = t.FieldByName(f).AsString();
        return out;
    }
    void Fill(const char* original, const char* company, const char* description, const char* similar,
                  const char* equivalent) {
        tab.OriginalXR->setText(QString::fromUtf8(original));
        tab.FabricanteXR->setText(QString::fromUtf8(company));
        tab.DescricaoXR->setText(QString::fromUtf8(description));
        tab.SimilarXR->setPlainText(QString::fromUtf8(similar));
        tab.EquivalenteXR->setPlainText(QString::fromUtf8(equivalent));
    }
};

TEST_F(CrossReference, SearchShowAllAndQuotesInTheText) {
    EXPECT_EQ(ListedRows(), (std::vector<std::string>{"BC547/Philips", "TIP31/ST"}));

    tab.PesquisarXR->setText("   ");
    tab.PesquisaXRef();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "Indique o item a ser pesquisado.");
    EXPECT_EQ(boxes.shown[0].icon, MsgIcon::Information);
    EXPECT_EQ(ListedRows().size(), 2u);  // the list stays as it was

    tab.PesquisarXR->setText(" bc547 ");
    tab.PesquisaXRef();
    EXPECT_EQ(ListedRows(), (std::vector<std::string>{"BC547/Philips"}));
    EXPECT_EQ(tab.DBGridXR1->VisibleRows().size(), 1u);

    // A quote is part of the value: nothing found, nothing raised.
    for (const char* t : {"BC\"547", "\" or \"1\"=\"1", "x' or 'a'='a", "\""}) {
        tab.PesquisarXR->setText(t);
        EXPECT_NO_THROW(tab.PesquisaXRef()) << t;
        EXPECT_TRUE(module->PesquisarDS.Active()) << t;
        EXPECT_TRUE(ListedRows().empty()) << t;
    }
    EXPECT_EQ(boxes.shown.size(), 1u);

    tab.AbreXRef();
    EXPECT_EQ(ListedRows().size(), 2u);
    EXPECT_EQ(module->PesquisarDS.SQL, (std::vector<std::string>{"select * from ds.db"}));
}

TEST_F(CrossReference, SubTabSwitchShowsTheWholeTable) {
    tab.show();
    tab.PesquisarXR->setText("TIP31");
    tab.PesquisaXRef();
    EXPECT_EQ(ListedRows().size(), 1u);
    QTabBar* bar = tab.PageControl10->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(1).center());
    EXPECT_EQ(tab.PageControl10->currentIndex(), 1);
    EXPECT_EQ(ListedRows().size(), 2u);
    tab.PesquisaXRef();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(0).center());
    EXPECT_EQ(tab.PageControl10->currentIndex(), 0);
    EXPECT_EQ(ListedRows().size(), 2u);
}

TEST_F(CrossReference, SaveInsertsTrimmedAndAsksBeforeOverwriting) {
    // Blanks only: refused, nothing written.
    const std::string before = Bytes(testData.Data() / "DS.db");
    Fill("   ", "ST", "x", "", "");
    tab.GravaXRef();
    Fill("BD139", " ", "x", "", "");
    tab.GravaXRef();
    ASSERT_EQ(boxes.shown.size(), 2u);
    for (const auto& b : boxes.shown) {
        EXPECT_EQ(b.text, "Os campos Componente Original e Fabricante tem que ser preenchidos.");
        EXPECT_EQ(b.icon, MsgIcon::Information);
    }
    EXPECT_EQ(Bytes(testData.Data() / "DS.db"), before);

    // A new key: appended with trimmed texts; the fields keep what was typed.
    Fill(" BD139 ", " ST ", " NPN driver ", " BD135\nBD137 \n", "\n2SC4793 ");
    tab.GravaXRef();
    EXPECT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(Row("BD139"), (std::map<std::string, std::string>{{"Original", "BD139"}, {"Fabricante", "ST"},
                                                                   {"Descricao", "NPN driver"},
                                                                   {"Similar", "BD135\nBD137"},
                                                                   {"Equivalente", "2SC4793"}}));
    EXPECT_EQ(tab.OriginalXR->text().toStdString(), " BD139 ");
    EXPECT_EQ(ListedRows().size(), 3u);
    EXPECT_FALSE(module->TabelaAtualiza.Active());

    // An existing key typed with blanks and another case: the question, not a key violation.
    const std::string beforeNo = Bytes(testData.Data() / "DS.db");
    Fill(" bc547", "PHILIPS ", "changed", "changed", "changed");
    boxes.answers = {platform::mrNo};
    tab.GravaXRef();
    ASSERT_EQ(boxes.shown.size(), 3u);
    EXPECT_EQ(boxes.shown[2].text, "Esse registro já existe, sobrescrever?");
    EXPECT_EQ(boxes.shown[2].icon, MsgIcon::Question);
    EXPECT_EQ(boxes.shown[2].buttons, platform::mbYesNo);
    EXPECT_EQ(Bytes(testData.Data() / "DS.db"), beforeNo);

    // Yes replaces the three texts, also with empty ones, and keeps the key.
    Fill("BC547 ", "Philips", "", "", "  ");
    boxes.answers = {platform::mrYes};
    tab.GravaXRef();
    EXPECT_EQ(boxes.shown.size(), 4u);
    EXPECT_EQ(Row("BC547"), (std::map<std::string, std::string>{{"Original", "BC547"}, {"Fabricante", "Philips"},
                                                                   {"Descricao", ""}, {"Similar", ""},
                                                                   {"Equivalente", ""}}));
    EXPECT_EQ(ListedRows().size(), 3u);

    // Another copy of the program rewrites the row while the question is
    // open: it is not overwritten and the user is told.
    platform::testing::InterruptingMessenger other;
    other.beforeFirstBox = [&] {
        ASSERT_TRUE(testData.Change("DS.db", {"BC547", "Philips"}, "Descricao", "by the other copy"));
    };
    Fill("BC547", "Philips", "mine", "", "");
    other.answers = {platform::mrYes};
    tab.GravaXRef();
    ASSERT_EQ(other.shown.size(), 2u);
    EXPECT_EQ(other.shown[1].text, "O registro foi alterado por outro usuário.");
    EXPECT_EQ(Row("BC547").at("Descricao"), "by the other copy");
    EXPECT_EQ(ListedRows().size(), 3u);
}

TEST_F(CrossReference, TwoWindowsNeverOverwriteEachOthersEditSilently) {
    // A second window over the same installation, its list shown before A writes.
    auto moduleB = testData.Module();
    CrossReferenceTab b;
    b.Attach(moduleB.get());
    auto fillB = [&](const char* original, const char* company, const char* description) {
        b.OriginalXR->setText(original);
        b.FabricanteXR->setText(company);
        b.DescricaoXR->setText(description);
    };
    auto changedByAnother = [&] {
        return !boxes.shown.empty() && boxes.shown.back().text == "O registro foi alterado por outro usuário." &&
               boxes.shown.back().icon == MsgIcon::Information;
    };

    // Both edit one row; A saves, then B: B is told, A's text stays, B's fields keep B's.
    Fill("BC547", "Philips", "by A", "", "");
    fillB("BC547", "Philips", "by B");
    boxes.answers = {platform::mrYes};
    tab.GravaXRef();
    ASSERT_EQ(Row("BC547").at("Descricao"), "by A");
    boxes.shown.clear();
    b.GravaXRef();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_TRUE(changedByAnother());
    EXPECT_EQ(Row("BC547").at("Descricao"), "by A");
    EXPECT_EQ(b.DescricaoXR->text().toStdString(), "by B");
    // Saved again on purpose: the usual question, then B's text.
    boxes.answers = {platform::mrYes};
    b.GravaXRef();
    EXPECT_EQ(boxes.shown.back().text, "Esse registro já existe, sobrescrever?");
    EXPECT_EQ(Row("BC547").at("Descricao"), "by B");

    // A deletes the row B saves.
    module->PesquisarDS.Last();
    boxes.answers = {platform::mrYes};
    tab.ApagaXRef();
    ASSERT_TRUE(Row("TIP31").empty());
    fillB("TIP31", "ST", "NPN power, 40 W");
    boxes.shown.clear();
    b.GravaXRef();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_TRUE(changedByAnother());
    EXPECT_TRUE(Row("TIP31").empty());
    EXPECT_EQ(b.DescricaoXR->text().toStdString(), "NPN power, 40 W");
    b.GravaXRef();
    EXPECT_EQ(Row("TIP31").at("Descricao"), "NPN power, 40 W");
    // A's list still shows the row as it was before B wrote it: A's delete is refused.
    tab.AbreXRef();
    module->PesquisarDS.Last();
    ASSERT_EQ(module->PesquisarDS.FieldByName("Original").AsString(), "TIP31");
    ASSERT_TRUE(testData.Change("DS.db", {"TIP31", "ST"}, "Descricao", "NPN power, 40 W, TO-220"));
    boxes.answers = {platform::mrYes};
    boxes.shown.clear();
    tab.ApagaXRef();
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_TRUE(changedByAnother());
    EXPECT_EQ(Row("TIP31").at("Descricao"), "NPN power, 40 W, TO-220");

    // Both type the same new record; the one that saves second is told.
    Fill("BD139", "ST", "by A", "", "");
    fillB("BD139", "ST", "by B");
    tab.GravaXRef();
    boxes.shown.clear();
    b.GravaXRef();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_TRUE(changedByAnother());
    EXPECT_EQ(Row("BD139").at("Descricao"), "by A");
    EXPECT_EQ(b.DescricaoXR->text().toStdString(), "by B");
    b.Attach(nullptr);
}

TEST_F(CrossReference, DeleteAsksAndDeletesTheCurrentRow) {
    // The current row is the first: BC547.
    boxes.answers = {platform::mrNo};
    tab.ApagaXRef();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "Deseja apagar o registro [BC547, Philips]?");
    EXPECT_EQ(boxes.shown[0].buttons, platform::mbYesNo);
    EXPECT_EQ(boxes.shown[0].icon, MsgIcon::Question);
    EXPECT_EQ(ListedRows().size(), 2u);

    module->PesquisarDS.Last();
    boxes.answers = {platform::mrYes};
    tab.ApagaXRef();
    EXPECT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[1].text, "Deseja apagar o registro [TIP31, ST]?");
    EXPECT_EQ(ListedRows(), (std::vector<std::string>{"BC547/Philips"}));
    EXPECT_TRUE(Row("TIP31").empty());

    // Gone meanwhile: said so, nothing else deleted.
    {
        platform::TTable t;
        t.DatabaseName = testData.Data().string();
        t.TableName = "DS.db";
        t.Open();
        t.Delete();
    }
    boxes.answers = {platform::mrYes};
    tab.ApagaXRef();
    ASSERT_EQ(boxes.shown.size(), 4u);
    EXPECT_EQ(boxes.shown[3].text, "Não foi possível apagar o registro.");
    EXPECT_EQ(boxes.shown[3].icon, MsgIcon::Information);

    // An empty list has no row to delete.
    EXPECT_TRUE(ListedRows().empty());
    tab.ApagaXRef();
    ASSERT_EQ(boxes.shown.size(), 5u);
    EXPECT_EQ(boxes.shown[4].text, "Selecione o registro a ser apagado.");
    tab.PesquisarXR->setText("\"");
    tab.PesquisaXRef();
    tab.ApagaXRef();
    EXPECT_EQ(boxes.shown.back().text, "Selecione o registro a ser apagado.");

    // A row whose key was stored with a blank: deleting it leaves its trimmed twin alone.
    testData.Add("DS.db", {{"Original", "BC547"}, {"Fabricante", "Philips"}});
    testData.Add("DS.db", {{"Original", "BC547 "}, {"Fabricante", "Philips"}});
    tab.AbreXRef();
    module->PesquisarDS.Last();
    ASSERT_EQ(module->PesquisarDS.FieldByName("Original").AsString(), "BC547 ");
    boxes.answers = {platform::mrYes};
    tab.ApagaXRef();
    EXPECT_EQ(boxes.shown.back().text, "Deseja apagar o registro [BC547, Philips]?");
    EXPECT_EQ(ListedRows(), (std::vector<std::string>{"BC547/Philips"}));
}

}  // namespace
