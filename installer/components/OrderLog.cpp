#include "installer/components/OrderLog.h"

#include <exception>
#include <vector>

#include "installer/base/ApiRoutines.h"
#include "installer/base/Strings.h"
#include "platform/sysroot/SystemRoot.h"

namespace installer {
namespace {

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::string line;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(line);
            line.clear();
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            line += c;
        }
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}

void AppendLine(const char* fileName, const std::string& text) {
    try {
        auto& files = platform::Files();
        const std::string path = AddBackslash(GetWindowsDir()) + fileName;
        std::vector<std::string> lines;
        if (files.FileExists(path)) {
            auto in = files.Open(path, platform::FileMode::Read);
            std::string content(static_cast<std::size_t>(in.Size()), '\0');
            content.resize(in.Read(content.data(), content.size()));
            lines = SplitLines(content);
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
