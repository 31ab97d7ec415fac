#include "app/calc/CodigoDeCores.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace vorel {

const std::vector<std::string>& CoresAlgarismo1() {
    static const std::vector<std::string> v = {"Brown", "Red",    "Orange", "Yellow", "Green",
                                               "Blue",  "Violet", "Grey",   "White"};
    return v;
}

const std::vector<std::string>& CoresAlgarismo() {
    static const std::vector<std::string> v = {"Black", "Brown",  "Red",  "Orange", "Yellow",
                                               "Green", "Blue",   "Violet", "Grey", "White"};
    return v;
}

const std::vector<std::string>& CoresMultiplicador() {
    static const std::vector<std::string> v = {"Silver", "Gold",  "Black", "Brown",  "Red",  "Orange",
                                               "Yellow", "Green", "Blue",  "Violet", "Grey", "White"};
    return v;
}

const std::vector<std::string>& CoresTolerancia() {
    static const std::vector<std::string> v = {"Silver", "Gold", "Brown", "Red", "Green", "colorless"};
    return v;
}

const std::vector<std::string>& CoresCapacitor1() {
    static const std::vector<std::string> v = {"Marrom", "Vermelho", "Laranja", "Amarelo", "Verde",
                                               "Azul",   "Violeta",  "Cinza",   "Branco"};
    return v;
}

const std::vector<std::string>& CoresCapacitor() {
    static const std::vector<std::string> v = {"Preto", "Marrom", "Vermelho", "Laranja", "Amarelo",
                                               "Verde", "Azul",   "Violeta",  "Cinza",   "Branco"};
    return v;
}

const std::vector<std::string>& CoresToleranciaCapacitor() {
    static const std::vector<std::string> v = {"Prata", "Preto", "Branco", "Cor do corpo"};
    return v;
}

const std::vector<std::string>& CoresTensaoCapacitor() { return CoresCapacitor1(); }

namespace {

int Clamp(int index, const std::vector<std::string>& items) {
    return std::clamp(index, 0, static_cast<int>(items.size()) - 1);
}

// 10 raised to n by repeated multiplication, as the calculators build it.
double PotenciaDeDez(int n) {
    double p = 1;
    for (int i = 0; i < n; ++i) p *= 10;
    return p;
}

}  // namespace

std::string FormatFloat(double value, int decimais) {
    // Stages: 15 significant digits as text; round at the last decimal shown;
    // write the integer part (at least "0") and the decimals without trailing zeros.
    if (!std::isfinite(value)) return value != value ? "NAN" : (value > 0 ? "INF" : "-INF");
    const bool negativo = value < 0;
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.14e", std::fabs(value));
    std::string digitos;
    for (const char* c = buf; *c && *c != 'e'; ++c)
        if (*c >= '0' && *c <= '9') digitos += *c;
    const int expoente = std::atoi(std::strchr(buf, 'e') + 1);
    // value = 0.digitos x 10^(expoente + 1)
    int ponto = expoente + 1;  // digits before the decimal point
    if (ponto < 0) {
        digitos.insert(0, static_cast<size_t>(-ponto), '0');
        ponto = 0;
    }
    if (static_cast<int>(digitos.size()) < ponto + decimais)
        digitos.append(static_cast<size_t>(ponto + decimais) - digitos.size(), '0');
    const size_t corte = static_cast<size_t>(ponto + decimais);
    std::string mantidos = digitos.substr(0, corte);
    if (corte < digitos.size() && digitos[corte] >= '5') {
        int i = static_cast<int>(mantidos.size()) - 1;
        while (i >= 0 && mantidos[static_cast<size_t>(i)] == '9') mantidos[static_cast<size_t>(i--)] = '0';
        if (i >= 0) ++mantidos[static_cast<size_t>(i)];
        else {
            mantidos.insert(0, 1, '1');
            ++ponto;
        }
    }
    std::string inteiro = mantidos.substr(0, static_cast<size_t>(ponto));
    std::string fracao = mantidos.substr(static_cast<size_t>(ponto));
    inteiro.erase(0, std::min(inteiro.find_first_not_of('0'), inteiro.size()));
    if (inteiro.empty()) inteiro = "0";
    while (!fracao.empty() && fracao.back() == '0') fracao.pop_back();
    std::string out = inteiro;
    if (!fracao.empty()) out += "." + fracao;
    if (negativo && out != "0") out.insert(0, 1, '-');
    return out;
}

ValorResistor CalculaResistor(int tipo, int cor1, int cor2, int cor3, int multiplicador, int tolerancia) {
    std::string digitos =
        std::to_string(Clamp(cor1, CoresAlgarismo1()) + 1) + std::to_string(Clamp(cor2, CoresAlgarismo()));
    if (tipo == 6 || tipo == 7) digitos += std::to_string(Clamp(cor3, CoresAlgarismo()));
    const double n = std::stod(digitos);
    const int m = Clamp(multiplicador, CoresMultiplicador());
    const double fator = m == 0 ? 0.01 : m == 1 ? 0.1 : PotenciaDeDez(m - 2);
    const double r = n * fator;

    ValorResistor out;
    if (r < 1) {
        out = {FormatFloat(r, 2), Unidade::Ohm, ""};
    } else if (r < 1000) {
        out = {FormatFloat(r, 3), Unidade::Ohm, ""};
    } else if (r < 1000000) {
        out = {FormatFloat(r * 0.001, 3), Unidade::Kilo, ""};
    } else {
        out = {FormatFloat(r * 0.000001, 3), Unidade::Mega, ""};
    }
    static const char* const tolerancias[] = {"10%", "5%", "1%", "2%", "0.5%", "20%"};
    out.tolerancia = tolerancias[Clamp(tolerancia, CoresTolerancia())];
    return out;
}

ValorCapacitor CalculaCapacitor(int cor1, int cor2, int multiplicador, int tolerancia, int tensao) {
    const double n = std::stod(std::to_string(Clamp(cor1, CoresCapacitor1()) + 1) +
                               std::to_string(Clamp(cor2, CoresCapacitor())));
    const double pf = n * PotenciaDeDez(Clamp(multiplicador, CoresCapacitor()));
    static const char* const tolerancias[] = {"10%", "20%", "10%", "20%"};
    return {FormatFloat(pf * 0.001, 7), tolerancias[Clamp(tolerancia, CoresToleranciaCapacitor())],
            FormatFloat(Clamp(tensao, CoresTensaoCapacitor()) * 100 + 100, 0) + "V"};
}

}  // namespace vorel
