// The folder-browse dialog: where it opens, what typing and the new-folder
// button do, and which texts it refuses.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTest>
#include <QTreeWidget>

#include "installer/base/Strings.h"
#include "platform/qt/qtglue/Messenger.h"
#include "platform/windows/sysroot/SystemRoot.h"
#include "setupwizard/browse/FolderPaths.h"
#include "setupwizard/browse/OpenFolderDialog.h"
#include "setupwizard/pages/SelectPages.h"
#include "testkit/files/SysrootFiles.h"
#include "testkit/files/TempDir.h"
#include "testkit/wizard/WizardDriver.h"

using namespace setupwizard;
using installer::TModalForm;
using setupwizard::testing::WizardDriver;

namespace {

class FolderDialog : public ::testing::Test {
protected:
    FolderDialog() {
        platform::Files().ForceDirectories("C:\\Program Files\\Accessories");
        platform::Files().ForceDirectories("D:\\Setup");
    }
    bool Exists(const std::string& path) { return platform::Files().DirectoryExists(path); }

    // What the browser shows now.
    static std::string Selected(TModalForm& form) {
        return static_cast<TFolderBrowserForm&>(form).SelectedPath();
    }
    static QLineEdit* Edit(TModalForm& form) { return form.findChild<QLineEdit*>("PathEdit"); }
    static void Type(TModalForm& form, const QString& text) {
        QLineEdit* edit = Edit(form);
        edit->selectAll();
        QTest::keyClicks(edit, text);
    }

    // A click that opens a modal form of its own: it runs from the event
    // loop, not inside the driver's step, so the driver can answer that form.
    static WizardDriver::Action ClickLater(const char* name) {
        return [name](TModalForm& f) {
            auto* button = f.findChild<QPushButton*>(name);
            ASSERT_NE(button, nullptr) << name;
            QMetaObject::invokeMethod(button, &QPushButton::click, Qt::QueuedConnection);
        };
    }

    platform::TempRootDir dir;
    platform::ScopedSystemRoot root{dir.Path()};
    platform::ScriptedMessenger messenger;
};

}  // namespace

TEST(FolderPaths, OnlyAbsoluteDrivePathsAndPlainNames) {
    platform::TempRootDir dir;
    platform::ScopedSystemRoot root(dir.Path());
    platform::Files().ForceDirectories("C:\\A\\B");
    EXPECT_EQ(ValidFolderPath("C:\\Program Files\\VorelSoft\\"), "C:\\Program Files\\VorelSoft");
    EXPECT_EQ(ValidFolderPath(" c:\\ "), "c:\\");
    EXPECT_EQ(ValidFolderPath("C:\\New Dir"), "C:\\New Dir");  // need not exist
    for (const char* bad : {"", "relative", "\\Windows", "C:foo", "C:/foo", "Q:\\x", "C:\\a\\..\\b", "C:\\..",
                            "C:\\a\\.\\b", "C:\\a<b", "C:\\a\\\\b", "C:\\a:b", "C:\\a|b", "C:\\a\tb"})
        EXPECT_FALSE(ValidFolderPath(bad)) << bad;

    EXPECT_TRUE(ValidFolderName("New Folder"));
    EXPECT_TRUE(ValidFolderName("tab.v2"));
    for (const char* bad : {"", "   ", ".", "..", "a\\b", "a/b", "a?", "a*", "a\"b", "end.", "end ", "a:b"})
        EXPECT_FALSE(ValidFolderName(bad)) << bad;

    EXPECT_EQ(NearestExistingFolder("C:\\A\\B\\C\\D"), "C:\\A\\B");
    EXPECT_EQ(NearestExistingFolder("C:\\A\\"), "C:\\A");
    EXPECT_EQ(NearestExistingFolder("C:\\Nothing"), "C:\\");
    EXPECT_EQ(NearestExistingFolder("Q:\\Nothing"), "");
}

