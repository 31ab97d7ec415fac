#include "installer/files/PsFileContainer.h"

#include "installer/files/FileContainer.h"
#include "installer/files/InstallFile.h"
#include "installer/files/InstallGroup.h"
#include "installer/registry/ComponentNames.h"
#include "installer/translator/IException.h"

namespace installer {

TpsFileContainer::TpsFileContainer(TComponentOwner& owner, TFileContainer* container)
    : TCustomPathSpecifier(owner), container_(container) {}

TpsFileContainer::~TpsFileContainer() = default;

void TpsFileContainer::BeforeDestruction() {
    if (container_ && container_->PathSpecifier == this) container_->PathSpecifier = nullptr;
    TCustomPathSpecifier::BeforeDestruction();
}

void TpsFileContainer::Notification(TComponent& removed) {
    TCustomPathSpecifier::Notification(removed);
    if (&removed == container_) container_ = nullptr;
}

void TpsFileContainer::Loaded() {
    TCustomPathSpecifier::Loaded();
    // One read from a stored configuration replaces the one its container made.
    if (container_ && container_->PathSpecifier != this) {
        TpsFileContainer* made = container_->PathSpecifier;
        container_->PathSpecifier = this;
        if (made) made->Free();
    }
}

void TpsFileContainer::Validate(TComponent* component) {
    if (dynamic_cast<TFileContainer*>(component) || dynamic_cast<TCustomInstallGroup*>(component) ||
        dynamic_cast<TCustomInstallFile*>(component))
        throw IEPathSpecifier("A file container cannot reference another file container or group");
}

std::string TpsFileContainer::DescriptionFor(TComponent*) {
    if (!container_) return "Path specifier for unknown file container";
    return "Path into which " + container_->Description + " will be installed";
}

std::string TpsFileContainer::ShortCaptionFor(TComponent*) {
    if (!container_) return "Path specifier for unknown file container";
    return "<" + container_->Description + ">";
}

std::string TpsFileContainer::Expand(TComponent* component) {
    Validate(component);
    return container_ ? container_->GetFullDestDir() : std::string();
}

void TpsFileContainer::SetName(const std::string& name) {
    if (namingByContainer_) {
        TCustomPathSpecifier::SetName(name);
        return;
    }
    try {
        TCustomPathSpecifier::SetName(name);
    } catch (const platform::Exception&) {
        TComponent* holder = Owner().FindComponent(name);
        if (!holder || holder == this) throw;
        MakeUniqueComponentName(*holder, "nameClash");
        TCustomPathSpecifier::SetName(name);
    }
}

void TpsFileContainer::AssignNameFromContainer(const std::string& base) {
    namingByContainer_ = true;
    try {
        MakeUniqueComponentName(*this, base);
    } catch (...) {
        namingByContainer_ = false;
        throw;
    }
    namingByContainer_ = false;
}

}  // namespace installer
