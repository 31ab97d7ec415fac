#pragma once
// The destination page and the start-menu folder page. No dialog component
// brings them onto the setup form in this product; a program that links
// their units without one gets them as pages of the before-install wizard.
#include <functional>
#include <optional>
#include <string>

#include "setupwizard/pages/StandardPage.h"

class QGroupBox;
class QLineEdit;
class QListWidget;

namespace setupwizard {

// The folder browser behind Browse: given the start directory, the chosen
// folder, or nothing when cancelled. The folder-browse dialog installs it.
using TFolderBrowser = std::function<std::optional<std::string>(QWidget* parent, const std::string& startDir)>;
void SetFolderBrowser(TFolderBrowser browser);
const TFolderBrowser& FolderBrowser();

class TSelectDestinationForm : public TStandardPageForm {
    Q_OBJECT
public:
    TSelectDestinationForm(QWidget* owner, installer::EngineContext& context);
    static const TFormClass& Class();

    QGroupBox* gbDirectory = nullptr;
    QLineEdit* edDestDir = nullptr;
    installer::TTranslateBitBtn* BrowseBtn = nullptr;

    void InitControls() override;
    void edDestDirChange();
    void BrowseBtnClick();

private:
    void ShowDestDir(const std::string& dir);
    bool guard_ = false;
};

class TSelectFolderForm : public TStandardPageForm {
    Q_OBJECT
public:
    TSelectFolderForm(QWidget* owner, installer::EngineContext& context);
    static const TFormClass& Class();

    installer::TTranslateLabel* TopDescriptionLabel = nullptr;
    installer::TTranslateLabel* ProgramFolders = nullptr;
    QLineEdit* FolderEdit = nullptr;
    installer::TTranslateLabel* ExistingFolders = nullptr;
    QListWidget* FolderListBox = nullptr;
    installer::TTranslateLabel *Label1 = nullptr, *Label2 = nullptr, *Label3 = nullptr, *Label4 = nullptr;

    bool Skip() override { return !hasLinkGroup_; }
    void InitControls() override;
    void FillFolderList();
    void FolderListBoxClick();
    void FolderEditChange();
    void FormResize();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    bool hasLinkGroup_ = false;
};

// Whether a start-menu folder name may be used: no element of it is "..".
bool IsSafeFolderName(const std::string& name);

// The units of the two pages, which this product does not link.
void InitSelectDestinationFormUnit(installer::EngineContext& context);
void InitSelectFolderFormUnit(installer::EngineContext& context);

}  // namespace setupwizard
