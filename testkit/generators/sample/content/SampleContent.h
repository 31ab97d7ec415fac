#pragma once
// Contents of a sample installation: the records of the seven tables, the
// pictures of the pictures table, vorel.ini, the help start page and the
// technical texts. Figures come from the makers' public datasheets; a number
// nobody was sure of is left empty rather than guessed.
//
// Texts are UTF-8 and fit the widths of their table fields. Numbers of
// parameters are stored as magnitudes (a PNP part's Vceo 45 V is 45), in
// volts, amperes and watts, except the zener test current Iz in milliamperes;
// no number has more than three decimals, so the equivalents search, which
// writes numbers with three decimals, always finds the part itself.
#include <QImage>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace sample {

using Number = std::optional<double>;  // empty = not known

// The version of these tables' contents, written beside them; raise it
// whenever the records change, so the update check can tell.
inline constexpr const char* kVersaoTabelas = "1.0";

// Table Transistores (key Identificacao).
struct Transistor {
    std::string Identificacao{};    // A 20
    std::string Fabricante{};       // A 20
    std::string Uso{};              // A 20
    std::string Polaridade{};       // A 6: "NPN" or "PNP"
    Number Vceo{}, Vceosus{}, Vcev{}, Vbrceo{}, Vcbo{}, Vebo{};  // V
    Number Ic{}, Icm{}, Ib{}, Ibm{};  // A
    Number Pd{};                    // W
    std::string Tpd{};              // A 15: temperature the Pd figure holds at
    std::string Hfe1{}, Ichfe1{}, Hfe2{}, Ichfe2{};  // A 15 each
    std::string Vcesat{}, Icibvce{}, Vbesat{}, Icibvbe{};  // A 15 each
    std::string Toff{}, Ictoff{};   // A 15 each
    std::string Ft{}, Ftip{}, Fftip{};  // A 15 each
    std::string Encapsulamento{};   // A 20: also a picture name
    std::string Observacoes{};      // A 250
};

// Table DiodosR (key Identificacao).
struct DiodoR {
    std::string Identificacao{};    // A 20
    std::string Uso{};              // A 26
    std::string Vrm{};              // A 6
    Number Vr{};                    // V
    Number Io{};                    // A
    std::string Ifsm{};             // A 6
    Number Pd{};                    // W
    std::string Nota{};             // A 50
    std::string Encapsulamento{};   // A 20: also a picture name
    std::string Fabricante{};       // A 22
};

// Table DiodosZ (key Identificacao).
struct DiodoZ {
    std::string Identificacao{};    // A 20
    std::string Marca{};            // A 6
    Number Tn{};                    // V (zener voltage)
    Number Iz{};                    // mA (test current)
    Number Pd{};                    // W
    std::string Tj{};               // A 5
    std::string Rij{};              // A 4
    std::string Nota{};             // A 50
    std::string Tolerancia{};       // A 3
    std::string Encapsulamento{};   // A 20: also a picture name
    std::string Fabricante{};       // A 22
};

// Table Integrados (key Identificacao, Fabricante).
struct Integrado {
    std::string Identificacao{};    // A 20
    std::string Fabricante{};       // A 22: also the company name of the Links keys
    std::string Descricao{};        // A 80
};

// Table Reparos (key Fabricante, Equipamento, Modelo, Defeito).
struct Reparo {
    std::string Fabricante{};       // A 15
    std::string Equipamento{};      // A 15
    std::string Modelo{};           // A 15
    std::string Defeito{};          // A 60
    std::string Descricao{};        // blob: multi-line text, lines end with "\r\n"
};

// Table ds, file DS.db (key Original, Fabricante).
struct Referencia {
    std::string Original{};         // A 25
    std::string Fabricante{};       // A 20
    std::string Descricao{};        // A 50
    std::string Similar{};          // memo: multi-line text, lines end with "\r\n"
    std::string Equivalente{};      // memo: multi-line text, lines end with "\r\n"
};

const std::vector<Transistor>& Transistores();
const std::vector<DiodoR>& DiodosR();
const std::vector<DiodoZ>& DiodosZ();
const std::vector<Integrado>& Integrados();
const std::vector<Reparo>& Reparos();
const std::vector<Referencia>& DS();

// Sizes of the drawings.
inline constexpr int kPackageWidth = 240, kPackageHeight = 200;    // every package
inline constexpr int kAberturaWidth = 320, kAberturaHeight = 240;  // "abertura"
inline constexpr int kResistorWidth = 320, kResistorHeight = 160;  // "resistor"
inline constexpr int kCapPoliWidth = 320, kCapPoliHeight = 160;    // "cap_poli"

// Every Encapsulamento value used by the device tables, then "abertura",
// "cap_poli" and "resistor"; no name twice.
std::vector<std::string> PictureNames();

// Draws one of PictureNames() on a white opaque image (Format_RGB32) of the
// size above. Needs a QGuiApplication (fonts). An unknown name raises
// platform::Exception.
QImage DrawPicture(const std::string& name);

// vorel.ini: a [Links] section with the keys <company>1 and <company>2 for
// every company of Integrados() (lines end with "\r\n").
std::string VorelIni();

// Help/visao_geral.html: the help start page (plain HTML, ASCII with
// entities, lines end with "\r\n").
std::string HelpStartPage();

// legenda.rtf: the legend of the data sheets' symbols (RTF).
std::string LegendaRtf();

// Files for the library folder: (file name, RTF text).
std::vector<std::pair<std::string, std::string>> LibraryTexts();

}  // namespace sample
