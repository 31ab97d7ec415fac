#include "installer/components/Component.h"

#include <algorithm>
#include <unordered_map>

#include "installer/components/EngineContext.h"
#include "platform/core/runtime/Exception.h"
#include "platform/core/runtime/Format.h"
#include "platform/core/runtime/PathCase.h"

namespace installer {
namespace {

// Every live component by address, with its serial. One user-interface
// thread works on components, so no lock.
std::unordered_map<const TComponent*, std::uint64_t>& LiveComponents() {
    static std::unordered_map<const TComponent*, std::uint64_t> live;
    return live;
}

std::uint64_t NextSerial() {
    static std::uint64_t next = 0;
    return ++next;
}

}  // namespace

bool IsValidIdent(const std::string& name) {
    if (name.empty()) return false;
    auto alpha = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; };
    if (!alpha(name[0])) return false;
    return std::all_of(name.begin(), name.end(), [&](char c) { return alpha(c) || (c >= '0' && c <= '9'); });
}

TComponent::TComponent(TComponentOwner& owner) : owner_(&owner), serial_(NextSerial()) {
    loading_ = owner.IsLoading();
    owner.Insert(this);
    LiveComponents()[this] = serial_;
}

TComponent::~TComponent() {
    LiveComponents().erase(this);
    // Only a failed construction or a plain delete gets here still listed.
    auto& list = owner_->components_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

EngineContext& TComponent::Context() const { return owner_->Context(); }

bool TComponent::IsDesigning() const { return owner_->Designing; }

void TComponent::SetName(const std::string& name) {
    if (name == name_) return;
    if (!name.empty() && !IsValidIdent(name))
        throw platform::Exception(platform::Format("'%s' is not a valid component name", {name}));
    if (!name.empty()) {
        const TComponent* other = owner_->FindComponent(name);
        if (other && other != this)
            throw platform::Exception(platform::Format("A component named %s already exists", {name}));
    }
    name_ = name;
}

void TComponent::Free() { owner_->Destroy(this); }

void TComponent::SetReference(const std::string& property, TComponent*) {
    throw platform::Exception(
        platform::Format("%s has no reference property %s", {ClassName() + " " + name_, property}));
}

void TComponent::Loaded() { loading_ = false; }

void TComponent::Notification(TComponent&) {}

TComponentOwner::TComponentOwner(OwnerKind kind) : kind_(kind), context_(std::make_unique<EngineContext>()) {}

TComponentOwner::~TComponentOwner() { DestroyComponents(); }

void TComponentOwner::Insert(TComponent* component) { components_.push_back(component); }

TComponent* TComponentOwner::FindComponent(const std::string& name) const {
    if (name.empty()) return nullptr;
    for (TComponent* c : components_)
        if (platform::SameNameIgnoringCase(c->Name(), name)) return c;
    return nullptr;
}

bool TComponentOwner::IsAlive(const TComponent* component, std::uint64_t serial) {
    const auto& live = LiveComponents();
    auto it = live.find(component);
    return it != live.end() && it->second == serial && !component->destroying_;
}

std::vector<TComponentOwner::Entry> TComponentOwner::Snapshot() const {
    std::vector<Entry> entries;
    entries.reserve(components_.size());
    for (TComponent* c : components_) entries.push_back({c, c->serial_});
    return entries;
}

void TComponentOwner::BeginLoading() { loading_ = true; }

void TComponentOwner::EndLoading() {
    loading_ = false;
    for (const Entry& e : Snapshot()) {
        if (!IsAlive(e.component, e.serial) || !e.component->loading_) continue;
        e.component->Loaded();
        if (IsAlive(e.component, e.serial)) e.component->loading_ = false;
    }
}

LoadingEnd::~LoadingEnd() {
    if (ended_) return;
    try {
        owner_.EndLoading();
    } catch (...) {
        // the error that ended the load is the one to report
    }
}

void TComponentOwner::Destroy(TComponent* component) {
    if (component->destroying_) return;
    component->destroying_ = true;
    component->BeforeDestruction();
    for (const Entry& e : Snapshot()) {
        if (e.component == component || !IsAlive(e.component, e.serial)) continue;
        e.component->Notification(*component);
    }
    components_.erase(std::remove(components_.begin(), components_.end(), component), components_.end());
    // One made outside Create (a test's local) ends with its scope.
    if (component->owned_) delete component;
}

void TComponentOwner::DestroyComponents() {
    while (!components_.empty()) {
        TComponent* last = components_.back();
        if (last->destroying_) {
            // Being freed further up the stack; take it off the list only.
            components_.pop_back();
            continue;
        }
        Destroy(last);
    }
}

}  // namespace installer
