#include "setupwizard/browse/OpenFolderDialog.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "installer/base/Strings.h"
#include "platform/core/runtime/Exception.h"
#include "platform/core/runtime/Format.h"
#include "platform/core/runtime/Text.h"
#include "platform/qt/qtglue/Messenger.h"
#include "platform/windows/sysroot/SystemRoot.h"
#include "setupwizard/browse/FolderPaths.h"
#include "setupwizard/pages/SelectPages.h"

namespace setupwizard {

namespace {

constexpr int kPathRole = Qt::UserRole;
constexpr const char* kPlaceholder = "...";

std::string PathOf(const QTreeWidgetItem* item) {
    return item ? item->data(0, kPathRole).toString().toStdString() : std::string();
}

bool HasSubfolders(const std::string& path) {
    for (const platform::DirEntry& e : platform::Files().FindFiles(path))
        if (e.directory) return true;
    return false;
}

QTreeWidgetItem* NewFolderItem(const std::string& label, const std::string& path) {
    auto* item = new QTreeWidgetItem(QStringList(QString::fromStdString(label)));
    item->setData(0, kPathRole, QString::fromStdString(path));
    if (HasSubfolders(path)) item->addChild(new QTreeWidgetItem(QStringList(kPlaceholder)));
    return item;
}

void ReportError(const std::string& text) { platform::ShowMessage(text, platform::MsgIcon::Error, platform::mbOK); }

void ReportNotAFolder(const std::string& text) {
    ReportError(platform::Format("%s is not a folder of a drive, such as C:\\Program Files.", {text}));
}

// Makes the folder with its parents; false (and said so) when it cannot be made.
bool MakeFolder(const std::string& path) {
    bool made = false;
    try {
        made = platform::Files().ForceDirectories(path);
    } catch (const platform::Exception&) {
        made = false;
    }
    if (!made) ReportError(platform::Format("Unable to create directory %s", {path}));
    return made;
}

// The prompt for a new folder's name: an edit, OK and Cancel.
class TNamePromptForm : public installer::TModalForm {
public:
    explicit TNamePromptForm(QWidget* parent) : TModalForm(parent) {
        setObjectName("NamePromptForm");
        setWindowTitle(QString::fromStdString(TOFDResourceStrings::NewFolderCaption()));
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(new QLabel(QString::fromStdString(TOFDResourceStrings::NewFolderPrompt()), this));
        Edit = new QLineEdit(this);
        Edit->setObjectName("NameEdit");
        layout->addWidget(Edit);
        auto* row = new QHBoxLayout;
        row->addStretch();
        auto* ok = new QPushButton("OK", this);
        ok->setObjectName("OkBtn");
        ok->setDefault(true);
        auto* cancel = new QPushButton("Cancel", this);
        cancel->setObjectName("CancelBtn");
        row->addWidget(ok);
        row->addWidget(cancel);
        layout->addLayout(row);
        SetButtonModalResult(ok, platform::mrOk);
        SetButtonModalResult(cancel, platform::mrCancel);
        ConnectClick(ok, [] {});
        ConnectClick(cancel, [] {});
        SetCancelButton(cancel);
        resize(320, sizeHint().height());
    }
    QLineEdit* Edit;
};

}  // namespace

// ---- texts

std::string TOFDResourceStrings::NewFolderCaption() { return "New Folder"; }
std::string TOFDResourceStrings::NewFolderPrompt() { return "Type the name of the new folder:"; }
std::string TOFDResourceStrings::BrowseTitle() { return "Choose a folder:"; }

// ---- added controls

TOFDCreateButton::TOFDCreateButton(TOpenFolderDialog& dialog, QWidget* parent)
    : QPushButton(QString::fromStdString(TOFDResourceStrings::NewFolderCaption()), parent) {
    setObjectName("CreateBtn");
    connect(this, &QPushButton::clicked, this, [&dialog] {
        installer::TModalForm::RunHandler([&dialog] { dialog.CreateFolderClick(); });
    });
}

TOFDPathEdit::TOFDPathEdit(TOpenFolderDialog& dialog, QWidget* parent) : QLineEdit(parent), dialog_(dialog) {
    setObjectName("PathEdit");
}

void TOFDPathEdit::keyReleaseEvent(QKeyEvent* event) {
    QLineEdit::keyReleaseEvent(event);
    installer::TModalForm::RunHandler([this] { dialog_.PathTyped(); });
}

// ---- the browser window

TFolderBrowserForm::TFolderBrowserForm(QWidget* parent) : TModalForm(parent) {
    setObjectName("FolderBrowserForm");
    setWindowTitle("Browse for Folder");
    auto* layout = new QVBoxLayout(this);
    auto* title = new QLabel(QString::fromStdString(TOFDResourceStrings::BrowseTitle()), this);
    title->setObjectName("TitleLabel");
    layout->addWidget(title);
    Tree = new QTreeWidget(this);
    Tree->setObjectName("FolderTree");
    Tree->setHeaderHidden(true);
    Tree->setRootIsDecorated(true);
    layout->addWidget(Tree, 1);
    auto* row = new QHBoxLayout;
    row->setObjectName("ButtonRow");
    row->addStretch();
    OkBtn = new QPushButton("OK", this);
    OkBtn->setObjectName("OkBtn");
    OkBtn->setDefault(true);
    CancelBtn = new QPushButton("Cancel", this);
    CancelBtn->setObjectName("CancelBtn");
    row->addWidget(OkBtn);
    row->addWidget(CancelBtn);
    layout->addLayout(row);
    SetButtonModalResult(CancelBtn, platform::mrCancel);
    ConnectClick(CancelBtn, [] {});
    SetCancelButton(CancelBtn);

    for (char d = 'A'; d <= 'Z'; ++d) {
        const std::string drive = std::string(1, d) + ":\\";
        if (platform::Files().DirectoryExists(drive)) Tree->addTopLevelItem(NewFolderItem(drive.substr(0, 2), drive));
    }
    connect(Tree, &QTreeWidget::itemExpanded, this,
            [this](QTreeWidgetItem* item) { RunHandler([this, item] { FillChildren(item); }); });
    resize(340, 420);
}

std::string TFolderBrowserForm::SelectedPath() const { return PathOf(Tree->currentItem()); }

void TFolderBrowserForm::FillChildren(QTreeWidgetItem* item) {
    if (item->childCount() != 1 || item->child(0)->data(0, kPathRole).isValid()) return;  // filled already
    delete item->takeChild(0);
    const std::string path = PathOf(item);
    for (const platform::DirEntry& e : platform::Files().FindFiles(path))
        if (e.directory) item->addChild(NewFolderItem(e.name, installer::AddBackslash(path) + e.name));
}

void TFolderBrowserForm::SelectPath(const std::string& path) {
    if (path.size() < 3) return;
    QTreeWidgetItem* item = nullptr;
    const QString drive = QString::fromStdString(path.substr(0, 3));
    for (int i = 0; i < Tree->topLevelItemCount(); ++i)
        if (Tree->topLevelItem(i)->data(0, kPathRole).toString().compare(drive, Qt::CaseInsensitive) == 0)
            item = Tree->topLevelItem(i);
    if (!item) return;
    const QStringList elements =
        QString::fromStdString(path.substr(3)).split(QLatin1Char('\\'), Qt::SkipEmptyParts);
    for (const QString& element : elements) {
        FillChildren(item);
        item->setExpanded(true);
        QTreeWidgetItem* next = nullptr;
        for (int i = 0; i < item->childCount() && !next; ++i)
            if (item->child(i)->text(0).compare(element, Qt::CaseInsensitive) == 0) next = item->child(i);
        if (!next) break;
        item = next;
    }
    Tree->setCurrentItem(item);
    Tree->scrollToItem(item);
}

// ---- the dialog

TOpenFolderDialog::~TOpenFolderDialog() = default;

bool TOpenFolderDialog::Execute(QWidget* parent) {
    for (;;) {
        const bool chosen = BrowseOnce(parent);
        if (!newFolderCreated_) return chosen;
        SelectedFolder = currentPath_;  // open again on the new folder
    }
}

bool TOpenFolderDialog::BrowseOnce(QWidget* parent) {
    newFolderCreated_ = false;
    TFolderBrowserForm form(parent ? parent : QApplication::activeWindow());
    browser_ = &form;
    form.ConnectClick(form.OkBtn, [this, &form] {
        if (ShowPathEdit) {
            // The edit may name a folder that does not exist yet.
            const auto path = ValidFolderPath(currentPath_);
            if (!path) {
                ReportNotAFolder(currentPath_);
                return;
            }
            if (!MakeFolder(*path)) return;
            SelectedFolder = *path;
        } else {
            SelectedFolder = form.SelectedPath();
        }
        form.SetModalResult(platform::mrOk);
    });
    QObject::connect(form.Tree, &QTreeWidget::currentItemChanged, &form,
                     [this] { installer::TModalForm::RunHandler([this] { SelectionChanged(); }); });
    Decorate();
    const int result = form.ShowModal();
    browser_ = nullptr;
    return result == platform::mrOk;
}

void TOpenFolderDialog::Decorate() {
    auto* layout = static_cast<QVBoxLayout*>(browser_->layout());
    if (ShowPathEdit) {
        pathEdit_ = new TOFDPathEdit(*this, browser_);
        layout->insertWidget(2, pathEdit_);  // below the tree
    }
    if (ShowCreateButton) {
        createButton_ = new TOFDCreateButton(*this, browser_);
        auto* row = browser_->findChild<QHBoxLayout*>("ButtonRow");
        row->insertWidget(0, createButton_);  // at the tree's left edge
    }
    SelectInBrowser(SelectedFolder);
    UpdateOk();
}

void TOpenFolderDialog::SelectInBrowser(const std::string& path) {
    selecting_ = true;
    const std::string nearest = NearestExistingFolder(platform::TrimControls(path));
    browser_->SelectPath(nearest.empty() ? std::string("C:\\") : nearest);
    selecting_ = false;
}

void TOpenFolderDialog::SelectionChanged() {
    currentPath_ = browser_->SelectedPath();
    if (pathEdit_ && !typing_) pathEdit_->setText(QString::fromStdString(currentPath_));
    UpdateOk();
}

void TOpenFolderDialog::PathTyped() {
    if (selecting_ || !browser_) return;
    typing_ = true;
    const std::string text = pathEdit_->text().toStdString();
    if (const auto path = ValidFolderPath(text); path && platform::Files().DirectoryExists(*path))
        browser_->SelectPath(*path);
    currentPath_ = text;
    typing_ = false;
    UpdateOk();
}

// OK takes a folder of a drive; the new-folder button shows exactly when OK can be pressed.
void TOpenFolderDialog::UpdateOk() {
    if (!browser_) return;
    const bool ok = ShowPathEdit ? ValidFolderPath(currentPath_).has_value() : !browser_->SelectedPath().empty();
    browser_->OkBtn->setEnabled(ok);
    if (createButton_) createButton_->setVisible(ok);
}

void TOpenFolderDialog::CreateFolderClick() {
    bool allow = true;
    if (OnCreateFolder) OnCreateFolder(createButton_, allow);
    if (!allow || !browser_) return;
    std::string folder;
    const std::string typed = pathEdit_ ? pathEdit_->text().toStdString() : std::string();
    if (pathEdit_ && !platform::Files().DirectoryExists(platform::TrimControls(typed))) {
        const auto path = ValidFolderPath(typed);
        if (!path) {
            ReportNotAFolder(typed);
            return;
        }
        folder = *path;
    } else {
        TNamePromptForm prompt(browser_);
        if (prompt.ShowModal() != platform::mrOk) return;
        const std::string name = prompt.Edit->text().toStdString();
        if (!ValidFolderName(name)) {
            ReportError(platform::Format(
                "\"%s\" is not a folder name. A name cannot be . or .., end in a dot or a blank, or hold any of "
                "\\ / : * ? \" < > |",
                {name}));
            return;
        }
        const auto path = ValidFolderPath(installer::AddBackslash(currentPath_) + name);
        if (!path) {
            ReportNotAFolder(currentPath_);
            return;
        }
        folder = *path;
    }
    if (!MakeFolder(folder)) return;
    currentPath_ = folder;
    newFolderCreated_ = true;
    UpdateOk();
    browser_->OkBtn->click();
}

void InstallFolderBrowser() {
    SetFolderBrowser([](QWidget* parent, const std::string& start) -> std::optional<std::string> {
        TOpenFolderDialog dialog;
        dialog.SelectedFolder = start;
        if (!dialog.Execute(parent)) return std::nullopt;
        return installer::RemoveBackslash(dialog.SelectedFolder);
    });
}

}  // namespace setupwizard
