#include "htmlview/control/LinkFiles.h"

#include "htmlview/util/HtmlUtils.h"
#include "platform/core/runtime/PathCase.h"
#include "platform/core/runtime/Text.h"

#include <algorithm>
#include <filesystem>

namespace htmlview {

namespace fs = std::filesystem;

std::string ExpandFileName(const std::string& name) {
    std::string s = name;
    std::replace(s.begin(), s.end(), '\\', '/');
    if (s.empty()) return s;
    std::error_code ec;
    fs::path p = fs::absolute(fs::path(s), ec).lexically_normal();
    if (ec) return s;
    std::string rel = p.relative_path().generic_string();
    return platform::ResolveCase(p.root_path(), rel).lexically_normal().string();
}

namespace {
std::string directoryOf(const std::string& file) {
    const size_t slash = file.find_last_of("/\\");
    return slash == std::string::npos ? std::string() : file.substr(0, slash + 1);
}
}  // namespace

std::string LinkFileName(const std::string& link, const std::string& serverRoot, const std::string& base,
                         const std::string& currentFile) {
    std::string r = UrlToFileName(platform::TrimControls(link), serverRoot);
    if (!r.empty() && r[0] == '\\') return ExpandFileName(r);
    const bool absolute = (r.size() > 1 && r[1] == ':') || r.rfind("\\\\", 0) == 0;
    if (absolute || platform::AsciiUpper(base) == "DOSPATH") return r;
    const std::string prefix = !base.empty() ? UrlToDosPath(base) : directoryOf(currentFile);
    return ExpandFileName(prefix + r);
}

}  // namespace htmlview
