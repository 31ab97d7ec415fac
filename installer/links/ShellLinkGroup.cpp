#include "installer/links/ShellLinkGroup.h"

#include <algorithm>

#include "installer/components/EngineContext.h"
#include "installer/components/InstallRoot.h"
#include "installer/components/StandardPathSpecifiers.h"
#include "installer/links/LinkLists.h"
#include "installer/translator/IException.h"
#include "platform/windows/sysroot/SystemRoot.h"
#include "platform/windows/sysroot/WinPath.h"

namespace installer {

void ForceLinkDirectory(const std::string& path) {
    if (!platform::Files().ForceDirectories(path)) throw platform::Exception("Unable to create directory");
}

bool IsLinkFolder(const std::string& destDir) {
    for (const std::string& element : platform::PathElements(destDir))
        if (!platform::IsWinFileName(element)) return false;
    return true;
}

// ---------------------------------------------------------------- TCustomShellLinkGroup

TCustomShellLinkGroup::TCustomShellLinkGroup(TComponentOwner& owner) : TInstallObject(owner) {
    ProcessWithContainer = false;
    Include = true;
}

void TCustomShellLinkGroup::AfterConstruction() {
    TInstallObject::AfterConstruction();
    LinkLists(Context()).Groups.push_back(this);
}

void TCustomShellLinkGroup::BeforeDestruction() {
    auto& groups = LinkLists(Context()).Groups;
    groups.erase(std::remove(groups.begin(), groups.end(), this), groups.end());
    TInstallObject::BeforeDestruction();
}

void TCustomShellLinkGroup::Install() {
    if (!IsLinkFolder(DestDir()))
        throw IEShellLinkGroup("The folder %s of %s is no folder name and therefore could not be installed",
                               {DestDir(), Name()});
    BroadcastMessage(this, imBeforeCreateFolder, nullptr);
    ForceLinkDirectory(GetFullDestDir());
    TInstallObject::Install();
}

void TCustomShellLinkGroup::HandleMessage(TInstallContainer* sender, int id, TObject* parameter) {
    TInstallObject::HandleMessage(sender, id, parameter);
    if (id == imCreateLinkGroup) Process();
}

void TCustomShellLinkGroup::ContainerRemoved(TInstallContainer& container) {
    if (&container != Container()) {
        TInstallObject::ContainerRemoved(container);
        return;
    }
    TInstallContainer::ContainerRemoved(container);
    LinkContainer(nullptr);
    if (!IsDestroying()) Free();
}

// ---------------------------------------------------------------- TMainLinkGroup

TMainLinkGroup::TMainLinkGroup(TComponentOwner& owner) : TCustomShellLinkGroup(owner) {}

void TMainLinkGroup::AfterConstruction() {
    TCustomShellLinkGroup::AfterConstruction();
    ShellLinkLists& lists = LinkLists(Context());
    if (lists.MainLinkGroup) throw IEShellLinkGroup("You can only have one TMainLinkGroup component in your project");
    lists.MainLinkGroup = this;
    SetDestDirType(nullptr);
    TInstallRoot* install = Context().GlobalInstall;
    SetDestDir(install ? "\\" + install->ProductName() : std::string("\\MainFolderName"));
}

void TMainLinkGroup::BeforeDestruction() {
    ShellLinkLists& lists = LinkLists(Context());
    if (lists.MainLinkGroup == this) lists.MainLinkGroup = nullptr;
    TCustomShellLinkGroup::BeforeDestruction();
}

void TMainLinkGroup::SetDestDirType(TCustomPathSpecifier*) {
    TCustomShellLinkGroup::SetDestDirType(StandardPathSpecList(Context()).FindByClassOrNull<TpsProgramMenu>());
}

}  // namespace installer
