// The RTF reader. Structure: a scanner yields tokens (group open and close,
// control words with their parameter, control symbols, text bytes); a stack
// of group states carries the character and paragraph formats and the
// destination; the destination decides what text means (document text, a
// font name, a colour entry, or nothing).
#include <algorithm>
#include <cassert>
#include <climits>
#include <map>

#include "app/rtf/FontCharset.h"
#include "app/rtf/Rtf.h"
#include "app/rtf/SymbolFont.h"
#include "platform/core/runtime/Codepage.h"

namespace rtf {

std::string Paragraph::Text() const {
    std::string t;
    for (const Run& r : runs) t += r.text;
    return t;
}

std::string Document::PlainText() const {
    std::string t;
    for (size_t i = 0; i < paragraphs.size(); ++i) {
        if (i) t += '\n';
        t += paragraphs[i].Text();
    }
    return t;
}

bool IsRtf(std::string_view bytes) {
    size_t i = 0;
    while (i < bytes.size() && (bytes[i] == ' ' || bytes[i] == '\t' || bytes[i] == '\r' || bytes[i] == '\n')) ++i;
    return bytes.substr(i, 5) == "{\\rtf";
}

namespace {

enum class Dest { Text, FontTable, ColorTable, Skip, Pn, ListText, ListTable, ListOverrides };

struct State {
    CharFormat chr;
    ParaFormat para;
    int fontNumber = -1;  // the font table entry being read
    int font = -1;        // \fN of the text; -1 the document's default
    Dest dest = Dest::Text;
    int uc = 1;           // bytes to skip after \uN
    bool hidden = false;  // \v
};

// Destinations whose contents are not document text.
bool IsSkippedDestination(const std::string& w) {
    static const char* const names[] = {
        "info", "stylesheet", "pict", "object", "header", "headerl", "headerr", "headerf", "footer", "footerl",
        "footerr", "footerf", "footnote", "fldinst", "themedata", "colorschememapping", "latentstyles",
        "datastore", "xmlnstbl", "rsidtbl", "generator", "pntext",
        "bkmkstart", "bkmkend", "shp", "shpinst", "nonshppict", "revtbl", "filetbl", "pgdsctbl", "author",
        "operator", "title", "subject", "comment", "annotation", "atnid", "atnauthor", "template", "userprops",
        "falt", "panose", "mmathPr", "xe", "tc", "txe", "objdata", "result", "do", "keywords", "doccomm",
        "company", "category", "manager", "hlinkbase", "blipuid", "wgrffmtfilter", "fontemb", "fontfile"};
    for (const char* n : names)
        if (w == n) return true;
    return false;
}

class Reader {
public:
    explicit Reader(std::string_view in) : in_(in) {}

    Document Run() {
        if (!IsRtf(in_)) throw RtfError("The file is not in the rich text format.");
        while (pos_ < in_.size() && !ended_) Step();
        FlushText();
        if (!para_.runs.empty() || HasPendingText()) EndParagraph();
        return std::move(doc_);
    }

private:
    // --- scanning -------------------------------------------------------
    void Step() {
        const char c = in_[pos_];
        if (c == '{') {
            ++pos_;
            OpenGroup();
        } else if (c == '}') {
            ++pos_;
            CloseGroup();
        } else if (c == '\\') {
            ++pos_;
            Control();
        } else if (c == '\r' || c == '\n') {
            ++pos_;
        } else {
            ++pos_;
            TextByte(static_cast<unsigned char>(c));
        }
    }

    void Control() {
        if (pos_ >= in_.size()) return;  // a lone backslash at the end
        const char c = in_[pos_];
        if (IsAlpha(c)) {
            std::string word;
            while (pos_ < in_.size() && IsAlpha(in_[pos_])) {
                if (word.size() < 32) word += in_[pos_];  // longer words are unknown anyway
                ++pos_;
            }
            bool hasParam = false;
            long long param = 0;
            bool negative = false;
            if (pos_ < in_.size() && in_[pos_] == '-' && pos_ + 1 < in_.size() && IsDigit(in_[pos_ + 1])) {
                negative = true;
                ++pos_;
            }
            while (pos_ < in_.size() && IsDigit(in_[pos_])) {
                hasParam = true;
                if (param < INT_MAX) param = param * 10 + (in_[pos_] - '0');
                ++pos_;
            }
            param = std::min<long long>(param, INT_MAX);
            if (negative) param = -param;
            if (pos_ < in_.size() && in_[pos_] == ' ') ++pos_;  // the delimiting space belongs to the word
            Word(word, hasParam, static_cast<int>(param));
            return;
        }
        ++pos_;
        switch (c) {
            case '\'': {
                // \'hh: two hex digits; a truncated one at the end of input is dropped.
                int value = 0, digits = 0;
                while (digits < 2 && pos_ < in_.size() && HexValue(in_[pos_]) >= 0) {
                    value = value * 16 + HexValue(in_[pos_++]);
                    ++digits;
                }
                if (digits == 2) TextByte(static_cast<unsigned char>(value), true);
                break;
            }
            case '\\': case '{': case '}': TextByte(static_cast<unsigned char>(c), true); break;
            case '~': Unicode(0xA0); break;
            case '_': Unicode(0x2011); break;
            case '-': break;  // optional hyphen
            case '*': starred_ = true; break;
            case '\r': case '\n': Word("par", false, 0); break;
            case '\t': Word("tab", false, 0); break;
            default: break;
        }
    }

