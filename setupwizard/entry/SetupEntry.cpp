#include "setupwizard/entry/SetupEntry.h"

#include <QApplication>
#include <exception>

#include "installer/base/Strings.h"
#include "installer/base/services/AppServices.h"
#include "installer/install/Install.h"
#include "platform/core/runtime/Text.h"
#include "platform/qt/qtglue/Messenger.h"
#include "platform/windows/sysroot/SystemRoot.h"
#include "setupwizard/config/ConfigLoader.h"
#include "setupwizard/config/SetupForm.h"

namespace setupwizard {

int RunSetupProgram(const std::string& exeName, const std::vector<std::string>& arguments,
                    const SetupHooks& hooks) {
    platform::SetApplicationTitle(kSetupTitle);
    QApplication::setApplicationName(kSetupTitle);
    TSetupForm form(exeName, arguments);
    try {
        LoadSetupForm(form, ShippedConfiguration(), CompiledResources());
    } catch (const std::exception& e) {
        platform::ShowMessage(e.what(), platform::MsgIcon::Error, platform::mbOK);
        return 1;
    }
    // The build, diskette and resume modes run while the form loads and
    // may have ended the program already.
    auto status = [&form](int loopResult) {
        const installer::TCustomInstall* install = form.Install();
        return install && install->Aborted() ? 1 : loopResult;
    };
    if (installer::Services().Terminated()) return status(0);
    if (hooks.beforeShow) hooks.beforeShow(form);
    form.show();
    const int result = QApplication::exec();
    if (hooks.afterLoop) hooks.afterLoop(form);
    return status(result);
}

std::string SetupExeName(const std::vector<std::string>& arguments) {
    try {
        return platform::Files().WinPathOf(QApplication::applicationFilePath().toStdString());
    } catch (const std::exception&) {
        // Not inside the system root: the -s switch below names it instead.
    }
    // The last -s wins, as the engine reads its command line.
    std::string source;
    for (const std::string& argument : arguments)
        if (argument.size() >= 2 && (argument[0] == '-' || argument[0] == '*') && (argument[1] == 's' || argument[1] == 'S'))
            source = argument.substr(2);
    if (platform::IsBlank(source)) return {};
    return installer::AddBackslash(source) + "SETUP.EXE";
}

}  // namespace setupwizard
