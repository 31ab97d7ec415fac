#pragma once
// The colour codes of resistors and polyester capacitors: the items of each
// band's combo, and the value the bands stand for, already formatted as the
// calculators show it.
#include <string>
#include <vector>

namespace vorel {

// Resistor bands, by combo: a (1-9), b and c (0-9), d multiplier, e tolerance.
const std::vector<std::string>& FirstDigitColours();  // "Brown" .. "White"
const std::vector<std::string>& DigitColours();       // "Black" .. "White"
const std::vector<std::string>& MultiplierColours();  // "Silver", "Gold", "Black" .. "White"
const std::vector<std::string>& ToleranceColours();   // "Silver" .. "colorless"

// Polyester capacitor bands (Portuguese colour names).
const std::vector<std::string>& CapacitorFirstDigitColours();  // "Marrom" .. "Branco"
const std::vector<std::string>& CapacitorDigitColours();       // "Preto" .. "Branco"
const std::vector<std::string>& CapacitorToleranceColours();   // "Prata", "Preto", "Branco", "Cor do corpo"
const std::vector<std::string>& CapacitorVoltageColours();     // "Marrom" .. "Branco"

enum class Unit { Ohm, Kilo, Mega };

struct ResistorValue {
    std::string value;  // the number, in the unit below
    Unit unit;
    std::string tolerance;  // "10%" ...
};

// Indexes of the combos as the user chose them. type is 1..7; only types 6
// and 7 read the third band. Indexes outside a combo's items raise nothing:
// they are clamped into range.
ResistorValue ComputeResistor(int type, int colour1, int colour2, int colour3, int multiplier, int tolerance);

struct CapacitorValue {
    std::string capacitance;  // in nF
    std::string tolerance;
    std::string voltage;  // "100V" ...
};

CapacitorValue ComputeCapacitor(int colour1, int colour2, int multiplier, int tolerance, int voltage);

// The run-time library's FormatFloat for the patterns "0.#..." and "##0.#...":
// at least one integer digit, at most `decimals` decimals with trailing zeros
// dropped, no thousands separator, "." as decimal point. The value is first
// taken to 15 significant digits, then rounded half away from zero.
std::string FormatFloat(double value, int decimals);

}  // namespace vorel
