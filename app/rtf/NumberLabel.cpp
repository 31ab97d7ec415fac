#include <string>

#include "app/rtf/Rtf.h"

namespace rtf {

namespace {

std::string Roman(int n) {
    static const std::pair<int, const char*> digits[] = {{1000, "m"}, {900, "cm"}, {500, "d"}, {400, "cd"},
                                                         {100, "c"},  {90, "xc"},  {50, "l"},  {40, "xl"},
                                                         {10, "x"},   {9, "ix"},   {5, "v"},   {4, "iv"},
                                                         {1, "i"}};
    std::string out;
    for (const auto& [value, text] : digits)
        for (; n >= value; n -= value) out += text;
    return out;
}

std::string Upper(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}

}  // namespace

std::string NumberText(NumberStyle style, int n) {
    if (n <= 0 || style == NumberStyle::Decimal) return std::to_string(n);
    switch (style) {
        case NumberStyle::LowerLetter:
        case NumberStyle::UpperLetter: {
            if (n > 26 * 20) return std::to_string(n);
            const std::string letters(static_cast<size_t>((n - 1) / 26 + 1), static_cast<char>('a' + (n - 1) % 26));
            return style == NumberStyle::UpperLetter ? Upper(letters) : letters;
        }
        case NumberStyle::LowerRoman:
        case NumberStyle::UpperRoman:
            if (n > 3999) return std::to_string(n);
            return style == NumberStyle::UpperRoman ? Upper(Roman(n)) : Roman(n);
        case NumberStyle::Decimal: break;
    }
    return std::to_string(n);
}

std::string NumberLabel(const ParaFormat& f, int n) { return f.numberPrefix + NumberText(f.numbering, n) + f.numberSuffix; }

}  // namespace rtf
