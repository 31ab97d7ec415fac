#include "setupwizard/pages/SelectPages.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QResizeEvent>
#include <QSignalBlocker>
#include <vector>

#include "installer/base/ApiRoutines.h"
#include "installer/base/Strings.h"
#include "installer/components/InstallContainer.h"
#include "installer/components/ShellFolders.h"
#include "installer/components/StandardPathSpecifiers.h"
#include "platform/core/runtime/Text.h"
#include "platform/qt/qtglue/Messenger.h"
#include "platform/windows/sysroot/SystemRoot.h"
#include "setupwizard/framework/WizardInstall.h"

namespace setupwizard {

using installer::TTranslateBitBtn;

namespace {
const PageDesign kDestination{"SelectDestinationForm", "Choose Destination Location", dmBeforeInstall, 45, false, 5};
const PageDesign kFolder{"SelectFolderForm", "Select folder in start menu", dmBeforeInstall, 60, false, 8};

TFolderBrowser& BrowserHook() {
    static TFolderBrowser browser;
    return browser;
}

// The directory above a Windows path; empty at a drive root or without one.
std::string ParentOf(const std::string& path) {
    const std::string p = installer::RemoveBackslash(path);
    const auto slash = p.rfind('\\');
    if (slash == std::string::npos || slash == 0) return {};
    std::string parent = p.substr(0, slash);
    if (!parent.empty() && parent.back() == ':') parent += '\\';
    return parent;
}

// Directories made for the browser's sake; removed again, innermost first,
// as long as each is still empty.
class TemporaryDirectories {
public:
    ~TemporaryDirectories() {
        for (auto it = made_.rbegin(); it != made_.rend(); ++it) {
            try {
                if (!platform::Files().RemoveDir(*it)) break;
            } catch (const platform::Exception&) {
                break;
            }
        }
    }
    // Creates path with every missing parent; false when one cannot be made.
    bool Force(const std::string& path) {
        std::vector<std::string> missing;
        for (std::string p = path; !p.empty() && !platform::Files().DirectoryExists(p); p = ParentOf(p))
            missing.push_back(p);
        for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
            if (!platform::Files().CreateDir(*it)) return false;
            made_.push_back(*it);
        }
        return true;
    }

private:
    std::vector<std::string> made_;
};

std::string LastPathElement(const std::string& path) {
    const std::string p = installer::RemoveBackslash(path);
    const auto slash = p.rfind('\\');
    return slash == std::string::npos ? p : p.substr(slash + 1);
}
}  // namespace

void SetFolderBrowser(TFolderBrowser browser) { BrowserHook() = std::move(browser); }
const TFolderBrowser& FolderBrowser() { return BrowserHook(); }

bool IsSafeFolderName(const std::string& name) {
    std::string element;
    for (std::size_t i = 0; i <= name.size(); ++i) {
        if (i == name.size() || name[i] == '\\' || name[i] == '/') {
            if (platform::TrimSpaces(element) == "..") return false;
            element.clear();
        } else {
            element += name[i];
        }
    }
    return true;
}

// ---------------------------------------------------------------- destination

TSelectDestinationForm::TSelectDestinationForm(QWidget* owner, installer::EngineContext& context)
    : TStandardPageForm(owner, context, kDestination) {
    AddLabel("Label1", "Which directory do you want to install this program into?", 85, TAlign::Top);
    AddLabel("Label2", "To install to the directory displayed below, click Next.", 86, TAlign::Top);
    AddLabel("Label3", "To install to a different directory, click Browse and select another directory.", 87,
             TAlign::Top);
    gbDirectory = new QGroupBox("Destination Directory", ClientPanel);
    gbDirectory->setObjectName("gbDirectory");
    gbDirectory->resize(322, 57);
    edDestDir = new QLineEdit(gbDirectory);
    edDestDir->setObjectName("edDestDir");
    edDestDir->setGeometry(9, 24, 209, 21);
    BrowseBtn = new TTranslateBitBtn("&Browse", gbDirectory);
    BrowseBtn->setObjectName("BrowseBtn");
    BrowseBtn->SetGLID(26);
    BrowseBtn->setGeometry(226, 22, 89, 25);
    ClientPanel->AddAligned(gbDirectory, TAlign::Bottom, false);
    connect(edDestDir, &QLineEdit::textChanged, this, [this] { RunHandler([this] { edDestDirChange(); }); });
    ConnectClick(BrowseBtn, [this] { BrowseBtnClick(); });
}

const TFormClass& TSelectDestinationForm::Class() {
    static const TFormClass c{"TSelectDestinationForm", [](QWidget* owner, installer::EngineContext& context) {
                                  return new TSelectDestinationForm(owner, context);
                              }};
    return c;
}

void TSelectDestinationForm::ShowDestDir(const std::string& dir) {
    guard_ = true;
    edDestDir->setText(QString::fromStdString(dir));
    guard_ = false;
}

void TSelectDestinationForm::InitControls() {
    TStandardPageForm::InitControls();
    installer::TInstallContainer* install = InstallObject(*Context());
    const std::string dir = install ? install->GetFullDestDir() : std::string();
    guard_ = true;
    gbDirectory->setVisible(!dir.empty());
    edDestDir->setText(QString::fromStdString(dir));
    guard_ = false;
    ClientPanel->Realign();
}

void TSelectDestinationForm::edDestDirChange() {
    if (guard_) return;
    if (installer::TInstallContainer* install = InstallObject(*Context())) {
        install->SetDestDirType(nullptr);
        install->SetDestDir(edDestDir->text().toStdString());
    }
}

