#pragma once
// Installer errors whose English message is translated before use:
// IException(message) translates the message; IException(format, args)
// translates the English format and then formats it, so a translated format
// keeps its placeholders. Each subclass adds only its identity.
#include <string>

#include "installer/base/Exceptions.h"
#include "platform/core/runtime/Format.h"

namespace installer {

class IException : public ECustomTamselAbnormal {
public:
    explicit IException(const std::string& message);
    IException(const std::string& format, const platform::FormatArgs& args);
};

class IEInstall : public IException {
public:
    using IException::IException;
};
class IEInstallNetLocNil : public IEInstall {
public:
    using IEInstall::IEInstall;
};
class IEPathSpecifier : public IException {
public:
    using IException::IException;
};
class IEPathSpecifierList : public IException {
public:
    using IException::IException;
};
class IEInstallContainer : public IException {
public:
    using IException::IException;
};
class IEFileRelated : public IException {
public:
    using IException::IException;
};
class IEFileRel_NoNetLocation : public IEFileRelated {
public:
    using IEFileRelated::IEFileRelated;
};
class IEFileContainer : public IException {
public:
    using IException::IException;
};
class IEfcDuplicateFile : public IEFileContainer {
public:
    using IEFileContainer::IEFileContainer;
};
class IENoTamselPath : public IException {
public:
    using IException::IException;
};
class IECustomInstallFile : public IException {
public:
    using IException::IException;
};
class IECustomInstallFileList : public IException {
public:
    using IException::IException;
};
class IEContainerList : public IException {
public:
    using IException::IException;
};
class IEInstallGroup : public IException {
public:
    using IException::IException;
};
class IEInstallBDE : public IException {
public:
    using IException::IException;
};
class IEBDEFileDoesNotExist : public IEInstallBDE {
public:
    using IEInstallBDE::IEInstallBDE;
};
class IEBDEDLLMissing : public IEInstallBDE {
public:
    using IEInstallBDE::IEInstallBDE;
};
class IEBDEVersionInvalid : public IEInstallBDE {
public:
    using IEInstallBDE::IEInstallBDE;
};
class IEBDENoDLLEntry : public IEInstallBDE {
public:
    using IEInstallBDE::IEInstallBDE;
};
class IEBDENoIntrbaseEntry : public IEInstallBDE {
public:
    using IEInstallBDE::IEInstallBDE;
};
class IEBDENoResourceDLLEntry : public IEInstallBDE {
public:
    using IEInstallBDE::IEInstallBDE;
};
class IEBDELanguageDifferent : public IEInstallBDE {
public:
    using IEInstallBDE::IEInstallBDE;
};
class IEBDENoIntrbaseMsgFile : public IEInstallBDE {
public:
    using IEInstallBDE::IEInstallBDE;
};
class IEUninstallEXE : public IException {
public:
    using IException::IException;
};
class IEInstallShellLink : public IException {
public:
    using IException::IException;
};
class IEShellLinkGroup : public IException {
public:
    using IException::IException;
};
class IEInstallShellLinkList : public IException {
public:
    using IException::IException;
};

}  // namespace installer
