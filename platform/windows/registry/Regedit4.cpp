#include <algorithm>
#include <cctype>
#include <cstdio>
#include <vector>

#include "platform/core/runtime/Format.h"
#include "platform/core/runtime/Text.h"
#include "platform/windows/registry/RegistryStore.h"

namespace platform {

namespace {

std::string quote(const std::string& s) {
    std::string r = "\"";
    for (char c : s) {
        if (c == '\\' || c == '"') r += '\\';
        r += c;
    }
    return r + "\"";
}

bool hasControl(const std::string& s) {
    for (unsigned char c : s)
        if (c < 0x20) return true;
    return false;
}

std::string hexBytes(const std::string& bytes) {
    std::string r;
    char buf[4];
    for (size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(buf, sizeof buf, "%02x", static_cast<unsigned char>(bytes[i]));
        if (i) r += ',';
        r += buf;
    }
    return r;
}

std::string valueLine(const RegValue& v) {
    std::string line = v.name.empty() ? "@" : quote(v.name);
    line += '=';
    if (v.type == REG_SZ_T && !hasControl(v.data)) return line + quote(v.data);
    if (v.type == REG_DWORD_T) {
        char buf[16];
        std::snprintf(buf, sizeof buf, "%08x", v.dword);
        return line + "dword:" + buf;
    }
    std::string bytes = v.data;
    // Texts in hex form carry their terminating NUL, as the system stores them.
    if (v.type == REG_SZ_T || v.type == REG_EXPAND_SZ_T) bytes += '\0';
    if (v.type == REG_BINARY_T) return line + "hex:" + hexBytes(bytes);
    return line + "hex(" + std::to_string(v.type) + "):" + hexBytes(bytes);
}

void printKey(const RegKeyNode& node, const std::string& path, bool isRoot, std::string& out) {
    if (!isRoot || !node.values.empty()) {
        out += "[" + path + "]\r\n";
        for (const auto& [name, v] : node.values) out += valueLine(v) + "\r\n";
        out += "\r\n";
    }
    for (const auto& [name, child] : node.subkeys) printKey(*child, path + "\\" + child->name, false, out);
}

struct Parser {
    const std::string& rootName;
    int lineNo = 0;

    [[noreturn]] void fail(const std::string& why) const {
        throw ERegistryFileError(Format("line %d: %s", {lineNo, why}));
    }

    // A quoted text starting at s[i]; i ends after the closing quote.
    std::string quoted(const std::string& s, size_t& i) const {
        if (i >= s.size() || s[i] != '"') fail("a quoted text was expected");
        std::string r;
        for (++i; i < s.size(); ++i) {
            char c = s[i];
            if (c == '\\' && i + 1 < s.size()) {
                r += s[++i];
            } else if (c == '"') {
                ++i;
                return r;
            } else {
                r += c;
            }
        }
        fail("a quoted text is not closed");
    }

    std::string hexList(const std::string& s) const {
        std::string bytes;
        size_t i = 0;
        while (i < s.size()) {
            while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
            if (i >= s.size()) break;
            unsigned v = 0;
            int digits = 0;
            while (i < s.size() && std::isxdigit(static_cast<unsigned char>(s[i])) && digits < 2) {
                char c = AsciiUpper(s[i]);
                v = v * 16 + static_cast<unsigned>(c <= '9' ? c - '0' : c - 'A' + 10);
                ++i;
                ++digits;
            }
            if (digits == 0) fail("a hexadecimal byte was expected");
            bytes += static_cast<char>(v);
            while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
            if (i < s.size()) {
                if (s[i] != ',') fail("bytes are separated by commas");
                ++i;
            }
        }
        return bytes;
    }

