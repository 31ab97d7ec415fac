#pragma once
// The modal wizard frame: it hosts the pages of one manager, shows one at a
// time in Order, walks them with Back and Next (passing over pages that
// skip) and refuses to close unless finishing or aborting.
#include <QList>

#include "installer/baseform/ModalForm.h"
#include "setupwizard/framework/Placement.h"

class QTabBar;
class QWidget;

namespace installer {
class EngineContext;
}

namespace setupwizard {

class TBaseInstallForm;

class TBaseFormContainer : public installer::TModalForm {
    Q_OBJECT
public:
    explicit TBaseFormContainer(installer::EngineContext& context);
    ~TBaseFormContainer() override;

    installer::EngineContext& Context() const { return context_; }
    // The area the current page covers.
    QWidget* DisplayPanel() const { return displayPanel_; }
    // The hidden tab row: one tab per page, its index the current page.
    QTabBar* Tabs() const { return tabs_; }
    int TabIndex() const;
    const QList<TBaseInstallForm*>& Pages() const { return pages_; }
    bool Finishing() const { return finishing_; }

    // Outer size of the window (border and caption included).
    void SetOuterSize(int width, int height);
    int OuterWidth() const;
    int OuterHeight() const;

    virtual void Next();
    virtual void Previous();
    virtual void Place(TTamselDialogPosition position, int leftOffset, int topOffset);

    int BuildPages();
    bool GoToPage(int index, bool backwards);
    bool IsFirstPage() const;
    bool IsLastPage() const;

    // Shows this page of the frame and hides the others.
    void ShowOnlyPage(TBaseInstallForm* page);

    // Handlers of the stored form.
    void FormCreate();
    void FormDestroy();
    void FormResize();
    void FormShow();
    void TabsChange();
    void TabsChanging();

protected:
    bool CloseAllowed(int result) override;
    void CancelRequested() override;
    void CloseRequested() override {}
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    installer::EngineContext& context_;
    QWidget* displayPanel_;
    QList<TBaseInstallForm*> pages_;
    QTabBar* tabs_;
    bool sizing_ = false;
    bool finishing_ = false;
};

}  // namespace setupwizard