    static bool IsAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
    static bool IsDigit(char c) { return c >= '0' && c <= '9'; }
    static int HexValue(char c) {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    }

    // --- groups -----------------------------------------------------------
    void OpenGroup() {
        if (static_cast<int>(stack_.size()) >= kMaxDepth) throw RtfError("The rich text is nested too deeply.");
        FlushText();
        stack_.push_back(st_);
        starred_ = false;
        groupStart_ = true;
        skipUnicode_ = 0;
    }

    void CloseGroup() {
        FlushText();
        starred_ = false;
        groupStart_ = false;
        skipUnicode_ = 0;
        if (stack_.empty()) return;  // an extra closing brace
        // The document's own group ends: its last paragraph keeps its format.
        if (stack_.size() == 1) {
            if (!para_.runs.empty()) EndParagraph();
            ended_ = true;  // whatever follows is not part of the document
        }
        const Dest leaving = st_.dest;
        if (leaving == Dest::FontTable && st_.fontNumber >= 0) StoreFontName();
        st_ = stack_.back();
        stack_.pop_back();
        // Paragraph properties set inside a group hold for the paragraph
        // being written when the group closes (word processors put \pn there).
        if (leaving == Dest::Pn && pnKind_ != ListKind::None) {
            st_.para.list = pnKind_;
            pnKind_ = ListKind::None;
        }
        if (leaving == Dest::ListText && st_.dest != Dest::ListText) {
            listTextKind_ = IsNumberLabel(listText_) ? ListKind::Number : ListKind::Bullet;
            if (st_.para.list != ListKind::None) st_.para.list = listTextKind_;
        }
    }

    // --- control words ------------------------------------------------------
    void Word(const std::string& w, bool hasParam, int p) {
        const bool first = groupStart_;
        groupStart_ = false;
        const bool starred = starred_;
        starred_ = false;
        skipUnicode_ = 0;  // a control word ends a \u's fallback text
        if (w == "bin") {
            // Binary data: skipped, never longer than what is left.
            FlushText();
            const size_t n = hasParam && p > 0 ? static_cast<size_t>(p) : 0;
            pos_ += std::min(n, in_.size() - pos_);
            return;
        }
        if (st_.dest == Dest::Skip || st_.dest == Dest::ListText) return;
        if (first && (w == "fonttbl")) return SetDest(Dest::FontTable);
        if (first && w == "listtext") {
            SetDest(Dest::ListText);
            listText_.clear();
            return;
        }
        if (first && w == "listtable") return SetDest(Dest::ListTable);
        if (first && w == "listoverridetable") return SetDest(Dest::ListOverrides);
        if (st_.dest == Dest::ListTable || st_.dest == Dest::ListOverrides) return ListWord(w, p);
        if (first && (w == "colortbl")) {
            SetDest(Dest::ColorTable);
            colors_.clear();
            colorEntry_ = {};
            return;
        }
        if (w == "pn" && first) {
            SetDest(Dest::Pn);
            pnKind_ = ListKind::None;
            return;
        }
        if (first && (starred || IsSkippedDestination(w))) {
            if (w == "pn") return;
            return SetDest(Dest::Skip);
        }
        if (st_.dest == Dest::Pn) {
            if (w == "pnlvlblt") pnKind_ = ListKind::Bullet;
            if (w == "pnlvlbody" || w == "pnlvl") pnKind_ = ListKind::Number;
            if (w == "pntxtb" || w == "pntxta") SetDest(Dest::Skip);
            return;
        }
        if (st_.dest == Dest::FontTable) {
            if (w == "f") {
                if (st_.fontNumber >= 0) StoreFontName();
                st_.fontNumber = p;
                fontName_.clear();
                fontCharset_ = -1;
                fontCpg_ = 0;
            }
            if (w == "fcharset") fontCharset_ = p;
            if (w == "cpg") fontCpg_ = p;
            return;
        }
        if (st_.dest == Dest::ColorTable) {
            const int v = std::clamp(p, 0, 255);
            if (w == "red") colorEntry_.r = v, colorEntry_.set = true;
            if (w == "green") colorEntry_.g = v, colorEntry_.set = true;
            if (w == "blue") colorEntry_.b = v, colorEntry_.set = true;
            return;
        }
        FormatWord(w, hasParam, p);
    }

