#pragma once
// The engine's lists of link groups and shortcuts, and its one main link
// group (the product's start-menu folder). Each component enters its lists
// when made and leaves them when freed.
#include <vector>

namespace installer {

class EngineContext;
class TCustomInstallShellLink;
class TCustomShellLinkGroup;
class TMainLinkGroup;

class TInstallShellLinkList {
public:
    // Raises IEInstallShellLinkList for nullptr.
    void Add(TCustomInstallShellLink* link);
    void Remove(TCustomInstallShellLink* link);
    int Count() const { return static_cast<int>(items_.size()); }
    TCustomInstallShellLink* operator[](int index) const { return items_.at(static_cast<std::size_t>(index)); }

private:
    std::vector<TCustomInstallShellLink*> items_;
};

struct ShellLinkLists {
    TInstallShellLinkList AllLinks;   // every shortcut
    TInstallShellLinkList MainLinks;  // the shortcuts of the main link group
    std::vector<TCustomShellLinkGroup*> Groups;
    TMainLinkGroup* MainLinkGroup = nullptr;
};

ShellLinkLists& LinkLists(EngineContext& context);
// The main link group, or nullptr while there is none.
TMainLinkGroup* GlobalMainLinkGroup(EngineContext& context);

}  // namespace installer
