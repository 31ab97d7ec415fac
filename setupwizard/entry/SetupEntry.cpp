#include "setupwizard/entry/SetupEntry.h"

#include <QApplication>
#include <exception>

#include "installer/base/services/AppServices.h"
#include "platform/qtglue/Messenger.h"
#include "platform/sysroot/SystemRoot.h"
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
    if (installer::Services().Terminated()) return 0;
    if (hooks.beforeShow) hooks.beforeShow(form);
    form.show();
    const int result = QApplication::exec();
    if (hooks.afterLoop) hooks.afterLoop(form);
    return result;
}

std::string SetupExeName() {
    try {
        return platform::Files().WinPathOf(QApplication::applicationFilePath().toStdString());
    } catch (const std::exception&) {
        return {};
    }
}

}  // namespace setupwizard