TEST_F(FolderDialog, OpensOnTheNearestExistingParentAndCancelCreatesNothing) {
    TOpenFolderDialog dialog;
    dialog.SelectedFolder = "C:\\Program Files\\VorelSoft\\VorelE 300";
    std::string shown, edit;
    WizardDriver driver;
    driver.Then([&](TModalForm& f) {
        shown = Selected(f);
        edit = Edit(f)->text().toStdString();
    }).Click("CancelBtn");
    EXPECT_FALSE(dialog.Execute());
    EXPECT_EQ(shown, "C:\\Program Files");
    EXPECT_EQ(edit, "C:\\Program Files");
    EXPECT_FALSE(Exists("C:\\Program Files\\VorelSoft"));
    EXPECT_TRUE(messenger.shown.empty());
}

TEST_F(FolderDialog, ChoosingAFolderInTheTreeFollowsItInTheEdit) {
    TOpenFolderDialog dialog;
    dialog.SelectedFolder = "C:\\Program Files";
    WizardDriver driver;
    driver.Then([&](TModalForm& f) {
        auto* tree = f.findChild<QTreeWidget*>("FolderTree");
        QTreeWidgetItem* item = tree->currentItem();
        ASSERT_NE(item, nullptr);
        item->setExpanded(true);
        ASSERT_EQ(item->childCount(), 1);
        tree->setCurrentItem(item->child(0));
        EXPECT_EQ(Edit(f)->text(), "C:\\Program Files\\Accessories");
        EXPECT_EQ(dialog.CurrentPath(), "C:\\Program Files\\Accessories");
    }).Click("OkBtn");
    ASSERT_TRUE(dialog.Execute());
    EXPECT_EQ(dialog.SelectedFolder, "C:\\Program Files\\Accessories");
}

TEST_F(FolderDialog, OkOnATypedPathMakesItWithItsParents) {
    TOpenFolderDialog dialog;
    dialog.SelectedFolder = "C:\\";
    WizardDriver driver;
    driver.Then([&](TModalForm& f) { Type(f, "D:\\Setup\\Vorel\\Data"); }).Click("OkBtn");
    ASSERT_TRUE(dialog.Execute());
    EXPECT_EQ(dialog.SelectedFolder, "D:\\Setup\\Vorel\\Data");
    EXPECT_TRUE(Exists("D:\\Setup\\Vorel\\Data"));
}

TEST_F(FolderDialog, TypingAMissingPathAndNewFolderMakesItAndReopensOnIt) {
    TOpenFolderDialog dialog;
    dialog.SelectedFolder = "C:\\Program Files";
    std::string reopenedOn;
    int browses = 0;
    WizardDriver driver;
    driver.Then([&](TModalForm& f) {
        ++browses;
        Type(f, "C:\\Program Files\\VorelSoft\\VorelE 300");
        EXPECT_EQ(Selected(f), "C:\\Program Files");  // a missing folder moves nothing
    }).Click("CreateBtn").Then([&](TModalForm& f) {
        ++browses;
        reopenedOn = Selected(f);
    }).Click("OkBtn");
    ASSERT_TRUE(dialog.Execute());
    EXPECT_EQ(browses, 2);  // no name was asked for
    EXPECT_EQ(reopenedOn, "C:\\Program Files\\VorelSoft\\VorelE 300");
    EXPECT_EQ(dialog.SelectedFolder, "C:\\Program Files\\VorelSoft\\VorelE 300");
    EXPECT_FALSE(dialog.NewFolderCreated());
}

TEST_F(FolderDialog, NewFolderAsksForANameAndCancellingItChangesNothing) {
    TOpenFolderDialog dialog;
    dialog.SelectedFolder = "D:\\Setup";
    std::vector<std::string> forms;
    auto record = [&](TModalForm& f) { forms.push_back(f.objectName().toStdString()); };
    WizardDriver driver;
    driver.Then(ClickLater("CreateBtn")).Then(record).Click("CancelBtn")  // the prompt
        .Then(record).Then(ClickLater("CreateBtn"))                    // the browser, still open
        .Then([&](TModalForm& f) { QTest::keyClicks(f.findChild<QLineEdit*>("NameEdit"), "Vorel"); })
        .Click("OkBtn")
        .Then([&](TModalForm& f) { forms.push_back("reopened on " + Selected(f)); })
        .Click("OkBtn");
    ASSERT_TRUE(dialog.Execute());
    EXPECT_EQ(forms, (std::vector<std::string>{"NamePromptForm", "FolderBrowserForm", "reopened on D:\\Setup\\Vorel"}));
    EXPECT_EQ(dialog.SelectedFolder, "D:\\Setup\\Vorel");
    EXPECT_TRUE(Exists("D:\\Setup\\Vorel"));
    EXPECT_TRUE(messenger.shown.empty());
}

