#include "installer/components/TreeBuilder.h"

#include "platform/core/runtime/Exception.h"
#include "platform/core/runtime/Format.h"

namespace installer {

TreeBuilder::TreeBuilder(TComponentOwner& owner) : owner_(owner) { owner_.BeginLoading(); }

TreeBuilder::~TreeBuilder() {
    if (finished_) return;
    try {
        Finish();
    } catch (...) {
        // A destructor must not throw; the error that unwound past the builder is the one to report.
    }
}

void TreeBuilder::Finish() {
    if (finished_) return;
    finished_ = true;
    LoadingEnd guard(owner_);
    for (const Reference& r : references_) {
        TComponent* target = nullptr;
        if (!r.target.empty()) {
            target = owner_.FindComponent(r.target);
            if (!target)
                throw platform::Exception(platform::Format("Cannot find the component %s named by %s.%s",
                                                           {r.target, r.component->Name(), r.property}));
        }
        r.component->SetReference(r.property, target);
    }
    guard.End();
}

}  // namespace installer
