#include "setupwizard/browse/FolderPaths.h"

#include <cctype>
#include <cstring>

#include "installer/base/Strings.h"
#include "platform/core/runtime/Text.h"
#include "platform/windows/sysroot/SystemRoot.h"

namespace setupwizard {

namespace {

bool ReservedChar(char c) { return static_cast<unsigned char>(c) < 32 || std::strchr("<>:\"|?*/", c) != nullptr; }

// A path element that names a folder of its own.
bool PlainElement(const std::string& e) {
    if (e.empty() || e == "." || e == "..") return false;
    for (char c : e)
        if (ReservedChar(c)) return false;
    return true;
}

// The path in "C:\" form for a drive root, without trailing backslash otherwise.
std::string Canonical(const std::string& path) {
    return path.size() <= 3 ? installer::AddBackslash(path) : installer::RemoveBackslash(path);
}

}  // namespace

std::optional<std::string> ValidFolderPath(const std::string& text) {
    const std::string path = platform::TrimControls(text);
    if (path.size() < 3 || !std::isalpha(static_cast<unsigned char>(path[0])) || path[1] != ':' || path[2] != '\\')
        return std::nullopt;
    const std::string drive = path.substr(0, 3);
    if (!platform::Files().DirectoryExists(drive)) return std::nullopt;
    std::string rest = installer::RemoveBackslash(path.substr(3));
    std::size_t start = 0;
    while (start < rest.size()) {
        std::size_t end = rest.find('\\', start);
        if (end == std::string::npos) end = rest.size();
        if (!PlainElement(rest.substr(start, end - start))) return std::nullopt;
        start = end + 1;
    }
    return Canonical(path);
}

bool ValidFolderName(const std::string& name) {
    if (!PlainElement(name) || name.find('\\') != std::string::npos) return false;
    if (platform::TrimControls(name).empty()) return false;
    return name.back() != '.' && name.back() != ' ';
}

std::string NearestExistingFolder(const std::string& path) {
    std::string p = path;
    while (!p.empty()) {
        if (platform::Files().DirectoryExists(p)) return Canonical(p);
        const auto cut = p.find_last_of('\\');
        if (cut == std::string::npos) return {};
        p.erase(cut);
    }
    return {};
}

}  // namespace setupwizard
