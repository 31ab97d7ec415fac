#pragma once
// Rich text as the editor and the legend use it: paragraphs of runs, each
// run one character format, each paragraph one paragraph format. Read takes
// the subset common word processors write (fonts with their character sets,
// sizes, colours, bold, italic, underline, super- and subscript, alignment,
// indents, paragraph spacing, tab stops with their kinds and leaders,
// bulleted and numbered lists from \pn and the list table, \u characters
// and \'hh bytes in the code page of their font (\cpg, \fcharset, else
// \ansicpg; the Symbol font as the Unicode characters it shows), fields'
// results, tables as tab-separated lines); pictures, objects, fields'
// instructions and unknown destinations are skipped. Write produces RTF that
// Read and common word processors read back.
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
    int charset = -1;                    // the font's \fcharset; -1 none given
    int halfPoints = 24;                 // size in half points (12 pt)
    std::optional<std::uint32_t> color;  // 0xRRGGBB; none = automatic
    bool bold = false, italic = false, underline = false;
    Script script = Script::Normal;      // \super, \sub
    bool operator==(const CharFormat&) const = default;
};

enum class Align { Left, Right, Center, Justify };

// A paragraph of a list: with a bullet, or numbered in a style from the
// list's start value, each paragraph of the list (interrupted or not) one
// more than the one before, its label the number between the list's own
// text before and after it ("(" and ")" of "(e)").
enum class ListKind { None, Bullet, Number };
enum class NumberStyle { Decimal, LowerLetter, UpperLetter, LowerRoman, UpperRoman };

// Number n in a style: "5", "e", "V". Letters go on as Word counts them
// (z, aa, bb); roman numbers past 3999 are decimal.
std::string NumberText(NumberStyle style, int n);

enum class TabKind { Left, Center, Right, Decimal };
enum class TabLeader { None, Dots, Hyphens, Underline, ThickLine, Equals };

struct TabStop {
    int twips = 0;  // from the left margin
    TabKind kind = TabKind::Left;
    TabLeader leader = TabLeader::None;
    bool operator==(const TabStop&) const = default;
};

struct ParaFormat {
    Align align = Align::Left;
    int firstTwips = 0;  // \fi: first line, relative to the left indent
    int leftTwips = 0;   // \li: every line
    int rightTwips = 0;  // \ri
    ListKind list = ListKind::None;
    int spaceBeforeTwips = 0, spaceAfterTwips = 0;  // \sb, \sa
    std::vector<TabStop> tabStops;                   // ascending
    NumberStyle numbering = NumberStyle::Decimal;   // of a numbered list
    // The list the paragraph belongs to: 1, 2, ... in order of first
    // appearance; 0 when each run of list paragraphs of one kind is a list.
    int listId = 0;
    int listStart = 1;  // the number of the list's first paragraph
    std::string numberPrefix;        // a numbered list's label: text before the number
    std::string numberSuffix = ".";  // and after it
    bool operator==(const ParaFormat&) const = default;
};

// The label of the paragraph numbered n of a numbered list: "5.", "(e)".
std::string NumberLabel(const ParaFormat& f, int n);

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
    // Code pages the file named that no converter knows (their text read
    // as 1252), ascending.
    std::vector<int> unknownCodePages;
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

// Writes doc as RTF: 7-bit text declaring code page 1252, each font with
// its character set and its name in that set's code page; text characters of
// the font's code page as \'hh, every other character (control characters
// too) as \u with a '?' for readers without \u.
std::string Write(const Document& doc);

}  // namespace rtf
