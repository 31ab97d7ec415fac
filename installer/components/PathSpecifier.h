#pragma once
// Path specifiers: small components that turn themselves into an absolute
// directory or file path for the component that asks (its destination
// directory, its archive). Every specifier is in the context's
// GlobalPathSpecifierList; the fourteen standard ones are also in
// StandardPathSpecList.
#include <functional>
#include <string>
#include <vector>

#include "installer/components/Component.h"

namespace installer {

class TCustomPathSpecifier;
using TPathExpandEvent = std::function<std::string(TCustomPathSpecifier& sender, TComponent* component)>;

class TCustomPathSpecifier : public TComponent {
public:
    explicit TCustomPathSpecifier(TComponentOwner& owner);
    ~TCustomPathSpecifier() override;

    static constexpr const char* StaticClassName = "TCustomPathSpecifier";
    std::string ClassName() const override { return StaticClassName; }

    // The specifier name, e.g. "psWindow".
    const std::string& SpecifierName() const { return specifierName_; }
    // Answers Expand for the base class; nothing in the setup assigns it.
    TPathExpandEvent OnExpand;

    virtual void Validate(TComponent* component);
    virtual std::string Description();
    virtual std::string DescriptionFor(TComponent* component);
    virtual std::string Expand(TComponent* component);
    virtual std::string ShortCaption();
    virtual std::string ShortCaptionFor(TComponent* component);

protected:
    void SetSpecifierName(std::string name) { specifierName_ = std::move(name); }
    void BeforeDestruction() override;

private:
    std::string specifierName_;
};

class TStandardPathSpecifier;

class TPathSpecifierList {
public:
    int Count() const { return static_cast<int>(items_.size()); }
    TCustomPathSpecifier* Get(int index) const { return items_.at(static_cast<std::size_t>(index)); }
    TCustomPathSpecifier* operator[](int index) const { return Get(index); }
    void Add(TCustomPathSpecifier* specifier);
    void Remove(TCustomPathSpecifier* specifier);
    bool Contains(const TCustomPathSpecifier* specifier) const;

    // The first item of class T or derived from it; none raises.
    template <typename T>
    T* FindByClass() const {
        if (T* found = FindByClassOrNull<T>()) return found;
        RaiseNotFound();
    }
    template <typename T>
    T* FindByClassOrNull() const {
        for (TCustomPathSpecifier* s : items_)
            if (auto* t = dynamic_cast<T*>(s)) return t;
        return nullptr;
    }

    // Makes sure one instance of each of the fourteen standard specifiers
    // exists on the owner (nothing without an owner).
    void EnsureStandardSpecifiers(TComponent* container, TComponentOwner* owner, bool check);

private:
    [[noreturn]] static void RaiseNotFound();
    std::vector<TCustomPathSpecifier*> items_;
};

using TStandardPathSpecList = TPathSpecifierList;

// The two lists of a context.
struct PathSpecifierLists {
    TPathSpecifierList GlobalPathSpecifierList;
    TStandardPathSpecList StandardPathSpecList;
};
TPathSpecifierList& GlobalPathSpecifierList(EngineContext& context);
TStandardPathSpecList& StandardPathSpecList(EngineContext& context);

}  // namespace installer
