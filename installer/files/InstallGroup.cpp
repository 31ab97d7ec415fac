#include "installer/files/InstallGroup.h"

#include "installer/components/EngineContext.h"
#include "installer/components/InstallRoot.h"
#include "installer/files/InstallFile.h"
#include "installer/translator/IException.h"
#include "platform/windows/sysroot/SystemRoot.h"

namespace installer {
namespace {

bool IsInstallEngine(EngineContext& context, TInstallContainer* container) {
    return container && context.GlobalInstall && container == &context.GlobalInstall->InstallComponent();
}

}  // namespace

void TCustomInstallGroup::SetContainer(TInstallContainer* container) {
    EngineContext& context = Context();
    if (!container && !IsLoading() && context.GlobalInstall) container = &context.GlobalInstall->InstallComponent();
    // Checked before anything changes, so a refused container leaves the group where it was.
    if (container && !IsLoading() && !IsInstallEngine(context, container) && !container->IsInstallGroup())
        throw IEInstallGroup(
            "A TInstallGroup component can only be contained by a TInstall, or another TInstallGroup component");
    TFileContainer::SetContainer(container);
}

TInstallDirectory::TInstallDirectory(TComponentOwner& owner) : TFileContainer(owner) {
    ProcessWithContainer = true;
    Include = true;
}

void TInstallDirectory::AfterConstruction() {
    TFileContainer::AfterConstruction();
    if (!IsDesigning()) return;
    int containers = 0;
    for (TInstallContainer* c : Context().GlobalContainerList.Items())
        if (dynamic_cast<TFileContainer*>(c)) ++containers;
    Description = "Install Directory " + std::to_string(containers);
}

void TInstallDirectory::RemoveMissingFiles() {
    const auto children = ChildSnapshot();
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
        if (!StillChild(*it)) continue;
        auto* file = dynamic_cast<TCustomInstallFile*>(it->component);
        if (!file || platform::Files().FileExists(file->MemberName())) continue;
        RemoveHelper(file);
        file->Free();
    }
}

}  // namespace installer
