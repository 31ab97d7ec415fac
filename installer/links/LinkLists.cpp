#include "installer/links/LinkLists.h"

#include <algorithm>

#include "installer/components/EngineContext.h"
#include "installer/translator/IException.h"

namespace installer {

void TInstallShellLinkList::Add(TCustomInstallShellLink* link) {
    if (!link) throw IEInstallShellLinkList("Cannot add a blank entry to the shell link list");
    items_.push_back(link);
}

void TInstallShellLinkList::Remove(TCustomInstallShellLink* link) {
    items_.erase(std::remove(items_.begin(), items_.end(), link), items_.end());
}

ShellLinkLists& LinkLists(EngineContext& context) { return context.Slot<ShellLinkLists>(); }

TMainLinkGroup* GlobalMainLinkGroup(EngineContext& context) { return LinkLists(context).MainLinkGroup; }

}  // namespace installer
