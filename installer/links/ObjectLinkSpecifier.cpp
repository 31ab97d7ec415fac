#include "installer/links/ObjectLinkSpecifier.h"

#include "installer/base/Strings.h"
#include "installer/files/InstallFile.h"
#include "installer/links/InstallShellLink.h"
#include "installer/translator/IException.h"

namespace installer {

TpsObjectLink::TpsObjectLink(TComponentOwner& owner) : TCustomPathSpecifier(owner) {
    SetSpecifierName("psObjectLink");
    StandardPathSpecList(Context()).Add(this);
}

void TpsObjectLink::Validate(TComponent* component) {
    auto* link = dynamic_cast<TCustomInstallShellLink*>(component);
    if (!link)
        throw IEPathSpecifier("%s must be a %s to use the %s path specifier",
                              {component ? component->Name() : std::string(), "TCustomInstallShellLink", "psObjectLink"});
    if (!link->ObjectLink())
        throw IEPathSpecifier("Cannot use ddObjectLink for %s unless you assign a value to ObjectLink", {link->Name()});
}

std::string TpsObjectLink::Description() { return "Path of the file or file group in the ObjectLink property"; }

std::string TpsObjectLink::Expand(TComponent* component) {
    Validate(component);
    TInstallContainer* target = dynamic_cast<TCustomInstallShellLink&>(*component).ObjectLink();
    if (auto* file = dynamic_cast<TCustomInstallFile*>(target)) return RemoveBackslash(file->GetDestPath());
    return RemoveBackslash(target->GetFullDestDir());
}

}  // namespace installer
