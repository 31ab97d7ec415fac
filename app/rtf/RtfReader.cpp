// The RTF reader. Structure: a scanner yields tokens (group open and close,
// control words with their parameter, control symbols, text bytes); a stack
// of group states carries the character and paragraph formats and the
// destination; the destination decides what text means (document text, a
// font name, a colour entry, or nothing).
#include <algorithm>
#include <cassert>
#include <climits>
#include <map>
#include <optional>
#include <tuple>
#include <set>

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

enum class Dest { Text, FontTable, ColorTable, Skip, Pn, ListText, ListTable, ListOverrides, LabelText };

// The part of a list label's description a LabelText destination holds.
enum class LabelPart { PnBefore, PnAfter, LevelText, LevelNumbers };

struct State {
    CharFormat chr;
    ParaFormat para;
    int fontNumber = -1;  // the font table entry being read
    int font = -1;        // \fN of the text; -1 the document's default
    Dest dest = Dest::Text;
    int uc = 1;           // characters to skip after \uN
    bool hidden = false;  // \v
    int ls = 0, ilvl = 0; // the paragraph's list override and level (\ls, \ilvl)
    LabelPart label = LabelPart::PnBefore;  // of a LabelText destination
};

// Starred destinations whose text is document text all the same.
bool IsReadDestination(const std::string& w) { return w == "fldrslt"; }

// A list level of the list table (\levelnfc, \levelstartat, \leveltext,
// \levelnorestart).
struct ListLevel {
    ListKind kind = ListKind::Number;
    NumberStyle style = NumberStyle::Decimal;
    int start = 1;
    std::string prefix, suffix = ".";  // the label's text around the number
    bool noRestart = false;             // goes on across the outer level's items
};

ListLevel LevelOfNfc(int nfc, int start) {
    ListLevel level;
    level.start = start;
    switch (nfc) {
        case 1: level.style = NumberStyle::UpperRoman; break;
        case 2: level.style = NumberStyle::LowerRoman; break;
        case 3: level.style = NumberStyle::UpperLetter; break;
        case 4: level.style = NumberStyle::LowerLetter; break;
        case 23: case 255: level.kind = ListKind::Bullet; break;
        default: break;
    }
    return level;
}

// Label text as UTF-8: a \u surrogate pair one character, a lone half none.
std::string Utf8(const std::u32string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF)
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        if (c < 0xD800 || c > 0xDFFF) platform::AppendUtf8(out, c);
    }
    return out;
}

// The text around a level's own number in its \leveltext (a length, then
// the label with \'0N where level N's number stands, as \levelnumbers
// places them): "(" and ")" of "(\'00)". Text before an outer level's
// number is not kept, a label holding one number here. None when the level
// shows no number of its own.
std::optional<std::pair<std::string, std::string>> LevelPunctuation(const std::u32string& text,
                                                                    const std::u32string& numbers, size_t level) {
    if (text.empty()) return std::nullopt;
    const std::u32string body = text.substr(1, std::min<size_t>(text[0], text.size() - 1));
    std::vector<bool> isNumber(body.size(), false);
    for (char32_t n : numbers)
        if (n >= 1 && n <= body.size() && body[n - 1] <= 8) isNumber[n - 1] = true;
    if (numbers.empty())
        for (size_t i = 0; i < body.size(); ++i) isNumber[i] = body[i] <= 8;
    size_t own = 0;
    while (own < body.size() && !(isNumber[own] && body[own] == level)) ++own;
    if (own == body.size()) return std::nullopt;
    const auto ownAt = isNumber.begin() + static_cast<std::ptrdiff_t>(own);
    const bool outerBefore = std::find(isNumber.begin(), ownAt, true) != ownAt;
    const size_t next = static_cast<size_t>(std::find(ownAt + 1, isNumber.end(), true) - isNumber.begin());
    return std::pair(outerBefore ? std::string() : Utf8(body.substr(0, own)), Utf8(body.substr(own + 1, next - own - 1)));
}

