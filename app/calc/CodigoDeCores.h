#pragma once
// The colour codes of resistors and polyester capacitors: the items of each
// band's combo, and the value the bands stand for, already formatted as the
// calculators show it.
#include <string>
#include <vector>

namespace vorel {

// Resistor bands, by combo: a (1-9), b and c (0-9), d multiplier, e tolerance.
const std::vector<std::string>& CoresAlgarismo1();   // "Brown" .. "White"
const std::vector<std::string>& CoresAlgarismo();    // "Black" .. "White"
const std::vector<std::string>& CoresMultiplicador();  // "Silver", "Gold", "Black" .. "White"
const std::vector<std::string>& CoresTolerancia();   // "Silver" .. "colorless"

// Polyester capacitor bands (Portuguese colour names).
const std::vector<std::string>& CoresCapacitor1();     // "Marrom" .. "Branco"
const std::vector<std::string>& CoresCapacitor();      // "Preto" .. "Branco"
const std::vector<std::string>& CoresToleranciaCapacitor();  // "Prata", "Preto", "Branco", "Cor do corpo"
const std::vector<std::string>& CoresTensaoCapacitor();      // "Marrom" .. "Branco"

enum class Unidade { Ohm, Kilo, Mega };

struct ValorResistor {
    std::string valor;      // the number, in the unit below
    Unidade unidade;
    std::string tolerancia;  // "10%" ...
};

// Indexes of the combos as the user chose them. tipo is 1..7; only types 6
// and 7 read the third band. Indexes outside a combo's items raise nothing:
// they are clamped into range.
ValorResistor CalculaResistor(int tipo, int cor1, int cor2, int cor3, int multiplicador, int tolerancia);

struct ValorCapacitor {
    std::string capacitancia;  // in nF
    std::string tolerancia;
    std::string tensao;        // "100V" ...
};

ValorCapacitor CalculaCapacitor(int cor1, int cor2, int multiplicador, int tolerancia, int tensao);

// The run-time library's FormatFloat for the patterns "0.#..." and "##0.#...":
// at least one integer digit, at most `decimais` decimals with trailing zeros
// dropped, no thousands separator, "." as decimal point. The value is first
// taken to 15 significant digits, then rounded half away from zero.
std::string FormatFloat(double value, int decimais);

}  // namespace vorel
