#include "platform/core/inifile/IniFile.h"

#include <cstdlib>
#include <optional>

#include "platform/core/hostio/HostIo.h"
#include "platform/core/hostio/ReplaceLock.h"
#include "platform/core/runtime/Codepage.h"
#include "platform/core/runtime/Format.h"
#include "platform/core/runtime/LegacyText.h"
#include "platform/core/runtime/PathCase.h"
#include "platform/core/runtime/Text.h"

namespace platform {

namespace {

enum class Encoding { Utf8, Utf8Bom, Cp1252 };

// The file as lines: the bytes each line had (without its end), and the same
// line as text. A write changes only the lines it touches, so every other
// line is saved as the bytes it was, whatever its encoding really is.
struct Document {
    Encoding encoding = Encoding::Utf8;
    std::vector<std::string> raw;
    std::vector<std::string> lines;  // UTF-8
};

std::string decode(const Document& doc, const std::string& bytes) {
    const TextEncoding encoding = doc.encoding == Encoding::Cp1252 ? TextEncoding::LegacyCodePage : TextEncoding::Utf8;
    return DecodeText(bytes, encoding);
}

// A new text in the file's own encoding; one the file's code page cannot
// hold is refused rather than written as '?' or in another encoding.
std::string encode(const Document& doc, const std::string& text, const std::filesystem::path& path) {
    if (doc.encoding != Encoding::Cp1252) return text;
    std::string bytes = Utf8ToCp1252(text);
    if (Cp1252ToUtf8(bytes) != text)
        throw EIniFileError(Format("Cannot write \"%s\" in %s: the file's code page has no such characters",
                                   {text, path.string()}));
    return bytes;
}

Document load(const std::filesystem::path& path) {
    Document doc;
    auto bytes = ReadWholeFile(path);
    if (!bytes) return doc;
    // Lines are split on the raw bytes, so only a file whose line ends are
    // single bytes can be kept line by line: UTF-16 is read as the legacy
    // code page like any other bytes that are not UTF-8.
    switch (DetectTextEncoding(*bytes)) {
        case TextEncoding::Utf8Bom: doc.encoding = Encoding::Utf8Bom; break;
        case TextEncoding::Utf8: doc.encoding = Encoding::Utf8; break;
        default: doc.encoding = Encoding::Cp1252; break;
    }
    const size_t bom = doc.encoding == Encoding::Utf8Bom ? 3 : 0;
    doc.raw = SplitTextLines(std::string_view(*bytes).substr(bom));
    for (const auto& r : doc.raw) doc.lines.push_back(decode(doc, r));
    return doc;
}

void insertLine(Document& doc, size_t i, const std::string& text, const std::filesystem::path& path) {
    doc.raw.insert(doc.raw.begin() + static_cast<std::ptrdiff_t>(i), encode(doc, text, path));
    doc.lines.insert(doc.lines.begin() + static_cast<std::ptrdiff_t>(i), text);
}

void eraseLines(Document& doc, size_t from, size_t to) {
    doc.raw.erase(doc.raw.begin() + static_cast<std::ptrdiff_t>(from), doc.raw.begin() + static_cast<std::ptrdiff_t>(to));
    doc.lines.erase(doc.lines.begin() + static_cast<std::ptrdiff_t>(from),
                    doc.lines.begin() + static_cast<std::ptrdiff_t>(to));
}

void save(const std::filesystem::path& path, const Document& doc) {
    std::string bytes = doc.encoding == Encoding::Utf8Bom ? "\xEF\xBB\xBF" : "";
    for (const auto& r : doc.raw) bytes += r + "\r\n";
    try {
        WriteFileAtomically(path, bytes);
    } catch (const Exception& e) {
        throw EIniFileError(e.Message());
    }
}

// Runs a read-modify-write of the file under the lock that keeps writers of
// other processes out between the read and the rename.
template <typename Change>
void update(const std::filesystem::path& path, Change change) {
    RemoveKilledSaves(path);
    std::optional<ReplaceLock> lock;
    try {
        lock.emplace(path);
    } catch (const EIniFileError&) {
        throw;
    } catch (const Exception& e) {
        throw EIniFileError(e.Message());
    }
    Document doc = load(path);
    if (change(doc)) save(path, doc);
}

bool sectionHeader(const std::string& line, std::string& name) {
    std::string t = TrimBlanks(line);
    if (t.empty() || t[0] != '[') return false;
    size_t close = t.find(']');
    name = TrimBlanks(t.substr(1, close == std::string::npos ? std::string::npos : close - 1));
    return true;
}

// A key line "key=value" that is not a comment; gives the trimmed key and value.
bool keyLine(const std::string& line, std::string& key, std::string& value) {
    std::string t = TrimBlanks(line);
    if (t.empty() || t[0] == ';') return false;
    size_t eq = t.find('=');
    if (eq == std::string::npos) return false;
    key = TrimBlanks(t.substr(0, eq));
    value = TrimBlanks(t.substr(eq + 1));
    return !key.empty();
}

// Line range [begin, end) of the body of the first section with this name.
struct SectionRange {
    bool found = false;
    size_t header = 0, begin = 0, end = 0;
};

SectionRange findSection(const Document& doc, const std::string& section) {
    SectionRange r;
    std::string want = TrimBlanks(section), name;
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
    std::string want = TrimBlanks(key), k, v;
    for (size_t i = r.begin; i < r.end; ++i)
        if (keyLine(doc.lines[i], k, v) && SameNameIgnoringCase(k, want)) return i;
    return std::string::npos;
}

}  // namespace

IniFile::IniFile(std::filesystem::path hostPath) : path_(std::move(hostPath)) { RemoveKilledSaves(path_); }

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
    return ParseInteger(ReadString(section, key, "")).value_or(defaultValue);
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
    std::string s = TrimBlanks(section), k = TrimBlanks(key);
    if (s.empty() || k.empty() || k.find('=') != std::string::npos || k[0] == ';' || k[0] == '[')
        throw EIniFileError(Format("Cannot write the key \"%s\" of section \"%s\" in %s",
                                   {key, section, path_.string()}));
    if (value.find_first_of("\r\n") != std::string::npos || section.find_first_of("]\r\n") != std::string::npos)
        throw EIniFileError(Format("Cannot write the key \"%s\" of section \"%s\" in %s",
                                   {key, section, path_.string()}));
    update(path_, [&](Document& doc) {
        SectionRange r = findSection(doc, s);
        if (!r.found) {
            insertLine(doc, doc.lines.size(), "[" + s + "]", path_);
            insertLine(doc, doc.lines.size(), k + "=" + value, path_);
            return true;
        }
        size_t i = findKey(doc, r, k);
        if (i != std::string::npos) {
            // The key keeps its spelling and its bytes; only the value is new.
            const std::string& raw = doc.raw[i];
            const std::string rawKey = TrimBlanks(raw.substr(0, raw.find('=')));
            std::string oldKey, oldValue;
            keyLine(doc.lines[i], oldKey, oldValue);
            doc.raw[i] = rawKey + "=" + encode(doc, value, path_);
            doc.lines[i] = oldKey + "=" + value;
        } else {
            // After the section's last non-blank line, so blank separators stay below it.
            size_t at = r.end;
            while (at > r.begin && TrimBlanks(doc.lines[at - 1]).empty()) --at;
            insertLine(doc, at, k + "=" + value, path_);
        }
        return true;
    });
}

void IniFile::WriteInteger(const std::string& section, const std::string& key, int value) {
    WriteString(section, key, std::to_string(value));
}

void IniFile::DeleteKey(const std::string& section, const std::string& key) {
    update(path_, [&](Document& doc) {
        SectionRange r = findSection(doc, section);
        if (!r.found) return false;
        size_t i = findKey(doc, r, key);
        if (i == std::string::npos) return false;
        eraseLines(doc, i, i + 1);
        return true;
    });
}

void IniFile::EraseSection(const std::string& section) {
    update(path_, [&](Document& doc) {
        SectionRange r = findSection(doc, section);
        if (!r.found) return false;
        eraseLines(doc, r.header, r.end);
        return true;
    });
}

}  // namespace platform
