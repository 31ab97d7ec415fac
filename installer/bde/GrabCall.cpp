#include "installer/bde/GrabCall.h"

namespace installer {

TGrabCall::TGrabCall(TComponentOwner& owner) : TInstallObject(owner) { ProcessWithContainer = false; }

void TGrabCall::HandleMessage(TInstallContainer* sender, int id, TObject* parameter) {
    TInstallObject::HandleMessage(sender, id, parameter);
    if (OnCall) OnCall(sender, id, parameter);
}

}  // namespace installer