    RegValue value(const std::string& line) const {
        RegValue v;
        size_t i = 0;
        if (line[0] == '@') {
            i = 1;
        } else {
            v.name = quoted(line, i);
        }
        if (i >= line.size() || line[i] != '=') fail("'=' was expected after the value name");
        std::string data = line.substr(i + 1);
        if (!data.empty() && data[0] == '"') {
            size_t j = 0;
            v.type = REG_SZ_T;
            v.data = quoted(data, j);
            if (j != data.size()) fail("text after the closing quote");
        } else if (data.compare(0, 6, "dword:") == 0) {
            std::string h = data.substr(6);
            if (h.empty() || h.size() > 8) fail("a dword has up to 8 hexadecimal digits");
            for (char c : h)
                if (!std::isxdigit(static_cast<unsigned char>(c))) fail("a dword has up to 8 hexadecimal digits");
            v.type = REG_DWORD_T;
            v.dword = static_cast<std::uint32_t>(std::stoul(h, nullptr, 16));
        } else if (data.compare(0, 4, "hex:") == 0) {
            v.type = REG_BINARY_T;
            v.data = hexList(data.substr(4));
        } else if (data.compare(0, 4, "hex(") == 0) {
            size_t close = data.find("):");
            if (close == std::string::npos || close == 4) fail("hex(type): was expected");
            std::string t = data.substr(4, close - 4);
            for (char c : t)
                if (!std::isxdigit(static_cast<unsigned char>(c))) fail("bad value type");
            if (t.size() > 8) fail("bad value type");
            v.type = static_cast<std::uint32_t>(std::stoul(t, nullptr, 16));
            v.data = hexList(data.substr(close + 2));
            if ((v.type == REG_SZ_T || v.type == REG_EXPAND_SZ_T) && !v.data.empty() && v.data.back() == '\0')
                v.data.pop_back();
        } else {
            fail("unknown value data");
        }
        return v;
    }
};

// The logical lines of a file with the number of the line each starts on.
// CR LF, LF or CR end a line; a hex value whose line ends with '\' goes on
// on the next one, whose leading blanks are dropped. Each character is
// looked at a bounded number of times, however many lines a value takes.
std::vector<std::pair<int, std::string>> logicalLines(const std::string& text, Parser& p) {
    std::vector<std::pair<int, std::string>> lines;
    std::string cur;
    int no = 1, start = 1;
    bool cont = false;
    size_t i = 0;
    while (i < text.size()) {
        size_t end = text.find_first_of("\r\n", i);
        if (end == std::string::npos) end = text.size();
        size_t from = i;
        if (cont)
            while (from < end && (text[from] == ' ' || text[from] == '\t')) ++from;
        else
            start = no;
        const size_t kept = cur.size();
        cur.append(text, from, end - from);
        while (cur.size() > kept && (cur.back() == ' ' || cur.back() == '\t')) cur.pop_back();
        // Only a hex value is continued (a quoted text never ends outside its quote with '\');
        // whether it is one shows on its first line.
        if (!cur.empty() && cur.back() == '\\' && (cont || cur.find("=hex") != std::string::npos)) {
            cur.pop_back();
            cont = true;
        } else {
            lines.emplace_back(start, std::move(cur));
            cur.clear();
            cont = false;
        }
        i = end;
        if (i < text.size()) {
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            ++i;
            ++no;
        }
    }
    if (cont) {
        p.lineNo = start;
        p.fail("the file ends inside a continued value");
    }
    return lines;
}

}  // namespace

bool CaseLess::operator()(const std::string& a, const std::string& b) const {
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        char x = AsciiUpper(a[i]), y = AsciiUpper(b[i]);
        if (x != y) return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
    }
    return a.size() < b.size();
}

std::string PrintRegedit4(const RegKeyNode& rootNode, const std::string& rootName) {
    std::string out = "REGEDIT4\r\n\r\n";
    printKey(rootNode, rootName, true, out);
    return out;
}

std::unique_ptr<RegKeyNode> ParseRegedit4(const std::string& text, const std::string& rootName) {
    auto root = std::make_unique<RegKeyNode>();
    Parser p{rootName};
    std::vector<std::pair<int, std::string>> lines = logicalLines(text, p);
    RegKeyNode* current = nullptr;
    bool header = false;
    std::string prefix = rootName;
    for (auto& [no, raw] : lines) {
        p.lineNo = no;
        std::string line = raw;
        size_t b = 0;
        while (b < line.size() && (line[b] == ' ' || line[b] == '\t')) ++b;
        line = line.substr(b);
        if (!header) {
            if (line.empty()) continue;
            if (line != "REGEDIT4") p.fail("the file does not start with REGEDIT4");
            header = true;
            continue;
        }
        if (line.empty() || line[0] == ';') continue;
        if (line[0] == '[') {
            if (line.back() != ']') p.fail("a key line ends with ']'");
            std::string path = line.substr(1, line.size() - 2);
            std::string head = path.substr(0, path.find('\\'));
            if (!(CaseLess{}(head, rootName) == false && CaseLess{}(rootName, head) == false))
                p.fail("the key is not below " + rootName);
            current = root.get();
            size_t at = head.size();
            size_t depth = 0;
            while (at < path.size()) {
                size_t next = path.find('\\', at + 1);
                std::string part = path.substr(at + 1, next == std::string::npos ? std::string::npos : next - at - 1);
                at = next == std::string::npos ? path.size() : next;
                if (part.empty()) continue;
                if (++depth > kMaxRegKeyDepth)
                    p.fail(Format("a key more than %d levels deep", {static_cast<int>(kMaxRegKeyDepth)}));
                auto it = current->subkeys.find(part);
                if (it == current->subkeys.end()) {
                    auto node = std::make_unique<RegKeyNode>();
                    node->name = part;
                    it = current->subkeys.emplace(part, std::move(node)).first;
                }
                current = it->second.get();
            }
            continue;
        }
        if (!current) p.fail("a value before the first key");
        if (line[0] != '"' && line[0] != '@') p.fail("a value line starts with a quoted name or @");
        RegValue v = p.value(line);
        current->values[v.name] = v;
    }
    if (!header) {
        if (!text.empty()) p.fail("the file does not start with REGEDIT4");
    }
    return root;
}

}  // namespace platform
