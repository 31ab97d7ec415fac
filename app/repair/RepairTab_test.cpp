#include "app/repair/RepairTab.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

#include "platform/core/hostio/HostIo.h"
#include "platform/qt/dbcontrols/DBGrid.h"
#include "platform/qt/dbcontrols/Image.h"
#include "platform/qt/qtglue/CaseEdit.h"
#include "platform/qt/qtglue/Messenger.h"
#include "testkit/app/TestData.h"
#include "testkit/support/InterruptingMessenger.h"

using namespace vorel;
using platform::MsgIcon;
using vorel::testing::TestData;

namespace {

std::string Bytes(const std::filesystem::path& p) { return platform::ReadWholeFile(p).value_or(""); }

// The window's side as far as the repair tab is concerned.
struct FakeWindow : WindowSide {
    RepairTab* tab = nullptr;
    platform::TImage picture;
    bool starting = false;
    bool Starting() const override { return starting; }
    void EnableQuickSearch(Device, bool) override {}
    void WriteQuickSearch(Device, const std::string&) override {}
    platform::TImage& OriginalPicture(Device) override { return picture; }
    platform::TImage& EquivalentPicture(Device) override { return picture; }
    void ExibeRegistroBDR() override { tab->ExibeRegistroBDR(); }
    void Terminate() override {}
};

struct Reparos : ::testing::Test {
    platform::ScriptedMessenger boxes;
    TestData testData;
    bool starting = false, quickSearchEnabled = true, unchanged = true;
    std::unique_ptr<TModuloDeDados> module;  // outlives the tab's grid
    RepairTab tab{{&starting, &quickSearchEnabled, &unchanged}};
    FakeWindow window;

    void SetUp() override {
        auto add = [&](const char* f, const char* e, const char* m, const char* d, const char* s) {
            testData.Add("Reparos.db",
                      {{"Fabricante", f}, {"Equipamento", e}, {"Modelo", m}, {"Defeito", d}, {"Descricao", s}});
        };
        add("Philips", "TV", "14PT", "No sound", "Replace the TDA7056");
        add("Panasonic", "VCR", "NV-SD20", "Eats tapes", "Clean the pinch roller");
        add("Sony", "TV", "KV-21", "No picture", "Check the flyback\nand the HV");
        window.tab = &tab;
        module = testData.Module();
        module->SetWindow(&window);
        tab.Attach(module.get());
        tab.resize(800, 500);
        module->TabelaBDR.First();
    }
    std::vector<std::string> Fields() {
        return {tab.BDRFabricante->text().toStdString(), tab.BDREquipamento->text().toStdString(),
                tab.BDRModelo->text().toStdString(), tab.BDRDefeito->text().toStdString(),
                tab.BDRDescricao->toPlainText().toStdString()};
    }
    void Fill(const char* f, const char* e, const char* m, const char* d, const char* s) {
        tab.BDRFabricante->setText(f);
        tab.BDREquipamento->setText(e);
        tab.BDRModelo->setText(m);
        tab.BDRDefeito->setText(d);
        tab.BDRDescricao->setPlainText(s);
    }
    std::string StoredDescription(const char* company) {
        platform::TTable t;
        t.DatabaseName = testData.Data().string();
        t.TableName = "Reparos.db";
        t.Open();
        t.SetKey();
        return t.FindKey({company}) ? t.FieldByName("Descricao").AsString() : "(none)";
    }
};

TEST_F(Reparos, ScrollingCopiesTheRecordAndQuickSearchFindsByCompanyIgnoringCase) {
    // Key order: Panasonic, Philips, Sony.
    EXPECT_EQ(Fields(), (std::vector<std::string>{"Panasonic", "VCR", "NV-SD20", "Eats tapes", "Clean the pinch roller"}));
    EXPECT_EQ(tab.BDRBuscaRapida->text().toStdString(), "Panasonic");  // in the case stored
    EXPECT_TRUE(unchanged);

    // Unsaved changes are asked about before another record replaces them:
    // Cancel keeps the fields and the record, No lets the move go on.
    tab.BDRDefeito->setText("edited");
    EXPECT_FALSE(unchanged);
    boxes.answers = {platform::mrCancel};
    module->TabelaBDR.Last();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "Changes were made. Do you want to save them?");
    EXPECT_EQ(boxes.shown[0].buttons, platform::mbYesNoCancel);
    EXPECT_EQ(Fields()[3], "edited");
    EXPECT_EQ(module->TabelaBDR.FieldByName("Fabricante").AsString(), "Panasonic");
    EXPECT_FALSE(unchanged);
    // Going to the first record (the grid's Home key) asks as well.
    boxes.answers = {platform::mrCancel};
    module->TabelaBDR.First();
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(Fields()[3], "edited");
    EXPECT_FALSE(unchanged);
    boxes.answers = {platform::mrNo};
    module->TabelaBDR.Last();
    EXPECT_EQ(Fields()[0], "Sony");
    EXPECT_EQ(Fields()[4], "Check the flyback\nand the HV");
    EXPECT_TRUE(unchanged);
    EXPECT_EQ(StoredDescription("Panasonic"), "Clean the pinch roller");
    boxes.shown.clear();

