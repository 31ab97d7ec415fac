#include "installer/components/PathSpecifier.h"

#include <algorithm>

#include "installer/components/EngineContext.h"
#include "installer/components/StandardPathSpecifiers.h"
#include "installer/translator/IException.h"

namespace installer {

TPathSpecifierList& GlobalPathSpecifierList(EngineContext& context) {
    return context.Slot<PathSpecifierLists>().GlobalPathSpecifierList;
}

TStandardPathSpecList& StandardPathSpecList(EngineContext& context) {
    return context.Slot<PathSpecifierLists>().StandardPathSpecList;
}

TCustomPathSpecifier::TCustomPathSpecifier(TComponentOwner& owner) : TComponent(owner) {
    GlobalPathSpecifierList(Context()).Add(this);
}

TCustomPathSpecifier::~TCustomPathSpecifier() { BeforeDestruction(); }

void TCustomPathSpecifier::BeforeDestruction() {
    auto& lists = Context().Slot<PathSpecifierLists>();
    lists.GlobalPathSpecifierList.Remove(this);
    lists.StandardPathSpecList.Remove(this);
}

void TCustomPathSpecifier::Validate(TComponent*) {}

std::string TCustomPathSpecifier::Description() { return "Unspecified"; }

std::string TCustomPathSpecifier::DescriptionFor(TComponent*) { return Description(); }

std::string TCustomPathSpecifier::Expand(TComponent* component) {
    return OnExpand ? OnExpand(*this, component) : std::string();
}

std::string TCustomPathSpecifier::ShortCaption() { return Description(); }

std::string TCustomPathSpecifier::ShortCaptionFor(TComponent* component) { return DescriptionFor(component); }

void TPathSpecifierList::Add(TCustomPathSpecifier* specifier) {
    if (!specifier) throw IEPathSpecifierList("Tried to add a nil object to the path specifier list");
    items_.push_back(specifier);
}

void TPathSpecifierList::Remove(TCustomPathSpecifier* specifier) {
    auto it = std::find(items_.begin(), items_.end(), specifier);
    if (it != items_.end()) items_.erase(it);
}

bool TPathSpecifierList::Contains(const TCustomPathSpecifier* specifier) const {
    return std::find(items_.begin(), items_.end(), specifier) != items_.end();
}

void TPathSpecifierList::RaiseNotFound() { throw IEPathSpecifier("Could not find the path specifier"); }

void TPathSpecifierList::EnsureStandardSpecifiers(TComponent*, TComponentOwner* owner, bool check) {
    if (!owner) return;
    EnsureAllStandardSpecifiers(*owner, check);
}

}  // namespace installer
