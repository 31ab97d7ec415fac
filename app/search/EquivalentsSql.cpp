#include "app/search/EquivalentsSql.h"

#include <cmath>
#include <cstdio>
#include <vector>

namespace vorel {

std::string FormatSqlNumber(long double value) {
    if (!std::isfinite(value)) value = 0;  // never reaches SQL as "inf" or "nan"
    const bool negative = std::signbit(value);
    // Every digit of the binary value that can decide the rounding: a long
    // double near 1e-4 differs from a true tie by 1e-23 or more.
    std::vector<char> buf(512);
    int n = std::snprintf(buf.data(), buf.size(), "%.50Lf", std::fabs(value));
    if (n < 0) return "0.000";
    if (static_cast<size_t>(n) >= buf.size()) {
        buf.resize(n + 1);
        std::snprintf(buf.data(), buf.size(), "%.50Lf", std::fabs(value));
    }
    std::string digits(buf.data());
    // QApplication sets the user's locale: the C library may write a comma.
    const auto point = digits.find_first_of(".,");
    std::string whole = digits.substr(0, point), frac = digits.substr(point + 1, 3);
    const bool up = digits[point + 4] >= '5';
    std::string number = whole + frac;
    if (up) {
        int i = static_cast<int>(number.size()) - 1;
        while (i >= 0 && number[i] == '9') number[i--] = '0';
        if (i < 0) number.insert(number.begin(), '1');
        else ++number[i];
    }
    std::string out = number.substr(0, number.size() - 3) + '.' + number.substr(number.size() - 3);
    if (negative && out.find_first_not_of("0.") != std::string::npos) out.insert(out.begin(), '-');
    return out;
}

void EquivalentsSql::Join(bool first) {
    if (!first && !Empty()) text_ += " and";
}

void EquivalentsSql::AddRange(bool first, const std::string& column, long double lo, int percent) {
    Join(first);
    const long double hi = lo * (1.0L + static_cast<long double>(percent) / 100.0L);
    text_ += " " + column + " >= " + FormatSqlNumber(lo) + " and " + column + " <= " + FormatSqlNumber(hi);
}

void EquivalentsSql::AddEquality(bool first, const std::string& column, const std::string& value) {
    Join(first);
    // A quote inside the value is doubled, so the value stays one literal.
    std::string literal;
    for (char c : value) {
        if (c == '"') literal += '"';
        literal += c;
    }
    text_ += " " + column + " = \"" + literal + "\"";
}

}  // namespace vorel
