#pragma once
// The component model of the install engine: an owner (the setup form)
// holds its components in creation order and destroys them; each component
// has a unique identifier-valid Name, a Tag and a class name, and hears when
// another component of its owner goes away so it can drop references.
//
// Loading: while the owner applies a stored configuration, setters only
// store; afterwards Loaded runs for every component in creation order.
// Destruction always goes through Free (or the owner): the component is
// still whole while the others are told, and every walk over the
// components uses a snapshot that skips those freed meanwhile.
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "installer/components/TObject.h"

namespace installer {

class EngineContext;
class TComponentOwner;

class TComponent : public TObject {
public:
    explicit TComponent(TComponentOwner& owner);
    ~TComponent() override;
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    // The class name as the configuration names it ("TInstallDirectory").
    virtual std::string ClassName() const = 0;

    const std::string& Name() const { return name_; }
    // Raises platform::Exception for a name that is not an identifier or that
    // another component of the owner holds (ignoring case). Empty is allowed.
    virtual void SetName(const std::string& name);

    int Tag = 0;

    TComponentOwner& Owner() const { return *owner_; }
    EngineContext& Context() const;

    bool IsLoading() const { return loading_; }
    bool IsDesigning() const;
    // Tells this component apart from a later one made at the same address.
    std::uint64_t Serial() const { return serial_; }
    bool IsDestroying() const { return destroying_; }

    // Frees the component: BeforeDestruction, the others' Notification, delete.
    void Free();

    // Sets a reference property by its name; the configuration and the tree
    // builder use it. Unknown names raise platform::Exception.
    virtual void SetReference(const std::string& property, TComponent* target);

protected:
    friend class TComponentOwner;
    // After the configuration was applied; the base clears the loading state.
    virtual void Loaded();
    // Another component of the owner is going away.
    virtual void Notification(TComponent& removed);
    // Runs while the component is still whole, before the others are told.
    virtual void BeforeDestruction() {}
    // Runs right after the constructor, when virtual calls reach the real class.
    virtual void AfterConstruction() {}

private:
    TComponentOwner* owner_;
    std::string name_;
    std::uint64_t serial_;
    bool loading_ = false;
    bool destroying_ = false;
    bool owned_ = false;  // made by Create: the owner deletes it
};

// Whether a name is a valid identifier: a letter or '_', then letters, digits, '_'.
bool IsValidIdent(const std::string& name);

enum class OwnerKind { Form, DataModule, Other };

class TComponentOwner {
public:
    explicit TComponentOwner(OwnerKind kind = OwnerKind::Form);
    ~TComponentOwner();
    TComponentOwner(const TComponentOwner&) = delete;
    TComponentOwner& operator=(const TComponentOwner&) = delete;

    OwnerKind Kind() const { return kind_; }
    bool IsFormOrDataModule() const { return kind_ != OwnerKind::Other; }

    // The program-wide state of the engine that works on this owner.
    EngineContext& Context() { return *context_; }

    // Design state: what the form designer would see. Nothing in a run sets it.
    bool Designing = false;

    // Applying a stored configuration: components made meanwhile are loading
    // until EndLoading calls Loaded on each, in creation order.
    void BeginLoading();
    void EndLoading();
    bool IsLoading() const { return loading_; }

    // Makes a component owned by this owner. Use this rather than new: it
    // runs AfterConstruction, and frees the component when that fails.
    template <typename T, typename... Args>
    T& Create(Args&&... args) {
        T* component = new T(*this, std::forward<Args>(args)...);
        static_cast<TComponent*>(component)->owned_ = true;
        try {
            static_cast<TComponent*>(component)->AfterConstruction();
        } catch (...) {
            Destroy(component);
            throw;
        }
        return *component;
    }

    int ComponentCount() const { return static_cast<int>(components_.size()); }
    TComponent* Component(int index) const { return components_.at(static_cast<std::size_t>(index)); }
    TComponent* FindComponent(const std::string& name) const;  // ignoring case; nullptr when none
    // Whether the component made with that serial still lives and is not
    // being freed (any owner's component; the address alone is not enough).
    static bool IsAlive(const TComponent* component, std::uint64_t serial);

    // A snapshot of the components in creation order, for walks that may free.
    struct Entry {
        TComponent* component;
        std::uint64_t serial;
    };
    std::vector<Entry> Snapshot() const;

    // Frees every component, last first, as the form does when it closes.
    void DestroyComponents();

private:
    friend class TComponent;
    void Insert(TComponent* component);
    void Destroy(TComponent* component);

    OwnerKind kind_;
    std::vector<TComponent*> components_;
    std::unique_ptr<EngineContext> context_;
    bool loading_ = false;
};

// Ends a load that fails half-way: the components made so far get Loaded,
// and an error of that never hides the one that ended the load. A load that
// works calls End, so that an error of EndLoading reaches the caller.
class LoadingEnd {
public:
    explicit LoadingEnd(TComponentOwner& owner) : owner_(owner) {}
    ~LoadingEnd();
    LoadingEnd(const LoadingEnd&) = delete;
    LoadingEnd& operator=(const LoadingEnd&) = delete;
    void End() {
        ended_ = true;
        owner_.EndLoading();
    }

private:
    TComponentOwner& owner_;
    bool ended_ = false;
};

}  // namespace installer
