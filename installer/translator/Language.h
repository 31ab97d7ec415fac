#pragma once
// One language of the translator: its text lines ("GLID;Text" strings and
// "#GLID" memos) and the numbered entries parsed from them. Every change to
// the lines re-parses the entries, so they always describe the lines.
#include <cstdint>
#include <filesystem>
#include <istream>
#include <memory>
#include <string>
#include <vector>

#include "installer/translator/Languages.h"

namespace installer {

class TLanguage;
class TTranslator;

// A font as the class library describes it: face, height (negative: the
// character height in pixels at 96 dpi), charset, colour, style.
struct TLanguageFont {
    static constexpr std::uint32_t clWindowText = 0xFF000008;
    std::string Name = "MS Sans Serif";
    int Height = -11;
    int Charset = 1;  // DEFAULT_CHARSET
    std::uint32_t Color = clWindowText;
    bool Bold = false, Italic = false, Underline = false, StrikeOut = false;

    bool operator==(const TLanguageFont&) const = default;
};

class TLanguageElement {
public:
    TLanguageElement(TLanguage* owner, int glid, int lineIndex) : GLID(glid), Owner(owner), LineIndex(lineIndex) {}
    virtual ~TLanguageElement() = default;

    int GLID;
    TLanguage* Owner;
    int LineIndex;  // 0-based line in Strings; for a memo, its opening line
};

class TLanguageString : public TLanguageElement {
public:
    TLanguageString(TLanguage* owner, int glid, int lineIndex, std::string text);

    std::string Text;        // kept whole, however long
    std::string FoldedText;  // Text case-folded, for lookups by wording (entries are never changed)
};

class TLanguageMemo : public TLanguageElement {
public:
    TLanguageMemo(TLanguage* owner, int glid, int lineIndex, std::vector<std::string> lines)
        : TLanguageElement(owner, glid, lineIndex), Lines(std::move(lines)) {}

    std::vector<std::string> Lines;
};

// The text lines of one language. Each operation changes the lines, then
// re-parses the owner's entries (Delete never raises, see LineDeleted).
class TLangFormatStrings {
public:
    explicit TLangFormatStrings(TLanguage& owner) : owner_(owner) {}
    TLangFormatStrings(const TLangFormatStrings&) = delete;
    TLangFormatStrings& operator=(const TLangFormatStrings&) = delete;

    int Count() const { return static_cast<int>(lines_.size()); }
    const std::string& operator[](int index) const;
    const std::vector<std::string>& Lines() const { return lines_; }
    // The lines joined, each ended by CR LF.
    std::string Text() const;

    void Assign(const std::vector<std::string>& lines);
    void Assign(const TLangFormatStrings& other);
    int Add(const std::string& line);
    void AddStrings(const std::vector<std::string>& lines);
    void Clear();
    void Delete(int index);
    void Insert(int index, const std::string& line);
    // A host file, decoded by BOM, else as UTF-8, else by the language's code page.
    void LoadFromFile(const std::filesystem::path& fileName);
    void LoadFromStream(std::istream& stream);
    void Move(int curIndex, int newIndex);

private:
    void CheckIndex(int index, int limit) const;
    void Changed();
    void ReplaceAll(std::vector<std::string> lines);
    std::vector<std::string> DecodeBytes(const std::string& bytes) const;

    TLanguage& owner_;
    std::vector<std::string> lines_;
};

class TLanguage {
public:
    TLanguage(TTranslator* owner, TTmslLanguage ident);
    TLanguage(const TLanguage&) = delete;
    TLanguage& operator=(const TLanguage&) = delete;

    TLanguageFont Font;
    bool FontOverride = false;
    TTmslLanguage LanguageIdent;

    TLangFormatStrings& Strings() { return strings_; }
    const TLangFormatStrings& Strings() const { return strings_; }
    void SetStrings(const TLangFormatStrings& value) { strings_.Assign(value); }

    TTranslator* Owner() const { return owner_; }
    const std::string& LanguageKey() const { return languageKey_; }
    const std::string& LanguageFileName() const { return languageFileName_; }
    bool ParseEnabled = true;

    const std::vector<std::unique_ptr<const TLanguageString>>& StringEntries() const { return stringEntries_; }
    const std::vector<std::unique_ptr<const TLanguageMemo>>& MemoEntries() const { return memoEntries_; }

    // Lookups are linear in line order; the first match wins.
    // By wording, ignoring letter case only (no trimming).
    const TLanguageString* FindStringByText(const std::string& text) const;
    const TLanguageString* FindStringByGLID(int glid) const;
    const TLanguageMemo* FindMemoByGLID(int glid) const;
    // The memo whose lines equal the given lines exactly.
    const TLanguageMemo* FindMemoByText(const std::vector<std::string>& lines) const;

    void ClearElements();
    // Rebuilds the entries from Strings; nothing while ParseEnabled is false.
    // A malformed line raises and leaves the language without entries.
    void ParseStrings();
    // After line index left Strings: re-parses; when the rest no longer
    // parses, the entries stay, less the deleted line's own, and those below
    // it move up one line. Never raises.
    void LineDeleted(int index);

private:
    TTranslator* owner_;
    std::string languageKey_;
    std::string languageFileName_;
    TLangFormatStrings strings_;
    std::vector<std::unique_ptr<const TLanguageString>> stringEntries_;
    std::vector<std::unique_ptr<const TLanguageMemo>> memoEntries_;
};

}  // namespace installer
