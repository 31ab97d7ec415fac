#pragma once
// What the tree and the path specifiers ask of the one install engine of a
// setup (GlobalInstall). The engine component implements it and registers
// itself in its context for as long as it lives.
#include <string>

#include "installer/components/InstallTypes.h"

namespace installer {

class TInstallContainer;

class TInstallRoot {
public:
    virtual ~TInstallRoot() = default;
    virtual TInstallContainer& InstallComponent() = 0;
    // True from the start of the run until its good ending.
    virtual bool InstallRunning() const = 0;
    virtual TDistributeType DistributeType() const = 0;
    // The product name of the install's information.
    virtual std::string ProductName() const = 0;
    // The directory the setup ran from, without trailing '\'.
    virtual std::string SourceDir() const = 0;
    // Command-line switches ('e': the self-extracting executable).
    virtual bool HasSwitch(char letter) const = 0;
    virtual std::string SwitchArgument(char letter) const = 0;
};

}  // namespace installer