    // Typed letters become lower case; the box keeps them; the table finds the company.
    tab.BDRBuscaRapida->clear();
    tab.BDRBuscaRapida->setFocus();
    QTest::keyClicks(tab.BDRBuscaRapida, "PHI");
    EXPECT_EQ(tab.BDRBuscaRapida->text().toStdString(), "phi");
    EXPECT_EQ(module->TabelaBDR.FieldByName("Fabricante").AsString(), "Philips");
    EXPECT_EQ(Fields()[0], "Philips");
    EXPECT_TRUE(unchanged);
    // Past the last company: the last record.
    QTest::keyClicks(tab.BDRBuscaRapida, "zz");
    EXPECT_EQ(tab.BDRBuscaRapida->text().toStdString(), "phizz");
    EXPECT_EQ(Fields()[0], "Sony");

    // Typing in the quick-search box with unsaved fields asks too; Yes saves
    // them, then the search goes on from what was typed.
    tab.BDRDescricao->setPlainText("Check the flyback, the HV and the focus");
    boxes.answers = {platform::mrYes, platform::mrYes};
    tab.BDRBuscaRapida->setText("pan");
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[1].text, "This record already exists. Overwrite it?");
    EXPECT_EQ(StoredDescription("Sony"), "Check the flyback, the HV and the focus");
    EXPECT_EQ(tab.BDRBuscaRapida->text().toStdString(), "pan");
    EXPECT_EQ(Fields()[0], "Panasonic");
    EXPECT_TRUE(unchanged);
    // Moving with the grid after a Yes: the move starts from the record left.
    module->TabelaBDR.First();
    tab.BDRDescricao->setPlainText("Clean the pinch roller and the heads");
    boxes.answers = {platform::mrYes, platform::mrYes};
    module->TabelaBDR.Next();
    EXPECT_EQ(StoredDescription("Panasonic"), "Clean the pinch roller and the heads");
    EXPECT_EQ(Fields()[0], "Philips");
    // Also when the save made a new record elsewhere in the table.
    module->TabelaBDR.First();
    tab.BDRFabricante->setText("Zenith");
    boxes.answers = {platform::mrYes};
    module->TabelaBDR.Next();
    EXPECT_EQ(StoredDescription("Zenith"), "Clean the pinch roller and the heads");
    EXPECT_EQ(Fields()[0], "Philips");
    EXPECT_EQ(module->TabelaBDR.FieldByName("Fabricante").AsString(), "Philips");
    boxes.shown.clear();
    module->TabelaBDR.Last();

    // A one-record table: a click on the grid copies it again.
    tab.BDRFabricante->setText("typed");
    EXPECT_NO_THROW(tab.DBGridBDR1CellClick());  // three records: nothing
    EXPECT_EQ(Fields()[0], "typed");

    // While the window starts, typing in the fields leaves them unchanged.
    starting = true;
    tab.BDRModelo->setText("x");
    EXPECT_TRUE(unchanged == false);  // cleared above by "typed", still clear
    unchanged = true;
    tab.BDRModelo->setText("y");
    EXPECT_TRUE(unchanged);
}

TEST_F(Reparos, ClearAsksOnlyWhenChangedAndHonoursEachAnswer) {
    // Unchanged: emptied without a question.
    tab.ClearFields();
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(Fields(), (std::vector<std::string>(5, "")));

    // Cancel keeps the fields.
    module->TabelaBDR.First();
    tab.BDRDescricao->setPlainText("new text");
    boxes.answers = {platform::mrCancel};
    tab.ClearFields();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "Changes were made. Do you want to save them?");
    EXPECT_EQ(boxes.shown[0].buttons, platform::mbYesNoCancel);
    EXPECT_EQ(boxes.shown[0].icon, MsgIcon::Question);
    EXPECT_EQ(Fields()[4], "new text");
    EXPECT_FALSE(unchanged);

    // No empties them and saves nothing.
    boxes.answers = {platform::mrNo};
    tab.ClearFields();
    EXPECT_EQ(Fields(), (std::vector<std::string>(5, "")));
    EXPECT_EQ(StoredDescription("Panasonic"), "Clean the pinch roller");

    // Yes saves (the record exists: the overwrite question, answered Yes), then empties.
    module->TabelaBDR.First();
    tab.BDRDescricao->setPlainText("Replace the idler");
    boxes.answers = {platform::mrYes, platform::mrYes};
    tab.ClearFields();
    EXPECT_EQ(boxes.shown.size(), 4u);
    EXPECT_EQ(boxes.shown[3].text, "This record already exists. Overwrite it?");
    EXPECT_EQ(StoredDescription("Panasonic"), "Replace the idler");
    EXPECT_EQ(Fields(), (std::vector<std::string>(5, "")));
    EXPECT_TRUE(unchanged);

    // Yes whose save is refused keeps the fields.
    Fill("Akai", "", "", "", "half typed");
    boxes.answers = {platform::mrYes};
    tab.ClearFields();
    EXPECT_EQ(boxes.shown.back().text, "The fields Company, Equipment, Model and Problem must be filled.");
    EXPECT_EQ(Fields()[4], "half typed");
    EXPECT_FALSE(unchanged);
}

