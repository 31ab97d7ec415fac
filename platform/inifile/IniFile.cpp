#include "platform/inifile/IniFile.h"

#include <cstdlib>

#include "platform/hostio/HostIo.h"
#include "platform/runtime/Codepage.h"
#include "platform/runtime/Format.h"
#include "platform/runtime/PathCase.h"

namespace platform {

namespace {

enum class Encoding { Utf8, Utf8Bom, Cp1252 };

struct Document {
    Encoding encoding = Encoding::Utf8;
    std::vector<std::string> lines;  // UTF-8, without line ends
};

std::string trim(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
    return s.substr(b, e - b);
}

// CR LF, LF and CR all end a line.
std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::string cur;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(cur);
            cur.clear();
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            cur += c;
        }
    }
    if (!cur.empty()) lines.push_back(cur);
    return lines;
}

Document load(const std::filesystem::path& path) {
    Document doc;
    auto bytes = ReadWholeFile(path);
    if (!bytes) return doc;
    std::string text = *bytes;
    if (text.size() >= 3 && text.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        doc.encoding = Encoding::Utf8Bom;
        text.erase(0, 3);
    } else if (!IsValidUtf8(text)) {
        doc.encoding = Encoding::Cp1252;
        text = Cp1252ToUtf8(text);
    }
    doc.lines = splitLines(text);
    return doc;
}

void save(const std::filesystem::path& path, const Document& doc) {
    std::string text;
    for (const auto& l : doc.lines) text += l + "\r\n";
    std::string bytes;
    switch (doc.encoding) {
    case Encoding::Utf8Bom: bytes = "\xEF\xBB\xBF" + text; break;
    case Encoding::Utf8: bytes = text; break;
    case Encoding::Cp1252:
        bytes = Utf8ToCp1252(text);
        // A text outside the code page would turn into '?': keep it whole as UTF-8.
        if (Cp1252ToUtf8(bytes) != text) bytes = text;
        break;
    }
    try {
        WriteFileAtomically(path, bytes);
    } catch (const Exception& e) {
        throw EIniFileError(e.Message());
    }
}

bool sectionHeader(const std::string& line, std::string& name) {
    std::string t = trim(line);
    if (t.empty() || t[0] != '[') return false;
    size_t close = t.find(']');
    name = trim(t.substr(1, close == std::string::npos ? std::string::npos : close - 1));
    return true;
}

// A key line "key=value" that is not a comment; gives the trimmed key and value.
bool keyLine(const std::string& line, std::string& key, std::string& value) {
    std::string t = trim(line);
    if (t.empty() || t[0] == ';') return false;
    size_t eq = t.find('=');
    if (eq == std::string::npos) return false;
    key = trim(t.substr(0, eq));
    value = trim(t.substr(eq + 1));
    return !key.empty();
}

// Line range [begin, end) of the body of the first section with this name.
struct SectionRange {
    bool found = false;
    size_t header = 0, begin = 0, end = 0;
};

SectionRange findSection(const Document& doc, const std::string& section) {
    SectionRange r;
    std::string want = trim(section), name;
    for (size_t i = 0; i < doc.lines.size(); ++i) {
        if (!sectionHeader(doc.lines[i], name)) continue;
        if (r.found) {
            r.end = i;
            return r;
        }
        if (SameNameIgnoringCase(name, want)) {
            r.found = true;
            r.header = i;
            r.begin = i + 1;
        }
    }
    r.end = doc.lines.size();
    return r;
}

// Index of the first line of the section with this key, or npos.
size_t findKey(const Document& doc, const SectionRange& r, const std::string& key) {
    std::string want = trim(key), k, v;
    for (size_t i = r.begin; i < r.end; ++i)
        if (keyLine(doc.lines[i], k, v) && SameNameIgnoringCase(k, want)) return i;
    return std::string::npos;
}

}  // namespace

IniFile::IniFile(std::filesystem::path hostPath) : path_(std::move(hostPath)) {}

std::string IniFile::ReadString(const std::string& section, const std::string& key,
                                const std::string& defaultValue) const {
    Document doc = load(path_);
    SectionRange r = findSection(doc, section);
    if (!r.found) return defaultValue;
    size_t i = findKey(doc, r, key);
    if (i == std::string::npos) return defaultValue;
    std::string k, v;
    keyLine(doc.lines[i], k, v);
    return v;
}

