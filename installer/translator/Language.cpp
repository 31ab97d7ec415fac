#include "installer/translator/Language.h"

#include <climits>
#include <fstream>
#include <iterator>
#include <sstream>
#include <type_traits>

#include "installer/translator/TextCompare.h"
#include "platform/core/runtime/Exception.h"
#include "platform/core/runtime/Format.h"
#include "platform/core/codepage/LegacyCodePage.h"
#include "platform/core/runtime/Text.h"

namespace installer {

namespace {

// Leading and trailing blanks and control characters.
// A whole integer as the class library converts one: leading blanks, a sign,
// decimal digits or '$'/"0x" hexadecimal, nothing after, within 32 bits.
bool ToInteger(const std::string& text, int& value) {
    size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    int base = 10;
    if (i < text.size() && text[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= text.size()) return false;
    long long v = 0;
    for (; i < text.size(); ++i) {
        char c = text[i];
        int d;
        if (c >= '0' && c <= '9') d = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f') d = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F') d = c - 'A' + 10;
        else return false;
        v = v * base + d;
        if (v > 0x100000000LL) return false;
    }
    if (negative) v = -v;
    if (base == 16 && !negative && v > INT_MAX && v <= 0xFFFFFFFFLL) v -= 0x100000000LL;
    if (v < INT_MIN || v > INT_MAX) return false;
    value = static_cast<int>(v);
    return true;
}

[[noreturn]] void FormatError(const char* format, int lineIndex, const std::string& line) {
    throw platform::Exception(platform::Format(format, {lineIndex, line}));
}

constexpr const char* kMemoFormat = "The %d'th string (%s) does not have the proper format of .GLID;";
constexpr const char* kStringFormat = "The %d'th string (%s) does not have the proper format of GLID;Text";
constexpr const char* kNumberFormat = "The %d'th string (%s) does not have the proper format of GLID;Text or .GLID;";
constexpr const char* kMemoEnd = "Found the end of memo marker # at line %d. Was not in a memo however";

int ParseGLID(const std::string& digits, int lineIndex, const std::string& line) {
    if (digits.empty()) FormatError(kStringFormat, lineIndex, line);
    int glid = 0;
    if (!ToInteger(digits, glid)) FormatError(kNumberFormat, lineIndex, line);
    return glid;
}

std::string JoinLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& l : lines) text += l + "\r\n";
    return text;
}

}  // namespace

TLanguageString::TLanguageString(TLanguage* owner, int glid, int lineIndex, std::string text)
    : TLanguageElement(owner, glid, lineIndex), Text(std::move(text)), FoldedText(FoldCase(Text)) {}

// ---- TLangFormatStrings ----

const std::string& TLangFormatStrings::operator[](int index) const {
    CheckIndex(index, Count() - 1);
    return lines_[static_cast<size_t>(index)];
}

std::string TLangFormatStrings::Text() const { return JoinLines(lines_); }

void TLangFormatStrings::CheckIndex(int index, int limit) const {
    if (index < 0 || index > limit) throw platform::Exception(platform::Format("List index out of bounds (%d)", {index}));
}

void TLangFormatStrings::Changed() {
    if (owner_.ParseEnabled) owner_.ParseStrings();
}

// Replaces the lines with parsing held off, then parses once.
void TLangFormatStrings::ReplaceAll(std::vector<std::string> lines) {
    owner_.ParseEnabled = false;
    lines_ = std::move(lines);
    owner_.ParseEnabled = true;
    owner_.ParseStrings();
}

void TLangFormatStrings::Assign(const std::vector<std::string>& lines) { ReplaceAll(lines); }

void TLangFormatStrings::Assign(const TLangFormatStrings& other) { ReplaceAll(other.lines_); }

int TLangFormatStrings::Add(const std::string& line) {
    lines_.push_back(line);
    Changed();
    return Count() - 1;
}

void TLangFormatStrings::AddStrings(const std::vector<std::string>& lines) {
    lines_.insert(lines_.end(), lines.begin(), lines.end());
    Changed();
}

void TLangFormatStrings::Clear() {
    lines_.clear();
    Changed();
}

void TLangFormatStrings::Delete(int index) {
    CheckIndex(index, Count() - 1);
    lines_.erase(lines_.begin() + index);
    owner_.LineDeleted(index);
}

void TLangFormatStrings::Insert(int index, const std::string& line) {
    CheckIndex(index, Count());
    lines_.insert(lines_.begin() + index, line);
    Changed();
}

std::vector<std::string> TLangFormatStrings::DecodeBytes(const std::string& bytes) const {
    return platform::SplitTextLines(platform::DecodeLegacyText(bytes, LegacyCodePageOf(owner_.LanguageIdent)));
}

