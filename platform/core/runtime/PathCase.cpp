#include "platform/core/runtime/PathCase.h"

#include <mutex>
#include <system_error>
#include <unordered_map>

#include "platform/core/runtime/Text.h"

namespace platform {

bool SameNameIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
    }
    return true;
}

namespace {

// Finding a component by case reads its whole directory, and the program
// asks for the same few names again and again (every query names its table
// files): the entries found are kept, by directory and lower-case name,
// each checked to be there still when used again.
class FoundNames {
public:
    std::filesystem::path Find(const std::filesystem::path& dir, const std::string& part) {
        namespace fs = std::filesystem;
        std::string key = dir.string() + '\0' + AsciiLower(part);
        std::error_code ec;
        {
            std::lock_guard lock(mutex_);
            if (auto it = found_.find(key); it != found_.end()) {
                if (fs::exists(fs::symlink_status(it->second, ec))) return it->second;
                found_.erase(it);
            }
        }
        for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
            if (SameNameIgnoringCase(it->path().filename().string(), part)) {
                std::lock_guard lock(mutex_);
                if (found_.size() >= kMaxNames) found_.clear();
                found_[std::move(key)] = it->path();
                return it->path();
            }
        }
        return {};
    }

private:
    static constexpr size_t kMaxNames = 1024;
    std::mutex mutex_;
    std::unordered_map<std::string, std::filesystem::path> found_;
};

// Never destroyed: files may be looked up while the program's statics are.
FoundNames& Found() {
    static auto* names = new FoundNames;
    return *names;
}

}  // namespace

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
                fs::path found = Found().Find(current, part);
                if (!found.empty()) {
                    current = std::move(found);
                    continue;
                }
                existing = false;
            }
        }
        current /= part;
    }
    return current;
}

}  // namespace platform
