#include "app/calc/ColourCode.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace vorel {

const std::vector<std::string>& FirstDigitColours() {
    static const std::vector<std::string> v = {"Brown", "Red",    "Orange", "Yellow", "Green",
                                               "Blue",  "Violet", "Grey",   "White"};
    return v;
}

const std::vector<std::string>& DigitColours() {
    static const std::vector<std::string> v = {"Black", "Brown",  "Red",  "Orange", "Yellow",
                                               "Green", "Blue",   "Violet", "Grey", "White"};
    return v;
}

const std::vector<std::string>& MultiplierColours() {
    static const std::vector<std::string> v = {"Silver", "Gold",  "Black", "Brown",  "Red",  "Orange",
                                               "Yellow", "Green", "Blue",  "Violet", "Grey", "White"};
    return v;
}

const std::vector<std::string>& ToleranceColours() {
    static const std::vector<std::string> v = {"Silver", "Gold", "Brown", "Red", "Green", "colorless"};
    return v;
}

const std::vector<std::string>& CapacitorFirstDigitColours() {
    static const std::vector<std::string> v = {"Marrom", "Vermelho", "Laranja", "Amarelo", "Verde",
                                               "Azul",   "Violeta",  "Cinza",   "Branco"};
    return v;
}

const std::vector<std::string>& CapacitorDigitColours() {
    static const std::vector<std::string> v = {"Preto", "Marrom", "Vermelho", "Laranja", "Amarelo",
                                               "Verde", "Azul",   "Violeta",  "Cinza",   "Branco"};
    return v;
}

const std::vector<std::string>& CapacitorToleranceColours() {
    static const std::vector<std::string> v = {"Prata", "Preto", "Branco", "Cor do corpo"};
    return v;
}

const std::vector<std::string>& CapacitorVoltageColours() { return CapacitorFirstDigitColours(); }

namespace {

int Clamp(int index, const std::vector<std::string>& items) {
    return std::clamp(index, 0, static_cast<int>(items.size()) - 1);
}

// 10 raised to n by repeated multiplication, as the calculators build it.
double PowerOfTen(int n) {
    double p = 1;
    for (int i = 0; i < n; ++i) p *= 10;
    return p;
}

}  // namespace

std::string FormatFloat(double value, int decimals) {
    // Stages: 15 significant digits as text; round at the last decimal shown;
    // write the integer part (at least "0") and the decimals without trailing zeros.
    if (!std::isfinite(value)) return value != value ? "NAN" : (value > 0 ? "INF" : "-INF");
    const bool negative = value < 0;
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.14e", std::fabs(value));
    std::string digits;
    for (const char* c = buf; *c && *c != 'e'; ++c)
        if (*c >= '0' && *c <= '9') digits += *c;
    const int exponent = std::atoi(std::strchr(buf, 'e') + 1);
    // value = 0.digits x 10^(exponent + 1)
    int point = exponent + 1;  // digits before the decimal point
    if (point < 0) {
        digits.insert(0, static_cast<size_t>(-point), '0');
        point = 0;
    }
    if (static_cast<int>(digits.size()) < point + decimals)
        digits.append(static_cast<size_t>(point + decimals) - digits.size(), '0');
    const size_t cut = static_cast<size_t>(point + decimals);
    std::string kept = digits.substr(0, cut);
    if (cut < digits.size() && digits[cut] >= '5') {
        int i = static_cast<int>(kept.size()) - 1;
        while (i >= 0 && kept[static_cast<size_t>(i)] == '9') kept[static_cast<size_t>(i--)] = '0';
        if (i >= 0) ++kept[static_cast<size_t>(i)];
        else {
            kept.insert(0, 1, '1');
            ++point;
        }
    }
    std::string integerPart = kept.substr(0, static_cast<size_t>(point));
    std::string fraction = kept.substr(static_cast<size_t>(point));
    integerPart.erase(0, std::min(integerPart.find_first_not_of('0'), integerPart.size()));
    if (integerPart.empty()) integerPart = "0";
    while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
    std::string out = integerPart;
    if (!fraction.empty()) out += "." + fraction;
    if (negative && out != "0") out.insert(0, 1, '-');
    return out;
}

ResistorValue ComputeResistor(int type, int colour1, int colour2, int colour3, int multiplier, int tolerance) {
    std::string digits =
        std::to_string(Clamp(colour1, FirstDigitColours()) + 1) + std::to_string(Clamp(colour2, DigitColours()));
    if (type == 6 || type == 7) digits += std::to_string(Clamp(colour3, DigitColours()));
    const double n = std::stod(digits);
    const int m = Clamp(multiplier, MultiplierColours());
    const double factor = m == 0 ? 0.01 : m == 1 ? 0.1 : PowerOfTen(m - 2);
    const double r = n * factor;

    ResistorValue out;
    if (r < 1) {
        out = {FormatFloat(r, 2), Unit::Ohm, ""};
    } else if (r < 1000) {
        out = {FormatFloat(r, 3), Unit::Ohm, ""};
    } else if (r < 1000000) {
        out = {FormatFloat(r * 0.001, 3), Unit::Kilo, ""};
    } else {
        out = {FormatFloat(r * 0.000001, 3), Unit::Mega, ""};
    }
    static const char* const tolerances[] = {"10%", "5%", "1%", "2%", "0.5%", "20%"};
    out.tolerance = tolerances[Clamp(tolerance, ToleranceColours())];
    return out;
}

CapacitorValue ComputeCapacitor(int colour1, int colour2, int multiplier, int tolerance, int voltage) {
    const double n = std::stod(std::to_string(Clamp(colour1, CapacitorFirstDigitColours()) + 1) +
                               std::to_string(Clamp(colour2, CapacitorDigitColours())));
    const double pf = n * PowerOfTen(Clamp(multiplier, CapacitorDigitColours()));
    static const char* const tolerances[] = {"10%", "20%", "10%", "20%"};
    return {FormatFloat(pf * 0.001, 7), tolerances[Clamp(tolerance, CapacitorToleranceColours())],
            FormatFloat(Clamp(voltage, CapacitorVoltageColours()) * 100 + 100, 0) + "V"};
}

}  // namespace vorel
