#pragma once
// The path specifier through which other components name a file
// container's destination directory.
#include "installer/components/PathSpecifier.h"

namespace installer {

class TFileContainer;

class TpsFileContainer : public TCustomPathSpecifier {
public:
    TpsFileContainer(TComponentOwner& owner, TFileContainer* container);
    ~TpsFileContainer() override;

    static constexpr const char* StaticClassName = "TpsFileContainer";
    std::string ClassName() const override { return StaticClassName; }

    TFileContainer* FileContainer() const { return container_; }
    void SetFileContainer(TFileContainer* container) { container_ = container; }

    void Validate(TComponent* component) override;
    std::string DescriptionFor(TComponent* component) override;
    std::string ShortCaptionFor(TComponent* component) override;
    std::string Expand(TComponent* component) override;

    // A name clash with another component renames that one ("nameClash...") and retries.
    void SetName(const std::string& name) override;
    // Named by its container: base, base1, base2 ... the first free one.
    void AssignNameFromContainer(const std::string& base);

protected:
    void Loaded() override;
    void Notification(TComponent& removed) override;
    void BeforeDestruction() override;

private:
    TFileContainer* container_;
    bool namingByContainer_ = false;
};

}  // namespace installer
