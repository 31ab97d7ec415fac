#pragma once
// The text rules of the engine installer: trimming as the class library
// trims (every character up to blank at both ends), ASCII upper case, and
// names compared ignoring case.
#include <string>

#include "platform/runtime/PathCase.h"

namespace installer::bde {

inline std::string TrimText(const std::string& s) {
    std::size_t first = 0, last = s.size();
    while (first < last && static_cast<unsigned char>(s[first]) <= ' ') ++first;
    while (last > first && static_cast<unsigned char>(s[last - 1]) <= ' ') --last;
    return s.substr(first, last - first);
}

inline std::string UpperText(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    return s;
}

inline bool SameText(const std::string& a, const std::string& b) { return platform::SameNameIgnoringCase(a, b); }

}  // namespace installer::bde
