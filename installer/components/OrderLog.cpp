#include "installer/components/OrderLog.h"

#include <exception>

#include "installer/base/ApiRoutines.h"
#include "installer/base/Strings.h"
#include "platform/windows/sysroot/SystemRoot.h"

namespace installer {
namespace {

void AppendLine(const char* fileName, const std::string& text) {
    try {
        auto& files = platform::Files();
        const std::string path = AddBackslash(GetWindowsDir()) + fileName;
        // Appended in place: the log grows by a line per file, and reading
        // it whole for each would make a large install quadratic.
        auto file = files.FileExists(path) ? files.Open(path, platform::FileMode::ReadWrite)
                                           : files.Open(path, platform::FileMode::Create);
        std::string line;
        if (file.Size() > 0) {
            char last = '\n';
            file.Seek(-1, platform::SeekOrigin::End);
            file.Read(&last, 1);
            if (last != '\n') line = "\r\n";  // a cut-off last line ends first
        }
        line += text + "\r\n";
        file.Seek(0, platform::SeekOrigin::End);
        file.WriteBuffer(line.data(), line.size());
    } catch (const std::exception&) {
        // A debug log must never end an install or a build.
    }
}

}  // namespace

void LogCompressOrder(const std::string& text) { AppendLine("TmslCompressOrder.txt", text); }
void LogInstallOrder(const std::string& text) { AppendLine("TmslInstallOrder.txt", text); }

}  // namespace installer