int IniFile::ReadInteger(const std::string& section, const std::string& key, int defaultValue) const {
    std::string s = ReadString(section, key, "");
    if (s.empty()) return defaultValue;
    char* end = nullptr;
    errno = 0;
    long long v = std::strtoll(s.c_str(), &end, 10);
    if (*end != '\0' || errno != 0 || v < INT32_MIN || v > INT32_MAX) return defaultValue;
    return static_cast<int>(v);
}

bool IniFile::ValueExists(const std::string& section, const std::string& key) const {
    Document doc = load(path_);
    SectionRange r = findSection(doc, section);
    return r.found && findKey(doc, r, key) != std::string::npos;
}

bool IniFile::SectionExists(const std::string& section) const {
    return findSection(load(path_), section).found;
}

std::vector<std::string> IniFile::ReadSections() const {
    Document doc = load(path_);
    std::vector<std::string> out;
    std::string name;
    for (const auto& l : doc.lines)
        if (sectionHeader(l, name)) out.push_back(name);
    return out;
}

std::vector<std::string> IniFile::ReadSection(const std::string& section) const {
    std::vector<std::string> out;
    for (const auto& kv : ReadSectionValues(section)) out.push_back(kv.substr(0, kv.find('=')));
    return out;
}

std::vector<std::string> IniFile::ReadSectionValues(const std::string& section) const {
    Document doc = load(path_);
    SectionRange r = findSection(doc, section);
    std::vector<std::string> out;
    if (!r.found) return out;
    std::string k, v;
    for (size_t i = r.begin; i < r.end; ++i)
        if (keyLine(doc.lines[i], k, v)) out.push_back(k + "=" + v);
    return out;
}

void IniFile::WriteString(const std::string& section, const std::string& key, const std::string& value) {
    std::string s = trim(section), k = trim(key);
    if (s.empty() || k.empty() || k.find('=') != std::string::npos || k[0] == ';' || k[0] == '[')
        throw EIniFileError(Format("Cannot write the key \"%s\" of section \"%s\" in %s",
                                   {key, section, path_.string()}));
    if (value.find_first_of("\r\n") != std::string::npos || section.find_first_of("]\r\n") != std::string::npos)
        throw EIniFileError(Format("Cannot write the key \"%s\" of section \"%s\" in %s",
                                   {key, section, path_.string()}));
    Document doc = load(path_);
    SectionRange r = findSection(doc, s);
    if (!r.found) {
        doc.lines.push_back("[" + s + "]");
        doc.lines.push_back(k + "=" + value);
        save(path_, doc);
        return;
    }
    size_t i = findKey(doc, r, k);
    if (i != std::string::npos) {
        std::string oldKey, oldValue;
        keyLine(doc.lines[i], oldKey, oldValue);
        doc.lines[i] = oldKey + "=" + value;  // the key keeps its spelling
    } else {
        // After the section's last non-blank line, so blank separators stay below it.
        size_t at = r.end;
        while (at > r.begin && trim(doc.lines[at - 1]).empty()) --at;
        doc.lines.insert(doc.lines.begin() + static_cast<std::ptrdiff_t>(at), k + "=" + value);
    }
    save(path_, doc);
}

void IniFile::WriteInteger(const std::string& section, const std::string& key, int value) {
    WriteString(section, key, std::to_string(value));
}

void IniFile::DeleteKey(const std::string& section, const std::string& key) {
    Document doc = load(path_);
    SectionRange r = findSection(doc, section);
    if (!r.found) return;
    size_t i = findKey(doc, r, key);
    if (i == std::string::npos) return;
    doc.lines.erase(doc.lines.begin() + static_cast<std::ptrdiff_t>(i));
    save(path_, doc);
}

void IniFile::EraseSection(const std::string& section) {
    Document doc = load(path_);
    SectionRange r = findSection(doc, section);
    if (!r.found) return;
    doc.lines.erase(doc.lines.begin() + static_cast<std::ptrdiff_t>(r.header),
                    doc.lines.begin() + static_cast<std::ptrdiff_t>(r.end));
    save(path_, doc);
}

}  // namespace platform
