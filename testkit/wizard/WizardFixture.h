#pragma once
// What a wizard test needs: a fresh system root, an English user with the
// setup's English strings, a scripted messenger, a 1024 x 768 screen, the
// wizard's units started, and an install that answers the abort question
// from a queue.
#include <QImage>
#include <deque>
#include <gtest/gtest.h>
#include <memory>

#include "installer/translator/Translator.h"
#include "platform/qt/qtglue/Messenger.h"
#include "platform/windows/sysroot/SystemRoot.h"
#include "setupwizard/framework/DialogManager.h"
#include "setupwizard/framework/WizardInstall.h"
#include "testkit/files/TempDir.h"
#include "testkit/installer/TestTree.h"

namespace setupwizard::testing {

class TTestWizardInstall : public installer::testing::TTestInstall, public TWizardInstall {
public:
    explicit TTestWizardInstall(installer::TComponentOwner& owner);

    bool QueryUserAbort() override;
    bool Reboot() const override { return RebootFlag; }
    void SetReboot(bool reboot) override { RebootFlag = reboot; }
    QImage DialogThemeBitmap() const override { return Theme; }

    // Answers of OnUserAbort in order; empty: true.
    std::deque<bool> AbortAnswers;
    int AbortQuestions = 0;
    // Raised by the abort question instead of answering, when set.
    std::string AbortFailure;
    bool RebootFlag = false;
    QImage Theme;
};

// The wizard picture of the tests: a gradient with a few shapes, 117 x 290.
QImage TestThemePicture();

class WizardTest : public ::testing::Test {
protected:
    WizardTest();
    ~WizardTest() override;

    installer::EngineContext& Context() { return owner.Context(); }
    // A manager of that type on the install.
    TDialogManager& AddManager(const std::string& name, TManagerType type);
    template <typename T>
    T& AddDialog(const std::string& name) {
        T& dialog = owner.template Create<T>();
        dialog.SetName(name);
        dialog.SetContainer(&install);
        return dialog;
    }

    platform::TempRootDir rootDir;
    platform::ScopedSystemRoot root{rootDir.Path()};
    platform::ScriptedMessenger messenger;
    std::unique_ptr<installer::TTranslator> translator;
    installer::TComponentOwner owner;
    TTestWizardInstall& install;
};

}  // namespace setupwizard::testing
