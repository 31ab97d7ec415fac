#include "app/rtf/RtfDump.h"

#include <cstdio>

namespace rtf {

namespace {

const char* AlignName(Align a) {
    switch (a) {
        case Align::Left: return "left";
        case Align::Right: return "right";
        case Align::Center: return "center";
        case Align::Justify: break;
    }
    return "justify";
}

// Control characters shown as \xNN so every run stays on one line.
std::string Visible(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        if (c < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02X", c);
            out += buf;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

const char* StyleName(NumberStyle s) {
    switch (s) {
        case NumberStyle::LowerLetter: return "a";
        case NumberStyle::UpperLetter: return "A";
        case NumberStyle::LowerRoman: return "i";
        case NumberStyle::UpperRoman: return "I";
        case NumberStyle::Decimal: break;
    }
    return "1";
}

// 1440, 5760right, 7200decimal.dots ...
std::string TabName(const TabStop& t) {
    static const char* const kinds[] = {"", "center", "right", "decimal"};
    static const char* const leaders[] = {"", ".dots", ".hyphens", ".underline", ".thick", ".equals"};
    return std::to_string(t.twips) + kinds[static_cast<int>(t.kind)] + leaders[static_cast<int>(t.leader)];
}

}  // namespace

std::string Dump(const Document& d) {
    std::string out;
    for (size_t i = 0; i < d.unknownCodePages.size(); ++i)
        out += (i ? "," : "unknown code pages ") + std::to_string(d.unknownCodePages[i]) +
               (i + 1 == d.unknownCodePages.size() ? "\n" : "");
    for (const Paragraph& p : d.paragraphs) {
        const ParaFormat& f = p.format;
        out += std::string("paragraph align=") + AlignName(f.align) + " first=" + std::to_string(f.firstTwips) +
               " left=" + std::to_string(f.leftTwips) + " right=" + std::to_string(f.rightTwips);
        if (f.spaceBeforeTwips) out += " before=" + std::to_string(f.spaceBeforeTwips);
        if (f.spaceAfterTwips) out += " after=" + std::to_string(f.spaceAfterTwips);
        for (size_t i = 0; i < f.tabStops.size(); ++i) out += (i ? "," : " tabs=") + TabName(f.tabStops[i]);
        if (f.list == ListKind::Bullet) out += " bullet list=" + std::to_string(f.listId);
        if (f.list == ListKind::Number)
            out += " numbered list=" + std::to_string(f.listId) + " style=" + StyleName(f.numbering) +
                   " start=" + std::to_string(f.listStart) + " label=\"" + f.numberPrefix + "#" + f.numberSuffix +
                   "\"";
        out += "\n";
        for (const Run& r : p.runs) {
            const CharFormat& c = r.format;
            out += "  run font=\"" + c.font + "\"";
            if (c.charset >= 0) out += " charset=" + std::to_string(c.charset);
            out += " size=" + std::to_string(c.halfPoints);
            if (c.color) {
                char buf[16];
                std::snprintf(buf, sizeof buf, "#%06x", *c.color);
                out += std::string(" color=") + buf;
            }
            if (c.bold) out += " bold";
            if (c.italic) out += " italic";
            if (c.underline) out += " underline";
            if (c.script == Script::Super) out += " super";
            if (c.script == Script::Sub) out += " sub";
            out += " [" + Visible(r.text) + "]\n";
        }
    }
    return out;
}

}  // namespace rtf
