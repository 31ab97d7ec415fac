#include "app/search/EquivalentsSql.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <vector>

namespace vorel {

namespace {

// The magnitude in thousandths, rounded half up on its exact binary value;
// nothing when it is too large for 128 bits.
std::optional<unsigned __int128> Thousandths(long double magnitude) {
    int exponent = 0;
    const long double fraction = std::frexp(magnitude, &exponent);  // [0.5, 1) * 2^exponent
    // Every bit of the long double's 64-bit significand: magnitude = significand / 2^shift.
    const auto significand = static_cast<std::uint64_t>(std::ldexp(fraction, 64));
    const int shift = 64 - exponent;
    const unsigned __int128 scaled = static_cast<unsigned __int128>(significand) * 1000;  // below 2^74
    if (shift <= 0) {
        if (shift < -50) return std::nullopt;
        return scaled << -shift;
    }
    if (shift >= 128) return 0;  // far below a thousandth's half
    const unsigned __int128 one = 1;
    const unsigned __int128 whole = scaled >> shift, rest = scaled & ((one << shift) - 1);
    return whole + (rest >= (one << (shift - 1)) ? 1 : 0);
}

// The same from the decimal expansion, for any magnitude.
std::string ThousandthsWritten(long double magnitude) {
    // Every digit of the binary value that can decide the rounding: a long
    // double near 1e-4 differs from a true tie by 1e-23 or more.
    std::vector<char> buf(512);
    int n = std::snprintf(buf.data(), buf.size(), "%.50Lf", magnitude);
    if (n < 0) return "0";
    if (static_cast<size_t>(n) >= buf.size()) {
        buf.resize(n + 1);
        std::snprintf(buf.data(), buf.size(), "%.50Lf", magnitude);
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
    return number;
}

}  // namespace

std::string FormatSqlNumber(long double value) {
    if (!std::isfinite(value)) value = 0;  // never reaches SQL as "inf" or "nan"
    const bool negative = std::signbit(value);
    std::string number;
    if (const auto thousandths = Thousandths(std::fabs(value))) {
        for (unsigned __int128 q = *thousandths; q > 0; q /= 10)
            number.insert(number.begin(), static_cast<char>('0' + q % 10));
    } else {
        number = ThousandthsWritten(std::fabs(value));
    }
    if (number.size() < 4) number.insert(0, 4 - number.size(), '0');
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
