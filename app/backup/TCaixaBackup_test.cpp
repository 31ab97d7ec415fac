#include "app/backup/TCaixaBackup.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "app/backup/TDirectoryListBox.h"
#include "platform/qt/qtglue/Messenger.h"
#include "platform/tables/Table.h"
#include "testkit/app/TestData.h"

using namespace vorel;
using vorel::testing::TestData;

namespace {

namespace fs = std::filesystem;

// Runs in a directory for the length of a scope.
struct InDirectory {
    fs::path before = fs::current_path();
    explicit InDirectory(const fs::path& d) { fs::current_path(d); }
    ~InDirectory() { fs::current_path(before); }
};

std::vector<std::string> Items(const QListWidget& l) {
    std::vector<std::string> out;
    for (int i = 0; i < l.count(); ++i) out.push_back(l.item(i)->text().trimmed().toStdString());
    return out;
}

TEST(TCaixaBackup, OpensTheBackupFolderOrTheCurrentOne) {
    TestData testData;
    auto m = testData.Module();
    InDirectory here(testData.Base());
    {
        TCaixaBackup dialog(*m);
        EXPECT_EQ(dialog.windowTitle().toStdString(), "Database backup");
        EXPECT_EQ(dialog.Prompt->text().toStdString(), "Select the directory where to put the backup files:");
        EXPECT_EQ(dialog.DirectoryListBox1->Directory(), testData.Base());
        // The chain down to the open folder, then its subfolders.
        auto items = Items(*dialog.DirectoryListBox1);
        EXPECT_EQ(items.back(), "data");
        EXPECT_EQ(items[items.size() - 2], testData.Base().filename().string());
    }
    fs::create_directory(testData.Data() / "Backup");
    TCaixaBackup dialog(*m);
    EXPECT_EQ(dialog.DirectoryListBox1->Directory(), testData.Data() / "Backup");
    // A double click opens a folder of the chain.
    auto* list = dialog.DirectoryListBox1;
    QListWidgetItem* parent = list->item(list->count() - 2);
    for (const char* d : {"Zeta", "apple"}) fs::create_directory(testData.Data() / d);
    emit list->itemDoubleClicked(parent);
    EXPECT_EQ(list->Directory(), testData.Data());
    // Subfolders in name order, ignoring case as Windows names do.
    auto subfolders = Items(*list);
    subfolders.erase(subfolders.begin(), subfolders.end() - 4);
    EXPECT_EQ(subfolders, (std::vector<std::string>{"apple", "Backup", "temp", "Zeta"}));
    EXPECT_FALSE(list->SetDirectory(testData.Base() / "missing"));
    EXPECT_EQ(list->Directory(), testData.Data());
}

TEST(TCaixaBackup, OKRefusesTheDataFolderAndAsksBeforeRestoring) {
    platform::ScriptedMessenger boxes;
    TestData testData;
    auto m = testData.Module();
    fs::create_directory(testData.Data() / "backup");
    TestData::AddTo(testData.Data(), "DS.db", {{"Original", "BC547"}, {"Fabricante", "Philips"}});
    for (const char* f : {"Reparos.db", "DS.db"}) fs::copy_file(testData.Data() / f, testData.Data() / "backup" / f);
    // The live table loses its row; the backup still has it.
    {
        platform::TTable t;
        t.DatabaseName = testData.Data().string();
        t.TableName = "DS.db";
        t.Open();
        t.Delete();
    }

    TCaixaBackup dialog(*m);
    dialog.DirectoryListBox1->SetDirectory(testData.Data() / "backup" / "..");
    dialog.show();
    QTest::mouseClick(dialog.OK, Qt::LeftButton);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text,
              "The selected directory is the data directory of the software. Try the \"Backup\" sub-directory (inside "
              "the \"Data\" directory) or choose an external directory, where to put the backup files.");
    EXPECT_EQ(dialog.result(), QDialog::Accepted);  // OK ends the dialog in every case
    EXPECT_FALSE(dialog.isVisible());

    dialog.DirectoryListBox1->SetDirectory(testData.Data() / "backup");
    boxes.answers = {platform::mrCancel};
    dialog.OKClick();
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[1].text, "Restore the Backup files?");
    EXPECT_EQ(boxes.shown[1].buttons, platform::mbOKCancel);
    EXPECT_EQ(boxes.shown[1].icon, platform::MsgIcon::Question);
    m->PesquisarDS.Close();
    m->PesquisarDS.Open();
    EXPECT_EQ(m->PesquisarDS.RecordCount(), 0);

    boxes.answers = {platform::mrOk};
    dialog.OKClick();
    EXPECT_EQ(boxes.shown.back().text, "Restore of the Backup done.\n");
    EXPECT_EQ(m->PesquisarDS.RecordCount(), 1);
}

}  // namespace