TEST_F(Reparos, SaveInsertsOrOverwritesAfterTheQuestion) {
    const auto tableFile = testData.Data() / "Reparos.db";
    Fill("  ", "TV", "X", "Y", "");
    EXPECT_FALSE(tab.SaveRecord());
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].icon, MsgIcon::Information);
    // A blank Problem is refused like any other key field.
    Fill("Akai", "Deck", "GX-4000", " \t ", "Belt");
    EXPECT_FALSE(tab.SaveRecord());
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[1].text, "The fields Company, Equipment, Model and Problem must be filled.");
    EXPECT_EQ(module->TabelaBDR.RecordCount(), 3);
    boxes.shown.clear();

    // New: appended with trimmed keys; the fields show it as stored and are unchanged.
    Fill(" Akai ", "Deck", " GX-4000 ", "Drifts", "Belt\nslips");
    EXPECT_TRUE(tab.SaveRecord());
    EXPECT_EQ(module->TabelaBDR.RecordCount(), 4);
    EXPECT_EQ(Fields(), (std::vector<std::string>{"Akai", "Deck", "GX-4000", "Drifts", "Belt\nslips"}));
    EXPECT_EQ(tab.BDRBuscaRapida->text().toStdString(), "Akai");
    EXPECT_TRUE(unchanged);
    EXPECT_EQ(StoredDescription("Akai"), "Belt\nslips");

    // Existing key typed in another case with blanks: No leaves the file as it was.
    const std::string before = Bytes(tableFile);
    Fill("sony ", " tv", "kv-21", "NO PICTURE", "another text");
    boxes.answers = {platform::mrNo};
    EXPECT_FALSE(tab.SaveRecord());
    EXPECT_EQ(boxes.shown.back().text, "This record already exists. Overwrite it?");
    EXPECT_EQ(boxes.shown.back().buttons, platform::mbYesNo);
    EXPECT_EQ(Bytes(tableFile), before);
    EXPECT_FALSE(unchanged);

    boxes.answers = {platform::mrYes};
    EXPECT_TRUE(tab.SaveRecord());
    EXPECT_EQ(StoredDescription("Sony"), "another text");
    EXPECT_EQ(module->TabelaBDR.RecordCount(), 4);
    EXPECT_EQ(Fields()[0], "Sony");  // the key as stored

    // Another copy of the program rewrites the record while the question is
    // open: it is not overwritten, the user is told, the fields keep what was typed.
    {
        platform::testing::InterruptingMessenger otherCopy;
        otherCopy.beforeFirstBox = [&] { ASSERT_TRUE(testData.Change("Reparos.db", {"Sony"}, "Descricao", "by the other copy")); };
        Fill("Sony", "TV", "KV-21", "No picture", "mine");
        otherCopy.answers = {platform::mrYes};
        EXPECT_FALSE(tab.SaveRecord());
        ASSERT_EQ(otherCopy.shown.size(), 2u);
        EXPECT_EQ(otherCopy.shown[1].text, "The record was changed by another user.");
        EXPECT_EQ(StoredDescription("Sony"), "by the other copy");
        EXPECT_EQ(Fields()[4], "mine");
        EXPECT_FALSE(unchanged);
    }
}

// A second window over the same installation: its own tab, flags and data module.
struct SecondWindow {
    bool starting = false, quickSearchEnabled = true, unchanged = true;
    std::unique_ptr<TModuloDeDados> module;
    RepairTab tab{{&starting, &quickSearchEnabled, &unchanged}};
    FakeWindow window;
    explicit SecondWindow(const TestData& data) {
        window.tab = &tab;
        module = data.Module();
        module->SetWindow(&window);
        tab.Attach(module.get());
        module->TabelaBDR.First();
    }
    ~SecondWindow() { tab.Attach(nullptr); }
};

