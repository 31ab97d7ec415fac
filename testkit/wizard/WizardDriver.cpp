#include "testkit/wizard/WizardDriver.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QKeyEvent>
#include <gtest/gtest.h>

#include "installer/baseform/ModalForm.h"
#include "installer/install/Install.h"
#include "platform/qt/qtglue/Messenger.h"

namespace setupwizard::testing {

namespace {
constexpr int kTickMs = 5;
}

QWidget* FindVisible(QWidget* root, const std::string& objectName) {
    if (!root) return nullptr;
    const QString name = QString::fromStdString(objectName);
    for (QWidget* w : root->findChildren<QWidget*>(name))
        if (w->isVisible()) return w;
    return root->objectName() == name && root->isVisible() ? root : nullptr;
}

void AnswerAbortQuestions(installer::TCustomInstall& install, std::deque<bool> answers, int* asked) {
    if (asked) *asked = 0;
    install.OnUserAbort = [answers = std::move(answers), asked](installer::TCustomInstall&, bool& abort) mutable {
        EXPECT_TRUE(abort) << "the abort question comes preset to yes";
        if (asked) ++*asked;
        if (answers.empty()) {
            ADD_FAILURE() << "the abort question was asked once too often";
            return;
        }
        abort = answers.front();
        answers.pop_front();
    };
}

WizardDriver::WizardDriver(int watchdogMs) : watchdogMs_(watchdogMs) {
    connect(&timer_, &QTimer::timeout, this, [this] { Tick(); });
    timer_.start(kTickMs);
}

WizardDriver::~WizardDriver() {
    timer_.stop();
    EXPECT_TRUE(actions_.empty()) << actions_.size() << " driver action(s) never ran";
}

WizardDriver& WizardDriver::Then(Action action) {
    actions_.push_back(std::move(action));
    return *this;
}

WizardDriver& WizardDriver::Click(const std::string& objectName) {
    return Then([objectName](installer::TModalForm& form) {
        auto* button = qobject_cast<QAbstractButton*>(FindVisible(&form, objectName));
        ASSERT_NE(button, nullptr) << "no visible button " << objectName << " on " << form.objectName().toStdString();
        ASSERT_TRUE(button->isEnabled()) << objectName << " is disabled";
        button->click();
    });
}

WizardDriver& WizardDriver::Key(int key) {
    return Then([key](installer::TModalForm& form) {
        QWidget* target = QApplication::focusWidget();
        if (!target || target->window() != form.window()) target = &form;
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(target, &press);
    });
}

WizardDriver& WizardDriver::Close() {
    return Then([](installer::TModalForm& form) {
        QCloseEvent event;
        QApplication::sendEvent(&form, &event);
    });
}

WizardDriver& WizardDriver::Shot(const std::string& name) {
    return Then([this, name](installer::TModalForm& form) {
        QImage image = form.grab().toImage();
        shots_[name] = image;
        const QByteArray dir = qgetenv("VOREL_WIZARD_SHOTS");
        if (!dir.isEmpty()) {
            QDir().mkpath(QString::fromLocal8Bit(dir));
            image.save(QString::fromLocal8Bit(dir) + "/" + QString::fromStdString(name) + ".png");
        }
    });
}

void WizardDriver::Tick() {
    installer::TModalForm* form = installer::TModalForm::InnermostModal();
    if (!form || !form->isVisible()) {
        seen_ = nullptr;
        idleMs_ = 0;
        return;
    }
    // Act only on a form seen shown at an earlier tick: it has settled.
    if (form != seen_) {
        seen_ = form;
        return;
    }
    if (actions_.empty()) {
        idleMs_ += kTickMs;
        if (idleMs_ >= watchdogMs_) {
            timedOut_ = true;
            ADD_FAILURE() << "watchdog: " << form->objectName().toStdString() << " waited with nothing to do";
            // Ends the run as an abort, so the caller sees it as one.
            form->SetModalResult(platform::mrAbort);
            if (form->isVisible()) form->QDialog::done(platform::mrAbort);
        }
        return;
    }
    idleMs_ = 0;
    Action action = std::move(actions_.front());
    actions_.pop_front();
    action(*form);
    seen_ = nullptr;  // let the form settle after each action
}

}  // namespace setupwizard::testing
