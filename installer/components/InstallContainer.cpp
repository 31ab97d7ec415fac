#include "installer/components/InstallContainer.h"

#include <functional>
#include <unordered_set>

#include "installer/base/Strings.h"
#include "installer/components/EngineContext.h"
#include "installer/components/InstallRoot.h"
#include "installer/components/PathSpecifier.h"
#include "installer/components/StandardPathSpecifiers.h"
#include "installer/translator/IException.h"
#include "platform/core/runtime/Exception.h"
#include "platform/core/runtime/PathCase.h"
#include "platform/core/runtime/Text.h"

namespace installer {

// ---------------------------------------------------------------- unit routines

bool IsDesigning(const TComponent& component) { return component.IsDesigning(); }

TDistributeType GetDistributeType(EngineContext& context) {
    return context.GlobalInstall ? context.GlobalInstall->DistributeType() : dtTraditionalNet;
}

bool IsInstallRunning(EngineContext& context) {
    return context.GlobalInstall && context.GlobalInstall->InstallRunning();
}

TInstallContainer* GlobalInstallComponent(EngineContext& context) {
    return context.GlobalInstall ? &context.GlobalInstall->InstallComponent() : nullptr;
}

void SendStatus(TInstallContainer& sender, int code, TObject* parameter) {
    if (auto* object = dynamic_cast<TInstallObject*>(&sender))
        if (TInstallContainer* container = object->Container())
            container->DoInformationEventControl(&sender, code, parameter);
}

// ---------------------------------------------------------------- TInstallContainer

TInstallContainer::TInstallContainer(TComponentOwner& owner) : TComponent(owner) {
    if (owner.IsFormOrDataModule())
        StandardPathSpecList(Context()).EnsureStandardSpecifiers(this, &owner, true);
    Context().GlobalContainerList.Add(this);
}

TInstallContainer::~TInstallContainer() {
    // Reached without BeforeDestruction only when a constructor failed.
    Context().GlobalContainerList.Remove(this);
}

void TInstallContainer::BeforeDestruction() {
    // Tell every other container, last first; one that frees itself on the
    // way has left the list and is skipped.
    auto& list = Context().GlobalContainerList;
    std::vector<ChildRef> others;
    for (TInstallContainer* c : list.Items()) others.push_back({c, c->Serial()});
    for (auto it = others.rbegin(); it != others.rend(); ++it) {
        if (it->component == this || list.IndexOf(it->component) < 0) continue;
        if (!TComponentOwner::IsAlive(it->component, it->serial)) continue;
        it->component->ContainerRemoved(*this);
    }
    helpers_.clear();
    list.Remove(this);
}

int TInstallContainer::FileContainerCount() const {
    int n = 0;
    for (TInstallContainer* c : helpers_)
        if (c->IsFileContainer()) ++n;
    return n;
}

TInstallContainer* TInstallContainer::FileContainer(int index) const {
    int seen = 0;
    for (TInstallContainer* c : helpers_)
        if (c->IsFileContainer() && seen++ == index) return c;
    BadComp(index, "TFileContainer");
}

void TInstallContainer::SetDestDir(const std::string& destDir) { destDir_ = destDir; }

void TInstallContainer::SetDestDirType(TCustomPathSpecifier* specifier) {
    destDirTypeSet_ = true;
    if (!IsLoading() && specifier) specifier->Validate(this);
    destDirType_ = specifier;
}

void TInstallContainer::ContainerRemoved(TInstallContainer& container) {
    // Whatever its class, a child that goes must not stay listed.
    RemoveHelper(&container);
}

void TInstallContainer::ShowStatus(const std::string& text) {
    TMessageParameter parameter(text);
    BroadcastMessage(this, imPushStatus, &parameter);
}

void TInstallContainer::ClearStatus() { BroadcastMessage(this, imPopStatus, nullptr); }

void TInstallContainer::DoInformationEventControl(TInstallContainer*, int, TObject*) {}

void TInstallContainer::HandleMessage(TInstallContainer*, int, TObject*) {}

std::string TInstallContainer::GetFullDestDir() {
    if (!destDirType_) return destDir_;
    return RemoveBackslash(destDirType_->Expand(this) + destDir_);
}

int TInstallContainer::RegisteredType() const {
    throw IEInstallContainer("Class must declare a registered type");
}

bool TInstallContainer::HasHelper(const TInstallContainer* child) const {
    for (const TInstallContainer* c : helpers_)
        if (c == child) return true;
    return false;
}

std::vector<TInstallContainer::ChildRef> TInstallContainer::ChildSnapshot() const {
    std::vector<ChildRef> children;
    children.reserve(helpers_.size());
    for (TInstallContainer* c : helpers_) children.push_back({c, c->Serial()});
    return children;
}

bool TInstallContainer::StillChild(const ChildRef& child) const {
    // Liveness first: a freed child's address may already hold a new one.
    return TComponentOwner::IsAlive(child.component, child.serial) && HasHelper(child.component);
}

void TInstallContainer::AddHelper(TInstallContainer* child) {
    if (!child) throw IEInstallContainer("Cannot add a blank base helper component to %s", {Name()});
    if (child == this) throw IEInstallContainer("Circular reference");
    // The child may not be an ancestor of this container either.
    const TInstallContainer* node = this;
    for (int guard = 0; node && guard < 100000; ++guard) {
        if (node == child) throw IEInstallContainer("Circular reference");
        auto* object = dynamic_cast<const TInstallObject*>(node);
        if (!object) break;
        node = object->Container();
    }
    // Nor may this container be among the child's own children, however
    // they got there: processing would never end.
    std::unordered_set<const TInstallContainer*> seen;
    std::vector<const TInstallContainer*> pending{child};
    while (!pending.empty()) {
        const TInstallContainer* at = pending.back();
        pending.pop_back();
        if (!seen.insert(at).second) continue;
        for (const TInstallContainer* c : at->helpers_) {
            if (c == this) throw IEInstallContainer("Circular reference");
            pending.push_back(c);
        }
    }
    const int type = child->RegisteredType();
    std::size_t index = helpers_.size();
    for (std::size_t i = 0; i < helpers_.size(); ++i)
        if (helpers_[i]->RegisteredType() >= type) {
            index = i;
            break;
        }
    // The database-engine installer always comes first.
    if (platform::SameNameIgnoringCase(child->ClassName(), "TINSTALLBDE")) index = 0;
    helpers_.insert(helpers_.begin() + static_cast<std::ptrdiff_t>(index), child);
}

void TInstallContainer::RemoveHelper(TInstallContainer* child) {
    if (!child) return;
    for (auto it = helpers_.begin(); it != helpers_.end(); ++it)
        if (*it == child) {
            helpers_.erase(it);
            return;
        }
}

TInstallContainer* TInstallContainer::Helper(int index) const {
    if (index < 0 || index >= HelperCount())
        throw IEInstallContainer(
            "Tried to reference a helper component in the following component: %s. The following index was used: %d",
            {Name(), index});
    return helpers_[static_cast<std::size_t>(index)];
}

void TInstallContainer::BadComp(int index, const char* className) const {
    // The caller passes a class: its name is what helps.
    throw IEInstallContainer(
        "Bad call to the Comp procedure which returns a TInstallObject for a TInstallContainer component. The "
        "parameters are probably reversed. Index: %d, ComponentType: %d",
        {index, std::string(className)});
}

void TInstallContainer::BroadcastMessage(TInstallContainer* sender, int id, TObject* parameter) {
    // A receiver may add or free children: walk a snapshot and skip those
    // that are no longer children.
    for (const ChildRef& ref : ChildSnapshot()) {
        if (!StillChild(ref)) continue;
        TInstallContainer* child = ref.component;
        if (HelperTarget) {
            if (child == HelperTarget) child->HandleMessage(sender, id, parameter);
        } else if (child->RegisteredType() >= rtInstallFile) {
            child->HandleMessage(sender, id, parameter);
        }
    }
}

void TInstallContainer::Install() {
    Processed = true;
    for (const ChildRef& ref : ChildSnapshot())
        if (StillChild(ref) && ref.component->ProcessWithContainer) ref.component->Process();
}

bool TInstallContainer::IsIncluded() const {
    return Include && (ActiveInstallType == itCustom || InstallTypes.Contains(ActiveInstallType));
}

void TInstallContainer::Process() {
    try {
        if (OnBeforeProcess) OnBeforeProcess(*this);
        BroadcastMessage(this, imBeforeProcess, nullptr);
        if (!Include) return;
        if (OnProcessing) OnProcessing(*this);
        BroadcastMessage(this, imProcessing, nullptr);
        if (ActiveInstallType != itCustom && !InstallTypes.Contains(ActiveInstallType)) return;
        Install();
        Processed = true;
        if (Context().GlobalInstall && Uninstall)
            WriteUninstallEntries("\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" +
                                  platform::TrimControls(Context().GlobalInstall->ProductName()));
        if (OnAfterProcess) OnAfterProcess(*this);
        BroadcastMessage(this, imAfterProcess, nullptr);
    } catch (const platform::EAbort&) {
        // A silent abort skips this component only.
    }
}

void TInstallContainer::WriteUninstallEntries(const std::string&) {}

void TInstallContainer::SetActiveInstallType(TInstallType type) {
    // Children first; a child listed twice is set once.
    std::unordered_set<TInstallContainer*> visited;
    std::function<void(TInstallContainer&)> visit = [&](TInstallContainer& node) {
        if (!visited.insert(&node).second) return;
        for (TInstallContainer* child : node.helpers_) visit(*child);
        node.ActiveInstallType = type;
    };
    visit(*this);
}

void TInstallContainer::Loaded() {
    if (destDirTypeDefaulted_ && !destDirTypeSet_) destDirType_ = nullptr;
    TComponent::Loaded();
}

void TInstallContainer::Notification(TComponent& removed) {
    TComponent::Notification(removed);
    if (&removed == destDirType_) destDirType_ = nullptr;
    if (&removed == HelperTarget) HelperTarget = nullptr;
}

void TInstallContainer::SetReference(const std::string& property, TComponent* target) {
    if (platform::SameNameIgnoringCase(property, "DestDirType")) {
        auto* specifier = dynamic_cast<TCustomPathSpecifier*>(target);
        if (target && !specifier)
            throw platform::Exception("DestDirType of " + Name() + " must be a path specifier");
        SetDestDirType(specifier);
        return;
    }
    TComponent::SetReference(property, target);
}

// ---------------------------------------------------------------- TInstallObject

TInstallObject::TInstallObject(TComponentOwner& owner) : TInstallContainer(owner) {}

void TInstallObject::AfterConstruction() {
    TInstallContainer::AfterConstruction();
    EngineContext& context = Context();
    if (IsDesigning() && context.GlobalInstall) {
        TInstallContainer& install = context.GlobalInstall->InstallComponent();
        install.AddHelper(this);
        container_ = &install;
        StoreDestDirType(StandardPathSpecList(context).FindByClassOrNull<TpsContainerDestDir>());
        StoreDestDir("");
        containerDefaulted_ = true;
        destDirTypeDefaulted_ = true;
    }
}

bool TInstallObject::LinkContainer(TInstallContainer* container) {
    containerSet_ = true;
    if (container == container_) return false;
    if (container) container->AddHelper(this);  // raises before anything changed
    if (container_) container_->RemoveHelper(this);
    container_ = container;
    return true;
}

void TInstallObject::SetContainer(TInstallContainer* container) {
    if (!LinkContainer(container)) return;
    if (IsLoading()) return;
    if (container_) {
        // An owner without the standard specifiers (no form) has none to give.
        SetDestDirType(StandardPathSpecList(Context()).FindByClassOrNull<TpsContainerDestDir>());
        SetDestDir("");
    } else if (dynamic_cast<TpsContainerDestDir*>(DestDirType())) {
        SetDestDirType(nullptr);
    }
}

void TInstallObject::ContainerRemoved(TInstallContainer& container) {
    TInstallContainer::ContainerRemoved(container);
    if (&container == container_) SetContainer(nullptr);
}

void TInstallObject::Process() {
    if (IsInstallRunning(Context()) && container_ && !container_->Processed) return;
    TInstallContainer::Process();
}

void TInstallObject::Loaded() {
    if (containerDefaulted_ && !containerSet_) SetContainer(nullptr);
    TInstallContainer::Loaded();
}

void TInstallObject::SetReference(const std::string& property, TComponent* target) {
    if (platform::SameNameIgnoringCase(property, "Container")) {
        auto* container = dynamic_cast<TInstallContainer*>(target);
        if (target && !container) throw platform::Exception("Container of " + Name() + " must be an install component");
        SetContainer(container);
        return;
    }
    TInstallContainer::SetReference(property, target);
}

}  // namespace installer
