#pragma once
// The one failure of the table engine. Its message always names the table
// file (or the directory) it concerns, so the default handler's box tells
// the user which file is at fault.
#include "platform/core/runtime/Exception.h"

#include <string>

namespace platform {

class EDBEngineError : public Exception {
public:
    explicit EDBEngineError(const std::string& message) : Exception(message) {}
    // "<what>\nTable: <file>"
    EDBEngineError(const std::string& what, const std::string& tableFile)
        : Exception(what + "\nTable: " + tableFile) {}
};

// A post or delete found the record it read changed or gone: another
// session (or program) wrote it since. Nothing was written.
class ERecordChanged : public EDBEngineError {
public:
    using EDBEngineError::EDBEngineError;
};

// Another connection (this program's or another's) kept the table locked
// for the whole wait. Nothing was read or written; trying later may work.
class ETableBusy : public EDBEngineError {
public:
    using EDBEngineError::EDBEngineError;
};

}  // namespace platform
