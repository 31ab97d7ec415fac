#pragma once
// The base classes of the install component tree. Each component names the
// component that contains it (Container); each container keeps its helper
// children ordered by registered type. Processing runs down through the
// children a container processes; broadcasts go to direct children of type
// 2000 and up; status codes go up the Container chain.
#include <functional>
#include <string>
#include <vector>

#include "installer/components/Component.h"
#include "installer/components/InstallTypes.h"
#include "installer/components/Messages.h"

namespace installer {

class TCustomPathSpecifier;
class TInstallContainer;

using TInstallContainerNotifyEvent = std::function<void(TInstallContainer& container)>;

class TInstallContainer : public TComponent {
public:
    explicit TInstallContainer(TComponentOwner& owner);
    ~TInstallContainer() override;

    static constexpr const char* StaticClassName = "TInstallContainer";
    std::string ClassName() const override { return StaticClassName; }

    bool ProcessWithContainer = false;
    bool Include = true;
    bool Processed = false;
    TInstallType ActiveInstallType = itFull;
    TInstallContainer* HelperTarget = nullptr;  // when set, broadcasts go to it alone
    bool Uninstall = true;
    TInstallContainerNotifyEvent OnAfterProcess, OnBeforeProcess, OnProcessing;
    TInstallTypes InstallTypes{itFull, itDefault, itCompact};
    int Order = -1;  // stored only: the child list is not re-sorted

    const std::string& DestDir() const { return destDir_; }
    TCustomPathSpecifier* DestDirType() const { return destDirType_; }

    // Virtual operations, in the order the tree calls them.
    virtual int FileContainerCount() const;
    virtual TInstallContainer* FileContainer(int index) const;
    virtual void SetDestDir(const std::string& destDir);
    virtual void SetDestDirType(TCustomPathSpecifier* specifier);
    virtual void ContainerRemoved(TInstallContainer& container);
    virtual void ShowStatus(const std::string& text);
    virtual void DoInformationEventControl(TInstallContainer* sender, int code, TObject* parameter);
    // Every override calls the inherited one first.
    virtual void HandleMessage(TInstallContainer* sender, int id, TObject* parameter);
    virtual std::string GetFullDestDir();
    virtual int RegisteredType() const;
    virtual void AddHelper(TInstallContainer* child);
    virtual void Process();
    virtual void Install();
    virtual bool IsIncluded() const;
    virtual void ResumeAfterReboot() {}
    virtual void Retranslate() {}
    virtual void RemoveHelper(TInstallContainer* child);
    virtual void WriteUninstallEntries(const std::string& registryKey);
    // What path specifiers ask of the containers they name; the file
    // classes answer.
    virtual bool IsFileContainer() const { return false; }
    virtual bool IsFileRelated() const { return false; }
    virtual bool IsInstallGroup() const { return false; }
    virtual std::string DescriptionText() const { return {}; }
    virtual std::string GetArchiveFilePath() { return {}; }

    void ClearStatus();
    void BroadcastMessage(TInstallContainer* sender, int id, TObject* parameter);
    int HelperCount() const { return static_cast<int>(helpers_.size()); }
    TInstallContainer* Helper(int index) const;
    const std::vector<TInstallContainer*>& Helpers() const { return helpers_; }
    void SetActiveInstallType(TInstallType type);

    // The index-th child of class T (or derived).
    template <typename T>
    T* Comp(int index) const {
        int seen = 0;
        for (TInstallContainer* c : helpers_)
            if (auto* t = dynamic_cast<T*>(c))
                if (seen++ == index) return t;
        BadComp(index, T::StaticClassName);
    }
    template <typename T>
    int CompCount() const {
        int n = 0;
        for (TInstallContainer* c : helpers_)
            if (dynamic_cast<T*>(c)) ++n;
        return n;
    }
    // Frees every child of class T, last first.
    template <typename T>
    void FreeComps() {
        const auto children = ChildSnapshot();
        for (auto it = children.rbegin(); it != children.rend(); ++it)
            if (StillChild(*it) && dynamic_cast<T*>(it->component)) it->component->Free();
    }
    bool HasHelper(const TInstallContainer* child) const;

    // The children as they are now, for walks during which children may be
    // freed or added: StillChild tells whether one is still a live child.
    struct ChildRef {
        TInstallContainer* component;
        std::uint64_t serial;
    };
    std::vector<ChildRef> ChildSnapshot() const;
    bool StillChild(const ChildRef& child) const;

    void SetReference(const std::string& property, TComponent* target) override;

protected:
    void Loaded() override;
    void Notification(TComponent& removed) override;
    void BeforeDestruction() override;
    // Whether a DestDirType was set, and whether it was defaulted at creation.
    bool destDirTypeSet_ = false;
    bool destDirTypeDefaulted_ = false;
    void StoreDestDirType(TCustomPathSpecifier* specifier) { destDirType_ = specifier; }
    void StoreDestDir(const std::string& destDir) { destDir_ = destDir; }

private:
    [[noreturn]] void BadComp(int index, const char* className) const;
    std::vector<TInstallContainer*> helpers_;
    std::string destDir_;
    TCustomPathSpecifier* destDirType_ = nullptr;
};

class TInstallObject : public TInstallContainer {
public:
    explicit TInstallObject(TComponentOwner& owner);

    static constexpr const char* StaticClassName = "TInstallObject";
    std::string ClassName() const override { return StaticClassName; }

    TInstallContainer* Container() const { return container_; }
    virtual void SetContainer(TInstallContainer* container);

    void ContainerRemoved(TInstallContainer& container) override;
    void Process() override;
    void SetReference(const std::string& property, TComponent* target) override;

protected:
    void Loaded() override;
    void AfterConstruction() override;
    bool containerSet_ = false;
    bool containerDefaulted_ = false;
    // The steps of SetContainer before the destination defaults; false when
    // the container is the same as now.
    bool LinkContainer(TInstallContainer* container);

private:
    TInstallContainer* container_ = nullptr;
};

// Unit routines.
bool IsDesigning(const TComponent& component);
TDistributeType GetDistributeType(EngineContext& context);
bool IsInstallRunning(EngineContext& context);
// The full destination of GlobalInstall's component, or nullptr without one.
TInstallContainer* GlobalInstallComponent(EngineContext& context);

// Sends a status code up: DoInformationEventControl of the sender's
// Container, when it has one.
void SendStatus(TInstallContainer& sender, int code, TObject* parameter);

}  // namespace installer
