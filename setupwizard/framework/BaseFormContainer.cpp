#include "setupwizard/framework/BaseFormContainer.h"

#include <QAbstractButton>
#include <QFont>
#include <QGuiApplication>
#include <QResizeEvent>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QTabBar>
#include <memory>

#include "installer/translator/Translator.h"
#include "installer/translator/forms/FormTranslation.h"
#include "platform/core/runtime/Exception.h"
#include "platform/qt/qtglue/Messenger.h"
#include "setupwizard/framework/BaseInstallDlg.h"
#include "setupwizard/framework/BaseInstallForm.h"

namespace setupwizard {

TBaseFormContainer::TBaseFormContainer(installer::EngineContext& context)
    : TModalForm(nullptr), context_(context), displayPanel_(new QWidget(this)), tabs_(new QTabBar(this)) {
    setObjectName("BaseFormContainer");
    // No caption buttons: the wizard ends through its pages.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    QFont font("Arial");
    font.setPixelSize(11);
    setFont(font);
    QPalette p = palette();
    p.setColor(QPalette::WindowText, Qt::black);
    setPalette(p);
    resize(487, 368);
    tabs_->setObjectName("Tabs");
    tabs_->setVisible(false);
    tabs_->setGeometry(0, 0, width(), 0);
    displayPanel_->setObjectName("DisplayPanel");
    displayPanel_->setGeometry(rect());
    connect(tabs_, &QTabBar::tabBarClicked, this, [this] { RunHandler([this] { TabsChanging(); }); });
    connect(tabs_, &QTabBar::currentChanged, this, [this] { RunHandler([this] { TabsChange(); }); });
    FormCreate();
}

TBaseFormContainer::~TBaseFormContainer() { FormDestroy(); }

void TBaseFormContainer::SetOuterSize(int width, int height) {
    const QSize client = ClientSizeOf(width, height);
    resize(client);
}

int TBaseFormContainer::OuterWidth() const { return width() + 2 * kDialogBorder; }
int TBaseFormContainer::OuterHeight() const { return height() + 2 * kDialogBorder + kCaptionHeight; }

void TBaseFormContainer::FormCreate() {
    installer::SetFontCharset(*this, 0);
    sizing_ = true;
    SetOuterSize(478, 395);
    sizing_ = false;
    finishing_ = false;
}

void TBaseFormContainer::FormDestroy() {
    // The pages are children of the frame and go with it.
    pages_.clear();
}

void TBaseFormContainer::FormResize() {
    if (sizing_) return;
    displayPanel_->setGeometry(rect());
    for (TBaseInstallForm* page : pages_) {
        page->setGeometry(displayPanel_->geometry());
        page->update();
    }
}

void TBaseFormContainer::resizeEvent(QResizeEvent* event) {
    TModalForm::resizeEvent(event);
    displayPanel_->setGeometry(rect());
    RunHandler([this] { FormResize(); });
}

void TBaseFormContainer::FormShow() {
    if (!GoToPage(0, true)) GoToPage(0, false);
    // Off screen there is no window stack to raise the frame in.
    if (QGuiApplication::platformName() != QLatin1String("offscreen")) {
        raise();
        activateWindow();
    }
}

void TBaseFormContainer::showEvent(QShowEvent* event) {
    TModalForm::showEvent(event);
    if (!event->spontaneous()) RunHandler([this] { FormShow(); });
}

int TBaseFormContainer::TabIndex() const { return tabs_->currentIndex(); }

void TBaseFormContainer::TabsChange() {
    if (!GoToPage(TabIndex(), true)) GoToPage(TabIndex(), false);
}

void TBaseFormContainer::TabsChanging() {
    if (TabIndex() >= 0 && TabIndex() < pages_.size()) pages_[TabIndex()]->Leave();
}

bool TBaseFormContainer::GoToPage(int index, bool backwards) {
    while (index >= 0 && index < pages_.size()) {
        TBaseInstallForm* page = pages_[index];
        if (page->Skip()) {
            index += backwards ? -1 : 1;
            continue;
        }
        {
            // Set by the program: no change event, as the tab control does.
            const QSignalBlocker blocker(tabs_);
            tabs_->setCurrentIndex(index);
        }
        setWindowTitle(page->windowTitle());
        page->Activate();
        return true;
    }
    return false;
}

void TBaseFormContainer::ShowOnlyPage(TBaseInstallForm* page) {
    for (TBaseInstallForm* p : pages_)
        if (p != page) p->setVisible(false);
    if (page) page->setVisible(true);
}

void TBaseFormContainer::Previous() {
    if (!GoToPage(TabIndex() - 1, true)) GoToPage(TabIndex() - 1, false);
}

void TBaseFormContainer::Next() {
    const int before = TabIndex();
    if (!GoToPage(before + 1, false)) GoToPage(before + 1, true);
    if (TabIndex() == before) {
        finishing_ = true;
        SetModalResult(platform::mrOk);
    }
}

bool TBaseFormContainer::IsFirstPage() const {
    for (int i = 0; i < TabIndex() && i < pages_.size(); ++i)
        if (!pages_[i]->Skip()) return false;
    return true;
}

bool TBaseFormContainer::IsLastPage() const { return pages_.size() == TabIndex() + 1; }

void TBaseFormContainer::Place(TTamselDialogPosition position, int leftOffset, int topOffset) {
    const QSize screen = ScreenSize();
    const ScreenPlacement at =
        PlaceTruncated(position, OuterWidth(), OuterHeight(), screen.width(), screen.height(), leftOffset, topOffset);
    move(at.left, at.top);
}

bool TBaseFormContainer::CloseAllowed(int result) { return finishing_ || result == platform::mrAbort; }

void TBaseFormContainer::CancelRequested() {
    // Esc on the frame itself goes to the current page.
    if (TabIndex() >= 0 && TabIndex() < pages_.size()) {
        TBaseInstallForm* page = pages_[TabIndex()];
        if (QAbstractButton* cancel = page->CancelButton(); cancel && cancel->isVisible() && cancel->isEnabled())
            cancel->click();
    }
}

int TBaseFormContainer::BuildPages() {
    WizardRegistries& registries = Registries(context_);
    TDialogManager* current = registries.CurrentDialogManager;
    if (!current) throw platform::Exception(installer::TranslateString("The current dialog manager is not defined"));
    pages_.clear();
    {
        const QSignalBlocker blocker(tabs_);
        while (tabs_->count() > 0) tabs_->removeTab(0);
    }
    QList<TBaseInstallForm*> kept;
    if (registries.BIFList) {
        for (TFormEntry* entry : registries.BIFList->Snapshot()) {
            TCustomBaseInstallDlg* dialog = entry->Dialog;
            if (dialog && (dialog->DialogManager() != current || !dialog->Include())) continue;
            std::unique_ptr<installer::TBaseTamselForm> made(entry->FormClass->Create(this, context_));
            auto* page = dynamic_cast<TBaseInstallForm*>(made.get());
            if (!page || (!dialog && page->DM != current)) continue;  // freed with made
            made.release();
            if (dialog) {
                page->DC = dialog;
                page->Container = dialog->Container();
                page->Order = dialog->Order;
                dialog->Form = page;
                dialog->AssignDialogProperties();
            }
            kept.append(page);
        }
    }
    for (TBaseInstallForm* page : kept) {
        {
            const QSignalBlocker blocker(tabs_);
            tabs_->addTab(QStringLiteral("TBaseFormContainer"));
        }
        page->setGeometry(displayPanel_->geometry());
        page->Translate();
        pages_.append(page);
    }
    for (int i = 0; i < pages_.size(); ++i)
        for (int j = i + 1; j < pages_.size(); ++j)
            if (pages_[j]->Order < pages_[i]->Order) pages_.swapItemsAt(i, j);
    return static_cast<int>(pages_.size());
}

}  // namespace setupwizard
