// The pages' texts, numbers and layout, and the rules of the reboot,
// destination and start-menu folder pages against the system root.
#include <gtest/gtest.h>

#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <fstream>
#include <memory>

#include "installer/components/Messages.h"
#include "installer/components/ShellFolders.h"
#include "installer/components/StandardPathSpecifiers.h"
#include "installer/links/ShellLinkGroup.h"
#include "installer/progman/ProgramManager.h"
#include "platform/windows/sysroot/SystemRoot.h"
#include "setupwizard/framework/BaseFormContainer.h"
#include "setupwizard/pages/CopyPages.h"
#include "setupwizard/pages/EndPages.h"
#include "setupwizard/pages/SelectPages.h"
#include "setupwizard/pages/TextPages.h"
#include "setupwizard/pages/WelcomePage.h"
#include "testkit/wizard/UiDump.h"
#include "testkit/wizard/WizardDriver.h"
#include "testkit/wizard/WizardFixture.h"

using namespace setupwizard;
using setupwizard::testing::UiEntry;
using setupwizard::testing::UiFind;
using setupwizard::testing::WizardDriver;
using setupwizard::testing::WizardTest;

namespace {

struct Expected {
    const char* name;
    const char* text;
    int glid;
};

std::unique_ptr<installer::TBaseTamselForm> Make(const TFormClass& c, installer::EngineContext& context) {
    std::unique_ptr<installer::TBaseTamselForm> form(c.Create(nullptr, context));
    form->Translate();
    return form;
}

void ExpectControls(QWidget* form, const std::vector<Expected>& expected) {
    for (const Expected& e : expected) {
        SCOPED_TRACE(e.name);
        const UiEntry entry = UiFind(form, e.name);
        EXPECT_EQ(entry.text, e.text);
        EXPECT_EQ(entry.glid, e.glid);
    }
}

const std::vector<Expected> kButtons = {
    {"BackBtn", "< Previous", 4}, {"ProceedBtn", "Next >", 5}, {"CancelBtn", "Cancel", 6}};
const std::vector<Expected> kEndButtons = {
    {"BackBtn", "< Previous", 4}, {"ProceedBtn", "Next >", 5}, {"FinishBtn", "Finish", 72}};

}  // namespace

class PageDump : public WizardTest {};

