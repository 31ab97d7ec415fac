#pragma once
// Link groups: folders of shortcuts. A group is processed with the link
// groups of the run (type 7000): it tells its shortcuts, then creates its
// folder with every missing parent. The main link group is the product's
// folder in the start menu's Programs folder; there is at most one.
#include "installer/components/InstallContainer.h"

namespace installer {

class TCustomShellLinkGroup : public TInstallObject {
public:
    explicit TCustomShellLinkGroup(TComponentOwner& owner);

    static constexpr const char* StaticClassName = "TCustomShellLinkGroup";
    std::string ClassName() const override { return StaticClassName; }

    int RegisteredType() const override { return rtShellLinkGroup; }
    void Install() override;
    // imCreateLinkGroup processes the group.
    void HandleMessage(TInstallContainer* sender, int id, TObject* parameter) override;
    // The group frees itself when its container goes.
    void ContainerRemoved(TInstallContainer& container) override;

protected:
    void AfterConstruction() override;
    void BeforeDestruction() override;
};

class TMainLinkGroup : public TCustomShellLinkGroup {
public:
    // Raises IEShellLinkGroup when the engine has a main link group already.
    explicit TMainLinkGroup(TComponentOwner& owner);

    static constexpr const char* StaticClassName = "TMainLinkGroup";
    std::string ClassName() const override { return StaticClassName; }

    // Always the psProgramMenu specifier, whatever is given.
    void SetDestDirType(TCustomPathSpecifier* specifier) override;

protected:
    void AfterConstruction() override;
    void BeforeDestruction() override;
};

// Creates the folder with every missing parent; raises "Unable to create directory".
void ForceLinkDirectory(const std::string& path);

// Whether a configured folder (DestDir of a link or a link group) stays
// below its base: each of its elements is one file name ("Vendor\Product"
// passes; "..", "." and names the file system cannot keep do not).
bool IsLinkFolder(const std::string& destDir);

}  // namespace installer
