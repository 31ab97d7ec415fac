#include "installer/files/TempFiles.h"

#include "installer/base/ApiRoutines.h"
#include "installer/base/Exceptions.h"
#include "platform/windows/sysroot/SystemRoot.h"
#include "platform/windows/sysroot/WinPath.h"

namespace installer {

std::string CreateTempFileWithExt(const std::string& extension) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string reserved = GetTemporaryFileName(true);
        const std::string wanted = platform::ChangeFileExt(reserved, extension);
        if (platform::Files().MoveFile(reserved, wanted, false)) return wanted;
        platform::Files().DeleteFile(reserved);
    }
    throw EAPIRoutines("Cannot create a temporary file");
}

}  // namespace installer
