#include "platform/core/runtime/PathCase.h"

#include <system_error>

#include "platform/core/runtime/Text.h"

namespace platform {

bool SameNameIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
    }
    return true;
}

std::filesystem::path ResolveCase(const std::filesystem::path& base, const std::string& relative) {
    namespace fs = std::filesystem;
    fs::path current = base;
    bool existing = true;
    size_t i = 0;
    while (i <= relative.size()) {
        size_t j = relative.find_first_of("\\/", i);
        if (j == std::string::npos) j = relative.size();
        std::string part = relative.substr(i, j - i);
        i = j + 1;
        if (part.empty() || part == ".") continue;
        if (existing && part != "..") {
            std::error_code ec;
            fs::path exact = current / part;
            if (!fs::exists(fs::symlink_status(exact, ec))) {
                bool found = false;
                for (fs::directory_iterator it(current, ec), end; !ec && it != end; it.increment(ec)) {
                    if (SameNameIgnoringCase(it->path().filename().string(), part)) {
                        current = it->path();
                        found = true;
                        break;
                    }
                }
                if (found) continue;
                existing = false;
            }
        }
        current /= part;
    }
    return current;
}

}  // namespace platform
