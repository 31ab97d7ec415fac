#include "installer/archive/ArchivePath.h"

#include "platform/windows/sysroot/WinPath.h"

namespace installer {

std::string ArchiveJoin(const std::string& dir, const std::string& name) {
    if (dir.empty() || dir.back() == '\\' || dir.back() == '/') return dir + name;
    return dir + '\\' + name;
}

bool IsPlainFileName(const std::string& name) {
    if (name.empty() || name == "." || name == "..") return false;
    for (unsigned char c : name)
        if (c < 0x20 || c == 0x7F || c == '\\' || c == '/' || c == ':') return false;
    return true;
}

std::string MemberTail(const std::string& path) {
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool KeepsItsName(const std::string& path) { return platform::IsWinFileName(MemberTail(path)); }

}  // namespace installer