void TSelectDestinationForm::BrowseBtnClick() {
    installer::TInstallContainer* install = InstallObject(*Context());
    const std::string start = platform::TrimSpaces(install ? install->GetFullDestDir() : std::string());
    TemporaryDirectories made;
    bool created = true;
    try {
        created = made.Force(start);
    } catch (const platform::Exception&) {
        created = false;
    }
    if (!created) {
        platform::ShowMessage("Unable to create directory", platform::MsgIcon::Error, platform::mbOK);
        return;
    }
    if (!FolderBrowser()) return;
    const std::optional<std::string> chosen = FolderBrowser()(this, start);
    if (!chosen || !install) return;
    const std::string folder = installer::RemoveBackslash(*chosen);
    install->SetDestDirType(nullptr);
    install->SetDestDir(folder);
    ShowDestDir(folder);
}

// ---------------------------------------------------------------- start-menu folder

TSelectFolderForm::TSelectFolderForm(QWidget* owner, installer::EngineContext& context)
    : TStandardPageForm(owner, context, kFolder), hasLinkGroup_(Links(context).GlobalMainLinkGroup != nullptr) {
    TopDescriptionLabel = AddLabel("TopDescriptionLabel",
                                   "Setup will add program icons to the Program Folder listed below. You may type a "
                                   "new folder name, or select from the E&xisting Folders list.",
                                   41, TAlign::Top);
    Label1 = AddSpacer("Label1", 18, TAlign::Top);
    ProgramFolders = AddLabel("ProgramFolders", "&Program Folder", 42, TAlign::Top);
    FolderEdit = new QLineEdit(ClientPanel);
    FolderEdit->setObjectName("FolderEdit");
    FolderEdit->resize(FolderEdit->width(), 21);
    ClientPanel->AddAligned(FolderEdit, TAlign::Top, false);
    Label3 = AddSpacer("Label3", 8, TAlign::Top);
    ExistingFolders = AddLabel("ExistingFolders", "E&xisting Folders", 43, TAlign::Top);
    Label4 = AddSpacer("Label4", 8, TAlign::Top);
    Label2 = AddSpacer("Label2", 8, TAlign::Bottom);
    FolderListBox = new QListWidget(ClientPanel);
    FolderListBox->setObjectName("FolderListBox");
    ClientPanel->AddAligned(FolderListBox, TAlign::Client, false);
    ProgramFolders->setBuddy(FolderEdit);
    ExistingFolders->setBuddy(FolderListBox);
    // Its text names the list with the same accelerator.
    TopDescriptionLabel->setBuddy(FolderListBox);
    ProceedBtn->setDefault(true);
    connect(FolderEdit, &QLineEdit::textChanged, this, [this] { RunHandler([this] { FolderEditChange(); }); });
    connect(FolderListBox, &QListWidget::itemClicked, this, [this] { RunHandler([this] { FolderListBoxClick(); }); });
}

const TFormClass& TSelectFolderForm::Class() {
    static const TFormClass c{"TSelectFolderForm", [](QWidget* owner, installer::EngineContext& context) {
                                  return new TSelectFolderForm(owner, context);
                              }};
    return c;
}

void TSelectFolderForm::FillFolderList() {
    FolderListBox->clear();
    QStringList names;
    const int version = installer::GetWindowsVersion();
    if (version == 1 || version == 2) {
        for (const platform::DirEntry& entry : platform::Files().FindFiles(installer::GetProgramsDir(), "*.*"))
            if (entry.directory) names << QString::fromStdString(entry.name);
    } else if (Links(*Context()).ProgramManagerGroups) {
        for (const std::string& group : Links(*Context()).ProgramManagerGroups()) names << QString::fromStdString(group);
    }
    // A sorted list box orders its entries ignoring case.
    names.sort(Qt::CaseInsensitive);
    FolderListBox->addItems(names);
}

void TSelectFolderForm::InitControls() {
    TStandardPageForm::InitControls();
    FillFolderList();
    std::string folder;
    installer::TInstallContainer* group = Links(*Context()).GlobalMainLinkGroup;
    if (group && dynamic_cast<installer::TpsProgramMenu*>(group->DestDirType()))
        folder = LastPathElement(group->DestDir());
    if (folder.empty() && FolderListBox->count() > 0) folder = FolderListBox->item(0)->text().toStdString();
    {
        const QSignalBlocker blocker(FolderEdit);
        FolderEdit->setText(QString::fromStdString(folder));
    }
    FolderEditChange();
}

void TSelectFolderForm::FolderListBoxClick() {
    if (QListWidgetItem* item = FolderListBox->currentItem()) FolderEdit->setText(item->text());
}

void TSelectFolderForm::FolderEditChange() {
    installer::TInstallContainer* group = Links(*Context()).GlobalMainLinkGroup;
    if (!group) return;
    const std::string name = FolderEdit->text().toStdString();
    // A name that climbs out of the Programs folder is never taken.
    const bool safe = IsSafeFolderName(name);
    ProceedBtn->setEnabled(safe);
    if (!safe) return;
    group->SetDestDirType(installer::StandardPathSpecList(*Context()).FindByClass<installer::TpsProgramMenu>());
    group->SetDestDir("\\" + name);
}

void TSelectFolderForm::FormResize() {
    Label1->resize(Label1->width(), 18);
    Label3->resize(Label3->width(), 8);
    Label4->resize(Label4->width(), 8);
}

void TSelectFolderForm::resizeEvent(QResizeEvent* event) {
    TStandardPageForm::resizeEvent(event);
    RunHandler([this] { FormResize(); });
}

void InitSelectDestinationFormUnit(installer::EngineContext& context) {
    InitPageFormUnit(context, TSelectDestinationForm::Class());
}

void InitSelectFolderFormUnit(installer::EngineContext& context) {
    InitPageFormUnit(context, TSelectFolderForm::Class());
}

}  // namespace setupwizard
