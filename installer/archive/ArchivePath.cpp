#include "installer/archive/ArchivePath.h"

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

}  // namespace installer