void TLangFormatStrings::LoadFromFile(const std::filesystem::path& fileName) {
    std::ifstream in(fileName, std::ios::binary);
    if (!in) throw platform::Exception(platform::Format("Cannot open file \"%s\"", {fileName.string()}));
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) throw platform::Exception(platform::Format("Cannot read file \"%s\"", {fileName.string()}));
    ReplaceAll(DecodeBytes(bytes));
}

void TLangFormatStrings::LoadFromStream(std::istream& stream) {
    std::string bytes((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
    lines_ = DecodeBytes(bytes);
    Changed();
}

void TLangFormatStrings::Move(int curIndex, int newIndex) {
    if (curIndex == newIndex) return;
    CheckIndex(curIndex, Count() - 1);
    CheckIndex(newIndex, Count() - 1);
    std::string line = std::move(lines_[static_cast<size_t>(curIndex)]);
    lines_.erase(lines_.begin() + curIndex);
    lines_.insert(lines_.begin() + newIndex, std::move(line));
    Changed();
}

// ---- TLanguage ----

TLanguage::TLanguage(TTranslator* owner, TTmslLanguage ident)
    : LanguageIdent(ident),
      owner_(owner),
      languageKey_(LanguageKeyOf(ident)),
      languageFileName_(LanguageFileNameOf(ident)),
      strings_(*this) {}

const TLanguageString* TLanguage::FindStringByText(const std::string& text) const {
    const std::string folded = FoldCase(text);
    for (const auto& s : stringEntries_)
        if (s->FoldedText == folded) return s.get();
    return nullptr;
}

const TLanguageString* TLanguage::FindStringByGLID(int glid) const {
    for (const auto& s : stringEntries_)
        if (s->GLID == glid) return s.get();
    return nullptr;
}

const TLanguageMemo* TLanguage::FindMemoByGLID(int glid) const {
    for (const auto& m : memoEntries_)
        if (m->GLID == glid) return m.get();
    return nullptr;
}

const TLanguageMemo* TLanguage::FindMemoByText(const std::vector<std::string>& lines) const {
    const std::string text = JoinLines(lines);
    for (const auto& m : memoEntries_)
        if (JoinLines(m->Lines) == text) return m.get();
    return nullptr;
}

void TLanguage::ClearElements() {
    stringEntries_.clear();
    memoEntries_.clear();
}

void TLanguage::LineDeleted(int index) {
    if (!ParseEnabled) return;
    auto strings = std::move(stringEntries_);
    auto memos = std::move(memoEntries_);
    try {
        ParseStrings();
        return;
    } catch (const platform::Exception&) {
        // The text no longer parses (the line opened a memo whose lines now
        // read as strings): keep what was there, as a list line shift would.
    }
    auto shifted = [index](auto& entries) {
        std::erase_if(entries, [index](const auto& e) { return e->LineIndex == index; });
        for (auto& e : entries) {
            if (e->LineIndex < index) continue;
            auto moved = std::make_unique<std::remove_const_t<std::remove_reference_t<decltype(*e)>>>(*e);
            --moved->LineIndex;
            e = std::move(moved);
        }
        return std::move(entries);
    };
    stringEntries_ = shifted(strings);
    memoEntries_ = shifted(memos);
}

void TLanguage::ParseStrings() {
    if (!ParseEnabled) return;
    ClearElements();
    try {
        bool inMemo = false;
        int memoGLID = 0;
        int memoLine = 0;
        std::vector<std::string> collected;
        const auto& lines = strings_.Lines();
        for (size_t i = 0; i < lines.size(); ++i) {
            const int n = static_cast<int>(i);
            const std::string line = platform::TrimControls(lines[i]);
            if (line.empty()) continue;
            if (line == "#") {
                if (!inMemo) FormatError(kMemoEnd, n, line);
                memoEntries_.push_back(std::make_unique<TLanguageMemo>(this, memoGLID, memoLine, std::move(collected)));
                collected.clear();
                inMemo = false;
                continue;
            }
            if (line[0] == '*') continue;
            if (inMemo) {
                collected.push_back(line);
                continue;
            }
            const size_t semi = line.find(';');
            const std::string head = line.substr(0, semi);
            if (line[0] == '#') {
                if (line.size() < 2) FormatError(kMemoFormat, n, line);
                memoGLID = ParseGLID(head.substr(1), n, line);
                memoLine = n;
                collected.clear();
                inMemo = true;
                continue;
            }
            const int glid = ParseGLID(head, n, line);
            std::string text;
            if (semi != std::string::npos) {
                const size_t second = line.find(';', semi + 1);
                text = line.substr(semi + 1, second == std::string::npos ? std::string::npos : second - semi - 1);
            }
            if (platform::TrimControls(text).empty()) FormatError(kStringFormat, n, line);
            stringEntries_.push_back(std::make_unique<TLanguageString>(this, glid, n, std::move(text)));
        }
        // A memo still open at the end is dropped.
    } catch (...) {
        ClearElements();
        throw;
    }
}

}  // namespace installer
