#pragma once
// For tests: the part of the shipped setup configuration that its shortcuts
// need, built in code: the product directory "\VorelSoft\VorelE 300" under
// Program Files with the program, its help page and the uninstaller, the
// start-menu folder "Vorel Electronics" and its three shortcuts. The
// source files lie in a fresh system root; Build packs them.
#include <string>

#include "installer/components/TreeBuilder.h"
#include "installer/files/InstallFile.h"
#include "installer/files/InstallGroup.h"
#include "installer/links/InstallShellLink.h"
#include "installer/links/ShellLinkGroup.h"
#include "installer/install/Install.h"
#include "testkit/installer/RunTestSetup.h"

namespace installer::testing {

inline constexpr const char* kProductDir = "C:\\Program Files\\VorelSoft\\VorelE 300";
inline constexpr const char* kStartMenuFolder = "C:\\WINDOWS\\Startmen\\Programs\\Vorel Electronics";
inline constexpr const char* kProductKey = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Vorel Electronics";

struct ShippedLinksSetup {
    // The source "Uninstall.exe" holds uninstallerBytes; extra adds
    // components before the configuration finishes loading.
    explicit ShippedLinksSetup(const std::string& uninstallerBytes = "MZ uninstaller",
                               const std::function<void(TreeBuilder&)>& extra = {}) {
        WriteRootFile(kSetupExe, "MZ setup program", platform::EncodeDateTime(2001, 5, 4, 3, 2, 1));
        WriteRootFile(std::string(kSourceDir) + "\\voreled.exe", "MZ voreled", platform::EncodeDateTime(2002, 1, 2));
        WriteRootFile(std::string(kSourceDir) + "\\visao_geral.html", "<HTML>help</HTML>",
                      platform::EncodeDateTime(2002, 1, 2));
        WriteRootFile(std::string(kSourceDir) + "\\Uninstall.exe", uninstallerBytes, platform::EncodeDateTime(2002, 1, 2));

        TreeBuilder b(form);
        auto& install = b.add<TInstall>("Install1").ref("DestDirType", "psProgramFiles").get();
        install.SetExeName(kSetupExe);
        install.SetArguments({"-sD:\\SETUP"});
        install.SetDestDir("\\VorelSoft");
        install.Information.CompanyName = "VorelSoft";
        install.Information.ProductName = "Vorel Electronics";
        install.Information.Version = "3.0";
        Container<TInstallGroup>(b, "Group", "Install1", "\\VorelE 300", "VorelE 300");
        Container<TInstallDirectory>(b, "Directory", "Group", "", "VorelE 300_1");
        File(b, "voreled", "Directory", "voreled.exe");
        Container<TInstallGroup>(b, "Group3", "Group", "\\Help", "Help");
        Container<TInstallDirectory>(b, "Directory3", "Group3", "", "Help_1");
        File(b, "HelpPage", "Directory3", "visao_geral.html");
        Container<TInstallDirectory>(b, "idMiscellaneous", "Group", "", "Uninstall");
        File(b, "UninstallProgram", "idMiscellaneous", "Uninstall.exe");
        b.add<TMainLinkGroup>("MainFolder")
            .set([](TMainLinkGroup& g) { g.SetDestDir("\\Vorel Electronics"); })
            .ref("Container", "Install1");
        Link(b, "ProgramLink", "Vorel Electronics.LNK", "voreled");
        Link(b, "HelpLink", "Vorel Electronics Help.LNK", "HelpPage");
        Link(b, "UninstallLink", "Uninstall Vorel Electronics.LNK", "UninstallProgram");
        if (extra) extra(b);
        b.Finish();
    }
    ~ShippedLinksSetup() { form.DestroyComponents(); }

    template <typename T>
    T& Get(const std::string& name) {
        return dynamic_cast<T&>(*form.FindComponent(name));
    }
    TInstall& Install() { return Get<TInstall>("Install1"); }
    // Packs the files, then runs the install as the setup's first activation does.
    void BuildAndRun() {
        Install().Compress({coForceNetFilesLocal});
        Install().OwnerFormActivate();
    }

    template <typename T>
    static void Container(TreeBuilder& b, const std::string& name, const std::string& container,
                          const std::string& destDir, const std::string& description) {
        b.add<T>(name)
            .set([&](T& c) {
                c.SetDestDir(destDir);
                c.Description = description;
            })
            .ref("Container", container)
            .ref("DestDirType", "psContainerDestDir")
            .ref("ArchiveFileType", "psContainerArchiveFile");
    }
    static void File(TreeBuilder& b, const std::string& name, const std::string& container, const std::string& file) {
        b.add<TInstallFile>(name)
            .set([&](TInstallFile& f) {
                f.SetIncludeFromDir(kSourceDir);
                f.SetFileName(file);
                f.SetDestName(file);
            })
            .ref("Container", container)
            .ref("DestDirType", "psContainerDestDir")
            .ref("ArchiveFileType", "psContainerArchiveFile");
    }
    static void Link(TreeBuilder& b, const std::string& name, const std::string& linkName, const std::string& target) {
        b.add<TInstallMainLink>(name)
            .set([&](TInstallMainLink& l) { l.SetLinkName(linkName); })
            .ref("ObjectLink", target)
            .ref("ObjectLocationType", "psObjectLink");
    }

    TComponentOwner form;
};

}  // namespace installer::testing
