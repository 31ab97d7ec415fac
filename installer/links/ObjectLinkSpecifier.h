#pragma once
// psObjectLink: the path of whatever the shortcut's ObjectLink component
// installed: a file's full destination path, else the component's full
// destination directory (without trailing '\').
#include "installer/components/PathSpecifier.h"

namespace installer {

class TpsObjectLink : public TCustomPathSpecifier {
public:
    explicit TpsObjectLink(TComponentOwner& owner);

    static constexpr const char* StaticClassName = "TpsObjectLink";
    std::string ClassName() const override { return StaticClassName; }

    // The component must be a shortcut whose ObjectLink is set (IEPathSpecifier).
    void Validate(TComponent* component) override;
    std::string Description() override;
    std::string Expand(TComponent* component) override;
};

}  // namespace installer
