#pragma once
// The fourteen standard path specifiers: the target machine's folders, the
// setup's source, the main install directory and archive, the container's
// destination and archive, the database engine's DLL directory. One class
// each, built from one table.
#include <array>
#include <string>

#include "installer/components/PathSpecifier.h"

namespace installer {

enum class StandardSpecifier {
    BDEDLL, CommonFiles, ContainerArchiveFile, ContainerDestDir, DesktopMenu, InstallSource, MainInstall,
    MainArchiveFile, ProgramFiles, ProgramMenu, StartMenu, StartupMenu, System, Window
};
inline constexpr int kStandardSpecifierCount = 14;

struct StandardSpecifierInfo {
    const char* className;
    const char* specifierName;
    const char* description;
    const char* shortCaption;  // nullptr: the description
};
inline constexpr std::array<StandardSpecifierInfo, kStandardSpecifierCount> kStandardSpecifiers = {{
    {"TpsBDEDLL", "psBDEDLL", "Borland Database Engine DLL Path", "BDE DLL"},
    {"TpsCommonFiles", "psCommonFiles", "Path of the common files directory under the program files directory",
     "Common files"},
    {"TpsContainerArchiveFile", "psContainerArchiveFile", "Path to the archive file of the container",
     "Container archive file"},
    {"TpsContainerDestDir", "psContainerDestDir", "Path of the group (container)", nullptr},
    {"TpsDesktopMenu", "psDesktopMenu", "Path of the Desktop", "Desktop"},
    {"TpsInstallSource", "psInstallSource", "Path from which the user ran the install", "Install source"},
    {"TpsMainInstall", "psMainInstall", "Main installation directory", "Main install dir"},
    {"TpsMainArchiveFile", "psMainArchiveFile", "Archive containing most or all non-internet installation files",
     "Main archive"},
    {"TpsProgramFiles", "psProgramFiles", "Path of the program files directory", "Program files"},
    {"TpsProgramMenu", "psProgramMenu", "Path of the Programs folder under the Start Menu", "Program menu"},
    {"TpsStartMenu", "psStartMenu", "Path of Start Menu", "Start menu"},
    {"TpsStartupMenu", "psStartupMenu", "Path of the Startup folder in the Programs folder under the Start Menu",
     "Startup menu"},
    {"TpsSystem", "psSystem", "Path of system directory", "System dir"},
    {"TpsWindow", "psWindow", "Path of the Windows directory", "Windows dir"},
}};

class TStandardPathSpecifier : public TCustomPathSpecifier {
public:
    TStandardPathSpecifier(TComponentOwner& owner, StandardSpecifier kind);

    static constexpr const char* StaticClassName = "TStandardPathSpecifier";
    std::string ClassName() const override { return Info().className; }
    StandardSpecifier Kind() const { return kind_; }

    void Validate(TComponent* component) override;
    std::string Description() override;
    std::string DescriptionFor(TComponent* component) override;
    std::string Expand(TComponent* component) override;
    std::string ShortCaption() override;
    std::string ShortCaptionFor(TComponent* component) override;

private:
    const StandardSpecifierInfo& Info() const { return kStandardSpecifiers[static_cast<std::size_t>(kind_)]; }
    StandardSpecifier kind_;
};

template <StandardSpecifier K>
class TStandardSpecifierOf final : public TStandardPathSpecifier {
public:
    explicit TStandardSpecifierOf(TComponentOwner& owner) : TStandardPathSpecifier(owner, K) {}
    static constexpr const char* StaticClassName = kStandardSpecifiers[static_cast<std::size_t>(K)].className;
};

using TpsBDEDLL = TStandardSpecifierOf<StandardSpecifier::BDEDLL>;
using TpsCommonFiles = TStandardSpecifierOf<StandardSpecifier::CommonFiles>;
using TpsContainerArchiveFile = TStandardSpecifierOf<StandardSpecifier::ContainerArchiveFile>;
using TpsContainerDestDir = TStandardSpecifierOf<StandardSpecifier::ContainerDestDir>;
using TpsDesktopMenu = TStandardSpecifierOf<StandardSpecifier::DesktopMenu>;
using TpsInstallSource = TStandardSpecifierOf<StandardSpecifier::InstallSource>;
using TpsMainInstall = TStandardSpecifierOf<StandardSpecifier::MainInstall>;
using TpsMainArchiveFile = TStandardSpecifierOf<StandardSpecifier::MainArchiveFile>;
using TpsProgramFiles = TStandardSpecifierOf<StandardSpecifier::ProgramFiles>;
using TpsProgramMenu = TStandardSpecifierOf<StandardSpecifier::ProgramMenu>;
using TpsStartMenu = TStandardSpecifierOf<StandardSpecifier::StartMenu>;
using TpsStartupMenu = TStandardSpecifierOf<StandardSpecifier::StartupMenu>;
using TpsSystem = TStandardSpecifierOf<StandardSpecifier::System>;
using TpsWindow = TStandardSpecifierOf<StandardSpecifier::Window>;

// Creates the specifier of class T on the owner, named by its specifier
// name, unless (with check) the context already holds one of T or derived.
template <typename T>
void EnsurePathSpecifier(TComponentOwner& owner, bool check) {
    if (check && GlobalPathSpecifierList(owner.Context()).FindByClassOrNull<T>()) return;
    T& specifier = owner.Create<T>();
    try {
        specifier.SetName(specifier.SpecifierName());
    } catch (...) {
        // Another component holds that name: the specifier stays unnamed.
    }
}

// EnsurePathSpecifier for the fourteen, in the table's order.
void EnsureAllStandardSpecifiers(TComponentOwner& owner, bool check);

// Makes a standard specifier by its specifier name ("psWindow"), for stored
// configurations; nullptr for another name.
TStandardPathSpecifier* CreateStandardSpecifier(TComponentOwner& owner, const std::string& specifierName);

}  // namespace installer
