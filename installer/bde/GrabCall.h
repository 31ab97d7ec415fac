#pragma once
// A relay that lets a component hear the broadcasts of another container:
// it sits among that container's children (type 9000, like a dialog),
// is never processed, and hands every message it hears to OnCall.
#include <functional>

#include "installer/components/InstallContainer.h"

namespace installer {

using TExternalComponentCall = std::function<void(TInstallContainer* container, int componentCall, TObject* po)>;

class TGrabCall : public TInstallObject {
public:
    explicit TGrabCall(TComponentOwner& owner);

    static constexpr const char* StaticClassName = "TGrabCall";
    std::string ClassName() const override { return StaticClassName; }

    TExternalComponentCall OnCall;

    void HandleMessage(TInstallContainer* sender, int id, TObject* parameter) override;
    int RegisteredType() const override { return rtDialog; }
};

}  // namespace installer
