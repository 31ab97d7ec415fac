#pragma once
// The installer's exception families. Each class adds nothing to its parent
// but its identity, so handlers can tell them apart. IException, whose
// message is translated before use, sits on ECustomTamselAbnormal and lives
// with the translator.
#include <string>

#include "platform/core/runtime/Exception.h"

namespace installer {

using platform::Exception;

// Failures of install actions.
class EAI : public Exception {
public:
    using Exception::Exception;
};

// The user ended the installation: an orderly abort, not an error.
class EAIUserAbort : public EAI {
public:
    EAIUserAbort() : EAI("Installation aborted by the user") {}
};

// Abnormal conditions of the installer library.
class ECustomTamselAbnormal : public Exception {
public:
    using Exception::Exception;
};

class ETamselAbnormal : public ECustomTamselAbnormal {
public:
    using ECustomTamselAbnormal::ECustomTamselAbnormal;
};

// Archive errors.
class ETmslCompress : public ETamselAbnormal {
public:
    using ETamselAbnormal::ETamselAbnormal;
};

class EtcDiskFull : public ETmslCompress {
public:
    using ETmslCompress::ETmslCompress;
    EtcDiskFull() : ETmslCompress("The disk is full") {}
};

class EtcAborted : public ETmslCompress {
public:
    using ETmslCompress::ETmslCompress;
    EtcAborted() : ETmslCompress("Operation aborted by user") {}
};

// Failures of the system routines (ApiRoutines.h).
class EAPIRoutines : public ETamselAbnormal {
public:
    using ETamselAbnormal::ETamselAbnormal;
};

}  // namespace installer
