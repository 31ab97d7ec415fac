#pragma once
// Between the rich-text model and Qt's text documents. Indents are kept in
// the model in twips and in the document in pixels at 96 dots per inch (15
// twips a pixel), paragraph spacing and tab stops alike; each run of
// bulleted paragraphs is one disc list, each run of numbered ones one
// decimal list; super- and subscript are the characters' vertical alignment.
#include "app/rtf/Rtf.h"

class QTextDocument;

namespace rtf {

// Replaces the content of doc with d.
void ToTextDocument(const Document& d, QTextDocument& doc);

// The content of doc; characters without a font of their own take the
// document's default font and size.
Document FromTextDocument(const QTextDocument& doc);

inline constexpr double kTwipsPerPixel = 15.0;

}  // namespace rtf
