#pragma once
// A document as plain lines a reviewer (or a test) compares: the code pages
// no converter knew, if any; one line per paragraph (alignment, indents and
// spacing in twips, tab stops, list), one indented line per run (font and
// its character set, size in half points, colour, styles, [text]).
#include <string>

#include "app/rtf/Rtf.h"

namespace rtf {

std::string Dump(const Document& d);

}  // namespace rtf
