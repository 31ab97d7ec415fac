// The RTF reader. Structure: a scanner yields tokens (group open and close,
// control words with their parameter, control symbols, text bytes); a stack
// of group states carries the character and paragraph formats and the
// destination; the destination decides what text means (document text, a
// font name, a colour entry, or nothing).
#include <algorithm>
#include <cassert>
#include <climits>
#include <map>

#include "app/rtf/Rtf.h"
#include "platform/runtime/Codepage.h"

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

enum class Dest { Text, FontTable, ColorTable, Skip, Pn };

struct State {
    CharFormat chr;
    ParaFormat para;
    int fontNumber = -1;  // \fN in effect (font table lookups)
    Dest dest = Dest::Text;
    int uc = 1;           // bytes to skip after \uN
    bool hidden = false;  // \v
};

// Destinations whose contents are not document text.
bool IsSkippedDestination(const std::string& w) {
    static const char* const names[] = {
        "info", "stylesheet", "pict", "object", "header", "headerl", "headerr", "headerf", "footer", "footerl",
        "footerr", "footerf", "footnote", "fldinst", "themedata", "colorschememapping", "latentstyles",
        "datastore", "xmlnstbl", "listtable", "listoverridetable", "rsidtbl", "generator", "pntext", "listtext",
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
        if (leaving == Dest::Pn && pnBullet_) {
            st_.para.bullet = true;
            pnBullet_ = false;
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
        if (st_.dest == Dest::Skip) return;
        if (first && (w == "fonttbl")) return SetDest(Dest::FontTable);
        if (first && (w == "colortbl")) {
            SetDest(Dest::ColorTable);
            colors_.clear();
            colorEntry_ = {};
            return;
        }
        if (w == "pn" && first) {
            SetDest(Dest::Pn);
            pnBullet_ = false;
            return;
        }
        if (first && (starred || IsSkippedDestination(w))) {
            if (w == "pn") return;
            return SetDest(Dest::Skip);
        }
        if (st_.dest == Dest::Pn) {
            if (w == "pnlvlblt") pnBullet_ = true;
            if (w == "pntxtb" || w == "pntxta") SetDest(Dest::Skip);
            return;
        }
        if (st_.dest == Dest::FontTable) {
            if (w == "f") {
                if (st_.fontNumber >= 0) StoreFontName();
                st_.fontNumber = p;
                fontName_.clear();
            }
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
        if (w == "ansicpg" || w == "ansi") return;
        // Character format.
        FlushText();
        if (w == "plain") {
            c = CharFormat{};
            c.font = FontName(defaultFont_);
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
        } else if (w == "fs") {
            c.halfPoints = hasParam ? std::clamp(p, 2, 3276) : 24;
        } else if (w == "cf") {
            c.color = p > 0 && p < static_cast<int>(colors_.size()) ? colors_[static_cast<size_t>(p)] : std::nullopt;
        } else if (w == "v") {
            st_.hidden = on;
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
        } else if (w == "ls") {
            para.bullet = p > 0;  // a list of the list table: shown as bullets
        }
    }

    // Indents beyond a large page are clamped (22 inches).
    static int Twips(int p) { return std::clamp(p, -31680, 31680); }

    void SetDest(Dest d) {
        FlushText();
        st_.dest = d;
    }

    // --- text -----------------------------------------------------------------
    // A byte of text: in the document, a code page 1252 character; in the
    // font table part of a name; in the colour table ';' ends an entry.
    void TextByte(unsigned char b, bool escaped = false) {
        groupStart_ = false;
        if (skipUnicode_ > 0) {
            --skipUnicode_;
            return;
        }
        switch (st_.dest) {
            case Dest::Skip: case Dest::Pn: return;
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
        pendingText_ += platform::Cp1252ToUtf8(pendingBytes_);
        pendingBytes_.clear();
    }

    bool HasPendingText() const { return !pendingBytes_.empty() || !pendingText_.empty(); }

    // The text gathered so far becomes a run in the format it was written in.
    void FlushText() {
        FlushBytes();
        if (pendingText_.empty()) return;
        CharFormat f = st_.chr;
        if (f.font.empty()) f.font = FontName(defaultFont_);
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
        doc_.paragraphs.push_back(std::move(para_));
        para_ = Paragraph{};
    }

    void StoreFontName() {
        std::string name = platform::Cp1252ToUtf8(fontName_);
        while (!name.empty() && (name.back() == ' ' || name.back() == ';')) name.pop_back();
        while (!name.empty() && name.front() == ' ') name.erase(0, 1);
        if (st_.fontNumber >= 0 && (fonts_.count(st_.fontNumber) || static_cast<int>(fonts_.size()) < kMaxFonts))
            fonts_[st_.fontNumber] = name;
        fontName_.clear();
        st_.fontNumber = -1;
    }

    std::string FontName(int n) const {
        const auto it = fonts_.find(n);
        return it == fonts_.end() ? std::string() : it->second;
    }

    std::string_view in_;
    size_t pos_ = 0;
    State st_;
    std::vector<State> stack_;
    bool starred_ = false, groupStart_ = false, pnBullet_ = false, ended_ = false;
    int skipUnicode_ = 0;
    char32_t highSurrogate_ = 0;
    int defaultFont_ = 0;
    std::map<int, std::string> fonts_;
    std::string fontName_;
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
