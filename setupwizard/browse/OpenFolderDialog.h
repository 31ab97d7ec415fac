#pragma once
// TOpenFolderDialog: lets the user pick a folder of the system root's
// drives in a modal browser: a folder tree, OK and Cancel, and, when asked
// for, a button that creates a new folder and an edit in which a path can
// be typed. Creating a folder closes the browser and opens it again with
// the new folder selected.
//
// What a user types is checked: a path must be absolute on a drive of the
// root and a new folder's name one plain path element; a refused text or a
// folder that cannot be made is reported in a message box and the browser
// stays open.
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <functional>
#include <string>

#include "installer/baseform/ModalForm.h"

class QTreeWidget;
class QTreeWidgetItem;

namespace setupwizard {

class TOpenFolderDialog;

// The texts of the browser (the system's own strings on Windows).
struct TOFDResourceStrings {
    static std::string NewFolderCaption();  // the button and the name prompt's title
    static std::string NewFolderPrompt();
    static std::string BrowseTitle();
};

class TOFDCreateButton : public QPushButton {
    Q_OBJECT
public:
    TOFDCreateButton(TOpenFolderDialog& dialog, QWidget* parent);
};

class TOFDPathEdit : public QLineEdit {
    Q_OBJECT
public:
    TOFDPathEdit(TOpenFolderDialog& dialog, QWidget* parent);

protected:
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    TOpenFolderDialog& dialog_;
};

// The browser window of one Execute.
class TFolderBrowserForm : public installer::TModalForm {
    Q_OBJECT
public:
    explicit TFolderBrowserForm(QWidget* parent);

    QTreeWidget* Tree = nullptr;
    QPushButton* OkBtn = nullptr;
    QPushButton* CancelBtn = nullptr;
    // The folder of the selected tree item ("C:\" for a drive), or "".
    std::string SelectedPath() const;
    // Selects the item of that existing folder, opening its parents.
    void SelectPath(const std::string& path);

private:
    void FillChildren(QTreeWidgetItem* item);
};

class TOpenFolderDialog {
public:
    TOpenFolderDialog() = default;
    ~TOpenFolderDialog();
    TOpenFolderDialog(const TOpenFolderDialog&) = delete;
    TOpenFolderDialog& operator=(const TOpenFolderDialog&) = delete;

    // Runs the browser over parent; true with the choice in SelectedFolder.
    bool Execute(QWidget* parent = nullptr);

    // The folder to select when the browser opens, and the result.
    std::string SelectedFolder;
    bool ShowCreateButton = true;
    bool ShowPathEdit = true;
    // Asked before a folder is created; Allow false stops it.
    std::function<void(QObject* sender, bool& allow)> OnCreateFolder;

    // The folder now selected or typed, and whether the last browse ended by creating one.
    const std::string& CurrentPath() const { return currentPath_; }
    bool NewFolderCreated() const { return newFolderCreated_; }

    // The browser while it is open (for tests and the added controls).
    TFolderBrowserForm* Browser() const { return browser_; }
    TOFDCreateButton* CreateButton() const { return createButton_; }
    TOFDPathEdit* PathEdit() const { return pathEdit_; }

private:
    friend class TOFDCreateButton;
    friend class TOFDPathEdit;
    bool BrowseOnce(QWidget* parent);
    void Decorate();
    void SelectInBrowser(const std::string& path);
    void SelectionChanged();
    void PathTyped();
    void CreateFolderClick();
    void UpdateOk();

    QPointer<TFolderBrowserForm> browser_;
    QPointer<TOFDCreateButton> createButton_;
    QPointer<TOFDPathEdit> pathEdit_;
    std::string currentPath_;
    bool newFolderCreated_ = false;
    bool selecting_ = false;  // the dialog itself moves the selection
    bool typing_ = false;     // the edit's text is being applied
};

// Makes the destination page's Browse open this dialog.
void InstallFolderBrowser();

}  // namespace setupwizard
