// setup: installs Vorel Electronics into the system root, driven by the
// configuration compiled into it (see setupwizard/config).
#include <QApplication>
#include <QStyleFactory>

#include "installer/install/qt/QtAppServices.h"
#include "installer/base/services/AppServices.h"
#include "setupwizard/browse/OpenFolderDialog.h"
#include "setupwizard/entry/SetupEntry.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (QStyle* fusion = QStyleFactory::create("Fusion")) QApplication::setStyle(fusion);
    installer::QtAppServices services;
    installer::AppServices::Install(&services);
    setupwizard::InstallFolderBrowser();
    std::vector<std::string> arguments(argv + 1, argv + argc);
    const int result = setupwizard::RunSetupProgram(setupwizard::SetupExeName(arguments), arguments);
    installer::AppServices::Install(nullptr);
    return result;
}