TEST_F(Reparos, TwoWindowsNeverOverwriteEachOthersEditSilently) {
    SecondWindow b(testData);
    auto description = [](RepairTab& t) { return t.BDRDescricao->toPlainText().toStdString(); };
    ASSERT_EQ(Fields()[0], "Panasonic");
    ASSERT_EQ(b.tab.BDRFabricante->text().toStdString(), "Panasonic");

    // Both edit the record shown; A saves first, then B.
    tab.BDRDescricao->setPlainText("Clean the pinch roller (A)");
    b.tab.BDRDescricao->setPlainText("Clean the pinch roller (B)");
    boxes.answers = {platform::mrYes};
    EXPECT_TRUE(tab.SaveRecord());
    boxes.shown.clear();
    EXPECT_FALSE(b.tab.SaveRecord());
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "The record was changed by another user.");
    EXPECT_EQ(boxes.shown[0].icon, MsgIcon::Information);
    EXPECT_EQ(StoredDescription("Panasonic"), "Clean the pinch roller (A)");
    EXPECT_EQ(description(b.tab), "Clean the pinch roller (B)");
    EXPECT_FALSE(b.unchanged);
    // Now B knows: a second Save overwrites, after the usual question.
    boxes.answers = {platform::mrYes};
    EXPECT_TRUE(b.tab.SaveRecord());
    EXPECT_EQ(boxes.shown.back().text, "This record already exists. Overwrite it?");
    EXPECT_EQ(StoredDescription("Panasonic"), "Clean the pinch roller (B)");
    EXPECT_TRUE(b.unchanged);

    // A deletes the record B shows; B's save of it writes nothing.
    module->TabelaBDR.Next();
    b.module->TabelaBDR.Next();
    ASSERT_EQ(Fields()[0], "Philips");
    ASSERT_EQ(b.tab.BDRFabricante->text().toStdString(), "Philips");
    boxes.answers = {platform::mrYes};
    tab.DeleteRecord();
    ASSERT_EQ(StoredDescription("Philips"), "(none)");
    b.tab.BDRDescricao->setPlainText("Replace the TDA7056 and C12");
    boxes.shown.clear();
    EXPECT_FALSE(b.tab.SaveRecord());
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "The record was changed by another user.");
    EXPECT_EQ(StoredDescription("Philips"), "(none)");
    EXPECT_EQ(description(b.tab), "Replace the TDA7056 and C12");
    // Saving it again on purpose adds it back.
    EXPECT_TRUE(b.tab.SaveRecord());
    EXPECT_EQ(StoredDescription("Philips"), "Replace the TDA7056 and C12");

    // The save asked before a move is refused the same way: B stays on its record.
    module->TabelaBDR.Last();
    b.module->TabelaBDR.Last();
    ASSERT_TRUE(testData.Change("Reparos.db", {"Sony"}, "Descricao", "by the other program"));
    b.tab.BDRDescricao->setPlainText("Check the focus");
    boxes.answers = {platform::mrYes};
    b.module->TabelaBDR.First();
    EXPECT_EQ(boxes.shown.back().text, "The record was changed by another user.");
    EXPECT_EQ(StoredDescription("Sony"), "by the other program");
    EXPECT_EQ(b.tab.BDRFabricante->text().toStdString(), "Sony");
    EXPECT_EQ(description(b.tab), "Check the focus");
}

TEST_F(Reparos, DeleteAsksAndShowsTheNextRecord) {
    boxes.answers = {platform::mrNo};
    tab.DeleteRecord();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "Do you want to delete the record [Panasonic, VCR, NV-SD20, Eats tapes]?");
    EXPECT_EQ(module->TabelaBDR.RecordCount(), 3);

    for (int i = 0; i < 3; ++i) {
        boxes.answers = {platform::mrYes};
        tab.DeleteRecord();
        if (i == 0) {
            EXPECT_EQ(Fields()[0], "Philips");
        }
    }
    EXPECT_EQ(module->TabelaBDR.RecordCount(), 0);
    EXPECT_EQ(Fields(), (std::vector<std::string>(5, "")));
    tab.DeleteRecord();
    EXPECT_EQ(boxes.shown.back().text, "Select the record to be deleted.");
    EXPECT_EQ(boxes.shown.size(), 5u);

    // One record left in the table: a grid click copies it.
    testData.Add("Reparos.db", {{"Fabricante", "JVC"}, {"Equipamento", "TV"}, {"Modelo", "A"}, {"Defeito", "B"}});
    module->TabelaBDR.Close();
    module->TabelaBDR.Open();
    tab.BDRFabricante->clear();
    tab.DBGridBDR1CellClick();
    EXPECT_EQ(Fields()[0], "JVC");
}

}  // namespace