    void FormatWord(const std::string& w, bool hasParam, int p) {
        CharFormat& c = st_.chr;
        ParaFormat& para = st_.para;
        const bool on = !hasParam || p != 0;
        // Text.
        if (w == "par" || w == "row" || w == "sect" || w == "page") return EndParagraph();
        if (w == "line") return Unicode(0x2028);
        if (w == "tab" || w == "cell" || w == "nestcell") return Unicode('\t');
        if (w == "u") {
            int v = p < 0 ? p + 65536 : p;
            Unicode(static_cast<char32_t>(std::clamp(v, 0, 0xFFFF)));
            skipUnicode_ = st_.uc;
            return;
        }
        if (w == "uc") {
            st_.uc = std::clamp(p, 0, 16);
            return;
        }
        static const std::pair<const char*, char32_t> symbols[] = {
            {"emdash", 0x2014}, {"endash", 0x2013}, {"lquote", 0x2018}, {"rquote", 0x2019},
            {"ldblquote", 0x201C}, {"rdblquote", 0x201D}, {"bullet", 0x2022}, {"emspace", 0x2003},
            {"enspace", 0x2002}, {"qmspace", 0x2005}};
        for (const auto& [name, ch] : symbols)
            if (w == name) return Unicode(ch);
        // Document.
        if (w == "deff") {
            defaultFont_ = p;
            return;
        }
        if (w == "ansicpg") {
            if (p > 0) documentCodePage_ = p;
            return;
        }
        if (w == "ansi") return;
        if (w == "mac" || w == "pc" || w == "pca") {
            documentCodePage_ = w == "mac" ? 10000 : w == "pc" ? 437 : 850;
            return;
        }
        // Character format.
        FlushText();
        if (w == "plain") {
            c = CharFormat{};
            c.font = FontName(defaultFont_);
            st_.font = -1;
            st_.hidden = false;
        } else if (w == "b") {
            c.bold = on;
        } else if (w == "i") {
            c.italic = on;
        } else if (w == "ul" || w == "uld" || w == "uldb" || w == "ulw" || w == "uldash" || w == "ulth" ||
                   w == "ulwave") {
            c.underline = on;
        } else if (w == "ulnone") {
            c.underline = false;
        } else if (w == "f") {
            c.font = FontName(p);
            st_.font = p;
        } else if (w == "fs") {
            c.halfPoints = hasParam ? std::clamp(p, 2, 3276) : 24;
        } else if (w == "cf") {
            c.color = p > 0 && p < static_cast<int>(colors_.size()) ? colors_[static_cast<size_t>(p)] : std::nullopt;
        } else if (w == "v") {
            st_.hidden = on;
        } else if (w == "super") {
            c.script = Script::Super;
        } else if (w == "sub") {
            c.script = Script::Sub;
        } else if (w == "nosupersub") {
            c.script = Script::Normal;
        } else if (w == "up" || w == "dn") {
            c.script = !hasParam || p > 0 ? (w == "up" ? Script::Super : Script::Sub) : Script::Normal;
        // Paragraph format.
        } else if (w == "pard") {
            para = ParaFormat{};
        } else if (w == "ql") {
            para.align = Align::Left;
        } else if (w == "qr") {
            para.align = Align::Right;
        } else if (w == "qc") {
            para.align = Align::Center;
        } else if (w == "qj") {
            para.align = Align::Justify;
        } else if (w == "fi") {
            para.firstTwips = Twips(p);
        } else if (w == "li" || w == "lin") {
            para.leftTwips = Twips(p);
        } else if (w == "ri" || w == "rin") {
            para.rightTwips = Twips(p);
        } else if (w == "sb") {
            para.spaceBeforeTwips = std::clamp(p, 0, 31680);
        } else if (w == "sa") {
            para.spaceAfterTwips = std::clamp(p, 0, 31680);
        } else if (w == "tx") {
            AddTabStop(para, std::clamp(p, 0, 31680));
        } else if (w == "ls") {
            // A list of the list table, as its label (\listtext) shows it,
            // else as the table says.
            para.list = ListOf(p);
        }
    }