TEST_F(FolderDialog, RefusedNamesAndPathsAreSaidAndMakeNothing) {
    platform::testing::WriteTestFile("C:\\Blocker", "a file, not a folder");
    TOpenFolderDialog dialog;
    dialog.SelectedFolder = "D:\\Setup";
    bool okWithDotDot = true, createShown = true;
    WizardDriver driver;
    driver.Then([&](TModalForm& f) {
        Type(f, "D:\\Setup\\..\\..\\etc");
        okWithDotDot = f.findChild<QPushButton*>("OkBtn")->isEnabled();
        createShown = f.findChild<QPushButton*>("CreateBtn")->isVisible();
        Type(f, "D:\\Setup");
    }).Then(ClickLater("CreateBtn"))
        .Then([](TModalForm& f) { QTest::keyClicks(f.findChild<QLineEdit*>("NameEdit"), "..\\escape"); })
        .Click("OkBtn")
        .Then([&](TModalForm& f) { Type(f, "C:\\Blocker\\Sub"); })
        .Click("CreateBtn")  // cannot be made: a file is in the way
        .Click("CancelBtn");
    EXPECT_FALSE(dialog.Execute());
    EXPECT_FALSE(okWithDotDot);
    EXPECT_FALSE(createShown);
    ASSERT_EQ(messenger.shown.size(), 2u);
    EXPECT_NE(messenger.shown[0].text.find("\"..\\escape\" is not a folder name"), std::string::npos);
    EXPECT_EQ(messenger.shown[1].text, "Unable to create directory C:\\Blocker\\Sub");
    EXPECT_EQ(messenger.shown[1].icon, platform::MsgIcon::Error);
    EXPECT_FALSE(Exists("D:\\escape"));
    EXPECT_FALSE(Exists("D:\\Setup\\..\\escape"));
}

TEST_F(FolderDialog, OnCreateFolderCanForbidIt) {
    TOpenFolderDialog dialog;
    dialog.SelectedFolder = "D:\\Setup";
    int asked = 0;
    dialog.OnCreateFolder = [&](QObject* sender, bool& allow) {
        ++asked;
        EXPECT_EQ(sender, dialog.CreateButton());
        allow = false;
    };
    WizardDriver driver;
    driver.Then([&](TModalForm& f) { Type(f, "D:\\Setup\\New"); }).Click("CreateBtn").Click("CancelBtn");
    EXPECT_FALSE(dialog.Execute());
    EXPECT_EQ(asked, 1);
    EXPECT_FALSE(Exists("D:\\Setup\\New"));
}

TEST_F(FolderDialog, WithoutItsAdditionsItIsAPlainBrowser) {
    TOpenFolderDialog dialog;
    dialog.ShowCreateButton = false;
    dialog.ShowPathEdit = false;
    dialog.SelectedFolder = "C:\\Program Files\\Accessories\\Missing";
    bool plain = false;
    WizardDriver driver;
    driver.Then([&](TModalForm& f) {
        plain = !f.findChild<QLineEdit*>("PathEdit") && !f.findChild<QPushButton*>("CreateBtn");
    }).Click("OkBtn");
    ASSERT_TRUE(dialog.Execute());
    EXPECT_TRUE(plain);
    EXPECT_EQ(dialog.SelectedFolder, "C:\\Program Files\\Accessories");
    EXPECT_FALSE(Exists("C:\\Program Files\\Accessories\\Missing"));
}

TEST_F(FolderDialog, TheDestinationPagesBrowserIsThisDialog) {
    InstallFolderBrowser();
    ASSERT_TRUE(FolderBrowser());
    WizardDriver driver;
    driver.Then([&](TModalForm& f) { Type(f, "C:\\Program Files\\Elsewhere\\"); }).Click("OkBtn");
    EXPECT_EQ(FolderBrowser()(nullptr, "C:\\Program Files"), "C:\\Program Files\\Elsewhere");
    SetFolderBrowser({});
}
