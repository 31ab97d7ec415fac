#include "platform/windows/sysroot/WinPath.h"
#include "platform/core/runtime/Text.h"

namespace platform {

namespace {
bool isSep(char c) { return c == '\\' || c == '/'; }
bool isDelim(char c) { return c == '\\' || c == '/' || c == ':'; }

std::vector<std::string> split(const std::string& s, size_t from) {
    std::vector<std::string> parts;
    std::string cur;
    for (size_t i = from; i < s.size(); ++i) {
        if (isSep(s[i])) {
            if (!cur.empty()) parts.push_back(cur);
            cur.clear();
        } else {
            cur += s[i];
        }
    }
    if (!cur.empty()) parts.push_back(cur);
    return parts;
}

// Characters Windows never allows in a file or directory name.
bool validComponent(const std::string& c) {
    for (unsigned char ch : c)
        if (ch < 0x20 || ch == '<' || ch == '>' || ch == ':' || ch == '"' || ch == '|' || ch == '?' || ch == '*')
            return false;
    return true;
}

bool apply(std::vector<std::string>& comps, const std::vector<std::string>& parts) {
    for (const auto& p : parts) {
        if (!validComponent(p)) return false;
        // Windows drops trailing dots and blanks of a component ("a." is "a"),
        // which also makes "..." and ". ." mean the same as ".".
        std::string q = p;
        while (!q.empty() && (q.back() == '.' || q.back() == ' ') && q != "." && q != "..") q.pop_back();
        if (q.empty() || q == ".") continue;
        if (q == "..") {
            if (!comps.empty()) comps.pop_back();
            continue;
        }
        comps.push_back(q);
    }
    return true;
}
}  // namespace

std::string WinPath::Text() const {
    std::string s;
    if (drive == 0) {
        s = "\\\\" + server + "\\" + share;
        for (const auto& c : components) s += "\\" + c;
        return s;
    }
    s = std::string(1, static_cast<char>(drive - 'a' + 'A')) + ":";
    if (components.empty()) return s + "\\";
    for (const auto& c : components) s += "\\" + c;
    return s;
}

bool ParseWinPath(const std::string& path, const std::string& currentDir, WinPath& out) {
    if (path.empty() || path.find('\0') != std::string::npos) return false;
    out = WinPath{};
    if (path.size() >= 2 && isSep(path[0]) && isSep(path[1])) {
        std::vector<std::string> parts = split(path, 2);
        if (parts.size() < 2 || parts[0] == "." || parts[0] == ".." || parts[1] == "." || parts[1] == "..")
            return false;
        out.drive = 0;
        out.server = parts[0];
        out.share = parts[1];
        return validComponent(out.server) && validComponent(out.share) &&
               apply(out.components, std::vector<std::string>(parts.begin() + 2, parts.end()));
    }
    WinPath cur;
    bool haveCur = !currentDir.empty() && currentDir != path && ParseWinPath(currentDir, "C:\\", cur);
    if (!haveCur) cur = WinPath{};
    size_t at = 0;
    if (path.size() >= 2 && path[1] == ':') {
        char d = AsciiLower(path[0]);
        if (d < 'a' || d > 'z') return false;
        at = 2;
        if (at < path.size() && isSep(path[at])) {
            out.drive = d;  // "X:\a": absolute on X:
        } else if (cur.drive == d) {
            out = cur;      // "X:a": relative to the current directory when it is on X:
        } else {
            out.drive = d;
        }
    } else if (isSep(path[0])) {
        out.drive = cur.drive;  // "\a": the root of the current drive or share
        out.server = cur.server;
        out.share = cur.share;
    } else {
        out = cur;
    }
    return apply(out.components, split(path, at));
}

std::vector<std::string> PathElements(const std::string& path) { return split(path, 0); }

bool HasDotElements(const std::string& path) {
    for (const std::string& element : split(path, 0))
        if (element.find_first_not_of(". ") == std::string::npos) return true;
    return false;
}

bool IsWinFileName(const std::string& name) {
    WinPath parsed;
    return name.find_first_of("\\/") == std::string::npos && ParseWinPath("C:\\" + name, "C:\\", parsed) &&
           parsed.components.size() == 1 && parsed.components[0] == name;
}

std::string ExtractFilePath(const std::string& name) {
    size_t i = name.size();
    while (i > 0 && !isDelim(name[i - 1])) --i;
    return name.substr(0, i);
}

std::string ExtractFileDir(const std::string& name) {
    std::string p = ExtractFilePath(name);
    if (p.size() > 1 && isSep(p.back()) && !isDelim(p[p.size() - 2])) p.pop_back();
    return p;
}

std::string ExtractFileName(const std::string& name) { return name.substr(ExtractFilePath(name).size()); }

std::string ExtractFileExt(const std::string& name) {
    for (size_t i = name.size(); i > 0; --i) {
        char c = name[i - 1];
        if (c == '.') return name.substr(i - 1);
        if (isDelim(c)) break;
    }
    return "";
}

std::string ChangeFileExt(const std::string& name, const std::string& ext) {
    return name.substr(0, name.size() - ExtractFileExt(name).size()) + ext;
}

}  // namespace platform
