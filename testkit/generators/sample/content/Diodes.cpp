// Rectifier and zener diodes of the sample installation. Figures are the
// makers' maximum ratings at 25 C; zener voltages are nominal at the test
// current Iz, which is in milliamperes as the datasheets give it.
#include "testkit/generators/sample/content/SampleContent.h"

#include <cstdio>

namespace sample {
namespace {

std::vector<DiodoR> BuildRectifiers() {
    std::vector<DiodoR> v;
    const char* const volts1N400x[] = {"50", "100", "200", "400", "600", "800", "1000"};
    for (int i = 0; i < 7; ++i) {
        v.push_back({.Identificacao = "1N400" + std::to_string(i + 1), .Uso = "General purpose rectifier",
                     .Vrm = volts1N400x[i], .Vr = std::stod(volts1N400x[i]), .Io = 1, .Ifsm = "30 A", .Pd = 3,
                     .Nota = "VF max 1.1 V at 1 A", .Encapsulamento = "DO-41", .Fabricante = "Fairchild"});
    }
    const char* const codes1N540x[] = {"1N5400", "1N5401", "1N5402", "1N5404", "1N5406", "1N5407", "1N5408"};
    const char* const volts1N540x[] = {"50", "100", "200", "400", "600", "800", "1000"};
    for (int i = 0; i < 7; ++i) {
        v.push_back({.Identificacao = codes1N540x[i], .Uso = "General purpose rectifier", .Vrm = volts1N540x[i],
                     .Vr = std::stod(volts1N540x[i]), .Io = 3, .Ifsm = "200 A", .Pd = 6.25,
                     .Nota = "VF max 1.2 V at 3 A", .Encapsulamento = "DO-201AD", .Fabricante = "Fairchild"});
    }
    // One datasheet covers these three with the same ratings.
    for (const char* code : {"1N914", "1N4148", "1N4448"}) {
        v.push_back({.Identificacao = code, .Uso = "Fast switching", .Vrm = "100", .Vr = 75, .Io = 0.2,
                     .Ifsm = "4 A", .Pd = 0.5, .Nota = "trr 4 ns; IFSM 4 A for 1 us, 1 A for 1 s",
                     .Encapsulamento = "DO-35", .Fabricante = "Fairchild"});
    }
    v.push_back({.Identificacao = "UF4004", .Uso = "Ultrafast rectifier", .Vrm = "400", .Vr = 400, .Io = 1,
                 .Ifsm = "30 A", .Nota = "trr 50 ns", .Encapsulamento = "DO-41", .Fabricante = "Vishay"});
    v.push_back({.Identificacao = "UF4007", .Uso = "Ultrafast rectifier", .Vrm = "1000", .Vr = 1000, .Io = 1,
                 .Ifsm = "30 A", .Nota = "trr 75 ns", .Encapsulamento = "DO-41", .Fabricante = "Vishay"});
    v.push_back({.Identificacao = "1N4936", .Uso = "Fast recovery rectifier", .Vrm = "400", .Vr = 400, .Io = 1,
                 .Ifsm = "30 A", .Nota = "trr 200 ns", .Encapsulamento = "DO-41", .Fabricante = "Vishay"});
    v.push_back({.Identificacao = "1N4937", .Uso = "Fast recovery rectifier", .Vrm = "600", .Vr = 600, .Io = 1,
                 .Ifsm = "30 A", .Nota = "trr 200 ns", .Encapsulamento = "DO-41", .Fabricante = "Vishay"});
    v.push_back({.Identificacao = "FR107", .Uso = "Fast recovery rectifier", .Vrm = "1000", .Vr = 1000, .Io = 1,
                 .Ifsm = "30 A", .Nota = "trr 500 ns", .Encapsulamento = "DO-41", .Fabricante = "Diodes Incorporated"});
    v.push_back({.Identificacao = "MUR120", .Uso = "Ultrafast rectifier", .Vrm = "200", .Vr = 200, .Io = 1,
                 .Ifsm = "35 A", .Nota = "trr 35 ns max", .Encapsulamento = "DO-41", .Fabricante = "ON Semiconductor"});
    v.push_back({.Identificacao = "MUR160", .Uso = "Ultrafast rectifier", .Vrm = "600", .Vr = 600, .Io = 1,
                 .Ifsm = "35 A", .Nota = "Ultrafast recovery", .Encapsulamento = "DO-41", .Fabricante = "ON Semiconductor"});
    v.push_back({.Identificacao = "1N5817", .Uso = "Schottky rectifier", .Vrm = "20", .Vr = 20, .Io = 1,
                 .Ifsm = "25 A", .Nota = "VF max 0.45 V at 1 A", .Encapsulamento = "DO-41", .Fabricante = "Vishay"});
    v.push_back({.Identificacao = "1N5818", .Uso = "Schottky rectifier", .Vrm = "30", .Vr = 30, .Io = 1,
                 .Ifsm = "25 A", .Nota = "VF max 0.55 V at 1 A", .Encapsulamento = "DO-41", .Fabricante = "Vishay"});
    v.push_back({.Identificacao = "1N5819", .Uso = "Schottky rectifier", .Vrm = "40", .Vr = 40, .Io = 1,
                 .Ifsm = "25 A", .Nota = "VF max 0.6 V at 1 A", .Encapsulamento = "DO-41", .Fabricante = "Vishay"});
    v.push_back({.Identificacao = "1N5820", .Uso = "Schottky rectifier", .Vrm = "20", .Vr = 20, .Io = 3,
                 .Ifsm = "80 A", .Nota = "VF max 0.475 V at 3 A", .Encapsulamento = "DO-201AD", .Fabricante = "Vishay"});
    v.push_back({.Identificacao = "1N5822", .Uso = "Schottky rectifier", .Vrm = "40", .Vr = 40, .Io = 3,
                 .Ifsm = "80 A", .Nota = "VF max 0.525 V at 3 A", .Encapsulamento = "DO-201AD", .Fabricante = "Vishay"});
    v.push_back({.Identificacao = "P600M", .Uso = "General purpose rectifier", .Vrm = "1000", .Vr = 1000, .Io = 6,
                 .Ifsm = "400 A", .Nota = "Large axial body for 6 A", .Encapsulamento = "P600", .Fabricante = "Vishay"});
    v.push_back({.Identificacao = "S1M", .Uso = "General purpose rectifier", .Vrm = "1000", .Vr = 1000, .Io = 1,
                 .Ifsm = "30 A", .Nota = "SMD counterpart of 1N4007", .Encapsulamento = "SMA", .Fabricante = "Vishay"});
    return v;
}

// Zener voltage in the BZX naming: 5.1 -> "5V1", 12 -> "12".
std::string BzxVoltage(double volts) {
    char text[16];
    const int whole = static_cast<int>(volts);
    const int tenth = static_cast<int>(volts * 10 + 0.5) % 10;
    if (tenth == 0) std::snprintf(text, sizeof text, "%d", whole);
    else std::snprintf(text, sizeof text, "%dV%d", whole, tenth);
    return text;
}

std::vector<DiodoZ> BuildZeners() {
    std::vector<DiodoZ> v;
    // 1 W series: nominal voltage and test current in mA.
    struct OneWatt { int number; double volts; double milliamps; };
    const OneWatt oneWatt[] = {
        {4728, 3.3, 76},  {4729, 3.6, 69},  {4730, 3.9, 64},  {4731, 4.3, 58},  {4732, 4.7, 53},
        {4733, 5.1, 49},  {4734, 5.6, 45},  {4735, 6.2, 41},  {4736, 6.8, 37},  {4737, 7.5, 34},
        {4738, 8.2, 31},  {4739, 9.1, 28},  {4740, 10, 25},   {4741, 11, 23},   {4742, 12, 21},
        {4743, 13, 19},   {4744, 15, 17},   {4745, 16, 15.5}, {4746, 18, 14},   {4747, 20, 12.5},
        {4748, 22, 11.5}, {4749, 24, 10.5}, {4750, 27, 9.5},  {4751, 30, 8.5},  {4752, 33, 7.5},
        {4753, 36, 7},    {4754, 39, 6.5},  {4755, 43, 6},    {4756, 47, 5.5},  {4757, 51, 5},
        {4758, 56, 4.5},  {4759, 62, 4},    {4760, 68, 3.7},  {4761, 75, 3.3},  {4762, 82, 3},
        {4763, 91, 2.8},  {4764, 100, 2.5},
    };
    for (const OneWatt& z : oneWatt) {
        v.push_back({.Identificacao = "1N" + std::to_string(z.number) + "A", .Tn = z.volts, .Iz = z.milliamps,
                     .Pd = 1, .Tj = "200", .Nota = "1 W glass or plastic axial", .Tolerancia = "5%",
                     .Encapsulamento = "DO-41", .Fabricante = "ON Semiconductor"});
        // Without the suffix the same part is sold with 10 % tolerance.
        if (z.number == 4733 || z.number == 4742) {
            DiodoZ wide = v.back();
            wide.Identificacao = "1N" + std::to_string(z.number);
            wide.Tolerancia = "10%";
            v.push_back(wide);
        }
    }
    // 500 mW glass parts: test current 5 mA.
    for (double volts : {3.3, 4.7, 5.1, 5.6, 6.2, 6.8, 9.1, 12.0, 15.0}) {
        v.push_back({.Identificacao = "BZX79-C" + BzxVoltage(volts), .Tn = volts, .Iz = 5, .Pd = 0.5,
                     .Tj = "200", .Nota = "500 mW glass", .Tolerancia = "5%", .Encapsulamento = "DO-35",
                     .Fabricante = "NXP Semiconductors"});
    }
    for (double volts : {3.3, 5.1, 6.2, 9.1, 12.0}) {
        v.push_back({.Identificacao = "BZX55C" + BzxVoltage(volts), .Tn = volts, .Iz = 5, .Pd = 0.5,
                     .Tj = "175", .Nota = "500 mW glass", .Tolerancia = "5%", .Encapsulamento = "DO-35",
                     .Fabricante = "Vishay"});
    }
    // 500 mW series with 20 mA test current.
    struct HalfWatt { int number; double volts; };
    const HalfWatt halfWatt[] = {{5226, 3.3}, {5231, 5.1}, {5232, 5.6}, {5234, 6.2},
                                 {5235, 6.8}, {5239, 9.1}, {5240, 10},  {5242, 12}};
    for (const HalfWatt& z : halfWatt) {
        v.push_back({.Identificacao = "1N" + std::to_string(z.number) + "B", .Tn = z.volts, .Iz = 20, .Pd = 0.5,
                     .Tj = "200", .Nota = "500 mW glass", .Tolerancia = "5%", .Encapsulamento = "DO-35",
                     .Fabricante = "ON Semiconductor"});
    }
    return v;
}

}  // namespace

const std::vector<DiodoR>& DiodosR() {
    static const std::vector<DiodoR> rows = BuildRectifiers();
    return rows;
}

const std::vector<DiodoZ>& DiodosZ() {
    static const std::vector<DiodoZ> rows = BuildZeners();
    return rows;
}

}  // namespace sample