    // The list table: each list's first level numbered or bulleted
    // (\levelnfc 23 a bullet, 255 no label), and which list each \ls names.
    void ListWord(const std::string& w, int p) {
        if (w == "list") {
            listNfc_ = -1;
        } else if ((w == "levelnfc" || w == "levelnfcn") && listNfc_ < 0) {
            listNfc_ = p;
        } else if (w == "listid" && st_.dest == Dest::ListTable) {
            if (static_cast<int>(lists_.size()) < kMaxLists)
                lists_[p] = listNfc_ == 23 || listNfc_ == 255 ? ListKind::Bullet : ListKind::Number;
        } else if (w == "listid") {
            overrideList_ = p;
        } else if (w == "ls" && static_cast<int>(overrides_.size()) < kMaxLists) {
            const auto it = lists_.find(overrideList_);
            if (it != lists_.end()) overrides_[p] = it->second;
        }
    }

    ListKind ListOf(int ls) const {
        if (ls <= 0) return ListKind::None;
        if (listTextKind_ != ListKind::None) return listTextKind_;
        const auto it = overrides_.find(ls);
        return it == overrides_.end() ? ListKind::Bullet : it->second;
    }

    // Indents beyond a large page are clamped (22 inches).
    static int Twips(int p) { return std::clamp(p, -31680, 31680); }

    static void AddTabStop(ParaFormat& para, int twips) {
        auto& tabs = para.tabStopsTwips;
        const auto at = std::lower_bound(tabs.begin(), tabs.end(), twips);
        if ((at == tabs.end() || *at != twips) && static_cast<int>(tabs.size()) < kMaxTabStops) tabs.insert(at, twips);
    }

    // A list label that counts ("1.", "a)", "iv.") rather than a bullet.
    static bool IsNumberLabel(const std::string& label) {
        std::string t = label;
        while (!t.empty() && (t.back() == '\t' || t.back() == ' ')) t.pop_back();
        if (t.find_first_of("0123456789") != std::string::npos) return true;
        if (t.size() < 2 || (t.back() != '.' && t.back() != ')')) return false;
        return std::all_of(t.begin(), t.end() - 1, [](char ch) { return IsAlpha(ch); });
    }

    void SetDest(Dest d) {
        FlushText();
        st_.dest = d;
    }

    // --- text -----------------------------------------------------------------
    // A byte of text: in the document, a character of its font's code page; in the
    // font table part of a name; in the colour table ';' ends an entry.
    void TextByte(unsigned char b, bool escaped = false) {
        groupStart_ = false;
        if (skipUnicode_ > 0) {
            --skipUnicode_;
            return;
        }
        switch (st_.dest) {
            case Dest::Skip: case Dest::Pn: case Dest::ListTable: case Dest::ListOverrides: return;
            case Dest::ListText:
                if (listText_.size() < 32) listText_ += static_cast<char>(b);
                return;
            case Dest::FontTable:
                if (b == ';' && !escaped) {
                    StoreFontName();
                } else if (fontName_.size() < 256) {
                    fontName_ += static_cast<char>(b);
                }
                return;
            case Dest::ColorTable:
                if (b == ';' && !escaped) {
                    if (static_cast<int>(colors_.size()) < kMaxColors)
                        colors_.push_back(colorEntry_.set ? std::optional<std::uint32_t>(
                                                                (static_cast<std::uint32_t>(colorEntry_.r) << 16) |
                                                                (static_cast<std::uint32_t>(colorEntry_.g) << 8) |
                                                                static_cast<std::uint32_t>(colorEntry_.b))
                                                          : std::nullopt);
                    colorEntry_ = {};
                }
                return;
            case Dest::Text: break;
        }
        if (st_.hidden) return;
        pendingBytes_ += static_cast<char>(b);
    }

