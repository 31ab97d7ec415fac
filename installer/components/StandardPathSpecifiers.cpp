#include "installer/components/StandardPathSpecifiers.h"

#include "installer/base/ApiRoutines.h"
#include "installer/base/Strings.h"
#include "installer/components/EngineContext.h"
#include "installer/components/InstallContainer.h"
#include "installer/components/InstallRoot.h"
#include "installer/components/ShellFolders.h"
#include "installer/translator/IException.h"
#include "platform/core/runtime/Format.h"
#include "platform/core/runtime/Text.h"
#include "platform/windows/registry/RegistryStore.h"

namespace installer {
namespace {

std::string NameOf(const TComponent* component) { return component ? component->Name() : std::string(); }

TInstallObject& RequireInstallObject(TComponent* component, const std::string& specifierName) {
    auto* object = dynamic_cast<TInstallObject*>(component);
    if (!object)
        throw IEPathSpecifier("%s must be a %s to use the %s path specifier",
                              {NameOf(component), "TInstallObject", specifierName});
    return *object;
}

TInstallRoot& RequireInstall(EngineContext& context, TComponent* component) {
    if (!context.GlobalInstall)
        throw IEPathSpecifier("There is no TInstall component so the path specifier could not be expanded for %s",
                              {NameOf(component)});
    return *context.GlobalInstall;
}

std::string BdeDllPath() {
    const std::string value = platform::Registry()
                                  .ReadString(platform::RegRoot::LocalMachine, "\\Software\\Borland\\Database Engine", "DLLPath")
                                  .value_or("");
    // A blank value names no folder, like an empty one.
    const std::string first = platform::TrimControls(GetItem(value, 1, ';'));
    if (first.empty()) return GetProgramFilesDir() + "\\" + "Borland\\Common Files\\BDE";
    return RemoveBackslash(first);
}

}  // namespace

TStandardPathSpecifier::TStandardPathSpecifier(TComponentOwner& owner, StandardSpecifier kind)
    : TCustomPathSpecifier(owner), kind_(kind) {
    SetSpecifierName(Info().specifierName);
    StandardPathSpecList(Context()).Add(this);
}

void TStandardPathSpecifier::Validate(TComponent* component) {
    EngineContext& context = Context();
    switch (kind_) {
        case StandardSpecifier::ContainerDestDir: {
            TInstallObject& object = RequireInstallObject(component, SpecifierName());
            if (!object.Container())
                throw IEPathSpecifier("Cannot use ddContainerDestDir for %s unless you assign a Container",
                                      {object.Name()});
            break;
        }
        case StandardSpecifier::ContainerArchiveFile: {
            TInstallObject& object = RequireInstallObject(component, SpecifierName());
            if (!object.Container())
                throw IEPathSpecifier("Cannot use ddContainerArchiveFile for %s unless you assign a Container",
                                      {object.Name()});
            if (!object.Container()->IsFileRelated())
                throw IEPathSpecifier(
                    "Cannot use the ddContainerArchiveFile path specifier for %s because the Container is not a "
                    "TFileRelated descendant",
                    {object.Name()});
            break;
        }
        case StandardSpecifier::InstallSource:
        case StandardSpecifier::MainArchiveFile:
            RequireInstall(context, component);
            break;
        case StandardSpecifier::MainInstall: {
            TInstallRoot& install = RequireInstall(context, component);
            if (component == &install.InstallComponent())
                throw IEPathSpecifier("Cannot use the ddMainInstallDir path specifier for a TInstall component");
            break;
        }
        default:
            break;
    }
}

std::string TStandardPathSpecifier::Description() { return Info().description; }

std::string TStandardPathSpecifier::ShortCaption() {
    return Info().shortCaption ? Info().shortCaption : Description();
}

std::string TStandardPathSpecifier::DescriptionFor(TComponent* component) {
    if (kind_ != StandardSpecifier::ContainerDestDir) return TCustomPathSpecifier::DescriptionFor(component);
    try {
        Validate(component);
        TInstallContainer* container = dynamic_cast<TInstallObject&>(*component).Container();
        if (container == GlobalInstallComponent(Context())) return "Main installation directory";
        if (container->IsInstallGroup())
            return platform::Format("Path of the <%s> group", {container->DescriptionText()});
        if (container->IsFileContainer())
            return platform::Format("Path of the <%s> directory", {container->DescriptionText()});
        return platform::Format("Path of the <%s> group", {container->Name()});
    } catch (const std::exception&) {
        return Description();
    }
}

std::string TStandardPathSpecifier::ShortCaptionFor(TComponent* component) {
    if (kind_ != StandardSpecifier::ContainerDestDir) return TCustomPathSpecifier::ShortCaptionFor(component);
    try {
        Validate(component);
        TInstallContainer* container = dynamic_cast<TInstallObject&>(*component).Container();
        if (container == GlobalInstallComponent(Context())) return "Main installation directory";
        if (container->IsInstallGroup() || container->IsFileContainer())
            return "<" + container->DescriptionText() + ">";
        return "<" + container->Name() + ">";
    } catch (const std::exception&) {
        return Description();
    }
}

std::string TStandardPathSpecifier::Expand(TComponent* component) {
    Validate(component);
    EngineContext& context = Context();
    switch (kind_) {
        case StandardSpecifier::BDEDLL: return BdeDllPath();
        case StandardSpecifier::CommonFiles: return GetCommonFilesDir();
        case StandardSpecifier::ContainerArchiveFile:
            return RemoveBackslash(dynamic_cast<TInstallObject&>(*component).Container()->GetArchiveFilePath());
        case StandardSpecifier::ContainerDestDir:
            return dynamic_cast<TInstallObject&>(*component).Container()->GetFullDestDir();
        case StandardSpecifier::DesktopMenu: return GetDesktopDir();
        case StandardSpecifier::InstallSource: return RemoveBackslash(context.GlobalInstall->SourceDir());
        case StandardSpecifier::MainInstall: return context.GlobalInstall->InstallComponent().GetFullDestDir();
        case StandardSpecifier::MainArchiveFile: {
            TInstallRoot& install = *context.GlobalInstall;
            if (install.HasSwitch('e')) {
                const std::string exe = install.SwitchArgument('e');
                if (platform::TrimWhitespace(exe).empty())
                    throw IEInstall(
                        "You forgot to pass in the name of the self-extracting executable. Usage example: "
                        "\"-eSetup.exe\"");
                return install.SourceDir() + "\\" + exe;
            }
            return install.SourceDir() + "\\" + "files.1";
        }
        case StandardSpecifier::ProgramFiles: return GetProgramFilesDir();
        case StandardSpecifier::ProgramMenu: return GetProgramsDir();
        case StandardSpecifier::StartMenu: return GetStartMenuDir();
        case StandardSpecifier::StartupMenu: return GetStartupDir();
        case StandardSpecifier::System: return RemoveBackslash(GetSystemDir());
        case StandardSpecifier::Window: return RemoveBackslash(GetWindowsDir());
    }
    return {};
}

void EnsureAllStandardSpecifiers(TComponentOwner& owner, bool check) {
    EnsurePathSpecifier<TpsBDEDLL>(owner, check);
    EnsurePathSpecifier<TpsCommonFiles>(owner, check);
    EnsurePathSpecifier<TpsContainerArchiveFile>(owner, check);
    EnsurePathSpecifier<TpsContainerDestDir>(owner, check);
    EnsurePathSpecifier<TpsDesktopMenu>(owner, check);
    EnsurePathSpecifier<TpsInstallSource>(owner, check);
    EnsurePathSpecifier<TpsMainInstall>(owner, check);
    EnsurePathSpecifier<TpsMainArchiveFile>(owner, check);
    EnsurePathSpecifier<TpsProgramFiles>(owner, check);
    EnsurePathSpecifier<TpsProgramMenu>(owner, check);
    EnsurePathSpecifier<TpsStartMenu>(owner, check);
    EnsurePathSpecifier<TpsStartupMenu>(owner, check);
    EnsurePathSpecifier<TpsSystem>(owner, check);
    EnsurePathSpecifier<TpsWindow>(owner, check);
}

TStandardPathSpecifier* CreateStandardSpecifier(TComponentOwner& owner, const std::string& specifierName) {
    for (std::size_t i = 0; i < kStandardSpecifiers.size(); ++i) {
        if (specifierName != kStandardSpecifiers[i].specifierName) continue;
        switch (static_cast<StandardSpecifier>(i)) {
            case StandardSpecifier::BDEDLL: return &owner.Create<TpsBDEDLL>();
            case StandardSpecifier::CommonFiles: return &owner.Create<TpsCommonFiles>();
            case StandardSpecifier::ContainerArchiveFile: return &owner.Create<TpsContainerArchiveFile>();
            case StandardSpecifier::ContainerDestDir: return &owner.Create<TpsContainerDestDir>();
            case StandardSpecifier::DesktopMenu: return &owner.Create<TpsDesktopMenu>();
            case StandardSpecifier::InstallSource: return &owner.Create<TpsInstallSource>();
            case StandardSpecifier::MainInstall: return &owner.Create<TpsMainInstall>();
            case StandardSpecifier::MainArchiveFile: return &owner.Create<TpsMainArchiveFile>();
            case StandardSpecifier::ProgramFiles: return &owner.Create<TpsProgramFiles>();
            case StandardSpecifier::ProgramMenu: return &owner.Create<TpsProgramMenu>();
            case StandardSpecifier::StartMenu: return &owner.Create<TpsStartMenu>();
            case StandardSpecifier::StartupMenu: return &owner.Create<TpsStartupMenu>();
            case StandardSpecifier::System: return &owner.Create<TpsSystem>();
            case StandardSpecifier::Window: return &owner.Create<TpsWindow>();
        }
    }
    return nullptr;
}

}  // namespace installer