TEST_F(PageDump, CaptionsTextsAndNumbers) {
    struct Page {
        const TFormClass* cls;
        const char* caption;
        std::vector<Expected> controls;
        bool endPage;
    };
    const std::vector<Page> pages = {
        {&TWelcomeForm::Class(), "Welcome",
         {{"Label1", "This program will install the software on your computer.", 10},
          {"Label2", "", 0},
          {"Label3",
           "It is strongly recommended that you exit all Windows programs before running this setup. If you need to "
           "close any programs, click Cancel to quit the setup and then close the programs.",
           11},
          {"Label4", "", 0},
          {"Label5", "Click Next to continue with the installation.", 12}},
         false},
        {&TLicenseForm::Class(), "Software license agreement",
         {{"Label1", "Please read the following License Agreement.", 2},
          {"Label3",
           "By clicking on the Next button below, you agree to all terms stated in the License Agreement. You may "
           "cancel the installation by clicking on the Cancel button.",
           3},
          {"Agreement", "", -1}},
         false},
        {&TReadmeForm::Class(), "Readme information",
         {{"Label1", "Please read the information below before you install this software on your computer.", 8},
          {"Information", "", -1}},
         false},
        {&TSelectDestinationForm::Class(), "Choose Destination Location",
         {{"Label1", "Which directory do you want to install this program into?", 85},
          {"Label2", "To install to the directory displayed below, click Next.", 86},
          {"Label3", "To install to a different directory, click Browse and select another directory.", 87},
          // Found by wording under 25, so it takes that string's case.
          {"gbDirectory", "Destination directory", -1},
          {"BrowseBtn", "&Browse", 26}},
         false},
        {&TSelectFolderForm::Class(), "Select folder in start menu",
         {{"TopDescriptionLabel",
           "Setup will add program icons to the Program Folder listed below. You may type a new folder name, or "
           "select from the E&xisting Folders list.",
           41},
          {"ProgramFolders", "&Program Folder", 42},
          {"ExistingFolders", "E&xisting Folders", 43},
          {"Label1", "", 0}, {"Label2", "", 0}, {"Label3", "", 0}, {"Label4", "", 0}},
         false},
        {&TGoodInstallForm::Class(), "Setup complete",
         {{"Label1", "The software has been properly installed. You may start the software by clicking on the icon.",
           38}},
         true},
        {&TBadInstallForm::Class(), "Setup incomplete",
         {{"TopLabel",
           "This software has not been properly installed and will not work correctly if you try to use it.", 60}},
         true},
        {&TRebootForm::Class(), "Reboot windows",
         {{"Label1",
           "Several components could not be installed on your system because they were in use. For the installation "
           "to proceed, you will need to reboot your computer. If you decide not to reboot now, the software will "
           "probably not work until you do reboot.",
           52},
          {"RGItem0", "Yes, I would like to reboot windows", -1},
          {"RGItem1", "No, I would not like to reboot windows", -1}},
         true},
    };
    for (const Page& page : pages) {
        SCOPED_TRACE(page.cls->Name);
        auto form = Make(*page.cls, Context());
        EXPECT_EQ(form->windowTitle().toStdString(), page.caption);
        EXPECT_EQ(form->size(), QSize(470, 368));
        ExpectControls(form.get(), page.controls);
        ExpectControls(form.get(), page.endPage ? kEndButtons : kButtons);
        // The shared layout.
        const UiEntry left = UiFind(form.get(), "LeftPanel");
        EXPECT_EQ(QSize(left.width, left.height), QSize(136, 314));
        const UiEntry bottom = UiFind(form.get(), "BottomPanel");
        EXPECT_EQ(QSize(bottom.width, bottom.height), QSize(468, 52));
        const UiEntry back = UiFind(form.get(), "BackBtn");
        const UiEntry next = UiFind(form.get(), "ProceedBtn");
        EXPECT_EQ(QRect(back.x, back.y, back.width, back.height), QRect(page.endPage ? 304 : 208, 15, 75, 33));
        EXPECT_EQ(QRect(next.x, next.y, next.width, next.height), QRect(page.endPage ? 384 : 288, 15, 75, 33));
        if (page.endPage) {
            const UiEntry finish = UiFind(form.get(), "FinishBtn");
            EXPECT_EQ(QRect(finish.x, finish.y, finish.width, finish.height), QRect(384, 15, 75, 33));
        } else {
            const UiEntry cancel = UiFind(form.get(), "CancelBtn");
            EXPECT_EQ(QRect(cancel.x, cancel.y, cancel.width, cancel.height), QRect(368, 15, 89, 33));
        }
        // The wizard picture comes from the install.
        EXPECT_FALSE(static_cast<TStandardPageForm*>(form.get())->ThemeBitmap->Picture().isNull());
    }
}

TEST_F(PageDump, CopyAndStatusWindows) {
    auto copy = Make(TCopyFileForm::Class(), Context());
    // Fixed places only, so the whole dump is compared.
    EXPECT_EQ(setupwizard::testing::UiDump(copy.get()),
              "TCopyFileForm CopyFileForm (0,0 466x119) hidden \"Copying installation files\"\n"
              "  QWidget LeftPanel (0,0 56x119) visible\n"
              "    TImage UnZipImage (0,8 56x40) visible\n"
              "    TImage TransferBitmap (0,8 56x40) hidden\n"
              "  QWidget RightPanel (369,0 97x119) visible\n"
              "    TTranslateBitBtn CancelBtn (4,8 89x25) visible \"Cancel\" GLID=6\n"
              "  QWidget MiddlePanel (56,0 313x119) visible\n"
              "    TTranslateLabel lblCopyFileHeader (8,8 297x16) visible \"Processing\" GLID=14\n"
              "    QFrame pnlCopyingFile (8,26 297x24) visible\n"
              "      QLabel lblCopyingFile (4,4 289x16) visible \"---\"\n"
              "    TTranslateLabel lblFileProgress (8,60 113x16) visible \"File progress\" GLID=15\n"
              "    QProgressBar ProgressBar1 (129,59 176x18) visible\n"
              "    TTranslateLabel lblTotalProgress (8,88 113x16) visible \"Total progress\" GLID=16\n"
              "    QProgressBar ProgressBar2 (129,87 176x18) visible\n");
    EXPECT_EQ(copy->windowTitle().toStdString(), "Copying installation files");
    EXPECT_EQ(copy->size(), QSize(466, 119));
    ExpectControls(copy.get(), {{"CancelBtn", "Cancel", 6},
                                {"lblCopyFileHeader", "Processing", 14},
                                {"lblCopyingFile", "---", -1},
                                {"lblFileProgress", "File progress", 15},
                                {"lblTotalProgress", "Total progress", 16}});
    EXPECT_EQ(UiFind(copy.get(), "CancelBtn").width, 89);
    EXPECT_EQ(UiFind(copy.get(), "ProgressBar1").width, 176);
    EXPECT_EQ(UiFind(copy.get(), "ProgressBar2").width, 176);
    EXPECT_EQ(UiFind(copy.get(), "LeftPanel").width, 56);
    EXPECT_EQ(UiFind(copy.get(), "RightPanel").width, 97);
    EXPECT_FALSE(UiFind(copy.get(), "TransferBitmap").visible);
    EXPECT_FALSE(copy->windowFlags() & Qt::WindowCloseButtonHint);

    auto status = Make(TInstallStatusForm::Class(), Context());
    EXPECT_EQ(status->size(), QSize(428, 58));
    EXPECT_EQ(UiFind(status.get(), "Image1").width, 49);
    EXPECT_TRUE(status->windowFlags() & Qt::FramelessWindowHint);
}

