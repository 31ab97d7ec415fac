#include "installer/components/OrderLog.h"

#include <exception>
#include <vector>

#include "installer/base/ApiRoutines.h"
#include "installer/base/Strings.h"
#include "platform/windows/sysroot/SystemRoot.h"
#include "platform/core/runtime/LegacyText.h"

namespace installer {
namespace {

void AppendLine(const char* fileName, const std::string& text) {
    try {
        auto& files = platform::Files();
        const std::string path = AddBackslash(GetWindowsDir()) + fileName;
        std::vector<std::string> lines;
        if (files.FileExists(path)) {
            auto in = files.Open(path, platform::FileMode::Read);
            std::string content(static_cast<std::size_t>(in.Size()), '\0');
            content.resize(in.Read(content.data(), content.size()));
            lines = platform::SplitTextLines(content);
        }
        lines.push_back(text);
        std::string out;
        for (const auto& l : lines) out += l + "\r\n";
        auto file = files.Open(path, platform::FileMode::Create);
        file.WriteBuffer(out.data(), out.size());
    } catch (const std::exception&) {
        // A debug log must never end an install or a build.
    }
}

}  // namespace

void LogCompressOrder(const std::string& text) { AppendLine("TmslCompressOrder.txt", text); }
void LogInstallOrder(const std::string& text) { AppendLine("TmslInstallOrder.txt", text); }

}  // namespace installer
