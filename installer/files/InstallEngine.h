#pragma once
// What the file components ask of the install engine (GlobalInstall) beyond
// the tree's questions: the reboot flag and the list of work left for after
// a restart.
#include "installer/components/EngineContext.h"
#include "installer/components/InstallRoot.h"

namespace installer {

class TInstallEngine : public TInstallRoot {
public:
    virtual bool Reboot() const = 0;
    virtual void SetReboot(bool reboot) = 0;
    // kind 0: a container to resume by name; 1: a file to delete after the restart.
    virtual void AddUnfinished(const std::string& name, int kind) = 0;
};

// GlobalInstall as the engine, or nullptr.
inline TInstallEngine* GlobalInstallEngine(EngineContext& context) {
    return dynamic_cast<TInstallEngine*>(context.GlobalInstall);
}

}  // namespace installer
