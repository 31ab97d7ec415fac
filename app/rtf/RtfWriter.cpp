// The RTF writer: font, colour and list tables gathered from the runs and
// paragraphs, then one \pard per paragraph and a full character format per
// run. Lists are written twice over, as Word and WordPad write them: the
// list table with an \ls per paragraph, and a \pn group with the label for
// readers without list tables.
#include <QList>
#include <QString>
#include <algorithm>
#include <cstdio>
#include <map>

#include "app/rtf/FontCharset.h"
#include "app/rtf/Rtf.h"
#include "platform/core/codepage/WindowsCodePage.h"
#include "platform/core/runtime/Codepage.h"

namespace rtf {

namespace {

template <typename T>
int IndexOf(std::vector<T>& list, const T& value) {
    auto it = std::find(list.begin(), list.end(), value);
    if (it != list.end()) return static_cast<int>(it - list.begin());
    list.push_back(value);
    return static_cast<int>(list.size()) - 1;
}

// A character as the \'hh bytes of its code page; false when the page has
// none for it, or more than one byte where one must stand (a \u's fallback
// is one character).
bool AppendBytes(std::string& out, char32_t c, int codePage, bool oneByte) {
    std::string bytes;
    if (codePage == kAnsiCodePage) {
        unsigned char b = 0;
        if (!platform::CodePointToCp1252(c, b)) return false;
        bytes.assign(1, static_cast<char>(b));
    } else if (codePage == kSymbolCodePage) {
        return false;  // the Symbol font's bytes are other characters
    } else {
        std::optional<std::string> encoded = platform::EncodeCodePage(QString::fromUcs4(&c, 1).toStdString(), codePage);
        if (!encoded || encoded->empty() || (oneByte && encoded->size() != 1)) return false;
        bytes = std::move(*encoded);
    }
    for (unsigned char b : bytes) {
        char buf[8];
        std::snprintf(buf, sizeof buf, "\\'%02x", b);
        out += buf;
    }
    return true;
}

// Text escaped for RTF. Characters of code page 1252 in a 1252 font as \'hh;
// the rest (control characters too) as \uN with a fallback for readers
// that do not know \u: the character's byte in the font's code page, else
// '?', written \'3f as Word writes it (some readers take a plain '?' and
// the word after it as one). Font names (inText false) are written in their
// code page wherever it holds them.
std::string Escape(const std::string& utf8, int codePage, bool inText = true) {
    std::string out;
    const QString text = QString::fromStdString(utf8);
    for (char32_t c : text.toUcs4()) {
        if (c == '\\' || c == '{' || c == '}') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (inText && c == '\t') {
            out += "\\tab ";
        } else if (inText && (c == 0x2028 || c == '\n')) {
            out += "\\line ";
        } else if (c == ';' && !inText) {
            out += "\\'3b";  // ';' ends a font name
        } else if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else if (c >= 0x80 && (codePage == kAnsiCodePage || !inText) && AppendBytes(out, c, codePage, inText)) {
        } else {
            const QString units = QString::fromUcs4(&c, 1);
            char buf[24];
            for (QChar u : units) {
                std::snprintf(buf, sizeof buf, "\\u%d", static_cast<int>(static_cast<short>(u.unicode())));
                out += buf;
                if (units.size() > 1 || c < 0x80 || !AppendBytes(out, c, codePage, true)) out += "\\'3f";
            }
        }
    }
    return out;
}

struct Font {
    std::string name;
    int charset = -1;  // as written; -1 for a Western name read without one
    bool operator==(const Font&) const = default;
};

// The set each font is written with, by name and set read.
using WrittenCharsets = std::map<std::pair<std::string, int>, int>;

// A run's font as written: the symbol faces in set 2, a name in the code
// page of its set.
Font WrittenFont(const CharFormat& c, WrittenCharsets& known) {
    const auto key = std::pair(c.font, c.charset);
    auto it = known.find(key);
    if (it == known.end()) it = known.emplace(key, WrittenCharset(c.font, c.charset)).first;
    // A Western name read without a set stays without one.
    return {c.font, c.charset < 0 && it->second == 0 ? -1 : it->second};
}

const char* NumberWord(NumberStyle s) {
    switch (s) {
        case NumberStyle::LowerLetter: return "\\pnlcltr";
        case NumberStyle::UpperLetter: return "\\pnucltr";
        case NumberStyle::LowerRoman: return "\\pnlcrm";
        case NumberStyle::UpperRoman: return "\\pnucrm";
        case NumberStyle::Decimal: break;
    }
    return "\\pndec";
}

int LevelNfc(ListKind k, NumberStyle s) {
    if (k == ListKind::Bullet) return 23;
    switch (s) {
        case NumberStyle::UpperRoman: return 1;
        case NumberStyle::LowerRoman: return 2;
        case NumberStyle::UpperLetter: return 3;
        case NumberStyle::LowerLetter: return 4;
        case NumberStyle::Decimal: break;
    }
    return 0;
}

const char* TabWords(const TabStop& t) {
    switch (t.kind) {
        case TabKind::Center: return "\\tqc";
        case TabKind::Right: return "\\tqr";
        case TabKind::Decimal: return "\\tqdec";
        case TabKind::Left: break;
    }
    return "";
}

const char* LeaderWord(TabLeader l) {
    switch (l) {
        case TabLeader::Dots: return "\\tldot";
        case TabLeader::Hyphens: return "\\tlhyph";
        case TabLeader::Underline: return "\\tlul";
        case TabLeader::ThickLine: return "\\tlth";
        case TabLeader::Equals: return "\\tleq";
        case TabLeader::None: break;
    }
    return "";
}

// The lists of a document, numbered 1, 2 ... in order of first appearance;
// a paragraph without a list id takes the run of list paragraphs of its kind.
struct WrittenList {
    ListKind kind;
    ParaFormat numbering;  // its style, start and label text
};

bool SameNumbering(const ParaFormat& a, const ParaFormat& b) {
    return a.numbering == b.numbering && a.numberPrefix == b.numberPrefix && a.numberSuffix == b.numberSuffix;
}

// A list level's \leveltext and \levelnumbers: the label's length, its text
// with the level's number as \'00 between, and where that number stands.
// The length is a byte: text beyond 100 units each side is not written.
std::string LevelText(const ParaFormat& f) {
    const QString prefix = QString::fromStdString(f.numberPrefix).left(100),
                  suffix = QString::fromStdString(f.numberSuffix).left(100);
    const qsizetype before = prefix.size(), length = before + 1 + suffix.size();
    char buf[64];
    std::snprintf(buf, sizeof buf, "{\\leveltext\\'%02x", static_cast<unsigned>(length));
    std::string out = buf;
    out += Escape(prefix.toStdString(), kAnsiCodePage, false) + "\\'00" + Escape(suffix.toStdString(), kAnsiCodePage, false);
    std::snprintf(buf, sizeof buf, ";}{\\levelnumbers\\'%02x;}", static_cast<unsigned>(before + 1));
    return out + buf;
}

std::vector<int> ListNumbers(const Document& doc, std::vector<WrittenList>& lists) {
    std::vector<int> numbers(doc.paragraphs.size(), 0);
    std::map<int, int> byId;  // the paragraph's list id -> written list
    int previous = -1;        // the written list of the paragraph before
    for (size_t i = 0; i < doc.paragraphs.size(); ++i) {
        const ParaFormat& f = doc.paragraphs[i].format;
        if (f.list == ListKind::None) {
            previous = -1;
            continue;
        }
        int n = -1;
        if (f.listId > 0) {
            const auto it = byId.find(f.listId);
            if (it != byId.end()) n = it->second;
        } else if (previous >= 0 && lists[static_cast<size_t>(previous)].kind == f.list &&
                   SameNumbering(lists[static_cast<size_t>(previous)].numbering, f)) {
            n = previous;
        }
        if (n < 0) {
            lists.push_back({f.list, f});
            n = static_cast<int>(lists.size()) - 1;
            if (f.listId > 0) byId[f.listId] = n;
        }
        numbers[i] = n + 1;
        previous = n;
    }
    return numbers;
}

}  // namespace

std::string Write(const Document& doc) {
    WrittenCharsets charsets;
    std::vector<Font> fonts;
    std::vector<std::uint32_t> colors;
    for (const Paragraph& p : doc.paragraphs)
        for (const Run& r : p.runs) {
            IndexOf(fonts, WrittenFont(r.format, charsets));
            if (r.format.color) IndexOf(colors, *r.format.color);
        }
    if (fonts.empty()) fonts.push_back({});
    std::vector<WrittenList> lists;
    const std::vector<int> listOf = ListNumbers(doc, lists);

    std::string out = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl";
    for (size_t i = 0; i < fonts.size(); ++i) {
        const Font& f = fonts[i];
        out += "{\\f" + std::to_string(i) + "\\fnil";
        if (f.charset >= 0) out += "\\fcharset" + std::to_string(f.charset);
        const int codePage = f.charset >= 0 && CharsetCodePage(f.charset) ? CharsetCodePage(f.charset) : kAnsiCodePage;
        out += " " + Escape(f.name, codePage, false) + ";}";
    }
    out += "}\r\n{\\colortbl ;";
    for (std::uint32_t c : colors)
        out += "\\red" + std::to_string((c >> 16) & 0xFF) + "\\green" + std::to_string((c >> 8) & 0xFF) + "\\blue" +
               std::to_string(c & 0xFF) + ";";
    out += "}\r\n";
    if (!lists.empty()) {
        out += "{\\*\\listtable";
        for (size_t i = 0; i < lists.size(); ++i) {
            const WrittenList& l = lists[i];
            const std::string id = std::to_string(i + 1),
                              nfc = std::to_string(LevelNfc(l.kind, l.numbering.numbering));
            out += "{\\list\\listtemplateid" + id + "\\listsimple{\\listlevel\\levelnfc" + nfc + "\\levelnfcn" + nfc +
                   "\\leveljc0\\levelstartat" + std::to_string(l.numbering.listStart) +
                   (l.kind == ListKind::Bullet ? "{\\leveltext\\'01\\'95;}{\\levelnumbers;}" : LevelText(l.numbering)) +
                   "}\\listid" + id + "}";
        }
        out += "}\r\n{\\*\\listoverridetable";
        for (size_t i = 0; i < lists.size(); ++i)
            out += "{\\listoverride\\listid" + std::to_string(i + 1) + "\\listoverridecount0\\ls" +
                   std::to_string(i + 1) + "}";
        out += "}\r\n";
    }
    out += "\\viewkind4\\uc1";

    std::vector<int> counted(lists.size(), 0);  // paragraphs of each list so far
    for (size_t i = 0; i < doc.paragraphs.size(); ++i) {
        const Paragraph& p = doc.paragraphs[i];
        const ParaFormat& f = p.format;
        out += "\\pard";
        if (listOf[i] > 0) {
            const size_t l = static_cast<size_t>(listOf[i] - 1);
            const WrittenList& list = lists[l];
            const ParaFormat& numbering = list.numbering;
            const int number = numbering.listStart + counted[l]++;
            if (list.kind == ListKind::Bullet) {
                out += "{\\pntext\\'95\\tab}{\\*\\pn\\pnlvlblt\\pnindent0{\\pntxtb\\'95}}";
            } else {
                out += "{\\pntext " + Escape(NumberLabel(numbering, number), kAnsiCodePage) +
                       "\\tab}{\\*\\pn\\pnlvlbody\\pnindent0\\pnstart" + std::to_string(numbering.listStart) +
                       NumberWord(numbering.numbering);
                if (!numbering.numberPrefix.empty())
                    out += "{\\pntxtb " + Escape(numbering.numberPrefix, kAnsiCodePage) + "}";
                if (!numbering.numberSuffix.empty())
                    out += "{\\pntxta " + Escape(numbering.numberSuffix, kAnsiCodePage) + "}";
                out += "}";
            }
            out += "\\ls" + std::to_string(listOf[i]) + "\\ilvl0";
        }
        switch (f.align) {
            case Align::Left: out += "\\ql"; break;
            case Align::Right: out += "\\qr"; break;
            case Align::Center: out += "\\qc"; break;
            case Align::Justify: out += "\\qj"; break;
        }
        out += "\\fi" + std::to_string(f.firstTwips) + "\\li" + std::to_string(f.leftTwips) + "\\ri" +
               std::to_string(f.rightTwips);
        if (f.spaceBeforeTwips) out += "\\sb" + std::to_string(f.spaceBeforeTwips);
        if (f.spaceAfterTwips) out += "\\sa" + std::to_string(f.spaceAfterTwips);
        for (const TabStop& tab : f.tabStops)
            out += std::string(LeaderWord(tab.leader)) + TabWords(tab) + "\\tx" + std::to_string(tab.twips);
        for (const Run& r : p.runs) {
            const CharFormat& c = r.format;
            const Font font = WrittenFont(c, charsets);
            out += "\\plain\\f" + std::to_string(IndexOf(fonts, font)) + "\\fs" + std::to_string(c.halfPoints);
            if (c.color) out += "\\cf" + std::to_string(IndexOf(colors, *c.color) + 1);
            if (c.bold) out += "\\b";
            if (c.italic) out += "\\i";
            if (c.underline) out += "\\ul";
            if (c.script == Script::Super) out += "\\super";
            if (c.script == Script::Sub) out += "\\sub";
            out += ' ';
            out += Escape(r.text, FontCodePage(font.name, font.charset, 0, kAnsiCodePage));
        }
        out += "\\par\r\n";
    }
    out += "}\r\n";
    return out;
}

}  // namespace rtf
