// sysroot-reboot ROOT
// Plays a restart of a system root, in the order Windows starts: the
// delayed renames, the WININIT.INI renames, then each RunOnce command, which
// is removed and run: a batch file by the root's batch interpreter, a setup
// program started with -r by its resume, in this process, with the setup's
// own stored configuration and wizard (nobody sits at a restart: each page
// shown is answered with its Finish or Close button and named on standard
// output). Prints what was done; names on standard error every line or
// command that was refused or failed and then exits 1 (after the rest ran).
// Nothing outside ROOT is touched.
#include <QAbstractButton>
#include <QApplication>
#include <QTimer>
#include <filesystem>
#include <iostream>

#include "installer/baseform/ModalForm.h"
#include "installer/install/SetupProgram.h"
#include "installer/install/qt/QtAppServices.h"
#include "platform/windows/sysroot/SystemRoot.h"
#include "setupwizard/entry/SetupEntry.h"

namespace {

// Boxes go to standard error, answered with their first button; a disk
// cannot be inserted. A warning or an error counts against the restart.
class ConsoleServices : public installer::QtAppServices {
public:
    int ShowMessage(const std::string& text, platform::MsgIcon icon, int buttons) override {
        std::cerr << "sysroot-reboot: " << text << "\n";
        if (icon == platform::MsgIcon::Warning || icon == platform::MsgIcon::Error) troubled = true;
        using namespace platform;
        for (int button : {mbOK, mbYes, mbNo, mbAbort, mbRetry, mbIgnore, mbCancel})
            if (buttons & button) return answerOf(button);
        return mrOk;
    }
    bool PromptForDisk(const std::string& text) override {
        std::cerr << "sysroot-reboot: " << text << " (no disk can be inserted)\n";
        troubled = true;
        return false;
    }
    bool troubled = false;

private:
    static int answerOf(int button) {
        using namespace platform;
        if (button == mbOK) return mrOk;
        if (button == mbYes) return mrYes;
        if (button == mbNo) return mrNo;
        if (button == mbAbort) return mrAbort;
        if (button == mbRetry) return mrRetry;
        if (button == mbIgnore) return mrIgnore;
        return mrCancel;
    }
};

// Answers the wizard's end pages while a resumed setup runs.
class EndPageAnswers : public QObject {
public:
    EndPageAnswers() {
        connect(&timer_, &QTimer::timeout, this, [] {
            installer::TModalForm* form = installer::TModalForm::InnermostModal();
            if (!form || !form->isVisible()) return;
            for (const char* name : {"FinishBtn", "CloseBtn"})
                for (auto* button : form->findChildren<QAbstractButton*>(name))
                    if (button->isVisible() && button->isEnabled()) {
                        std::cout << "page: " << form->windowTitle().toStdString() << "\n";
                        button->click();
                        return;
                    }
        });
        timer_.start(50);
    }

private:
    QTimer timer_;
};

// A resume of a setup this root recorded, run as the setup program runs it.
bool ResumeSetup(const platform::RunOnceCommand& command) {
    if (!installer::IsResumeCommand(command)) return false;
    EndPageAnswers answers;
    if (setupwizard::RunSetupProgram(command.program, command.arguments) != 0)
        throw platform::Exception("the setup ended badly");
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 || argv[1][0] == '-') {
        std::cerr << "usage: sysroot-reboot ROOT\n";
        return 2;
    }
    std::error_code ec;
    const std::filesystem::path root = std::filesystem::absolute(argv[1], ec);
    if (ec || !std::filesystem::is_directory(root, ec)) {
        std::cerr << "sysroot-reboot: " << argv[1] << " is not a directory\n";
        return 2;
    }
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // The output says what the restart did; Qt's own notices are no part of it.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
        if (type == QtCriticalMsg || type == QtFatalMsg) std::cerr << message.toStdString() << "\n";
    });
    QApplication app(argc, argv);
    try {
        platform::ScopedSystemRoot scoped(root);
        ConsoleServices services;
        installer::AppServices::Install(&services);
        const platform::RestartReport report = platform::SimulateRestart(ResumeSetup);
        installer::AppServices::Install(nullptr);
        for (const std::string& line : report.done) std::cout << "renamed: " << line << "\n";
        for (const std::string& line : report.runOnce) std::cout << "ran: " << line << "\n";
        for (const std::string& line : report.failed) std::cerr << "sysroot-reboot: failed: " << line << "\n";
        for (const std::string& line : report.refused) std::cerr << "sysroot-reboot: refused: " << line << "\n";
        return report.Clean() && !services.troubled ? 0 : 1;
    } catch (const std::exception& e) {
        std::cerr << "sysroot-reboot: " << e.what() << "\n";
        return 1;
    }
}
