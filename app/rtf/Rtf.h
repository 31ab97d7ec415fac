#pragma once
// Rich text as the editor and the legend use it: paragraphs of runs, each
// run one character format, each paragraph one paragraph format. Read takes
// the subset common word processors write (fonts, sizes, colours, bold,
// italic, underline, super- and subscript, alignment, indents, paragraph
// spacing, tab stops, bulleted and numbered lists, \u characters and \'hh
// bytes in the code page of their font (\cpg, \fcharset, else \ansicpg;
// the Symbol font as the Unicode characters it shows), tables as
// tab-separated lines); pictures, objects, fields' instructions and unknown
// destinations are skipped. Write produces RTF that Read and common word
// processors read back.
//
// Input is untrusted: group nesting, the font and colour tables and \bin
// lengths are bounded, and every byte sequence either reads or raises
// RtfError; nothing is read past the end.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/runtime/Exception.h"

namespace rtf {

class RtfError : public platform::Exception {
public:
    using platform::Exception::Exception;
};

enum class Script { Normal, Super, Sub };

struct CharFormat {
    std::string font;                    // face name; "" = the document's default
    int halfPoints = 24;                 // size in half points (12 pt)
    std::optional<std::uint32_t> color;  // 0xRRGGBB; none = automatic
    bool bold = false, italic = false, underline = false;
    Script script = Script::Normal;      // \super, \sub
    bool operator==(const CharFormat&) const = default;
};

enum class Align { Left, Right, Center, Justify };

// A paragraph of a list: with a bullet, or numbered 1., 2., ... within each
// run of numbered paragraphs.
enum class ListKind { None, Bullet, Number };

struct ParaFormat {
    Align align = Align::Left;
    int firstTwips = 0;  // \fi: first line, relative to the left indent
    int leftTwips = 0;   // \li: every line
    int rightTwips = 0;  // \ri
    ListKind list = ListKind::None;
    int spaceBeforeTwips = 0, spaceAfterTwips = 0;  // \sb, \sa
    std::vector<int> tabStopsTwips;                  // \tx, from the left margin, ascending
    bool operator==(const ParaFormat&) const = default;
};

struct Run {
    std::string text;  // UTF-8; '\t' a tab, U+2028 a line break inside the paragraph
    CharFormat format;
};

struct Paragraph {
    ParaFormat format;
    std::vector<Run> runs;
    std::string Text() const;  // the runs' texts joined
};

struct Document {
    std::vector<Paragraph> paragraphs;
    std::string PlainText() const;  // paragraphs joined with '\n'
};

// Limits on untrusted input.
inline constexpr int kMaxDepth = 256;          // nested groups
inline constexpr int kMaxFonts = 4096;         // font table entries kept
inline constexpr int kMaxColors = 4096;        // colour table entries kept
inline constexpr int kMaxTabStops = 64;        // tab stops kept per paragraph
inline constexpr int kMaxLists = 4096;         // list table and override entries kept

// True when bytes start (after blanks) with "{\rtf".
bool IsRtf(std::string_view bytes);

// Reads an RTF document. Raises RtfError when bytes are not RTF or nest
// deeper than kMaxDepth.
Document Read(std::string_view bytes);

// Writes doc as RTF: 7-bit text declaring code page 1252, its characters
// as \'hh, every other character as \u.
std::string Write(const Document& doc);

}  // namespace rtf