    void Unicode(char32_t c) {
        groupStart_ = false;
        if (st_.dest != Dest::Text || st_.hidden) return;
        FlushBytes();
        // Symbol characters written as \u take the font's private-use codes.
        if (c >= 0xF020 && c <= 0xF0FF && TextCodePage() == kSymbolCodePage) c = SymbolFontCharacter(c - 0xF000);
        // A high surrogate waits for its low half.
        if (c >= 0xD800 && c <= 0xDBFF) {
            highSurrogate_ = c;
            return;
        }
        if (c >= 0xDC00 && c <= 0xDFFF) {
            if (!highSurrogate_) return;
            c = 0x10000 + ((highSurrogate_ - 0xD800) << 10) + (c - 0xDC00);
        }
        highSurrogate_ = 0;
        platform::AppendUtf8(pendingText_, c);
    }

    void FlushBytes() {
        if (pendingBytes_.empty()) return;
        pendingText_ += DecodeCodePage(pendingBytes_, TextCodePage());
        pendingBytes_.clear();
    }

    bool HasPendingText() const { return !pendingBytes_.empty() || !pendingText_.empty(); }

    // The text gathered so far becomes a run in the format it was written in.
    void FlushText() {
        FlushBytes();
        if (pendingText_.empty()) return;
        CharFormat f = st_.chr;
        // Symbol text is Unicode now: it shows in the document's font.
        if (f.font.empty() || TextCodePage() == kSymbolCodePage) f.font = FontName(defaultFont_);
        if (!para_.runs.empty() && para_.runs.back().format == f) {
            para_.runs.back().text += pendingText_;
        } else {
            para_.runs.push_back({std::move(pendingText_), f});
        }
        pendingText_.clear();
        para_.format = st_.para;
    }

    void EndParagraph() {
        FlushText();
        para_.format = st_.para;
        listTextKind_ = ListKind::None;
        doc_.paragraphs.push_back(std::move(para_));
        para_ = Paragraph{};
    }

    static std::string TrimmedName(std::string name) {
        while (!name.empty() && (name.back() == ' ' || name.back() == ';')) name.pop_back();
        while (!name.empty() && name.front() == ' ') name.erase(0, 1);
        return name;
    }

    void StoreFontName() {
        std::string name = TrimmedName(platform::Cp1252ToUtf8(fontName_));
        // A name in the font's own code page (a Cyrillic or Japanese face).
        const int codePage = FontCodePage(name, fontCharset_, fontCpg_, documentCodePage_);
        if (codePage != kSymbolCodePage && codePage != kAnsiCodePage) name = TrimmedName(DecodeCodePage(fontName_, codePage));
        if (st_.fontNumber >= 0 && (fonts_.count(st_.fontNumber) || static_cast<int>(fonts_.size()) < kMaxFonts))
            fonts_[st_.fontNumber] = {name, fontCharset_, fontCpg_};
        fontName_.clear();
        st_.fontNumber = -1;
    }

    std::string FontName(int n) const {
        const auto it = fonts_.find(n);
        return it == fonts_.end() ? std::string() : it->second.name;
    }

    // The code page of the text's font.
    int TextCodePage() const {
        const auto it = fonts_.find(st_.font < 0 ? defaultFont_ : st_.font);
        if (it == fonts_.end()) return documentCodePage_;
        return FontCodePage(it->second.name, it->second.charset, it->second.cpg, documentCodePage_);
    }

    std::string_view in_;
    size_t pos_ = 0;
    State st_;
    std::vector<State> stack_;
    bool starred_ = false, groupStart_ = false, ended_ = false;
    ListKind pnKind_ = ListKind::None;        // the \pn group being read
    ListKind listTextKind_ = ListKind::None;  // the paragraph's \listtext label
    std::string listText_;
    int listNfc_ = -1, overrideList_ = -1;  // the list table entry being read
    std::map<int, ListKind> lists_;          // by \listid
    std::map<int, ListKind> overrides_;      // by \ls
    int skipUnicode_ = 0;
    char32_t highSurrogate_ = 0;
    int defaultFont_ = 0;
    int documentCodePage_ = kAnsiCodePage;
    struct Font {
        std::string name;
        int charset = -1, cpg = 0;
    };
    std::map<int, Font> fonts_;
    std::string fontName_;
    int fontCharset_ = -1, fontCpg_ = 0;  // of the font table entry being read
    struct {
        int r = 0, g = 0, b = 0;
        bool set = false;
    } colorEntry_;
    std::vector<std::optional<std::uint32_t>> colors_;
    std::string pendingBytes_, pendingText_;
    Paragraph para_;
    Document doc_;
};

}  // namespace

Document Read(std::string_view bytes) { return Reader(bytes).Run(); }

}  // namespace rtf
