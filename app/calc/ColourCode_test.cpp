#include "app/calc/ColourCode.h"

#include <gtest/gtest.h>

using namespace vorel;

namespace {
// Indexes by colour name, so the cases read as a technician reads a resistor.
int Ix(const std::vector<std::string>& items, const std::string& name) {
    for (size_t i = 0; i < items.size(); ++i)
        if (items[i] == name) return static_cast<int>(i);
    ADD_FAILURE() << "no colour " << name;
    return -1;
}
ResistorValue R(int type, const char* a, const char* b, const char* c, const char* d, const char* e = "Gold") {
    return ComputeResistor(type, Ix(FirstDigitColours(), a), Ix(DigitColours(), b), Ix(DigitColours(), c),
                           Ix(MultiplierColours(), d), Ix(ToleranceColours(), e));
}
CapacitorValue C(const char* a, const char* b, const char* m, const char* t = "Prata", const char* v = "Marrom") {
    return ComputeCapacitor(Ix(CapacitorFirstDigitColours(), a), Ix(CapacitorDigitColours(), b),
                            Ix(CapacitorDigitColours(), m), Ix(CapacitorToleranceColours(), t),
                            Ix(CapacitorVoltageColours(), v));
}
}  // namespace

TEST(ColourCode, ItemListsAsTheCombosShowThem) {
    EXPECT_EQ(FirstDigitColours().size(), 9u);
    EXPECT_EQ(FirstDigitColours().front(), "Brown");
    EXPECT_EQ(DigitColours().size(), 10u);
    EXPECT_EQ(DigitColours()[8], "Grey");
    EXPECT_EQ(MultiplierColours().size(), 12u);
    EXPECT_EQ(MultiplierColours()[2], "Black");
    EXPECT_EQ(ToleranceColours().back(), "colorless");
    EXPECT_EQ(CapacitorFirstDigitColours().front(), "Marrom");
    EXPECT_EQ(CapacitorDigitColours().front(), "Preto");
    EXPECT_EQ(CapacitorToleranceColours().back(), "Cor do corpo");
    EXPECT_EQ(CapacitorVoltageColours().back(), "Branco");
}

TEST(ColourCode, ResistorValuesUnitsAndRanges) {
    struct Case {
        int type;
        const char *a, *b, *c, *d;
        std::string value;
        Unit unit;
    } cases[] = {
        {1, "Brown", "Black", "Black", "Silver", "0.1", Unit::Ohm},
        {1, "Yellow", "Violet", "Black", "Silver", "0.47", Unit::Ohm},
        {1, "Yellow", "Violet", "Black", "Gold", "4.7", Unit::Ohm},
        {1, "Brown", "Black", "Black", "Black", "10", Unit::Ohm},
        {1, "White", "White", "Black", "Brown", "990", Unit::Ohm},
        {1, "Brown", "Black", "Black", "Red", "1", Unit::Kilo},
        {1, "Yellow", "Violet", "Black", "Orange", "47", Unit::Kilo},
        {1, "Brown", "Black", "Black", "Green", "1", Unit::Mega},
        {1, "Red", "Red", "Black", "Yellow", "220", Unit::Kilo},
        {1, "Red", "Red", "Black", "Green", "2.2", Unit::Mega},
        // The third band counts for types 6 and 7 only.
        {1, "Brown", "Black", "White", "Red", "1", Unit::Kilo},
        {5, "Brown", "Black", "White", "Red", "1", Unit::Kilo},
        {7, "Brown", "Black", "Black", "Brown", "1", Unit::Kilo},
        {6, "Brown", "Black", "White", "Brown", "1.09", Unit::Kilo},
        {7, "Brown", "Red", "Orange", "Brown", "1.23", Unit::Kilo},
        {7, "Red", "Red", "Violet", "Silver", "2.27", Unit::Ohm},
        {7, "Brown", "Black", "Black", "Silver", "1", Unit::Ohm},
        {7, "White", "White", "White", "White", "999000", Unit::Mega},
    };
    for (const Case& c : cases) {
        const ResistorValue r = R(c.type, c.a, c.b, c.c, c.d);
        EXPECT_EQ(r.value, c.value) << c.type << " " << c.a << " " << c.b << " " << c.c << " " << c.d;
        EXPECT_EQ(r.unit, c.unit) << c.type << " " << c.a << " " << c.b << " " << c.c << " " << c.d;
    }
}

TEST(ColourCode, ToleranceOfEachColour) {
    const char* expected[] = {"10%", "5%", "1%", "2%", "0.5%", "20%"};
    for (size_t i = 0; i < ToleranceColours().size(); ++i)
        EXPECT_EQ(R(1, "Brown", "Black", "Black", "Black", ToleranceColours()[i].c_str()).tolerance, expected[i]);
    const char* cap[] = {"10%", "20%", "10%", "20%"};
    for (size_t i = 0; i < CapacitorToleranceColours().size(); ++i)
        EXPECT_EQ(C("Marrom", "Preto", "Preto", CapacitorToleranceColours()[i].c_str()).tolerance, cap[i]);
}

TEST(ColourCode, CapacitorInNanofaradsAndVoltage) {
    EXPECT_EQ(C("Marrom", "Preto", "Vermelho").capacitance, "1");
    EXPECT_EQ(C("Amarelo", "Violeta", "Laranja").capacitance, "47");
    EXPECT_EQ(C("Marrom", "Preto", "Preto").capacitance, "0.01");
    EXPECT_EQ(C("Vermelho", "Vermelho", "Marrom").capacitance, "0.22");
    EXPECT_EQ(C("Branco", "Branco", "Branco").capacitance, "99000000");
    EXPECT_EQ(C("Marrom", "Preto", "Preto", "Prata", "Marrom").voltage, "100V");
    EXPECT_EQ(C("Marrom", "Preto", "Preto", "Prata", "Vermelho").voltage, "200V");
    EXPECT_EQ(C("Marrom", "Preto", "Preto", "Prata", "Branco").voltage, "900V");
}

TEST(ColourCode, OutOfRangeIndexesAreClamped) {
    EXPECT_EQ(ComputeResistor(1, -1, 99, 0, -5, 42).value, "0.19");
    EXPECT_EQ(ComputeResistor(1, -1, 99, 0, -5, 42).tolerance, "20%");
    EXPECT_EQ(ComputeCapacitor(-1, -1, -1, 9, 9).voltage, "900V");
}

TEST(FormatFloat, RoundsHalfAwayAtFifteenDigitsAndDropsTrailingZeros) {
    EXPECT_EQ(FormatFloat(0, 2), "0");
    EXPECT_EQ(FormatFloat(0.004, 2), "0");
    EXPECT_EQ(FormatFloat(0.005, 2), "0.01");
    EXPECT_EQ(FormatFloat(0.125, 2), "0.13");
    EXPECT_EQ(FormatFloat(1.0005, 3), "1.001");  // 1.000499999... in binary
    EXPECT_EQ(FormatFloat(9.9996, 3), "10");
    EXPECT_EQ(FormatFloat(999.9999, 3), "1000");
    EXPECT_EQ(FormatFloat(123456789, 3), "123456789");
    EXPECT_EQ(FormatFloat(0.47, 7), "0.47");
    EXPECT_EQ(FormatFloat(1e-9, 7), "0");
    EXPECT_EQ(FormatFloat(-2.5, 0), "-3");
    EXPECT_EQ(FormatFloat(-0.001, 2), "0");
    EXPECT_EQ(FormatFloat(450, 0), "450");
}
