#include "app/calc/CodigoDeCores.h"

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
ValorResistor R(int tipo, const char* a, const char* b, const char* c, const char* d, const char* e = "Gold") {
    return CalculaResistor(tipo, Ix(CoresAlgarismo1(), a), Ix(CoresAlgarismo(), b), Ix(CoresAlgarismo(), c),
                           Ix(CoresMultiplicador(), d), Ix(CoresTolerancia(), e));
}
ValorCapacitor C(const char* a, const char* b, const char* m, const char* t = "Prata", const char* v = "Marrom") {
    return CalculaCapacitor(Ix(CoresCapacitor1(), a), Ix(CoresCapacitor(), b), Ix(CoresCapacitor(), m),
                            Ix(CoresToleranciaCapacitor(), t), Ix(CoresTensaoCapacitor(), v));
}
}  // namespace

TEST(CodigoDeCores, ItemListsAsTheCombosShowThem) {
    EXPECT_EQ(CoresAlgarismo1().size(), 9u);
    EXPECT_EQ(CoresAlgarismo1().front(), "Brown");
    EXPECT_EQ(CoresAlgarismo().size(), 10u);
    EXPECT_EQ(CoresAlgarismo()[8], "Grey");
    EXPECT_EQ(CoresMultiplicador().size(), 12u);
    EXPECT_EQ(CoresMultiplicador()[2], "Black");
    EXPECT_EQ(CoresTolerancia().back(), "colorless");
    EXPECT_EQ(CoresCapacitor1().front(), "Marrom");
    EXPECT_EQ(CoresCapacitor().front(), "Preto");
    EXPECT_EQ(CoresToleranciaCapacitor().back(), "Cor do corpo");
    EXPECT_EQ(CoresTensaoCapacitor().back(), "Branco");
}

TEST(CodigoDeCores, ResistorValuesUnitsAndRanges) {
    struct Case {
        int tipo;
        const char *a, *b, *c, *d;
        std::string valor;
        Unidade unidade;
    } cases[] = {
        {1, "Brown", "Black", "Black", "Silver", "0.1", Unidade::Ohm},
        {1, "Yellow", "Violet", "Black", "Silver", "0.47", Unidade::Ohm},
        {1, "Yellow", "Violet", "Black", "Gold", "4.7", Unidade::Ohm},
        {1, "Brown", "Black", "Black", "Black", "10", Unidade::Ohm},
        {1, "White", "White", "Black", "Brown", "990", Unidade::Ohm},
        {1, "Brown", "Black", "Black", "Red", "1", Unidade::Kilo},
        {1, "Yellow", "Violet", "Black", "Orange", "47", Unidade::Kilo},
        {1, "Brown", "Black", "Black", "Green", "1", Unidade::Mega},
        {1, "Red", "Red", "Black", "Yellow", "220", Unidade::Kilo},
        {1, "Red", "Red", "Black", "Green", "2.2", Unidade::Mega},
        // The third band counts for types 6 and 7 only.
        {1, "Brown", "Black", "White", "Red", "1", Unidade::Kilo},
        {5, "Brown", "Black", "White", "Red", "1", Unidade::Kilo},
        {7, "Brown", "Black", "Black", "Brown", "1", Unidade::Kilo},
        {6, "Brown", "Black", "White", "Brown", "1.09", Unidade::Kilo},
        {7, "Brown", "Red", "Orange", "Brown", "1.23", Unidade::Kilo},
        {7, "Red", "Red", "Violet", "Silver", "2.27", Unidade::Ohm},
        {7, "Brown", "Black", "Black", "Silver", "1", Unidade::Ohm},
        {7, "White", "White", "White", "White", "999000", Unidade::Mega},
    };
    for (const Case& c : cases) {
        const ValorResistor r = R(c.tipo, c.a, c.b, c.c, c.d);
        EXPECT_EQ(r.valor, c.valor) << c.tipo << " " << c.a << " " << c.b << " " << c.c << " " << c.d;
        EXPECT_EQ(r.unidade, c.unidade) << c.tipo << " " << c.a << " " << c.b << " " << c.c << " " << c.d;
    }
}

TEST(CodigoDeCores, ToleranceOfEachColour) {
    const char* expected[] = {"10%", "5%", "1%", "2%", "0.5%", "20%"};
    for (size_t i = 0; i < CoresTolerancia().size(); ++i)
        EXPECT_EQ(R(1, "Brown", "Black", "Black", "Black", CoresTolerancia()[i].c_str()).tolerancia, expected[i]);
    const char* cap[] = {"10%", "20%", "10%", "20%"};
    for (size_t i = 0; i < CoresToleranciaCapacitor().size(); ++i)
        EXPECT_EQ(C("Marrom", "Preto", "Preto", CoresToleranciaCapacitor()[i].c_str()).tolerancia, cap[i]);
}

TEST(CodigoDeCores, CapacitorInNanofaradsAndVoltage) {
    EXPECT_EQ(C("Marrom", "Preto", "Vermelho").capacitancia, "1");
    EXPECT_EQ(C("Amarelo", "Violeta", "Laranja").capacitancia, "47");
    EXPECT_EQ(C("Marrom", "Preto", "Preto").capacitancia, "0.01");
    EXPECT_EQ(C("Vermelho", "Vermelho", "Marrom").capacitancia, "0.22");
    EXPECT_EQ(C("Branco", "Branco", "Branco").capacitancia, "99000000");
    EXPECT_EQ(C("Marrom", "Preto", "Preto", "Prata", "Marrom").tensao, "100V");
    EXPECT_EQ(C("Marrom", "Preto", "Preto", "Prata", "Vermelho").tensao, "200V");
    EXPECT_EQ(C("Marrom", "Preto", "Preto", "Prata", "Branco").tensao, "900V");
}

TEST(CodigoDeCores, OutOfRangeIndexesAreClamped) {
    EXPECT_EQ(CalculaResistor(1, -1, 99, 0, -5, 42).valor, "0.19");
    EXPECT_EQ(CalculaResistor(1, -1, 99, 0, -5, 42).tolerancia, "20%");
    EXPECT_EQ(CalculaCapacitor(-1, -1, -1, 9, 9).tensao, "900V");
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
