#pragma once
// The application services of the setup program on Qt: boxes through the
// messenger, the override cursor, QCoreApplication's event processing and
// exit, and programs started directly (QProcess, no shell). When
// VOREL_SHELL_LOG names a file, a program start is appended there instead.
#include <optional>

#include "installer/base/services/AppServices.h"
#include "platform/qt/qtglue/WaitCursor.h"

namespace installer {

class QtAppServices : public AppServices {
public:
    int ShowMessage(const std::string& text, platform::MsgIcon icon, int buttons) override;
    bool PromptForDisk(const std::string& text) override;
    void BeginBusy() override;
    void EndBusy() override;
    void ProcessMessages() override;
    void Terminate() override;
    bool Terminated() const override { return terminated_; }
    bool StartProgram(const std::string& program, const std::vector<std::string>& arguments,
                      ShowCommand show) override;

private:
    bool terminated_ = false;
    int busyDepth_ = 0;
    std::optional<platform::WaitCursor> wait_;
};

}  // namespace installer
