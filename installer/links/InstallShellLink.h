#pragma once
// Shortcuts. A shortcut is made, with the shortcuts of the run (type 8000),
// as a ".LNK" shell-link file, a ".URL" internet-shortcut file, or a
// Program Manager item on shells without a start menu. It points at
// ObjectLocation (after its ObjectLocationType's path), or at whatever its
// ObjectLink component installed. A shortcut whose ObjectLink was not
// processed in the run is not made. Each shortcut is recorded in the uninstall
// log like an installed file.
//
// Setters of LinkName, ObjectLink, ObjectLocation and ObjectLocationType
// derive the others as the designer expects (a name from the target, the
// extension kept to ".LNK" or ".URL"); while the configuration loads they
// only store.
#include <cstdint>
#include <string>

#include "installer/components/InstallContainer.h"

namespace installer {

enum TMethodType { mtAutoDetect, mtShellLinkInterface, mtProgramManager };

class TCustomInstallShellLink : public TInstallObject {
public:
    explicit TCustomInstallShellLink(TComponentOwner& owner);

    static constexpr const char* StaticClassName = "TCustomInstallShellLink";
    std::string ClassName() const override { return StaticClassName; }

    std::string Parameters;  // command-line arguments; meta-variables allowed
    std::uint16_t HotKey = 0;
    TMethodType Method = mtAutoDetect;

    const std::string& LinkName() const { return linkName_; }
    TInstallContainer* ObjectLink() const { return objectLink_; }
    const std::string& ObjectLocation() const { return objectLocation_; }
    TCustomPathSpecifier* ObjectLocationType() const { return objectLocationType_; }

    virtual void CreateProgramManagerItem();
    virtual void CreateShellLink();
    virtual void CreateURLFile();
    virtual void SetLinkName(const std::string& value);
    virtual void SetObjectLocation(const std::string& value);
    virtual void SetObjectLocationType(TCustomPathSpecifier* value);
    virtual void SetObjectLink(TInstallContainer* value);
    // The target: ObjectLocationType's path followed by ObjectLocation, or
    // ObjectLocation without a trailing '\'.
    virtual std::string GetObjectPath();

    // The full destination directory, '\', LinkName.
    std::string GetLinkFileName();
    bool IsURLLink() const;

    int RegisteredType() const override { return rtShellLink; }
    void Install() override;
    // imCreateShellLink processes the shortcut.
    void HandleMessage(TInstallContainer* sender, int id, TObject* parameter) override;
    // The shortcut frees itself when its ObjectLink or its container goes.
    void ContainerRemoved(TInstallContainer& container) override;
    void WriteUninstallEntries(const std::string& registryKey) override;
    void SetReference(const std::string& property, TComponent* target) override;

protected:
    void AfterConstruction() override;
    void BeforeDestruction() override;
    void Notification(TComponent& removed) override;

private:
    std::string linkName_;
    TInstallContainer* objectLink_ = nullptr;
    std::string objectLocation_;
    TCustomPathSpecifier* objectLocationType_ = nullptr;
};

// A shortcut in the main link group: its container is always that group and
// its destination the group's folder.
class TInstallMainLink : public TCustomInstallShellLink {
public:
    explicit TInstallMainLink(TComponentOwner& owner);

    static constexpr const char* StaticClassName = "TInstallMainLink";
    std::string ClassName() const override { return StaticClassName; }

    // Always psContainerDestDir.
    void SetDestDirType(TCustomPathSpecifier* specifier) override;
    // Raises IEInstallShellLink for any container but the main link group.
    void SetContainer(TInstallContainer* container) override;

protected:
    void AfterConstruction() override;
    void BeforeDestruction() override;
};

}  // namespace installer
