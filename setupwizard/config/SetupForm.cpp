#include "setupwizard/config/SetupForm.h"

#include <QEvent>
#include <QScreen>
#include <QTimer>

#include "installer/translator/Translator.h"
#include "platform/qt/qtglue/Guard.h"
#include "setupwizard/backdrop/Backdrop.h"
#include "setupwizard/backdrop/Rotate3DLabel.h"
#include "setupwizard/framework/Placement.h"
#include "setupwizard/pages/WizardUnits.h"

namespace setupwizard {

TSetupForm::TSetupForm(std::string exeName, std::vector<std::string> arguments)
    : exeName_(std::move(exeName)), arguments_(std::move(arguments)) {
    setObjectName("Form1");
    InitWizardUnits(components_.Context());
}

TSetupForm::~TSetupForm() {
    // The components go before the translator they translate with.
    components_.DestroyComponents();
    MainTranslator.reset();
}

installer::TCustomInstall* TSetupForm::Install() const {
    for (int i = 0; i < components_.ComponentCount(); ++i)
        if (auto* install = dynamic_cast<installer::TCustomInstall*>(components_.Component(i))) return install;
    return nullptr;
}

void TSetupForm::Maximize() {
    // Without a window manager a maximise request goes unanswered: take the
    // screen's working area so the backdrop fills it either way.
    const QSize screenSize = ScreenSize();
    setGeometry(QRect(QPoint(0, 0), screenSize));
    // A screen size fixed for pictures stays as it is; a real one is maximised.
    if (QScreen* real = screen(); real && real->size() == screenSize)
        setWindowState(windowState() | Qt::WindowMaximized);
}

void TSetupForm::MoveOffScreen() { move(-2 * width(), -2 * height()); }

void TSetupForm::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) Activated();
}

void TSetupForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    activateWindow();
    // A window manager that never activates us must not leave the setup idle.
    QTimer::singleShot(200, this, [this] { Activated(); });
}

void TSetupForm::Activated() {
    if (activated_) return;
    activated_ = true;
    platform::Guarded([this] {
        if (installer::TCustomInstall* install = Install()) install->OwnerFormActivate();
    });
}

}  // namespace setupwizard
