#pragma once
// Between the rich-text model and Qt's text documents. Indents are kept in
// the model in twips and in the document in pixels at 96 dots per inch (15
// twips a pixel), paragraph spacing and tab stops alike; tab kinds are the
// toolkit's (a decimal tab aligns on '.'), leaders a property of the block.
// Each list of the model is one QTextList: a disc list for bullets; a
// numbered list carries its style and start value as properties of its own
// as well as the toolkit's style and its label's text before and after the
// number, except that a list starting anywhere but 1 (the toolkit's numbered
// lists start at 1) or lettered (the toolkit's letters past z are not Word's)
// has no toolkit style and shows no label of the toolkit's: its view paints
// ListLabel. A font's character set is a property
// of the characters; super- and subscript are their vertical alignment.
#include <QString>
#include <QTextFormat>

#include "app/rtf/Rtf.h"

class QTextBlock;
class QTextDocument;

namespace rtf {

// Replaces the content of doc with d.
void ToTextDocument(const Document& d, QTextDocument& doc);

// The content of doc; characters without a font of their own take the
// document's default font and size.
Document FromTextDocument(const QTextDocument& doc);

// The label a numbered list shows before a block ("5.", "iv.", "(b)"); "" for a
// block of no numbered list.
QString ListLabel(const QTextBlock& block);

inline constexpr double kTwipsPerPixel = 15.0;

// Properties of our own on the toolkit's formats.
inline constexpr int kCharsetProperty = QTextFormat::UserProperty + 1;      // character: \fcharset
inline constexpr int kTabLeadersProperty = QTextFormat::UserProperty + 2;   // block: TabLeader per tab
inline constexpr int kNumberStyleProperty = QTextFormat::UserProperty + 3;  // list: NumberStyle
inline constexpr int kListStartProperty = QTextFormat::UserProperty + 4;    // list: first number

}  // namespace rtf