class RebootPage : public WizardTest {};

TEST_F(RebootPage, InitialChoiceFollowsRebootAndTheUserChangesIt) {
    AddManager("DialogManager5", dmReboot);
    AddDialog<TRebootDlg>("RebootDlg");
    for (bool reboot : {true, false}) {
        install.RebootFlag = reboot;
        int initial = -2;
        bool afterOpen = !reboot;
        WizardDriver driver;
        driver.Then([&](installer::TModalForm& f) {
            auto* frame = qobject_cast<TBaseFormContainer*>(&f);
            auto* page = dynamic_cast<TRebootForm*>(frame->Pages().at(0));
            initial = page->ItemIndex();
            afterOpen = install.RebootFlag;
            // The user picks the other answer.
            page->Item(reboot ? 1 : 0)->click();
        }).Click("FinishBtn");
        install.BroadcastMessage(&install, installer::imReboot, nullptr);
        EXPECT_EQ(initial, reboot ? 0 : 1);
        EXPECT_EQ(afterOpen, reboot);  // opening the page changes nothing
        EXPECT_EQ(install.RebootFlag, !reboot);
    }
}

class SelectPages : public WizardTest {
protected:
    TSelectDestinationForm* Destination() {
        destination.reset(TSelectDestinationForm::Class().Create(nullptr, Context()));
        return static_cast<TSelectDestinationForm*>(destination.get());
    }
    std::unique_ptr<installer::TBaseTamselForm> destination;
};

TEST_F(SelectPages, DestinationShowsAndTakesALiteralPath) {
    install.SetDestDirType(installer::StandardPathSpecList(Context()).FindByClass<installer::TpsProgramFiles>());
    install.SetDestDir("\\VorelSoft");
    TSelectDestinationForm* page = Destination();
    page->InitControls();
    EXPECT_EQ(page->edDestDir->text().toStdString(), "C:\\Program Files\\VorelSoft");
    EXPECT_FALSE(page->gbDirectory->isHidden());
    // Showing it wrote nothing back.
    EXPECT_NE(install.DestDirType(), nullptr);
    EXPECT_EQ(install.DestDir(), "\\VorelSoft");
    page->edDestDir->setText("D:\\Tools\\Vorel");
    EXPECT_EQ(install.DestDirType(), nullptr);
    EXPECT_EQ(install.DestDir(), "D:\\Tools\\Vorel");
    EXPECT_EQ(install.GetFullDestDir(), "D:\\Tools\\Vorel");
    // Without a destination the group is hidden.
    install.SetDestDir("");
    page->InitControls();
    EXPECT_TRUE(page->gbDirectory->isHidden());
}

