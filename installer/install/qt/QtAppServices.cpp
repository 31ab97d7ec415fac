#include "installer/install/qt/QtAppServices.h"

#include <QProcess>
#include <QStringList>
#include <cstdlib>

#include "platform/core/hostio/HostIo.h"
#include "platform/qt/qtglue/EventLoop.h"
#include "platform/qt/qtglue/Messenger.h"
#include "platform/windows/sysroot/SystemRoot.h"

namespace installer {

int QtAppServices::ShowMessage(const std::string& text, platform::MsgIcon icon, int buttons) {
    return platform::ShowMessage(text, icon, buttons);
}

bool QtAppServices::PromptForDisk(const std::string& text) {
    return platform::ShowMessage(text, platform::MsgIcon::Information, platform::mbOKCancel) == platform::mrOk;
}

void QtAppServices::BeginBusy() {
    if (busyDepth_++ == 0) wait_.emplace();
}

void QtAppServices::EndBusy() {
    if (busyDepth_ > 0 && --busyDepth_ == 0) wait_.reset();
}

void QtAppServices::ProcessMessages() { platform::ProcessPendingEvents(); }

void QtAppServices::Terminate() {
    terminated_ = true;
    platform::QuitEventLoop();
}

bool QtAppServices::StartProgram(const std::string& program, const std::vector<std::string>& arguments,
                                 ShowCommand show) {
    if (const char* log = std::getenv("VOREL_SHELL_LOG"); log && *log) {
        std::string line = "run\t" + program;
        for (const std::string& a : arguments) line += ' ' + a;
        line += std::string("\t\t") + (show == ShowCommand::Hide ? "Hide" : "Normal") + '\n';
        return platform::AppendToFile(log, line);
    }
    std::filesystem::path host;
    try {
        host = platform::Files().HostPath(program);
    } catch (const platform::Exception&) {
        return false;
    }
    QStringList args;
    for (const std::string& a : arguments) args << QString::fromStdString(a);
    const QString directory = QString::fromStdString(host.parent_path().string());
    return QProcess::startDetached(QString::fromStdString(host.string()), args, directory);
}

}  // namespace installer
