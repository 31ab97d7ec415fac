#include "installer/links/InstallShellLink.h"

#include <cctype>

#include "installer/base/ApiRoutines.h"
#include "installer/base/Strings.h"
#include "installer/components/EngineContext.h"
#include "installer/components/InstallRoot.h"
#include "installer/components/MetaVariables.h"
#include "installer/components/StandardPathSpecifiers.h"
#include "installer/files/InstallFile.h"
#include "installer/files/InstallGroup.h"
#include "installer/links/LinkLists.h"
#include "installer/links/ObjectLinkSpecifier.h"
#include "installer/links/ShellLinkGroup.h"
#include "installer/progman/ProgramManager.h"
#include "installer/registry/UninstallFiles.h"
#include "installer/translator/IException.h"
#include "installer/uninstallentry/UninstallExe.h"
#include "platform/core/inifile/IniFile.h"
#include "platform/core/runtime/PathCase.h"
#include "platform/core/runtime/Text.h"
#include "platform/windows/shelllink/ShellLink.h"
#include "platform/windows/sysroot/SystemRoot.h"
#include "platform/windows/sysroot/WinPath.h"

namespace installer {
namespace {

constexpr const char* kBlankLinkName = "The LinkName is blank for %s and therefore could not be installed";

// The directory a shortcut starts its target in.
std::string WorkingDirectory(const std::string& target) { return platform::ExtractFileDir(target); }

// The shortcut name of an internet address: the text after its scheme,
// made a valid file name, so nothing in the address leaves the folder.
bool UrlLinkName(const std::string& location, std::string& name) {
    const std::string upper = platform::AsciiUpper(location);
    for (const char* scheme : {"HTTPS://", "HTTP://", "FTP://"}) {
        const std::size_t at = upper.find(scheme);
        if (at == std::string::npos) continue;
        name = MakeValidFileName(location.substr(at + std::string(scheme).size())) + ".URL";
        return true;
    }
    return false;
}

}  // namespace

// ---------------------------------------------------------------- TCustomInstallShellLink

TCustomInstallShellLink::TCustomInstallShellLink(TComponentOwner& owner) : TInstallObject(owner) {
    ProcessWithContainer = false;
    Include = true;
    if (owner.IsFormOrDataModule()) EnsurePathSpecifier<TpsObjectLink>(owner, true);
}

void TCustomInstallShellLink::AfterConstruction() {
    TInstallObject::AfterConstruction();
    LinkLists(Context()).AllLinks.Add(this);
}

void TCustomInstallShellLink::BeforeDestruction() {
    LinkLists(Context()).AllLinks.Remove(this);
    TInstallObject::BeforeDestruction();
}

void TCustomInstallShellLink::SetLinkName(const std::string& value) {
    if (IsLoading()) {
        linkName_ = value;
        return;
    }
    const std::string oldExtension = platform::AsciiUpper(platform::ExtractFileExt(linkName_));
    linkName_ = value;
    if (platform::TrimControls(linkName_).empty()) return;
    const std::string extension = platform::AsciiUpper(platform::ExtractFileExt(linkName_));
    if (extension == ".URL") {
        objectLink_ = nullptr;
    } else if (extension != ".LNK") {
        linkName_ = platform::ChangeFileExt(linkName_, oldExtension.empty() ? ".LNK" : oldExtension);
    }
}

void TCustomInstallShellLink::SetObjectLink(TInstallContainer* value) {
    if (IsLoading()) {
        objectLink_ = value;
        return;
    }
    if (!value) {
        objectLink_ = nullptr;
        objectLocationType_ = nullptr;
        return;
    }
    objectLocationType_ = StandardPathSpecList(Context()).FindByClassOrNull<TpsObjectLink>();
    objectLocation_.clear();
    if (auto* file = dynamic_cast<TCustomInstallFile*>(value))
        SetLinkName(platform::ChangeFileExt(file->DestName(), ".lnk"));
    else if (auto* directory = dynamic_cast<TInstallDirectory*>(value))
        SetLinkName(directory->Description + ".lnk");
    else
        SetLinkName(value->Name() + ".lnk");
    if (!Container()) SetContainer(value);
    objectLink_ = value;
}

void TCustomInstallShellLink::SetObjectLocation(const std::string& value) {
    objectLocation_ = value;
    if (IsLoading()) return;
    if (dynamic_cast<TpsObjectLink*>(objectLocationType_)) objectLocation_.clear();
    const std::string current = platform::AsciiUpper(platform::TrimControls(linkName_));
    if (!current.empty() && current != ".LNK") return;
    std::string urlName;
    if (UrlLinkName(objectLocation_, urlName))
        linkName_ = urlName;
    else
        SetLinkName(platform::ChangeFileExt(platform::ExtractFileName(objectLocation_), ""));
}

void TCustomInstallShellLink::SetObjectLocationType(TCustomPathSpecifier* value) {
    if (IsLoading()) {
        objectLocationType_ = value;
        return;
    }
    if (value) value->Validate(this);
    if (dynamic_cast<TpsObjectLink*>(value)) objectLocation_.clear();
    objectLocationType_ = value;
}

std::string TCustomInstallShellLink::GetObjectPath() {
    if (objectLocationType_) return objectLocationType_->Expand(this) + objectLocation_;
    return RemoveBackslash(objectLocation_);
}

std::string TCustomInstallShellLink::GetLinkFileName() { return AddBackslash(GetFullDestDir()) + linkName_; }

bool TCustomInstallShellLink::IsURLLink() const { return platform::AsciiUpper(platform::ExtractFileExt(linkName_)) == ".URL"; }

void TCustomInstallShellLink::Install() {
    if (platform::TrimControls(linkName_).empty()) throw IEInstallShellLink(kBlankLinkName, {Name()});
    // Configured names get the check that names made from addresses get.
    if (!platform::IsWinFileName(platform::TrimControls(linkName_)))
        throw IEInstallShellLink("The LinkName %s of %s is no file name and therefore could not be installed",
                                 {linkName_, Name()});
    if (!IsLinkFolder(DestDir()))
        throw IEInstallShellLink("The folder %s of %s is no folder name and therefore could not be installed",
                                 {DestDir(), Name()});
    if (objectLink_) {
        if (!objectLink_->Processed) return;
        if (dynamic_cast<TUninstallEXE*>(objectLink_)) {
            TInstallRoot* install = Context().GlobalInstall;
            if (!install)
                throw IEInstallShellLink("%s cannot perform operation because there is no TInstall component", {Name()});
            // The uninstaller finds the product's key by this name.
            Parameters = platform::TrimControls(install->ProductName());
        } else if (dynamic_cast<TCustomShellLinkGroup*>(objectLink_)) {
            ForceLinkDirectory(objectLink_->GetFullDestDir());
        }
    }
    if (IsURLLink()) {
        CreateURLFile();
    } else {
        switch (Method) {
            case mtShellLinkInterface: CreateShellLink(); break;
            case mtProgramManager: CreateProgramManagerItem(); break;
            case mtAutoDetect: {
                const int version = GetWindowsVersion();
                if (version == 1 || version == 2)
                    CreateShellLink();
                else
                    CreateProgramManagerItem();
                break;
            }
        }
    }
    TInstallObject::Install();
}

void TCustomInstallShellLink::CreateShellLink() {
    ForceLinkDirectory(GetFullDestDir());
    const std::string arguments = ExpandMetaVariables(Context(), Parameters, this);
    const std::string target = GetObjectPath();
    try {
        platform::SaveShellLink({target, WorkingDirectory(target), arguments, HotKey, 0, 0}, GetLinkFileName());
    } catch (const std::exception& e) {
        throw IEInstallShellLink(
            "The TCustomInstallShellLink %s name could not be installed. The following error was reported %s",
            {Name(), std::string(e.what())});
    }
}

void TCustomInstallShellLink::CreateURLFile() {
    ForceLinkDirectory(GetFullDestDir());
    platform::IniFile(platform::Files().HostPath(GetLinkFileName()))
        .WriteString("InternetShortcut", "URL", objectLocation_);
}

void TCustomInstallShellLink::CreateProgramManagerItem() {
    if (!dynamic_cast<TpsProgramMenu*>(DestDirType())) return;
    const std::string group = platform::TrimControls(platform::ExtractFileName(RemoveBackslash(GetFullDestDir())));
    if (group.empty()) throw IEInstallShellLink(kBlankLinkName, {Name()});
    TProgramManager& programManager = GlobalProgramManager(Context());
    programManager.CreateGroup(group);
    const std::string item = platform::ChangeFileExt(linkName_, "");
    if (programManager.FindItem(item) >= 0) programManager.ReplaceItem(item);
    const std::string target = GetObjectPath();
    programManager.AddItem("\"" + target + "\" " + ExpandMetaVariables(Context(), Parameters, this), item, "", 0,
                           "\"" + WorkingDirectory(target) + "\"", 0);
}

void TCustomInstallShellLink::HandleMessage(TInstallContainer* sender, int id, TObject* parameter) {
    TInstallObject::HandleMessage(sender, id, parameter);
    if (id == imCreateShellLink) Process();
}

void TCustomInstallShellLink::ContainerRemoved(TInstallContainer& container) {
    if (&container == objectLink_) {
        objectLink_ = nullptr;
        TInstallContainer::ContainerRemoved(container);
        if (!IsDestroying()) Free();
        return;
    }
    if (&container == Container()) {
        TInstallContainer::ContainerRemoved(container);
        LinkContainer(nullptr);
        if (!IsDestroying()) Free();
        return;
    }
    TInstallObject::ContainerRemoved(container);
}

void TCustomInstallShellLink::Notification(TComponent& removed) {
    TInstallObject::Notification(removed);
    if (&removed == objectLocationType_) objectLocationType_ = nullptr;
    if (&removed == objectLink_) objectLink_ = nullptr;
}

void TCustomInstallShellLink::WriteUninstallEntries(const std::string& registryKey) {
    if (!AddUninstallFile(registryKey, GetLinkFileName()))
        throw IEInstallShellLink("Could not write the uninstall entry of the following shortcut :%s:", {Name()});
}

void TCustomInstallShellLink::SetReference(const std::string& property, TComponent* target) {
    if (platform::SameNameIgnoringCase(property, "ObjectLink")) {
        auto* container = dynamic_cast<TInstallContainer*>(target);
        if (target && !container) throw platform::Exception("ObjectLink of " + Name() + " must be an install component");
        SetObjectLink(container);
        return;
    }
    if (platform::SameNameIgnoringCase(property, "ObjectLocationType")) {
        auto* specifier = dynamic_cast<TCustomPathSpecifier*>(target);
        if (target && !specifier)
            throw platform::Exception("ObjectLocationType of " + Name() + " must be a path specifier");
        SetObjectLocationType(specifier);
        return;
    }
    TInstallObject::SetReference(property, target);
}

// ---------------------------------------------------------------- TInstallMainLink

TInstallMainLink::TInstallMainLink(TComponentOwner& owner) : TCustomInstallShellLink(owner) {}

void TInstallMainLink::AfterConstruction() {
    TCustomInstallShellLink::AfterConstruction();
    TMainLinkGroup* group = GlobalMainLinkGroup(Context());
    if (!group)
        throw IEInstallShellLink("To create a TInstallMainLink you must first have a TMainLinkGroup component in your project");
    LinkContainer(group);
    SetDestDirType(nullptr);
    LinkLists(Context()).MainLinks.Add(this);
}

void TInstallMainLink::BeforeDestruction() {
    LinkLists(Context()).MainLinks.Remove(this);
    TCustomInstallShellLink::BeforeDestruction();
}

void TInstallMainLink::SetDestDirType(TCustomPathSpecifier*) {
    TCustomInstallShellLink::SetDestDirType(StandardPathSpecList(Context()).FindByClassOrNull<TpsContainerDestDir>());
}

void TInstallMainLink::SetContainer(TInstallContainer* container) {
    if (!container || container != GlobalMainLinkGroup(Context()))
        throw IEInstallShellLink(
            "The TMainLinkGroup component must be the Container for TInstallMainLink and TSubLinkGroup components");
    TCustomInstallShellLink::SetContainer(container);
}

}  // namespace installer