TEST_F(SelectPages, BrowseMakesAMissingStartDirectoryOnlyForTheBrowser) {
    auto& files = platform::Files();
    install.SetDestDir("C:\\Program Files\\VorelSoft\\VorelE 300");
    TSelectDestinationForm* page = Destination();
    std::vector<std::string> starts;
    bool existedWhileOpen = false;
    SetFolderBrowser([&](QWidget*, const std::string& start) -> std::optional<std::string> {
        starts.push_back(start);
        existedWhileOpen = files.DirectoryExists(start);
        return std::string("C:\\Apps\\Vorel\\");
    });
    page->BrowseBtn->click();
    EXPECT_TRUE(existedWhileOpen);
    EXPECT_FALSE(files.DirectoryExists("C:\\Program Files\\VorelSoft\\VorelE 300"));
    EXPECT_FALSE(files.DirectoryExists("C:\\Program Files\\VorelSoft"));
    EXPECT_TRUE(files.DirectoryExists("C:\\Program Files"));
    EXPECT_EQ(install.DestDir(), "C:\\Apps\\Vorel");
    EXPECT_EQ(install.DestDirType(), nullptr);
    EXPECT_EQ(page->edDestDir->text().toStdString(), "C:\\Apps\\Vorel");

    // A directory that gained a file meanwhile stays, and so do its parents.
    install.SetDestDir("C:\\Program Files\\A\\B");
    SetFolderBrowser([&](QWidget*, const std::string& start) -> std::optional<std::string> {
        std::ofstream(files.HostPath(start + "\\readme.txt")) << "x";
        return std::nullopt;
    });
    page->BrowseBtn->click();
    EXPECT_TRUE(files.DirectoryExists("C:\\Program Files\\A\\B"));
    EXPECT_EQ(install.DestDir(), "C:\\Program Files\\A\\B");  // cancelled: unchanged

    // A directory that cannot be made: said so, and the browser stays shut.
    std::ofstream(files.HostPath("C:\\Program Files\\blocker")) << "a file";
    install.SetDestDir("C:\\Program Files\\blocker\\Vorel");
    starts.clear();
    SetFolderBrowser([&](QWidget*, const std::string& start) -> std::optional<std::string> {
        starts.push_back(start);
        return std::nullopt;
    });
    page->BrowseBtn->click();
    EXPECT_TRUE(starts.empty());
    ASSERT_EQ(messenger.shown.size(), 1u);
    EXPECT_EQ(messenger.shown[0].text, "Unable to create directory");
    messenger.shown.clear();

    // An empty destination still opens the browser.
    install.SetDestDir("");
    starts.clear();
    SetFolderBrowser([&](QWidget*, const std::string& start) -> std::optional<std::string> {
        starts.push_back(start);
        return std::nullopt;
    });
    page->BrowseBtn->click();
    EXPECT_EQ(starts, std::vector<std::string>{""});
    EXPECT_TRUE(messenger.shown.empty());
    SetFolderBrowser({});
}

TEST_F(SelectPages, StartMenuFolderRules) {
    auto& files = platform::Files();
    const std::string programs = installer::GetProgramsDir();
    ASSERT_TRUE(files.ForceDirectories(programs + "\\Zeta Tools"));
    ASSERT_TRUE(files.ForceDirectories(programs + "\\Accessories"));
    ASSERT_TRUE(files.ForceDirectories(programs + "\\games"));
    std::ofstream(files.HostPath(programs + "\\readme.txt")) << "not a folder";

    // Without a link group the page skips.
    {
        std::unique_ptr<installer::TBaseTamselForm> form(TSelectFolderForm::Class().Create(nullptr, Context()));
        EXPECT_TRUE(static_cast<TSelectFolderForm*>(form.get())->Skip());
    }
    auto& group = owner.Create<installer::testing::TTestLinkGroup>();
    group.SetName("MainFolder");
    Links(Context()).GlobalMainLinkGroup = &group;
    std::unique_ptr<installer::TBaseTamselForm> form(TSelectFolderForm::Class().Create(nullptr, Context()));
    auto* page = static_cast<TSelectFolderForm*>(form.get());
    EXPECT_FALSE(page->Skip());
    page->InitControls();
    ASSERT_EQ(page->FolderListBox->count(), 3);
    EXPECT_EQ(page->FolderListBox->item(0)->text().toStdString(), "Accessories");
    EXPECT_EQ(page->FolderListBox->item(1)->text().toStdString(), "games");
    EXPECT_EQ(page->FolderListBox->item(2)->text().toStdString(), "Zeta Tools");
    // No folder of its own yet: the first entry, committed at once.
    EXPECT_EQ(page->FolderEdit->text().toStdString(), "Accessories");
    EXPECT_NE(dynamic_cast<installer::TpsProgramMenu*>(group.DestDirType()), nullptr);
    EXPECT_EQ(group.DestDir(), "\\Accessories");

    group.SetDestDir("\\Vorel Electronics");
    page->InitControls();
    EXPECT_EQ(page->FolderEdit->text().toStdString(), "Vorel Electronics");
    page->FolderListBox->setCurrentRow(2);
    page->FolderListBoxClick();
    EXPECT_EQ(group.DestDir(), "\\Zeta Tools");
    page->FolderEdit->setText("My Folder");
    EXPECT_EQ(group.DestDir(), "\\My Folder");

    // A name that climbs out of the Programs folder is refused.
    for (const char* bad : {"..", "..\\..\\WINDOWS", "a\\..\\..\\b", " .. "}) {
        page->FolderEdit->setText(bad);
        EXPECT_EQ(group.DestDir(), "\\My Folder") << bad;
        EXPECT_FALSE(page->ProceedBtn->isEnabled()) << bad;
    }
    page->FolderEdit->setText("Sub\\Folder..");
    EXPECT_EQ(group.DestDir(), "\\Sub\\Folder..");
    EXPECT_TRUE(page->ProceedBtn->isEnabled());

    page->resize(500, 400);
    EXPECT_EQ(page->Label1->height(), 18);
    EXPECT_EQ(page->Label3->height(), 8);
    EXPECT_EQ(page->Label4->height(), 8);
}