int RomanValue(char c) {
    switch (c) {
        case 'i': return 1; case 'v': return 5; case 'x': return 10; case 'l': return 50;
        case 'c': return 100; case 'd': return 500; case 'm': return 1000; default: return 0;
    }
}

// A list label's number in a style and the text around it: "(", "e", ")"
// of "(e)\t". None when it shows no number in that style.
struct LabelParts {
    std::string before, number, after;
};

std::optional<LabelParts> SplitLabel(std::string label, NumberStyle style) {
    while (!label.empty() && (label.back() == '\t' || label.back() == ' ')) label.pop_back();
    const bool upper = style == NumberStyle::UpperLetter || style == NumberStyle::UpperRoman;
    auto counts = [&](char c) {
        return style == NumberStyle::Decimal ? c >= '0' && c <= '9' : upper ? c >= 'A' && c <= 'Z' : c >= 'a' && c <= 'z';
    };
    const auto from = std::find_if(label.begin(), label.end(), counts);
    const auto to = std::find_if_not(from, label.end(), counts);
    if (from == to || to - from > 9) return std::nullopt;
    return LabelParts{std::string(label.begin(), from), std::string(from, to), std::string(to, label.end())};
}

// The number a list label ("5.", "(e)", "iv.") shows in a style; -1 when it
// shows none in that style.
int LabelNumber(const std::string& label, NumberStyle style) {
    const std::optional<LabelParts> parts = SplitLabel(label, style);
    if (!parts) return -1;
    std::string number = parts->number;
    if (style == NumberStyle::Decimal) return std::stoi(number);
    for (char& c : number) c = static_cast<char>(c | 0x20);
    if (style == NumberStyle::LowerLetter || style == NumberStyle::UpperLetter) {
        // Word's letters: a .. z, then aa, bb ...
        if (number.find_first_not_of(number[0]) != std::string::npos) return -1;
        return static_cast<int>(number.size() - 1) * 26 + (number[0] - 'a' + 1);
    }
    int value = 0;
    for (size_t i = 0; i < number.size(); ++i) {
        const int v = RomanValue(number[i]);
        if (!v) return -1;
        value += i + 1 < number.size() && v < RomanValue(number[i + 1]) ? -v : v;
    }
    return value > 0 && NumberText(NumberStyle::LowerRoman, value) == number ? value : -1;
}

