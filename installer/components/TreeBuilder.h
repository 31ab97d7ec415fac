#pragma once
// Builds a component tree in code the way a stored configuration is applied:
// components are made while the owner is loading, their settings only
// stored; references by name are set once every component exists; then
// Loaded runs for each in creation order.
//
//   TreeBuilder b(owner);
//   b.add<TInstallDirectory>("Directory1").set([](auto& d) { d.SetDestDir("\\Data"); })
//       .ref("Container", "Group1");
//   b.Finish();
//
// The first install component made on a form makes the fourteen standard
// path specifiers under their specifier names: a configuration that stores
// its own ones adds them before any install component.
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "installer/components/Component.h"

namespace installer {

class TreeBuilder {
public:
    template <typename T>
    class Handle {
    public:
        Handle(TreeBuilder& builder, T& component) : builder_(builder), component_(component) {}
        Handle& set(const std::function<void(T&)>& apply) {
            apply(component_);
            return *this;
        }
        // Sets the reference property to the component of that name once all exist.
        Handle& ref(const std::string& property, const std::string& target) {
            builder_.AddReference(component_, property, target);
            return *this;
        }
        T& get() const { return component_; }
        operator T&() const { return component_; }

    private:
        TreeBuilder& builder_;
        T& component_;
    };

    explicit TreeBuilder(TComponentOwner& owner);
    // Finishes when Finish was not called (an exception on the way is lost).
    ~TreeBuilder();
    TreeBuilder(const TreeBuilder&) = delete;
    TreeBuilder& operator=(const TreeBuilder&) = delete;

    template <typename T, typename... Args>
    Handle<T> add(const std::string& name, Args&&... args) {
        T& component = owner_.Create<T>(std::forward<Args>(args)...);
        component.SetName(name);
        return Handle<T>(*this, component);
    }

    // Resolves the references in the order given, then ends loading. A name
    // that no component holds raises platform::Exception; loading ends anyway.
    void Finish();

private:
    struct Reference {
        TComponent* component;
        std::string property;
        std::string target;
    };
    void AddReference(TComponent& component, const std::string& property, const std::string& target) {
        references_.push_back({&component, property, target});
    }

    TComponentOwner& owner_;
    std::vector<Reference> references_;
    bool finished_ = false;
};

}  // namespace installer
