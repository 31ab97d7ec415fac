#pragma once
// Ordering of dotted version texts such as "1.10" and "1.2a".
#include <string>

namespace installer {

// 0 equal, 1 the first is newer, 2 the second is newer. Parts that are both
// decimal digits compare as numbers of any length ("01" equals "1"); other
// parts compare by character code. A text with parts left over is newer
// (1.2.0 is newer than 1.2); an empty part ends a text.
int CompareVersionStrings(const std::string& first, const std::string& second);

}  // namespace installer