TEST_F(SelectPages, ProgramManagerGroupsOnNT351) {
    {
        std::ofstream ini(rootDir.Path() / "platform.ini");
        ini << "[Windows]\nPlatformId=2\nMajorVersion=3\nMinorVersion=51\n";
    }
    auto& group = owner.Create<installer::testing::TTestLinkGroup>();
    group.SetName("MainFolder");
    Links(Context()).GlobalMainLinkGroup = &group;
    Links(Context()).ProgramManagerGroups = [] { return std::vector<std::string>{"Main", "Accessories"}; };
    std::unique_ptr<installer::TBaseTamselForm> form(TSelectFolderForm::Class().Create(nullptr, Context()));
    auto* page = static_cast<TSelectFolderForm*>(form.get());
    page->InitControls();
    ASSERT_EQ(page->FolderListBox->count(), 2);
    EXPECT_EQ(page->FolderListBox->item(0)->text().toStdString(), "Accessories");
}

TEST_F(SelectPages, TheEnginesFolderAndProgramManagerGroups) {
    {
        std::ofstream ini(rootDir.Path() / "platform.ini");
        ini << "[Windows]\nPlatformId=2\nMajorVersion=3\nMinorVersion=51\n";
    }
    installer::TProgramManager& programManager = installer::GlobalProgramManager(Context());
    programManager.CreateGroup("Main");
    programManager.CreateGroup("Accessories");
    auto& group = owner.Create<installer::TMainLinkGroup>();
    group.SetDestDir("\\Vorel Electronics");
    {
        std::unique_ptr<installer::TBaseTamselForm> form(TSelectFolderForm::Class().Create(nullptr, Context()));
        auto* page = static_cast<TSelectFolderForm*>(form.get());
        EXPECT_FALSE(page->Skip());
        page->InitControls();
        ASSERT_EQ(page->FolderListBox->count(), 2);
        EXPECT_EQ(page->FolderListBox->item(0)->text().toStdString(), "Accessories");
        EXPECT_EQ(page->FolderEdit->text().toStdString(), "Vorel Electronics");
        page->FolderEdit->setText("Tools");
        EXPECT_EQ(group.DestDir(), "\\Tools");
    }
    group.Free();  // the wizard forgets a folder the engine freed
    EXPECT_EQ(Links(Context()).GlobalMainLinkGroup, nullptr);
}

TEST_F(SelectPages, LinkedWithoutADialogTheyJoinTheBeforeInstallWizard) {
    AddManager("DialogManager", dmBeforeInstall);
    AddDialog<TWelcomeDlg>("WelcomeDlg");
    InitSelectDestinationFormUnit(Context());
    InitSelectFolderFormUnit(Context());  // no link group: skipped
    install.SetDestDir("C:\\Program Files\\VorelSoft");
    std::vector<std::string> titles;
    auto record = [&](installer::TModalForm& f) { titles.push_back(f.windowTitle().toStdString()); };
    WizardDriver driver;
    driver.Then(record).Click("ProceedBtn").Then(record).Click("ProceedBtn");
    install.BroadcastMessage(&install, installer::imBeforeInstall, nullptr);
    EXPECT_EQ(titles, (std::vector<std::string>{"Welcome", "Choose Destination Location"}));
}