// Destinations whose contents are not document text.
bool IsSkippedDestination(const std::string& w) {
    static const char* const names[] = {
        "info", "stylesheet", "pict", "object", "header", "headerl", "headerr", "headerf", "footer", "footerl",
        "footerr", "footerf", "footnote", "fldinst", "themedata", "colorschememapping", "latentstyles",
        "datastore", "xmlnstbl", "rsidtbl", "generator",
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
        doc_.unknownCodePages.assign(unknownCodePages_.begin(), unknownCodePages_.end());
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
            // In a \u's fallback a control word counts as one character.
            if (skipUnicode_ > 0) {
                --skipUnicode_;
                if (word == "bin") SkipBinary(hasParam, static_cast<int>(param));
                return;
            }
            Word(word, hasParam, static_cast<int>(param));
            return;
        }
        ++pos_;
        if (c == '\'') {
            // \'hh: two hex digits; a truncated one at the end of input is dropped.
            int value = 0, digits = 0;
            while (digits < 2 && pos_ < in_.size() && HexValue(in_[pos_]) >= 0) {
                value = value * 16 + HexValue(in_[pos_++]);
                ++digits;
            }
            if (digits == 2) TextByte(static_cast<unsigned char>(value), true);
            return;
        }
        if (skipUnicode_ > 0) {  // so does a control symbol
            --skipUnicode_;
            return;
        }
        switch (c) {
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
        if (leaving == Dest::Pn && st_.dest != Dest::Pn && pn_.kind != ListKind::None) {
            st_.para.list = pn_.kind;
            st_.para.numbering = pn_.style;
            st_.para.listStart = pn_.start;  // an \ls of the list table holds over it
            if (pn_.kind == ListKind::Number) {
                st_.para.numberPrefix = Utf8(pn_.before);
                st_.para.numberSuffix = Utf8(pn_.after);
            }
        }
    }

    // --- control words ------------------------------------------------------
    void Word(const std::string& w, bool hasParam, int p) {
        const bool first = groupStart_;
        groupStart_ = false;
        const bool starred = starred_;
        starred_ = false;
        if (w == "bin") return SkipBinary(hasParam, p);
        if (w == "u" && !hasParam) return;  // not a character: an unknown word
        if (w == "uc") {
            st_.uc = std::clamp(p, 0, 16);
            return;
        }
        if (st_.dest == Dest::Skip || st_.dest == Dest::ListText) return;
        if (st_.dest == Dest::LabelText) {
            if (w == "u") {
                LabelChar(UnicodeParameter(p));
                skipUnicode_ = st_.uc;
            }
            return;
        }
        if (first && (w == "fonttbl")) return SetDest(Dest::FontTable);
        if (first && (w == "listtext" || w == "pntext")) {
            SetDest(Dest::ListText);
            listText_.clear();
            return;
        }
        if (first && w == "listtable") return SetDest(Dest::ListTable);
        if (first && w == "listoverridetable") return SetDest(Dest::ListOverrides);
        if (st_.dest == Dest::ListTable || st_.dest == Dest::ListOverrides) return ListWord(w, first, p);
        if (first && (w == "colortbl")) {
            SetDest(Dest::ColorTable);
            colors_.clear();
            colorEntry_ = {};
            return;
        }
        if (w == "pn" && first) {
            SetDest(Dest::Pn);
            pn_ = {};
            return;
        }
        if (first && starred && IsReadDestination(w)) return;
        if (first && (starred || IsSkippedDestination(w))) return SetDest(Dest::Skip);
        if (st_.dest == Dest::Pn) return PnWord(w, p);
        if (st_.dest == Dest::FontTable) {
            if (w == "f") {
                if (st_.fontNumber >= 0) StoreFontName();
                st_.fontNumber = p;
                fontNameBytes_.clear();
                fontNameText_.clear();
                fontCharset_ = -1;
                fontCpg_ = 0;
            }
            if (w == "fcharset") fontCharset_ = p;
            if (w == "cpg") fontCpg_ = p;
            if (w == "u") {
                // A name character outside the font's code page; its fallback follows.
                FlushFontName();
                if (fontNameText_.size() < 256) platform::AppendUtf8(fontNameText_, UnicodeParameter(p));
                skipUnicode_ = st_.uc;
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
            Unicode(UnicodeParameter(p));
            skipUnicode_ = st_.uc;
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
            c.charset = FontCharset(defaultFont_);
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
            c.charset = FontCharset(p);
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
            st_.ls = st_.ilvl = 0;
            tab_ = {};
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
        } else if (w == "tqr" || w == "tqc" || w == "tqdec") {
            tab_.kind = w == "tqr" ? TabKind::Right : w == "tqc" ? TabKind::Center : TabKind::Decimal;
        } else if (w == "tldot" || w == "tlmdot" || w == "tlhyph" || w == "tlul" || w == "tlth" || w == "tleq") {
            tab_.leader = w == "tlhyph" ? TabLeader::Hyphens
                          : w == "tlul" ? TabLeader::Underline
                          : w == "tlth" ? TabLeader::ThickLine
                          : w == "tleq" ? TabLeader::Equals
                                        : TabLeader::Dots;
        } else if (w == "tx") {
            tab_.twips = std::clamp(p, 0, 31680);
            AddTabStop(para, tab_);
            tab_ = {};
        } else if (w == "tb") {
            tab_ = {};  // a bar, not a stop
        } else if (w == "ls") {
            // Which list is settled when the paragraph ends (its label may follow).
            st_.ls = std::max(p, 0);
            para.list = st_.ls > 0 ? ListKind::Bullet : ListKind::None;
        } else if (w == "ilvl") {
            st_.ilvl = std::clamp(p, 0, 8);
        }
    }

    // WordPad's and Word 95's lists: a \pn group for the paragraph.
    void PnWord(const std::string& w, int p) {
        if (w == "pnlvlblt") pn_.kind = ListKind::Bullet;
        if (w == "pnlvlbody" || w == "pnlvl") pn_.kind = ListKind::Number;
        if (w == "pndec" || w == "pncard" || w == "pnord" || w == "pnordt") pn_.style = NumberStyle::Decimal;
        if (w == "pnucltr") pn_.style = NumberStyle::UpperLetter;
        if (w == "pnlcltr") pn_.style = NumberStyle::LowerLetter;
        if (w == "pnucrm") pn_.style = NumberStyle::UpperRoman;
        if (w == "pnlcrm") pn_.style = NumberStyle::LowerRoman;
        if (w == "pnstart") pn_.start = std::clamp(p, 0, 32767);
        if (w == "pntxtb" || w == "pntxta") {
            SetDest(Dest::LabelText);
            st_.label = w == "pntxtb" ? LabelPart::PnBefore : LabelPart::PnAfter;
            LabelTarget().clear();
        }
    }

    void SkipBinary(bool hasParam, int p) {
        // Binary data: skipped, never longer than what is left.
        FlushText();
        const size_t n = hasParam && p > 0 ? static_cast<size_t>(p) : 0;
        pos_ += std::min(n, in_.size() - pos_);
    }

    static char32_t UnicodeParameter(int p) {
        const int v = p < 0 ? p + 65536 : p;
        return static_cast<char32_t>(std::clamp(v, 0, 0xFFFF));
    }

    // The list table: each list's levels (\levelnfc 23 a bullet, 255 no
    // label; \levelstartat), and which list each \ls names, with the start
    // values its override sets.
    void ListWord(const std::string& w, bool first, int p) {
        const bool table = st_.dest == Dest::ListTable;
        // The level being read, none past the ninth.
        RawLevel* level = table && levelsSeen_ == levels_.size() && !levels_.empty() ? &levels_.back() : nullptr;
        if (w == "list" || w == "listoverride") {
            levels_.clear();
            levelsSeen_ = 0;
            overrideStarts_.clear();
            overrideList_ = -1;
        } else if (w == "listlevel") {
            ++levelsSeen_;
            if (levels_.size() < 9) levels_.push_back({});
        } else if (first && level && (w == "leveltext" || w == "levelnumbers")) {
            SetDest(Dest::LabelText);
            st_.label = w == "leveltext" ? LabelPart::LevelText : LabelPart::LevelNumbers;
            LabelTarget().clear();
            levelTextEnded_ = false;
        } else if (w == "levelnorestart" && level) {
            level->noRestart = p != 0;
        } else if (w == "lfolevel" && overrideStarts_.size() < 9) {
            overrideStarts_.push_back(-1);
        } else if ((w == "levelnfc" || w == "levelnfcn") && table && !levels_.empty() && levels_.back().nfc < 0) {
            levels_.back().nfc = p;
        } else if (w == "levelstartat" && table && !levels_.empty()) {
            levels_.back().start = std::clamp(p, 0, 32767);
        } else if (w == "levelstartat" && !table && !overrideStarts_.empty()) {
            overrideStarts_.back() = std::clamp(p, 0, 32767);
        } else if (w == "listid" && table) {
            if (static_cast<int>(lists_.size()) < kMaxLists) {
                std::vector<ListLevel>& list = lists_[p];
                list.clear();
                for (size_t i = 0; i < levels_.size(); ++i) {
                    const RawLevel& l = levels_[i];
                    ListLevel level = LevelOfNfc(l.nfc, l.start);
                    if (const auto punctuation = LevelPunctuation(l.text, l.numbers, i))
                        std::tie(level.prefix, level.suffix) = *punctuation;
                    level.noRestart = l.noRestart;
                    list.push_back(std::move(level));
                }
            }
        } else if (w == "listid") {
            overrideList_ = p;
        } else if (w == "ls" && !table && static_cast<int>(overrides_.size()) < kMaxLists) {
            const auto it = lists_.find(overrideList_);
            if (it == lists_.end()) return;
            std::vector<ListLevel> list = it->second;
            for (size_t i = 0; i < overrideStarts_.size() && i < list.size(); ++i)
                if (overrideStarts_[i] >= 0) list[i].start = overrideStarts_[i];
            overrides_[p] = std::move(list);
        }
    }

    // The level an \ls and \ilvl name; none when the table has no such level.
    const ListLevel* LevelOf(int ls, int ilvl) const {
        const auto it = overrides_.find(ls);
        if (it == overrides_.end() || it->second.empty()) return nullptr;
        return &it->second[std::min<size_t>(static_cast<size_t>(ilvl), it->second.size() - 1)];
    }

    int NewListId() { return ++listCount_; }

    // The paragraph's list: its kind and style from the list table (\ls) or
    // its \pn group; the paragraphs of one \ls and level make one list
    // however far apart; a \pn paragraph goes on with the last \pn list when
    // its label shows the next number (without a label: when it follows it
    // directly), else starts a new one at the number its label shows.
    void SettleList(ParaFormat& f) {
        const std::string label = listText_;
        const bool hasLabel = !label.empty();
        const ListLevel* level = st_.ls > 0 ? LevelOf(st_.ls, st_.ilvl) : nullptr;
        const int previous = previousListId_;
        previousListId_ = 0;
        if (f.list == ListKind::None) return;
        if (level) {
            // As the label shows it, else as the table says.
            f.list = hasLabel ? (IsNumberLabel(label) ? ListKind::Number : ListKind::Bullet) : level->kind;
            f.numbering = level->style;
            f.numberPrefix = level->prefix;
            f.numberSuffix = level->suffix;
            // An item of a level starts the deeper levels' numbering anew.
            for (int deeper = st_.ilvl + 1; deeper < 9; ++deeper) {
                const ListLevel* inner = LevelOf(st_.ls, deeper);
                if (inner && !inner->noRestart) lsLists_.erase(static_cast<long long>(st_.ls) * 16 + deeper);
            }
            const long long key = static_cast<long long>(st_.ls) * 16 + st_.ilvl;
            auto it = lsLists_.find(key);
            if (it == lsLists_.end() && static_cast<int>(lsLists_.size()) < kMaxLists)
                it = lsLists_.emplace(key, std::pair(NewListId(), level->start)).first;
            f.listId = it != lsLists_.end() ? it->second.first : NewListId();
            f.listStart = it != lsLists_.end() ? it->second.second : level->start;
        } else {
            if (st_.ls > 0) {  // a list the table does not describe: as its label shows
                f.list = hasLabel && IsNumberLabel(label) ? ListKind::Number : ListKind::Bullet;
                f.numbering = GuessedStyle(label);
            }
            int shown = hasLabel ? LabelNumber(label, f.numbering) : -1;
            if (hasLabel && shown < 0 && f.list == ListKind::Number) {
                f.numbering = GuessedStyle(label);
                shown = LabelNumber(label, f.numbering);
            }
            // The label's own text around its number, as shown, holds over the \pn group's.
            if (shown >= 0 && f.list == ListKind::Number) {
                const std::optional<LabelParts> parts = SplitLabel(label, f.numbering);
                f.numberPrefix = Decode(parts->before, documentCodePage_);
                f.numberSuffix = Decode(parts->after, documentCodePage_);
            }
            const bool goesOn = pnList_.id && pnList_.kind == f.list &&
                                (f.list == ListKind::Bullet ? previous == pnList_.id
                                 : pnList_.style != f.numbering || pnList_.prefix != f.numberPrefix ||
                                         pnList_.suffix != f.numberSuffix
                                     ? false
                                 : shown >= 0 ? shown == pnList_.next
                                              : previous == pnList_.id);
            if (!goesOn)
                pnList_ = {NewListId(), f.list, f.numbering, shown >= 0 ? shown : f.listStart, 0, f.numberPrefix,
                           f.numberSuffix};
            if (!goesOn) pnList_.next = pnList_.start;
            f.listId = pnList_.id;
            f.listStart = pnList_.start;
            ++pnList_.next;
        }
        previousListId_ = f.listId;
    }

    // The numbering a label without a table entry or \pn style shows.
    static NumberStyle GuessedStyle(const std::string& label) {
        for (NumberStyle s : {NumberStyle::Decimal, NumberStyle::LowerRoman, NumberStyle::UpperRoman,
                              NumberStyle::LowerLetter, NumberStyle::UpperLetter})
            if (LabelNumber(label, s) >= 0) return s;
        return NumberStyle::Decimal;
    }

    // Indents beyond a large page are clamped (22 inches).
    static int Twips(int p) { return std::clamp(p, -31680, 31680); }

    static void AddTabStop(ParaFormat& para, const TabStop& tab) {
        auto& tabs = para.tabStops;
        const auto at = std::lower_bound(tabs.begin(), tabs.end(), tab.twips,
                                         [](const TabStop& t, int twips) { return t.twips < twips; });
        if (at != tabs.end() && at->twips == tab.twips) {
            *at = tab;  // the last word on a position holds
        } else if (static_cast<int>(tabs.size()) < kMaxTabStops) {
            tabs.insert(at, tab);
        }
    }

    // A list label that counts ("1.", "a)", "(iv)", "iii") rather than a
    // bullet (a lone character: "o", "-").
    static bool IsNumberLabel(const std::string& label) {
        std::string t = label;
        while (!t.empty() && (t.back() == '\t' || t.back() == ' ')) t.pop_back();
        if (t.find_first_of("0123456789") != std::string::npos) return true;
        const auto letters = std::find_if(t.begin(), t.end(), [](char ch) { return IsAlpha(ch); });
        return letters != t.end() && t.size() >= 2;
    }

    // The buffer of the label text being read.
    std::u32string& LabelTarget() {
        switch (st_.label) {
            case LabelPart::PnBefore: return pn_.before;
            case LabelPart::PnAfter: return pn_.after;
            case LabelPart::LevelText: assert(!levels_.empty()); return levels_.back().text;
            case LabelPart::LevelNumbers: break;
        }
        assert(!levels_.empty());
        return levels_.back().numbers;
    }

    // Label texts are short: a \pn text up to 32 characters, a level's text
    // up to 64 with its length and numbers.
    void LabelChar(char32_t c) {
        std::u32string& t = LabelTarget();
        const bool pn = st_.label == LabelPart::PnBefore || st_.label == LabelPart::PnAfter;
        if (t.size() < (pn ? 32u : 64u) && !(st_.label == LabelPart::LevelText && levelTextEnded_)) t += c;
    }

    // A byte of a label text: \levelnumbers' positions and \leveltext's
    // length and number places are values; the rest is text of the
    // document's code page, \leveltext ending at a ';'.
    void LabelByte(unsigned char b, bool escaped) {
        const bool levelText = st_.label == LabelPart::LevelText;
        if (levelText && b == ';' && !escaped) levelTextEnded_ = true;
        if (((levelText && levelTextEnded_) || st_.label == LabelPart::LevelNumbers) && b == ';' && !escaped) return;
        if (b < 0x80 || st_.label == LabelPart::LevelNumbers || (levelText && LabelTarget().empty()))
            return LabelChar(b);
        const std::string decoded = Decode(std::string(1, static_cast<char>(b)), documentCodePage_);
        if (!decoded.empty()) LabelChar(FirstCodePoint(decoded));
    }

    // The first character of valid UTF-8 text (a byte's character in its code page).
    static char32_t FirstCodePoint(const std::string& utf8) {
        const auto lead = static_cast<unsigned char>(utf8[0]);
        const size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        char32_t c = length == 1 ? lead : lead & (0x7F >> length);
        for (size_t i = 1; i < length && i < utf8.size(); ++i) c = (c << 6) | (static_cast<unsigned char>(utf8[i]) & 0x3F);
        return c;
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
            case Dest::LabelText: return LabelByte(b, escaped);
            case Dest::FontTable:
                if (b == ';' && !escaped) {
                    StoreFontName();
                } else if (fontNameBytes_.size() < 256) {
                    fontNameBytes_ += static_cast<char>(b);
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
        pendingText_ += Decode(pendingBytes_, TextCodePage());
        pendingBytes_.clear();
    }

    std::string Decode(std::string_view bytes, int codePage) {
        bool known = true;
        std::string text = DecodeCodePage(bytes, codePage, known);
        if (!known) unknownCodePages_.insert(codePage);
        return text;
    }

    bool HasPendingText() const { return !pendingBytes_.empty() || !pendingText_.empty(); }

    // The text gathered so far becomes a run in the format it was written in.
    void FlushText() {
        FlushBytes();
        if (pendingText_.empty()) return;
        CharFormat f = st_.chr;
        // Symbol text is Unicode now: it shows in the document's font.
        if (f.font.empty() || TextCodePage() == kSymbolCodePage) {
            f.font = FontName(defaultFont_);
            f.charset = FontCharset(defaultFont_);
        }
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
        SettleList(para_.format);
        listText_.clear();
        doc_.paragraphs.push_back(std::move(para_));
        para_ = Paragraph{};
    }

    static std::string TrimmedName(std::string name) {
        while (!name.empty() && (name.back() == ' ' || name.back() == ';')) name.pop_back();
        while (!name.empty() && name.front() == ' ') name.erase(0, 1);
        return name;
    }

    // The name's bytes so far, in the font's own code page (a Cyrillic or
    // Japanese face).
    void FlushFontName() {
        if (fontNameBytes_.empty()) return;
        fontNameText_ += Decode(fontNameBytes_, FontCodePage("", fontCharset_, fontCpg_, documentCodePage_));
        fontNameBytes_.clear();
    }

    void StoreFontName() {
        FlushFontName();
        const std::string name = TrimmedName(fontNameText_);
        if (st_.fontNumber >= 0 && (fonts_.count(st_.fontNumber) || static_cast<int>(fonts_.size()) < kMaxFonts))
            fonts_[st_.fontNumber] = {name, fontCharset_, fontCpg_};
        fontNameText_.clear();
        st_.fontNumber = -1;
    }

    std::string FontName(int n) const {
        const auto it = fonts_.find(n);
        return it == fonts_.end() ? std::string() : it->second.name;
    }

    int FontCharset(int n) const {
        const auto it = fonts_.find(n);
        return it == fonts_.end() ? -1 : it->second.charset;
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
    struct {
        ListKind kind = ListKind::None;
        NumberStyle style = NumberStyle::Decimal;
        int start = 1;
        std::u32string before, after;  // \pntxtb, \pntxta
    } pn_;                  // the \pn group being read
    std::string listText_;  // the paragraph's label (\listtext, \pntext)
    struct RawLevel {
        int nfc = -1, start = 1;
        std::u32string text, numbers;  // \leveltext, \levelnumbers
        bool noRestart = false;
    };
    std::vector<RawLevel> levels_;                     // of the list table entry being read
    size_t levelsSeen_ = 0;                            // \listlevel groups of that entry
    bool levelTextEnded_ = false;                      // the \leveltext's ';' read
    std::vector<int> overrideStarts_;                  // of the override being read
    int overrideList_ = -1;
    std::map<int, std::vector<ListLevel>> lists_;      // by \listid
    std::map<int, std::vector<ListLevel>> overrides_;  // by \ls
    std::map<long long, std::pair<int, int>> lsLists_;  // by \ls and level: list id, start
    struct {
        int id = 0;
        ListKind kind = ListKind::None;
        NumberStyle style = NumberStyle::Decimal;
        int start = 1, next = 1;
        std::string prefix, suffix;
    } pnList_;                // the last \pn list
    int previousListId_ = 0;  // the list of the paragraph before; 0 none
    int listCount_ = 0;
    TabStop tab_;             // the kind and leader of the next \tx
    std::set<int> unknownCodePages_;
    int skipUnicode_ = 0;
    char32_t highSurrogate_ = 0;
    int defaultFont_ = 0;
    int documentCodePage_ = kAnsiCodePage;
    struct Font {
        std::string name;
        int charset = -1, cpg = 0;
    };
    std::map<int, Font> fonts_;
    std::string fontNameBytes_, fontNameText_;
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
