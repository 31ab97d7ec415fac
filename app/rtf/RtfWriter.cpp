// The RTF writer: a font and a colour table gathered from the runs, then one
// \pard per paragraph and a full character format per run.
#include <QList>
#include <QString>
#include <algorithm>
#include <cstdio>

#include "app/rtf/Rtf.h"
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

// Text escaped for RTF: code page 1252 as \'hh, the rest as \uN with a '?'
// for readers that do not know \u, written \'3f as Word writes its
// fallbacks (some readers take a plain '?' and the word after it as one).
std::string Escape(const std::string& utf8) {
    std::string out;
    const QString text = QString::fromStdString(utf8);
    for (char32_t c : text.toUcs4()) {
        if (c == '\\' || c == '{' || c == '}') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c == '\t') {
            out += "\\tab ";
        } else if (c == 0x2028 || c == '\n') {
            out += "\\line ";
        } else if (c == '\r') {
        } else if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            const std::string single = QString::fromUcs4(&c, 1).toStdString();
            const std::string cp = platform::Utf8ToCp1252(single);
            char buf[24];
            if (c >= 0x80 && cp.size() == 1 && cp != "?") {
                std::snprintf(buf, sizeof buf, "\\'%02x", static_cast<unsigned char>(cp[0]));
                out += buf;
            } else if (c < 0x20) {
                // other control characters have no place in the text
            } else {
                const QString units = QString::fromUcs4(&c, 1);
                for (QChar u : units) {
                    std::snprintf(buf, sizeof buf, "\\u%d\\'3f", static_cast<int>(static_cast<short>(u.unicode())));
                    out += buf;
                }
            }
        }
    }
    return out;
}

}  // namespace

std::string Write(const Document& doc) {
    std::vector<std::string> fonts;
    std::vector<std::uint32_t> colors;
    for (const Paragraph& p : doc.paragraphs)
        for (const Run& r : p.runs) {
            IndexOf(fonts, r.format.font);
            if (r.format.color) IndexOf(colors, *r.format.color);
        }
    if (fonts.empty()) fonts.push_back("");

    std::string out = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl";
    for (size_t i = 0; i < fonts.size(); ++i)
        out += "{\\f" + std::to_string(i) + "\\fnil " + Escape(fonts[i]) + ";}";
    out += "}\r\n{\\colortbl ;";
    for (std::uint32_t c : colors)
        out += "\\red" + std::to_string((c >> 16) & 0xFF) + "\\green" + std::to_string((c >> 8) & 0xFF) + "\\blue" +
               std::to_string(c & 0xFF) + ";";
    out += "}\r\n\\viewkind4\\uc1";

    int number = 0;  // of the paragraph in its run of numbered ones
    for (const Paragraph& p : doc.paragraphs) {
        const ParaFormat& f = p.format;
        number = f.list == ListKind::Number ? number + 1 : 0;
        out += "\\pard";
        // As WordPad writes lists: the label for readers without lists, then the list.
        if (f.list == ListKind::Bullet) out += "{\\pntext\\'95\\tab}{\\*\\pn\\pnlvlblt\\pnindent0{\\pntxtb\\'95}}";
        if (f.list == ListKind::Number)
            out += "{\\pntext " + std::to_string(number) +
                   ".\\tab}{\\*\\pn\\pnlvlbody\\pnindent0\\pnstart1\\pndec{\\pntxta.}}";
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
        for (int tab : f.tabStopsTwips) out += "\\tx" + std::to_string(tab);
        for (const Run& r : p.runs) {
            const CharFormat& c = r.format;
            out += "\\plain\\f" + std::to_string(IndexOf(fonts, c.font)) + "\\fs" + std::to_string(c.halfPoints);
            if (c.color) out += "\\cf" + std::to_string(IndexOf(colors, *c.color) + 1);
            if (c.bold) out += "\\b";
            if (c.italic) out += "\\i";
            if (c.underline) out += "\\ul";
            if (c.script == Script::Super) out += "\\super";
            if (c.script == Script::Sub) out += "\\sub";
            out += ' ';
            out += Escape(r.text);
        }
        out += "\\par\r\n";
    }
    out += "}\r\n";
    return out;
}

}  // namespace rtf
