// wizard-shots OUTDIR: shows every page of the setup wizard, the copy window
// and the status window off screen with the setup's English texts, and
// writes <name>.png and <name>.txt (the control dump) for each into OUTDIR.
// Everything happens in a temporary system root.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QTimer>
#include <cstdio>
#include <fstream>

#include "installer/components/FileStatusParameter.h"
#include "installer/components/Messages.h"
#include "installer/components/ShellFolders.h"
#include "installer/translator/EnglishStrings.h"
#include "installer/translator/Translator.h"
#include "installer/translator/UserLanguage.h"
#include "platform/windows/sysroot/SystemRoot.h"
#include "setupwizard/backdrop/Backdrop.h"
#include "setupwizard/backdrop/Rotate3DLabel.h"
#include "setupwizard/browse/OpenFolderDialog.h"
#include "setupwizard/framework/BaseFormContainer.h"
#include "setupwizard/framework/BaseInstallForm.h"
#include "setupwizard/pages/CopyPages.h"
#include "setupwizard/pages/EndPages.h"
#include "setupwizard/pages/SelectPages.h"
#include "setupwizard/pages/TextPages.h"
#include "setupwizard/pages/WelcomePage.h"
#include "setupwizard/pages/WizardUnits.h"
#include "testkit/files/TempDir.h"
#include "testkit/installer/TestTree.h"
#include "testkit/wizard/UiDump.h"
#include "testkit/wizard/WizardFixture.h"

using namespace setupwizard;

namespace {

QString g_out;

void Write(QWidget& window, const std::string& name) {
    QApplication::processEvents();
    window.grab().toImage().save(g_out + "/" + QString::fromStdString(name) + ".png");
    std::ofstream(QString(g_out + "/" + QString::fromStdString(name) + ".txt").toStdString())
        << setupwizard::testing::UiDump(&window);
    std::printf("%s\n", name.c_str());
}

void ShootManager(installer::EngineContext& context, TDialogManager& manager, const std::vector<std::string>& names) {
    Registries(context).CurrentDialogManager = &manager;
    {
        TBaseFormContainer frame(context);
        frame.SetOuterSize(manager.Width, manager.Height);
        frame.Place(manager.Position, manager.RelativeLeftOffset, manager.RelativeTopOffset);
        frame.BuildPages();
        frame.show();
        for (int i = 0; i < frame.Pages().size() && i < static_cast<int>(names.size()); ++i) {
            frame.GoToPage(i, false);
            Write(frame, names[static_cast<std::size_t>(i)]);
        }
    }
    Registries(context).CurrentDialogManager = nullptr;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: wizard-shots OUTDIR\n");
        return 2;
    }
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setFont(QFont("DejaVu Sans", 9));
    g_out = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(g_out);

    platform::TempRootDir rootDir;
    platform::ScopedSystemRoot root(rootDir.Path());
    installer::SetUserDefaultLangIDSource([] { return std::uint16_t(0x0409); });
    SetScreenSizeForTesting(QSize(1024, 768));
    installer::TTranslator translator;
    translator.lgEnglish().Strings().AddStrings(installer::MainTranslatorEnglishLines());
    {
        installer::TComponentOwner owner;
        installer::EngineContext& context = owner.Context();
        auto& install = owner.Create<setupwizard::testing::TTestWizardInstall>();
        install.SetName("Install1");
        install.Theme = setupwizard::testing::TestThemePicture();
        install.SetDestDir("C:\\Program Files\\VorelSoft");
        install.RebootFlag = true;
        InitWizardUnits(context);
        InitSelectDestinationFormUnit(context);
        InitSelectFolderFormUnit(context);
        auto& group = owner.Create<installer::testing::TTestLinkGroup>();
        group.SetName("MainFolder");
        Links(context).GlobalMainLinkGroup = &group;
        platform::Files().ForceDirectories(installer::GetProgramsDir() + "\\Accessories");
        platform::Files().ForceDirectories(installer::GetProgramsDir() + "\\StartUp");

        auto manager = [&](const char* name, TManagerType type) -> TDialogManager& {
            auto& m = owner.Create<TDialogManager>();
            m.SetName(name);
            m.ManagerType = type;
            m.SetContainer(&install);
            return m;
        };
        auto& before = manager("DialogManager", dmBeforeInstall);
        auto& good = manager("DialogManager1", dmAfterGoodInstall);
        auto& bad = manager("DialogManager2", dmAfterBadInstall);
        auto& copy = manager("DialogManager3", dmDuringCopyFiles);
        auto& reboot = manager("DialogManager5", dmReboot);
        auto dialog = [&](auto& d, const char* name) -> decltype(auto) {
            d.SetName(name);
            d.SetContainer(&install);
            return d;
        };
        dialog(owner.Create<TWelcomeDlg>(), "WelcomeDlg");
        dialog(owner.Create<TLicenseDlg>(), "LicenseDlg")
            .SetLicenseAgreement({"END-USER LICENCE AGREEMENT", "",
                                  "This software is licensed, not sold. You may install it on one computer.",
                                  "The tables of components are provided as they are, without warranty."});
        dialog(owner.Create<TReadmeDlg>(), "ReadmeDlg")
            .SetReadmeText({"Vorel Electronics 3.0", "", "Contents", "General view", "History", "System requirements"});
        dialog(owner.Create<TGoodInstallationDlg>(), "GoodInstallationDlg");
        dialog(owner.Create<TBadInstallationDlg>(), "BadInstallationDlg");
        dialog(owner.Create<TRebootDlg>(), "RebootDlg");
        dialog(owner.Create<TCopyFileDlg>(), "CopyFileDlg");
        auto& status = dialog(owner.Create<TInstallStatusDlg>(), "InstallStatusDlg");

        ShootManager(context, before, {"1-welcome", "2-licence", "3-readme", "4-destination", "5-folder"});
        ShootManager(context, good, {"6-complete"});
        ShootManager(context, bad, {"7-incomplete"});
        ShootManager(context, reboot, {"8-reboot"});

        installer::TFileStatusParameter progress;
        progress.FileName = "transistores.DB";
        progress.FilePercent = 60;
        progress.TotalPercent = 35;
        install.BroadcastMessage(&install, installer::imFileStatus, &progress);
        Write(*copy.DuringCopyForms().at(0), "9-copy");
        install.BroadcastMessage(&install, installer::imPassFinished, nullptr);

        installer::TMessageParameter text("Installing shell links...");
        install.BroadcastMessage(&install, installer::imPushStatus, &text);
        Write(*status.Form, "10-status");
        install.BroadcastMessage(&install, installer::imPopStatus, nullptr);

        // The folder browser, opened on a folder that does not exist yet.
        {
            TOpenFolderDialog browse;
            browse.SelectedFolder = "C:\\Program Files\\VorelSoft\\VorelE 300";
            QTimer::singleShot(100, [&] {
                if (TFolderBrowserForm* form = browse.Browser()) {
                    Write(*form, "11-browse");
                    form->CancelBtn->click();
                }
            });
            browse.Execute();
        }
        // The backdrop with the product caption, as the setup form carries it.
        {
            QWidget form;
            form.resize(800, 600);
            TBackdrop backdrop(&form);
            TRotate3DLabel label(&backdrop);
            label.SetAlignTop(true);
            label.resize(800, 65);
            label.SetCaption("Vorel Electronics");
            QFont f("Arial");
            f.setPixelSize(32);
            f.setBold(true);
            label.setFont(f);
            form.show();
            Write(form, "12-backdrop");
        }
        owner.DestroyComponents();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    installer::SetUserDefaultLangIDSource({});
    return 0;
}
