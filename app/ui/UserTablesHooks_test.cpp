// The repair and cross-reference tabs and the backup items as the main
// window wires them: start-up copies, scrolling, the grids, F4 and F5.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QPointer>
#include <QTimer>
#include <filesystem>

#include "app/backup/TCaixaBackup.h"
#include "app/data/TModuloDeDados.h"
#include "app/repair/RepairTab.h"
#include "app/ui/TFormulario.h"
#include "app/xref/CrossReferenceTab.h"
#include "platform/qt/dbcontrols/DBGrid.h"
#include "platform/qt/qtglue/CaseEdit.h"
#include "platform/qt/qtglue/Messenger.h"
#include "platform/tables/Table.h"
#include "testkit/app/TestInstallation.h"

using namespace vorel;

TEST(UserTablesInTheWindow, StartUpScrollGridsAndTheBackupItems) {
    platform::ScriptedMessenger m;
    vorel::testing::TestInstallation inst;
    inst.Add("Reparos.db", {{"Fabricante", "Akai"}, {"Equipamento", "Deck"}, {"Modelo", "GX"}, {"Defeito", "Hum"}});
    inst.Add("DS.db", {{"Original", "BC547"}, {"Fabricante", "Philips"}});
    vorel::testing::CurrentDir cwd(inst.Base());
    platform::SetApplicationTitle("Vorel - Electronics");
    QPointer<TFormulario> f = new TFormulario;
    TModuloDeDados module(f->BaseDirectory);
    f->SetDataModule(&module);
    f->resize(1366, 768);
    f->show();
    ASSERT_TRUE(m.shown.empty()) << m.shown[0].text;
    RepairTab& r = *f->RepairPage;
    // Start-up: the first repair record in the fields and its company in the box; nothing changed.
    EXPECT_EQ(r.BDRFabricante->text().toStdString(), "Akai");
    EXPECT_EQ(r.BDRBuscaRapida->text().toStdString(), "Akai");
    EXPECT_TRUE(f->RepairFieldsUnchanged);
    EXPECT_EQ(r.DBGridBDR1->VisibleRows().size(), 2u);
    // Scrolling the table reaches the tab through the data module.
    module.TabelaBDR.Last();
    EXPECT_EQ(r.BDRFabricante->text().toStdString(), "Sony");
    EXPECT_EQ(r.BDRBuscaRapida->text().toStdString(), "Sony");
    EXPECT_EQ(f->CrossReferencePage->DBGridXR1->VisibleRows().size(), 1u);
    EXPECT_EQ(f->PageControl10, f->CrossReferencePage->PageControl10);

    // F4 with unsaved repair fields asks first: Cancel keeps them and makes no backup.
    r.BDRDefeito->setText("Hum and buzz");
    m.answers = {platform::mrCancel};
    f->FazerBackupdosBancosdeDados1->trigger();
    ASSERT_EQ(m.shown.size(), 1u);
    EXPECT_EQ(m.shown[0].text, "Changes were made. Do you want to save them?");
    EXPECT_EQ(m.shown[0].buttons, platform::mbYesNoCancel);
    EXPECT_FALSE(std::filesystem::exists(inst.Data() / "backup" / "Reparos.db"));
    EXPECT_EQ(r.BDRDefeito->text().toStdString(), "Hum and buzz");
    EXPECT_EQ(r.BDRFabricante->text().toStdString(), "Sony");
    m.answers = {platform::mrNo};
    m.shown.clear();

    // F4: the backup, its message, the tables open again.
    f->FazerBackupdosBancosdeDados1->trigger();
    ASSERT_EQ(m.shown.size(), 2u);
    EXPECT_EQ(m.shown[1].text, "Backup successfully done!");
    EXPECT_TRUE(std::filesystem::exists(inst.Data() / "backup" / "Reparos.db"));
    EXPECT_TRUE(std::filesystem::exists(inst.Data() / "backup" / "DS.db"));
    EXPECT_EQ(r.BDRFabricante->text().toStdString(), "Akai");
    EXPECT_EQ(f->CrossReferencePage->DBGridXR1->VisibleRows().size(), 1u);

    // F5: the dialog on the backup folder; Cancel closes it.
    QTimer::singleShot(0, [] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* dialog = qobject_cast<TCaixaBackup*>(w); dialog && dialog->isVisible()) {
                EXPECT_EQ(dialog->DirectoryListBox1 != nullptr, true);
                dialog->CancelarClick();
            }
    });
    f->RecuperarBackupdosBancosdeDados1->trigger();
    EXPECT_EQ(m.shown.size(), 2u);

    // Closing with unsaved repair fields asks: Cancel keeps the window and the fields, Yes saves them.
    r.BDRModelo->setText("GX-2");
    m.answers = {platform::mrCancel};
    EXPECT_FALSE(f->close());
    ASSERT_EQ(m.shown.size(), 3u);
    EXPECT_EQ(m.shown[2].text, "Changes were made. Do you want to save them?");
    EXPECT_EQ(r.BDRModelo->text().toStdString(), "GX-2");
    EXPECT_TRUE(module.TabelaBDR.Active());
    m.answers = {platform::mrYes};
    EXPECT_TRUE(f->close());
    EXPECT_FALSE(module.TabelaBDR.Active());
    platform::TTable reparos;
    reparos.DatabaseName = inst.Data().string();
    reparos.TableName = "Reparos.db";
    reparos.Open();
    EXPECT_TRUE(reparos.FindKey({"Akai", "Deck", "GX-2", "Hum"}));
    delete f.data();
}
