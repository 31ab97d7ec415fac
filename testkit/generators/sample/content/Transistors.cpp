// Bipolar transistors of the sample installation. Figures are the makers'
// absolute maximum ratings and characteristics at 25 C; PNP voltages and
// currents are stored as magnitudes. Parts that differ only in their hFE
// group carry the same ratings, so the equivalents search finds each other.
#include "testkit/generators/sample/content/SampleContent.h"

namespace sample {
namespace {

const char* const kPinsCBE = "Pins C-B-E (flat face to the front, leads down, left to right).";
const char* const kPinsEBC = "Pins E-B-C (flat face to the front, leads down, left to right).";
const char* const kPinsECB = "Pins E-C-B (flat face to the front, leads down, left to right).";
const char* const kPinsMetalCan = "Pins E-B-C clockwise from the tab, seen from below; case is the collector.";
const char* const kPinsTO126 = "Pins E-C-B (printed face to the front, leads down); metal back is the collector.";
const char* const kPinsBCE = "Pins B-C-E (printed face to the front, leads down); tab is the collector.";
const char* const kPinsTO3 = "Pins B and E; the case is the collector.";
const char* const kPinsSOT23 = "SMD: pin 1 B, pin 2 E, pin 3 C.";

std::string Note(const std::string& text, const char* pins) { return text.empty() ? pins : text + " " + pins; }

// A copy of a part under another code, hFE group and note.
Transistor Grade(const Transistor& base, const char* id, const char* hfe, const std::string& note) {
    Transistor t = base;
    t.Identificacao = id;
    t.Hfe1 = hfe;
    t.Observacoes = note;
    return t;
}

void SmallSignalTO92(std::vector<Transistor>& v) {
    const Transistor bc547{.Identificacao = "BC547", .Fabricante = "NXP Semiconductors", .Uso = "General purpose",
        .Polaridade = "NPN", .Vceo = 45, .Vcbo = 50, .Vebo = 6, .Ic = 0.1, .Icm = 0.2, .Pd = 0.5, .Tpd = "Tamb 25 C",
        .Hfe1 = "110-800", .Ichfe1 = "2 mA", .Vcesat = "0.25 V", .Icibvce = "10/0.5 mA", .Ft = "300 MHz typ",
        .Encapsulamento = "TO-92 CBE", .Observacoes = Note("Complement BC557.", kPinsCBE)};
    v.push_back(bc547);
    v.push_back(Grade(bc547, "BC547A", "110-220", Note("hFE group A. Complement BC557A.", kPinsCBE)));
    v.push_back(Grade(bc547, "BC547B", "200-450", Note("hFE group B. Complement BC557B.", kPinsCBE)));
    v.push_back(Grade(bc547, "BC547C", "420-800", Note("hFE group C. Complement BC557C.", kPinsCBE)));

    Transistor bc546 = Grade(bc547, "BC546", "110-450", Note("Complement BC556.", kPinsCBE));
    bc546.Vceo = 65;
    bc546.Vcbo = 80;
    v.push_back(bc546);
    v.push_back(Grade(bc546, "BC546B", "200-450", Note("hFE group B. Complement BC556B.", kPinsCBE)));

    Transistor bc548 = Grade(bc547, "BC548", "110-800", Note("Complement BC558.", kPinsCBE));
    bc548.Vceo = 30;
    bc548.Vcbo = 30;
    v.push_back(bc548);
    v.push_back(Grade(bc548, "BC548B", "200-450", Note("hFE group B. Complement BC558B.", kPinsCBE)));
    v.push_back(Grade(bc548, "BC548C", "420-800", Note("hFE group C.", kPinsCBE)));

    Transistor bc549 = Grade(bc548, "BC549C", "420-800", Note("Low noise. Complement BC559C.", kPinsCBE));
    bc549.Uso = "Low noise";
    bc549.Vebo.reset();
    v.push_back(bc549);
    Transistor bc550 = Grade(bc549, "BC550C", "420-800", Note("Low noise. Complement BC560C.", kPinsCBE));
    bc550.Vceo = 45;
    bc550.Vcbo = 50;
    v.push_back(bc550);

    const Transistor bc557{.Identificacao = "BC557", .Fabricante = "NXP Semiconductors", .Uso = "General purpose",
        .Polaridade = "PNP", .Vceo = 45, .Vcbo = 50, .Vebo = 5, .Ic = 0.1, .Icm = 0.2, .Pd = 0.5, .Tpd = "Tamb 25 C",
        .Hfe1 = "125-800", .Ichfe1 = "2 mA", .Vcesat = "0.3 V", .Icibvce = "10/0.5 mA", .Ft = "100 MHz min",
        .Encapsulamento = "TO-92 CBE", .Observacoes = Note("Complement BC547.", kPinsCBE)};
    v.push_back(bc557);
    v.push_back(Grade(bc557, "BC557A", "125-250", Note("hFE group A. Complement BC547A.", kPinsCBE)));
    v.push_back(Grade(bc557, "BC557B", "220-475", Note("hFE group B. Complement BC547B.", kPinsCBE)));
    v.push_back(Grade(bc557, "BC557C", "420-800", Note("hFE group C. Complement BC547C.", kPinsCBE)));

    Transistor bc556 = Grade(bc557, "BC556", "125-475", Note("Complement BC546.", kPinsCBE));
    bc556.Vceo = 65;
    bc556.Vcbo = 80;
    v.push_back(bc556);

    Transistor bc558 = Grade(bc557, "BC558", "125-800", Note("Complement BC548.", kPinsCBE));
    bc558.Vceo = 30;
    bc558.Vcbo = 30;
    v.push_back(bc558);
    v.push_back(Grade(bc558, "BC558B", "220-475", Note("hFE group B. Complement BC548B.", kPinsCBE)));

    Transistor bc559 = Grade(bc558, "BC559C", "420-800", Note("Low noise. Complement BC549C.", kPinsCBE));
    bc559.Uso = "Low noise";
    v.push_back(bc559);
    Transistor bc560 = Grade(bc559, "BC560C", "420-800", Note("Low noise. Complement BC550C.", kPinsCBE));
    bc560.Vceo = 45;
    bc560.Vcbo = 50;
    v.push_back(bc560);

    const Transistor bc337{.Identificacao = "BC337", .Fabricante = "NXP Semiconductors", .Uso = "General purpose",
        .Polaridade = "NPN", .Vceo = 45, .Vcbo = 50, .Vebo = 5, .Ic = 0.5, .Icm = 1, .Pd = 0.625, .Tpd = "Tamb 25 C",
        .Hfe1 = "100-630", .Ichfe1 = "100 mA", .Vcesat = "0.7 V", .Icibvce = "500/50 mA", .Ft = "100 MHz typ",
        .Encapsulamento = "TO-92 CBE", .Observacoes = Note("Complement BC327.", kPinsCBE)};
    v.push_back(bc337);
    v.push_back(Grade(bc337, "BC337-16", "100-250", Note("hFE group 16. Complement BC327-16.", kPinsCBE)));
    v.push_back(Grade(bc337, "BC337-25", "160-400", Note("hFE group 25. Complement BC327-25.", kPinsCBE)));
    v.push_back(Grade(bc337, "BC337-40", "250-630", Note("hFE group 40. Complement BC327-40.", kPinsCBE)));
    Transistor bc338 = Grade(bc337, "BC338", "100-630", Note("Complement BC328.", kPinsCBE));
    bc338.Vceo = 25;
    bc338.Vcbo = 30;
    v.push_back(bc338);

    Transistor bc327 = Grade(bc337, "BC327", "100-630", Note("Complement BC337.", kPinsCBE));
    bc327.Polaridade = "PNP";
    bc327.Ft = "";
    v.push_back(bc327);
    v.push_back(Grade(bc327, "BC327-16", "100-250", Note("hFE group 16. Complement BC337-16.", kPinsCBE)));
    v.push_back(Grade(bc327, "BC327-25", "160-400", Note("hFE group 25. Complement BC337-25.", kPinsCBE)));
    v.push_back(Grade(bc327, "BC327-40", "250-630", Note("hFE group 40. Complement BC337-40.", kPinsCBE)));
    Transistor bc328 = Grade(bc327, "BC328", "100-630", Note("Complement BC338.", kPinsCBE));
    bc328.Vceo = 25;
    bc328.Vcbo = 30;
    v.push_back(bc328);

    const Transistor n3904{.Identificacao = "2N3904", .Fabricante = "ON Semiconductor", .Uso = "General purpose",
        .Polaridade = "NPN", .Vceo = 40, .Vcbo = 60, .Vebo = 6, .Ic = 0.2, .Pd = 0.625, .Tpd = "Tamb 25 C",
        .Hfe1 = "100-300", .Ichfe1 = "10 mA", .Hfe2 = "30 min", .Ichfe2 = "100 mA", .Vcesat = "0.2 V",
        .Icibvce = "10/1 mA", .Vbesat = "0.85 V", .Icibvbe = "10/1 mA", .Toff = "250 ns", .Ictoff = "10 mA",
        .Ft = "300 MHz min", .Encapsulamento = "TO-92 EBC", .Observacoes = Note("Complement 2N3906.", kPinsEBC)};
    v.push_back(n3904);
    v.push_back({.Identificacao = "2N3906", .Fabricante = "ON Semiconductor", .Uso = "General purpose",
        .Polaridade = "PNP", .Vceo = 40, .Vcbo = 40, .Vebo = 5, .Ic = 0.2, .Pd = 0.625, .Tpd = "Tamb 25 C",
        .Hfe1 = "100-300", .Ichfe1 = "10 mA", .Hfe2 = "30 min", .Ichfe2 = "100 mA", .Vcesat = "0.25 V",
        .Icibvce = "10/1 mA", .Vbesat = "0.85 V", .Icibvbe = "10/1 mA", .Toff = "300 ns", .Ictoff = "10 mA",
        .Ft = "250 MHz min", .Encapsulamento = "TO-92 EBC", .Observacoes = Note("Complement 2N3904.", kPinsEBC)});
    v.push_back({.Identificacao = "2N4401", .Fabricante = "ON Semiconductor", .Uso = "General purpose",
        .Polaridade = "NPN", .Vceo = 40, .Vcbo = 60, .Vebo = 6, .Ic = 0.6, .Pd = 0.625, .Tpd = "Tamb 25 C",
        .Hfe1 = "100-300", .Ichfe1 = "150 mA", .Hfe2 = "40 min", .Ichfe2 = "500 mA", .Vcesat = "0.4 V",
        .Icibvce = "150/15 mA", .Vbesat = "0.95 V", .Icibvbe = "150/15 mA", .Ft = "250 MHz min",
        .Encapsulamento = "TO-92 EBC", .Observacoes = Note("Complement 2N4403.", kPinsEBC)});
    v.push_back({.Identificacao = "2N4403", .Fabricante = "ON Semiconductor", .Uso = "General purpose",
        .Polaridade = "PNP", .Vceo = 40, .Vcbo = 40, .Vebo = 5, .Ic = 0.6, .Pd = 0.625, .Tpd = "Tamb 25 C",
        .Hfe1 = "100-300", .Ichfe1 = "150 mA", .Hfe2 = "20 min", .Ichfe2 = "500 mA", .Vcesat = "0.4 V",
        .Icibvce = "150/15 mA", .Vbesat = "0.95 V", .Icibvbe = "150/15 mA", .Ft = "200 MHz min",
        .Encapsulamento = "TO-92 EBC", .Observacoes = Note("Complement 2N4401.", kPinsEBC)});
    v.push_back({.Identificacao = "2N5551", .Fabricante = "ON Semiconductor", .Uso = "High voltage",
        .Polaridade = "NPN", .Vceo = 160, .Vcbo = 180, .Vebo = 6, .Ic = 0.6, .Pd = 0.625, .Tpd = "Tamb 25 C",
        .Hfe1 = "80-250", .Ichfe1 = "10 mA", .Hfe2 = "30 min", .Ichfe2 = "50 mA", .Vcesat = "0.2 V",
        .Icibvce = "50/5 mA", .Vbesat = "1 V", .Icibvbe = "10/1 mA", .Ft = "100-300 MHz",
        .Encapsulamento = "TO-92 EBC", .Observacoes = Note("Complement 2N5401.", kPinsEBC)});
    v.push_back({.Identificacao = "2N5401", .Fabricante = "ON Semiconductor", .Uso = "High voltage",
        .Polaridade = "PNP", .Vceo = 150, .Vcbo = 160, .Vebo = 5, .Ic = 0.6, .Pd = 0.625, .Tpd = "Tamb 25 C",
        .Hfe1 = "60-240", .Ichfe1 = "10 mA", .Hfe2 = "50 min", .Ichfe2 = "50 mA", .Vcesat = "0.5 V",
        .Icibvce = "50/5 mA", .Ft = "100-300 MHz", .Encapsulamento = "TO-92 EBC",
        .Observacoes = Note("Complement 2N5551.", kPinsEBC)});
    v.push_back({.Identificacao = "MPSA42", .Fabricante = "ON Semiconductor", .Uso = "High voltage",
        .Polaridade = "NPN", .Vceo = 300, .Vcbo = 300, .Vebo = 6, .Ic = 0.5, .Pd = 0.625, .Tpd = "Tamb 25 C",
        .Hfe1 = "40 min", .Ichfe1 = "10 mA", .Hfe2 = "25 min", .Ichfe2 = "1 mA", .Vcesat = "0.5 V",
        .Icibvce = "20/2 mA", .Vbesat = "0.9 V", .Icibvbe = "20/2 mA", .Ft = "50 MHz min",
        .Encapsulamento = "TO-92 EBC", .Observacoes = Note("Complement MPSA92.", kPinsEBC)});
    v.push_back({.Identificacao = "MPSA92", .Fabricante = "ON Semiconductor", .Uso = "High voltage",
        .Polaridade = "PNP", .Vceo = 300, .Vcbo = 300, .Vebo = 5, .Ic = 0.5, .Pd = 0.625, .Tpd = "Tamb 25 C",
        .Hfe1 = "40 min", .Ichfe1 = "10 mA", .Hfe2 = "25 min", .Ichfe2 = "1 mA", .Vcesat = "0.5 V",
        .Icibvce = "20/2 mA", .Ft = "50 MHz min", .Encapsulamento = "TO-92 EBC",
        .Observacoes = Note("Complement MPSA42.", kPinsEBC)});
    v.push_back({.Identificacao = "2N5089", .Fabricante = "ON Semiconductor", .Uso = "Low noise",
        .Polaridade = "NPN", .Vceo = 25, .Vcbo = 30, .Ic = 0.05, .Pd = 0.625, .Tpd = "Tamb 25 C",
        .Hfe1 = "400-1200", .Ichfe1 = "0.1 mA", .Ft = "50 MHz min", .Encapsulamento = "TO-92 EBC",
        .Observacoes = Note("High gain, low noise audio preamplifier.", kPinsEBC)});

    const Transistor c1815{.Identificacao = "2SC1815", .Fabricante = "Toshiba", .Uso = "General purpose",
        .Polaridade = "NPN", .Vceo = 50, .Vcbo = 60, .Vebo = 5, .Ic = 0.15, .Ib = 0.05, .Pd = 0.4,
        .Tpd = "Tamb 25 C", .Hfe1 = "70-700", .Ichfe1 = "2 mA", .Hfe2 = "25 min", .Ichfe2 = "150 mA",
        .Vcesat = "0.25 V", .Icibvce = "100/10 mA", .Vbesat = "1 V", .Icibvbe = "100/10 mA", .Ft = "80 MHz min",
        .Encapsulamento = "TO-92 ECB", .Observacoes = Note("Complement 2SA1015.", kPinsECB)};
    v.push_back(c1815);
    v.push_back(Grade(c1815, "2SC1815-Y", "120-240", Note("hFE group Y. Complement 2SA1015-Y.", kPinsECB)));
    v.push_back(Grade(c1815, "2SC1815-GR", "200-400", Note("hFE group GR. Complement 2SA1015-GR.", kPinsECB)));
    const Transistor a1015{.Identificacao = "2SA1015", .Fabricante = "Toshiba", .Uso = "General purpose",
        .Polaridade = "PNP", .Vceo = 50, .Vcbo = 50, .Vebo = 5, .Ic = 0.15, .Ib = 0.05, .Pd = 0.4,
        .Tpd = "Tamb 25 C", .Hfe1 = "70-400", .Ichfe1 = "2 mA", .Hfe2 = "25 min", .Ichfe2 = "150 mA",
        .Vcesat = "0.3 V", .Icibvce = "100/10 mA", .Vbesat = "1.1 V", .Icibvbe = "100/10 mA", .Ft = "80 MHz min",
        .Encapsulamento = "TO-92 ECB", .Observacoes = Note("Complement 2SC1815.", kPinsECB)};
    v.push_back(a1015);
    v.push_back(Grade(a1015, "2SA1015-Y", "120-240", Note("hFE group Y. Complement 2SC1815-Y.", kPinsECB)));
    v.push_back(Grade(a1015, "2SA1015-GR", "200-400", Note("hFE group GR. Complement 2SC1815-GR.", kPinsECB)));
}

void MetalCans(std::vector<Transistor>& v) {
    const Transistor bc107{.Identificacao = "BC107", .Fabricante = "Philips", .Uso = "General purpose",
        .Polaridade = "NPN", .Vceo = 45, .Vcbo = 50, .Vebo = 6, .Ic = 0.1, .Icm = 0.2, .Pd = 0.3, .Tpd = "Tamb 25 C",
        .Hfe1 = "110-450", .Ichfe1 = "2 mA", .Vcesat = "0.25 V", .Icibvce = "10/0.5 mA", .Ft = "300 MHz typ",
        .Encapsulamento = "TO-18", .Observacoes = Note("Metal can version of BC547.", kPinsMetalCan)};
    v.push_back(bc107);
    Transistor bc108 = Grade(bc107, "BC108", "110-800", Note("Metal can version of BC548.", kPinsMetalCan));
    bc108.Vceo = 20;
    bc108.Vcbo = 30;
    bc108.Vebo = 5;
    v.push_back(bc108);
    Transistor bc109 = Grade(bc108, "BC109", "200-800", Note("Low noise.", kPinsMetalCan));
    bc109.Uso = "Low noise";
    v.push_back(bc109);
    v.push_back({.Identificacao = "BC177", .Fabricante = "Philips", .Uso = "General purpose",
        .Polaridade = "PNP", .Vceo = 45, .Vcbo = 50, .Vebo = 5, .Ic = 0.1, .Icm = 0.2, .Pd = 0.3, .Tpd = "Tamb 25 C",
        .Encapsulamento = "TO-18", .Observacoes = Note("Complement BC107.", kPinsMetalCan)});
    v.push_back({.Identificacao = "2N2222A", .Fabricante = "STMicroelectronics", .Uso = "Switching",
        .Polaridade = "NPN", .Vceo = 40, .Vcbo = 75, .Vebo = 6, .Ic = 0.8, .Pd = 0.5, .Tpd = "Tamb 25 C",
        .Hfe1 = "100-300", .Ichfe1 = "150 mA", .Hfe2 = "40 min", .Ichfe2 = "500 mA", .Vcesat = "0.3 V",
        .Icibvce = "150/15 mA", .Vbesat = "1.2 V", .Icibvbe = "150/15 mA", .Ft = "300 MHz min",
        .Encapsulamento = "TO-18", .Observacoes = Note("Complement 2N2907A.", kPinsMetalCan)});
    v.push_back({.Identificacao = "2N2907A", .Fabricante = "STMicroelectronics", .Uso = "Switching",
        .Polaridade = "PNP", .Vceo = 60, .Vcbo = 60, .Vebo = 5, .Ic = 0.6, .Pd = 0.4, .Tpd = "Tamb 25 C",
        .Hfe1 = "100-300", .Ichfe1 = "150 mA", .Hfe2 = "50 min", .Ichfe2 = "500 mA", .Vcesat = "0.4 V",
        .Icibvce = "150/15 mA", .Vbesat = "1.3 V", .Icibvbe = "150/15 mA", .Toff = "100 ns", .Ictoff = "150 mA",
        .Ft = "200 MHz min", .Encapsulamento = "TO-18", .Observacoes = Note("Complement 2N2222A.", kPinsMetalCan)});
    v.push_back({.Identificacao = "2N2369A", .Fabricante = "ON Semiconductor", .Uso = "Switching",
        .Polaridade = "NPN", .Vceo = 15, .Vcbo = 40, .Vebo = 4.5, .Ic = 0.2, .Pd = 0.36, .Tpd = "Tamb 25 C",
        .Hfe1 = "40-120", .Ichfe1 = "10 mA", .Vcesat = "0.2 V", .Icibvce = "10/1 mA", .Toff = "18 ns",
        .Ictoff = "10 mA", .Ft = "500 MHz min", .Encapsulamento = "TO-18",
        .Observacoes = Note("Saturated high speed switching.", kPinsMetalCan)});
    v.push_back({.Identificacao = "2N2219A", .Fabricante = "STMicroelectronics", .Uso = "Switching",
        .Polaridade = "NPN", .Vceo = 40, .Vcbo = 75, .Vebo = 6, .Ic = 0.8, .Pd = 0.8, .Tpd = "Tamb 25 C",
        .Hfe1 = "100-300", .Ichfe1 = "150 mA", .Hfe2 = "40 min", .Ichfe2 = "500 mA", .Vcesat = "0.3 V",
        .Icibvce = "150/15 mA", .Vbesat = "1.2 V", .Icibvbe = "150/15 mA", .Ft = "300 MHz min",
        .Encapsulamento = "TO-39", .Observacoes = Note("3 W with case at 25 C. Complement 2N2905A.", kPinsMetalCan)});
    v.push_back({.Identificacao = "2N2905A", .Fabricante = "STMicroelectronics", .Uso = "Switching",
        .Polaridade = "PNP", .Vceo = 60, .Vcbo = 60, .Vebo = 5, .Ic = 0.6, .Pd = 0.6, .Tpd = "Tamb 25 C",
        .Hfe1 = "100-300", .Ichfe1 = "150 mA", .Hfe2 = "50 min", .Ichfe2 = "500 mA", .Vcesat = "0.4 V",
        .Icibvce = "150/15 mA", .Ft = "200 MHz min", .Encapsulamento = "TO-39",
        .Observacoes = Note("Complement 2N2219A.", kPinsMetalCan)});
    v.push_back({.Identificacao = "2N3866", .Fabricante = "Motorola", .Uso = "RF amplifier",
        .Polaridade = "NPN", .Vceo = 30, .Vcbo = 55, .Vebo = 3.5, .Ic = 0.4, .Pd = 5, .Tpd = "Tcase 25 C",
        .Hfe1 = "10-200", .Ichfe1 = "50 mA", .Ft = "500 MHz min", .Encapsulamento = "TO-39",
        .Observacoes = Note("VHF/UHF power amplifier and driver.", kPinsMetalCan)});
    v.push_back({.Identificacao = "2N5179", .Fabricante = "Motorola", .Uso = "RF amplifier",
        .Polaridade = "NPN", .Vceo = 12, .Vcbo = 20, .Vebo = 2.5, .Ic = 0.05, .Pd = 0.2, .Tpd = "Tamb 25 C",
        .Hfe1 = "25-250", .Ichfe1 = "3 mA", .Ft = "900 MHz min", .Encapsulamento = "TO-72",
        .Observacoes = "UHF low noise amplifier and oscillator. Four leads: E, B, C and the shield (case)."});
}

void SurfaceMount(std::vector<Transistor>& v) {
    const Transistor bc847{.Identificacao = "BC847", .Fabricante = "NXP Semiconductors", .Uso = "General purpose",
        .Polaridade = "NPN", .Vceo = 45, .Vcbo = 50, .Vebo = 6, .Ic = 0.1, .Icm = 0.2, .Pd = 0.25, .Tpd = "Tamb 25 C",
        .Hfe1 = "110-800", .Ichfe1 = "2 mA", .Vcesat = "0.25 V", .Icibvce = "10/0.5 mA", .Ft = "100 MHz min",
        .Encapsulamento = "SOT-23", .Observacoes = Note("SMD version of BC547. Complement BC857.", kPinsSOT23)};
    v.push_back(bc847);
    v.push_back(Grade(bc847, "BC847B", "200-450", Note("hFE group B. Complement BC857B.", kPinsSOT23)));
    v.push_back(Grade(bc847, "BC847C", "420-800", Note("hFE group C. Complement BC857C.", kPinsSOT23)));
    const Transistor bc857{.Identificacao = "BC857", .Fabricante = "NXP Semiconductors", .Uso = "General purpose",
        .Polaridade = "PNP", .Vceo = 45, .Vcbo = 50, .Vebo = 5, .Ic = 0.1, .Icm = 0.2, .Pd = 0.25, .Tpd = "Tamb 25 C",
        .Hfe1 = "125-800", .Ichfe1 = "2 mA", .Vcesat = "0.3 V", .Icibvce = "10/0.5 mA", .Ft = "100 MHz min",
        .Encapsulamento = "SOT-23", .Observacoes = Note("SMD version of BC557. Complement BC847.", kPinsSOT23)};
    v.push_back(bc857);
    v.push_back(Grade(bc857, "BC857B", "220-475", Note("hFE group B. Complement BC847B.", kPinsSOT23)));
    v.push_back(Grade(bc857, "BC857C", "420-800", Note("hFE group C. Complement BC847C.", kPinsSOT23)));
    const Transistor bc817{.Identificacao = "BC817-25", .Fabricante = "NXP Semiconductors", .Uso = "General purpose",
        .Polaridade = "NPN", .Vceo = 45, .Vcbo = 50, .Vebo = 5, .Ic = 0.5, .Icm = 1, .Pd = 0.25, .Tpd = "Tamb 25 C",
        .Hfe1 = "160-400", .Ichfe1 = "100 mA", .Vcesat = "0.7 V", .Icibvce = "500/50 mA", .Ft = "100 MHz min",
        .Encapsulamento = "SOT-23", .Observacoes = Note("SMD version of BC337-25. Complement BC807-25.", kPinsSOT23)};
    v.push_back(bc817);
    v.push_back(Grade(bc817, "BC817-40", "250-600", Note("SMD version of BC337-40. Complement BC807-40.", kPinsSOT23)));
    Transistor bc807 = Grade(bc817, "BC807-25", "160-400", Note("SMD version of BC327-25. Complement BC817-25.", kPinsSOT23));
    bc807.Polaridade = "PNP";
    v.push_back(bc807);
    v.push_back(Grade(bc807, "BC807-40", "250-600", Note("SMD version of BC327-40. Complement BC817-40.", kPinsSOT23)));
    v.push_back({.Identificacao = "MMBT3904", .Fabricante = "ON Semiconductor", .Uso = "General purpose",
        .Polaridade = "NPN", .Vceo = 40, .Vcbo = 60, .Vebo = 6, .Ic = 0.2, .Pd = 0.225, .Tpd = "Tamb 25 C",
        .Hfe1 = "100-300", .Ichfe1 = "10 mA", .Ft = "300 MHz min", .Encapsulamento = "SOT-23",
        .Observacoes = Note("SMD version of 2N3904. Complement MMBT3906.", kPinsSOT23)});
    v.push_back({.Identificacao = "MMBT3906", .Fabricante = "ON Semiconductor", .Uso = "General purpose",
        .Polaridade = "PNP", .Vceo = 40, .Vcbo = 40, .Vebo = 5, .Ic = 0.2, .Pd = 0.225, .Tpd = "Tamb 25 C",
        .Hfe1 = "100-300", .Ichfe1 = "10 mA", .Ft = "250 MHz min", .Encapsulamento = "SOT-23",
        .Observacoes = Note("SMD version of 2N3906. Complement MMBT3904.", kPinsSOT23)});
    v.push_back({.Identificacao = "BFR92A", .Fabricante = "NXP Semiconductors", .Uso = "RF amplifier",
        .Polaridade = "NPN", .Vceo = 15, .Vcbo = 20, .Vebo = 2, .Ic = 0.025, .Pd = 0.3, .Tpd = "Tamb 25 C",
        .Ft = "5 GHz typ", .Encapsulamento = "SOT-23",
        .Observacoes = Note("Wideband amplifier up to UHF.", kPinsSOT23)});
}

void MediumPower(std::vector<Transistor>& v) {
    const Transistor bd139{.Identificacao = "BD139", .Fabricante = "Fairchild", .Uso = "Audio driver",
        .Polaridade = "NPN", .Vceo = 80, .Vcbo = 80, .Vebo = 5, .Ic = 1.5, .Icm = 3, .Ib = 0.5, .Pd = 12.5,
        .Tpd = "Tcase 25 C", .Hfe1 = "40-160", .Ichfe1 = "150 mA", .Hfe2 = "25 min", .Ichfe2 = "500 mA",
        .Vcesat = "0.5 V", .Icibvce = "500/50 mA", .Encapsulamento = "TO-126",
        .Observacoes = Note("Complement BD140.", kPinsTO126)};
    v.push_back(bd139);
    v.push_back(Grade(bd139, "BD139-10", "63-160", Note("hFE group 10. Complement BD140-10.", kPinsTO126)));
    v.push_back(Grade(bd139, "BD139-16", "100-250", Note("hFE group 16. Complement BD140-16.", kPinsTO126)));
    Transistor bd135 = Grade(bd139, "BD135", "40-250", Note("Complement BD136.", kPinsTO126));
    bd135.Vceo = 45;
    bd135.Vcbo = 45;
    v.push_back(bd135);
    Transistor bd137 = Grade(bd139, "BD137", "40-160", Note("Complement BD138.", kPinsTO126));
    bd137.Vceo = 60;
    bd137.Vcbo = 60;
    v.push_back(bd137);

    Transistor bd140 = Grade(bd139, "BD140", "40-250", Note("Complement BD139.", kPinsTO126));
    bd140.Polaridade = "PNP";
    v.push_back(bd140);
    v.push_back(Grade(bd140, "BD140-10", "63-160", Note("hFE group 10. Complement BD139-10.", kPinsTO126)));
    v.push_back(Grade(bd140, "BD140-16", "100-250", Note("hFE group 16. Complement BD139-16.", kPinsTO126)));
    Transistor bd136 = Grade(bd140, "BD136", "40-250", Note("Complement BD135.", kPinsTO126));
    bd136.Vceo = 45;
    bd136.Vcbo = 45;
    v.push_back(bd136);
    Transistor bd138 = Grade(bd140, "BD138", "40-250", Note("Complement BD137.", kPinsTO126));
    bd138.Vceo = 60;
    bd138.Vcbo = 60;
    v.push_back(bd138);

    v.push_back({.Identificacao = "BD679", .Fabricante = "STMicroelectronics", .Uso = "Darlington",
        .Polaridade = "NPN", .Vceo = 80, .Vcbo = 80, .Vebo = 5, .Ic = 4, .Icm = 6, .Ib = 0.1, .Pd = 40,
        .Tpd = "Tcase 25 C", .Hfe1 = "750 min", .Ichfe1 = "1.5 A", .Vcesat = "2.5 V", .Icibvce = "1.5 A/30 mA",
        .Encapsulamento = "TO-126", .Observacoes = Note("Darlington with built-in resistors. Complement BD680.", kPinsTO126)});
    v.push_back({.Identificacao = "BD680", .Fabricante = "STMicroelectronics", .Uso = "Darlington",
        .Polaridade = "PNP", .Vceo = 80, .Vcbo = 80, .Vebo = 5, .Ic = 4, .Icm = 6, .Ib = 0.1, .Pd = 40,
        .Tpd = "Tcase 25 C", .Hfe1 = "750 min", .Ichfe1 = "1.5 A", .Vcesat = "2.5 V", .Icibvce = "1.5 A/30 mA",
        .Encapsulamento = "TO-126", .Observacoes = Note("Darlington with built-in resistors. Complement BD679.", kPinsTO126)});
    v.push_back({.Identificacao = "MJE340", .Fabricante = "ON Semiconductor", .Uso = "High voltage",
        .Polaridade = "NPN", .Vceo = 300, .Vebo = 3, .Ic = 0.5, .Pd = 20, .Tpd = "Tcase 25 C",
        .Hfe1 = "30-240", .Ichfe1 = "50 mA", .Encapsulamento = "TO-126",
        .Observacoes = Note("Video output and line-operated amplifiers. Complement MJE350.", kPinsTO126)});
    v.push_back({.Identificacao = "MJE350", .Fabricante = "ON Semiconductor", .Uso = "High voltage",
        .Polaridade = "PNP", .Vceo = 300, .Vebo = 3, .Ic = 0.5, .Pd = 20, .Tpd = "Tcase 25 C",
        .Hfe1 = "30-240", .Ichfe1 = "50 mA", .Encapsulamento = "TO-126",
        .Observacoes = Note("Complement MJE340.", kPinsTO126)});
    v.push_back({.Identificacao = "MJE13003", .Fabricante = "ON Semiconductor", .Uso = "HV switching",
        .Polaridade = "NPN", .Vceo = 400, .Vceosus = 400, .Vcev = 700, .Vebo = 9, .Ic = 1.5, .Icm = 3, .Ib = 0.75,
        .Ibm = 1.5, .Pd = 40, .Tpd = "Tcase 25 C", .Hfe1 = "8-40", .Ichfe1 = "0.5 A", .Hfe2 = "5-25",
        .Ichfe2 = "1 A", .Vcesat = "0.5 V", .Icibvce = "0.5 A/0.1 A", .Vbesat = "1 V", .Icibvbe = "0.5 A/0.1 A",
        .Ft = "4 MHz min",
        .Encapsulamento = "TO-126", .Observacoes = Note("Switch-mode power supplies and lamp ballasts.", kPinsTO126)});
}

void PowerTO220(std::vector<Transistor>& v) {
    const Transistor tip31{.Identificacao = "TIP31", .Fabricante = "ON Semiconductor", .Uso = "Power amp/switch",
        .Polaridade = "NPN", .Vceo = 40, .Vcbo = 40, .Vebo = 5, .Ic = 3, .Icm = 5, .Ib = 1, .Pd = 40,
        .Tpd = "Tcase 25 C", .Hfe1 = "25 min", .Ichfe1 = "1 A", .Hfe2 = "10-50", .Ichfe2 = "3 A",
        .Vcesat = "1.2 V", .Icibvce = "3 A/375 mA", .Ft = "3 MHz min", .Encapsulamento = "TO-220",
        .Observacoes = Note("Complement TIP32.", kPinsBCE)};
    const char* const suffix[] = {"", "A", "B", "C"};
    const double volts[] = {40, 60, 80, 100};
    for (int i = 0; i < 4; ++i) {
        Transistor n = Grade(tip31, "", "25 min", Note(std::string("Complement TIP32") + suffix[i] + ".", kPinsBCE));
        n.Identificacao = std::string("TIP31") + suffix[i];
        n.Vceo = n.Vcbo = volts[i];
        v.push_back(n);
        Transistor p = n;
        p.Identificacao = std::string("TIP32") + suffix[i];
        p.Polaridade = "PNP";
        p.Observacoes = Note(std::string("Complement TIP31") + suffix[i] + ".", kPinsBCE);
        v.push_back(p);
    }
    Transistor bd241c = Grade(tip31, "BD241C", "25 min", Note("Same ratings as TIP31C. Complement BD242C.", kPinsBCE));
    bd241c.Fabricante = "STMicroelectronics";
    bd241c.Vceo = 100;
    bd241c.Vcbo.reset();
    bd241c.Hfe2 = bd241c.Ichfe2 = bd241c.Ft = "";
    v.push_back(bd241c);
    Transistor bd242c = Grade(bd241c, "BD242C", "25 min", Note("Same ratings as TIP32C. Complement BD241C.", kPinsBCE));
    bd242c.Polaridade = "PNP";
    v.push_back(bd242c);

    const Transistor tip41c{.Identificacao = "TIP41C", .Fabricante = "ON Semiconductor", .Uso = "Power amp/switch",
        .Polaridade = "NPN", .Vceo = 100, .Vcbo = 100, .Vebo = 5, .Ic = 6, .Icm = 10, .Ib = 2, .Pd = 65,
        .Tpd = "Tcase 25 C", .Hfe1 = "30 min", .Ichfe1 = "0.3 A", .Hfe2 = "15-75", .Ichfe2 = "3 A",
        .Vcesat = "1.5 V", .Icibvce = "6 A/600 mA", .Ft = "3 MHz min", .Encapsulamento = "TO-220",
        .Observacoes = Note("Complement TIP42C.", kPinsBCE)};
    v.push_back(tip41c);
    Transistor tip41a = Grade(tip41c, "TIP41A", "30 min", Note("Complement TIP42A.", kPinsBCE));
    tip41a.Vceo = tip41a.Vcbo = 60;
    v.push_back(tip41a);
    Transistor tip42c = Grade(tip41c, "TIP42C", "30 min", Note("Complement TIP41C.", kPinsBCE));
    tip42c.Polaridade = "PNP";
    v.push_back(tip42c);
    Transistor bd243c = Grade(tip41c, "BD243C", "30 min", Note("Same ratings as TIP41C. Complement BD244C.", kPinsBCE));
    bd243c.Fabricante = "STMicroelectronics";
    bd243c.Vcbo.reset();
    bd243c.Hfe2 = "15 min";
    bd243c.Vcesat = bd243c.Icibvce = "";
    v.push_back(bd243c);
    Transistor bd244c = Grade(bd243c, "BD244C", "30 min", Note("Same ratings as TIP42C. Complement BD243C.", kPinsBCE));
    bd244c.Polaridade = "PNP";
    v.push_back(bd244c);

    const Transistor tip122{.Identificacao = "TIP122", .Fabricante = "ON Semiconductor", .Uso = "Darlington",
        .Polaridade = "NPN", .Vceo = 100, .Vcbo = 100, .Vebo = 5, .Ic = 5, .Icm = 8, .Ib = 0.12, .Pd = 65,
        .Tpd = "Tcase 25 C", .Hfe1 = "1000 min", .Ichfe1 = "3 A", .Hfe2 = "1000 min", .Ichfe2 = "0.5 A",
        .Vcesat = "2 V", .Icibvce = "3 A/12 mA", .Encapsulamento = "TO-220",
        .Observacoes = Note("Darlington with built-in resistors. Complement TIP127.", kPinsBCE)};
    const char* const npn[] = {"TIP120", "TIP121", "TIP122"};
    const char* const pnp[] = {"TIP125", "TIP126", "TIP127"};
    const double darlingtonVolts[] = {60, 80, 100};
    for (int i = 0; i < 3; ++i) {
        Transistor n = Grade(tip122, npn[i], "1000 min",
                             Note(std::string("Darlington with built-in resistors. Complement ") + pnp[i] + ".", kPinsBCE));
        n.Vceo = n.Vcbo = darlingtonVolts[i];
        v.push_back(n);
        Transistor p = Grade(n, pnp[i], "1000 min",
                             Note(std::string("Darlington with built-in resistors. Complement ") + npn[i] + ".", kPinsBCE));
        p.Polaridade = "PNP";
        v.push_back(p);
    }
    v.push_back({.Identificacao = "BDX53C", .Fabricante = "STMicroelectronics", .Uso = "Darlington",
        .Polaridade = "NPN", .Vceo = 100, .Vcbo = 100, .Vebo = 5, .Ic = 8, .Icm = 12, .Ib = 0.2, .Pd = 60,
        .Tpd = "Tcase 25 C", .Hfe1 = "750 min", .Ichfe1 = "3 A", .Vcesat = "2 V", .Icibvce = "3 A/12 mA",
        .Encapsulamento = "TO-220", .Observacoes = Note("Complement BDX54C.", kPinsBCE)});
    v.push_back({.Identificacao = "BDX54C", .Fabricante = "STMicroelectronics", .Uso = "Darlington",
        .Polaridade = "PNP", .Vceo = 100, .Vcbo = 100, .Vebo = 5, .Ic = 8, .Icm = 12, .Ib = 0.2, .Pd = 60,
        .Tpd = "Tcase 25 C", .Hfe1 = "750 min", .Ichfe1 = "3 A", .Vcesat = "2 V", .Icibvce = "3 A/12 mA",
        .Encapsulamento = "TO-220", .Observacoes = Note("Complement BDX53C.", kPinsBCE)});
    v.push_back({.Identificacao = "MJE3055T", .Fabricante = "ON Semiconductor", .Uso = "Power amp/switch",
        .Polaridade = "NPN", .Vceo = 60, .Vcbo = 70, .Vebo = 5, .Ic = 10, .Ib = 6, .Pd = 75, .Tpd = "Tcase 25 C",
        .Hfe1 = "20-100", .Ichfe1 = "4 A", .Hfe2 = "5 min", .Ichfe2 = "10 A", .Vcesat = "1.1 V",
        .Icibvce = "4 A/400 mA", .Ft = "2 MHz min", .Encapsulamento = "TO-220",
        .Observacoes = Note("Complement MJE2955T.", kPinsBCE)});
    v.push_back({.Identificacao = "MJE2955T", .Fabricante = "ON Semiconductor", .Uso = "Power amp/switch",
        .Polaridade = "PNP", .Vceo = 60, .Vcbo = 70, .Vebo = 5, .Ic = 10, .Ib = 6, .Pd = 75, .Tpd = "Tcase 25 C",
        .Hfe1 = "20-100", .Ichfe1 = "4 A", .Hfe2 = "5 min", .Ichfe2 = "10 A", .Vcesat = "1.1 V",
        .Icibvce = "4 A/400 mA", .Ft = "2 MHz min", .Encapsulamento = "TO-220",
        .Observacoes = Note("Complement MJE3055T.", kPinsBCE)});
    v.push_back({.Identificacao = "MJE13005", .Fabricante = "ON Semiconductor", .Uso = "HV switching",
        .Polaridade = "NPN", .Vceo = 400, .Vceosus = 400, .Vcev = 700, .Vebo = 9, .Ic = 4, .Icm = 8, .Ib = 2,
        .Ibm = 4, .Pd = 75, .Tpd = "Tcase 25 C", .Hfe1 = "10-60", .Ichfe1 = "1 A", .Hfe2 = "8-40", .Ichfe2 = "2 A",
        .Vcesat = "0.5 V", .Icibvce = "1 A/0.2 A", .Vbesat = "1.2 V", .Icibvbe = "1 A/0.2 A", .Ft = "4 MHz min",
        .Encapsulamento = "TO-220", .Observacoes = Note("Switch-mode power supplies and lamp ballasts.", kPinsBCE)});
    v.push_back({.Identificacao = "MJE13007", .Fabricante = "ON Semiconductor", .Uso = "HV switching",
        .Polaridade = "NPN", .Vceo = 400, .Vceosus = 400, .Vcev = 700, .Vebo = 9, .Ic = 8, .Icm = 16, .Ib = 4,
        .Ibm = 8, .Pd = 80, .Tpd = "Tcase 25 C", .Hfe1 = "8-40", .Ichfe1 = "2 A", .Hfe2 = "5-30", .Ichfe2 = "5 A",
        .Ft = "4 MHz min", .Encapsulamento = "TO-220",
        .Observacoes = Note("Switch-mode power supplies and lamp ballasts.", kPinsBCE)});
    v.push_back({.Identificacao = "MJE13009", .Fabricante = "ON Semiconductor", .Uso = "HV switching",
        .Polaridade = "NPN", .Vceo = 400, .Vceosus = 400, .Vcev = 700, .Vebo = 9, .Ic = 12, .Icm = 24, .Ib = 6,
        .Ibm = 12, .Pd = 100, .Tpd = "Tcase 25 C", .Hfe1 = "8-40", .Ichfe1 = "5 A", .Hfe2 = "6-30", .Ichfe2 = "8 A",
        .Ft = "4 MHz min", .Encapsulamento = "TO-220",
        .Observacoes = Note("Switch-mode power supplies and inverters.", kPinsBCE)});
    v.push_back({.Identificacao = "BU406", .Fabricante = "STMicroelectronics", .Uso = "TV horizontal out",
        .Polaridade = "NPN", .Vceo = 200, .Vcev = 400, .Vebo = 6, .Ic = 7, .Icm = 10, .Pd = 60, .Tpd = "Tcase 25 C",
        .Encapsulamento = "TO-220", .Observacoes = Note("Horizontal deflection of small TV sets.", kPinsBCE)});
}

void HighPower(std::vector<Transistor>& v) {
    v.push_back({.Identificacao = "TIP142", .Fabricante = "STMicroelectronics", .Uso = "Darlington",
        .Polaridade = "NPN", .Vceo = 100, .Vcbo = 100, .Vebo = 5, .Ic = 10, .Icm = 15, .Ib = 0.5, .Pd = 125,
        .Tpd = "Tcase 25 C", .Hfe1 = "1000 min", .Ichfe1 = "5 A", .Hfe2 = "500 min", .Ichfe2 = "10 A",
        .Vcesat = "2 V", .Icibvce = "5 A/10 mA", .Encapsulamento = "TO-247",
        .Observacoes = Note("Complement TIP147.", kPinsBCE)});
    v.push_back({.Identificacao = "TIP147", .Fabricante = "STMicroelectronics", .Uso = "Darlington",
        .Polaridade = "PNP", .Vceo = 100, .Vcbo = 100, .Vebo = 5, .Ic = 10, .Icm = 15, .Ib = 0.5, .Pd = 125,
        .Tpd = "Tcase 25 C", .Hfe1 = "1000 min", .Ichfe1 = "5 A", .Hfe2 = "500 min", .Ichfe2 = "10 A",
        .Vcesat = "2 V", .Icibvce = "5 A/10 mA", .Encapsulamento = "TO-247",
        .Observacoes = Note("Complement TIP142.", kPinsBCE)});
    v.push_back({.Identificacao = "TIP35C", .Fabricante = "STMicroelectronics", .Uso = "Power amp/switch",
        .Polaridade = "NPN", .Vceo = 100, .Vcbo = 100, .Vebo = 5, .Ic = 25, .Icm = 40, .Ib = 5, .Pd = 125,
        .Tpd = "Tcase 25 C", .Hfe1 = "25 min", .Ichfe1 = "1.5 A", .Hfe2 = "10-50", .Ichfe2 = "15 A",
        .Vcesat = "1.8 V", .Icibvce = "15 A/1.5 A", .Ft = "3 MHz min", .Encapsulamento = "TO-247",
        .Observacoes = Note("Complement TIP36C.", kPinsBCE)});
    v.push_back({.Identificacao = "TIP36C", .Fabricante = "STMicroelectronics", .Uso = "Power amp/switch",
        .Polaridade = "PNP", .Vceo = 100, .Vcbo = 100, .Vebo = 5, .Ic = 25, .Icm = 40, .Ib = 5, .Pd = 125,
        .Tpd = "Tcase 25 C", .Hfe1 = "25 min", .Ichfe1 = "1.5 A", .Hfe2 = "10-50", .Ichfe2 = "15 A",
        .Vcesat = "1.8 V", .Icibvce = "15 A/1.5 A", .Ft = "3 MHz min", .Encapsulamento = "TO-247",
        .Observacoes = Note("Complement TIP35C.", kPinsBCE)});
    v.push_back({.Identificacao = "TIP3055", .Fabricante = "STMicroelectronics", .Uso = "Power amp/switch",
        .Polaridade = "NPN", .Vceo = 60, .Vcbo = 100, .Vebo = 7, .Ic = 15, .Pd = 90, .Tpd = "Tcase 25 C",
        .Hfe1 = "20-70", .Ichfe1 = "4 A", .Vcesat = "1.1 V", .Icibvce = "4 A/400 mA", .Encapsulamento = "TO-247",
        .Observacoes = Note("Plastic version of 2N3055. Complement TIP2955.", kPinsBCE)});
    v.push_back({.Identificacao = "TIP2955", .Fabricante = "STMicroelectronics", .Uso = "Power amp/switch",
        .Polaridade = "PNP", .Vceo = 60, .Vcbo = 100, .Vebo = 7, .Ic = 15, .Pd = 90, .Tpd = "Tcase 25 C",
        .Hfe1 = "20-70", .Ichfe1 = "4 A", .Vcesat = "1.1 V", .Icibvce = "4 A/400 mA", .Encapsulamento = "TO-247",
        .Observacoes = Note("Plastic version of MJ2955. Complement TIP3055.", kPinsBCE)});

    v.push_back({.Identificacao = "2N3055", .Fabricante = "STMicroelectronics", .Uso = "Power amp/switch",
        .Polaridade = "NPN", .Vceo = 60, .Vcbo = 100, .Vebo = 7, .Ic = 15, .Ib = 7, .Pd = 115, .Tpd = "Tcase 25 C",
        .Hfe1 = "20-70", .Ichfe1 = "4 A", .Hfe2 = "5 min", .Ichfe2 = "10 A", .Vcesat = "1.1 V",
        .Icibvce = "4 A/400 mA", .Ft = "2.5 MHz min", .Encapsulamento = "TO-3",
        .Observacoes = Note("Vcer 70 V. Complement MJ2955.", kPinsTO3)});
    v.push_back({.Identificacao = "MJ2955", .Fabricante = "STMicroelectronics", .Uso = "Power amp/switch",
        .Polaridade = "PNP", .Vceo = 60, .Vcbo = 100, .Vebo = 7, .Ic = 15, .Ib = 7, .Pd = 115, .Tpd = "Tcase 25 C",
        .Hfe1 = "20-70", .Ichfe1 = "4 A", .Hfe2 = "5 min", .Ichfe2 = "10 A", .Vcesat = "1.1 V",
        .Icibvce = "4 A/400 mA", .Ft = "2.5 MHz min", .Encapsulamento = "TO-3",
        .Observacoes = Note("Vcer 70 V. Complement 2N3055.", kPinsTO3)});
    v.push_back({.Identificacao = "MJ15003", .Fabricante = "ON Semiconductor", .Uso = "Audio power",
        .Polaridade = "NPN", .Vceo = 140, .Vcbo = 140, .Vebo = 5, .Ic = 20, .Ib = 5, .Pd = 250, .Tpd = "Tcase 25 C",
        .Hfe1 = "25-150", .Ichfe1 = "5 A", .Ft = "2 MHz min", .Encapsulamento = "TO-3",
        .Observacoes = Note("Complement MJ15004.", kPinsTO3)});
    v.push_back({.Identificacao = "MJ15004", .Fabricante = "ON Semiconductor", .Uso = "Audio power",
        .Polaridade = "PNP", .Vceo = 140, .Vcbo = 140, .Vebo = 5, .Ic = 20, .Ib = 5, .Pd = 250, .Tpd = "Tcase 25 C",
        .Hfe1 = "25-150", .Ichfe1 = "5 A", .Ft = "2 MHz min", .Encapsulamento = "TO-3",
        .Observacoes = Note("Complement MJ15003.", kPinsTO3)});
    v.push_back({.Identificacao = "MJ15024", .Fabricante = "ON Semiconductor", .Uso = "Audio power",
        .Polaridade = "NPN", .Vceo = 250, .Vcbo = 400, .Vebo = 5, .Ic = 16, .Icm = 30, .Ib = 5, .Pd = 250,
        .Tpd = "Tcase 25 C", .Hfe1 = "15-60", .Ichfe1 = "8 A", .Hfe2 = "5 min", .Ichfe2 = "16 A",
        .Vcesat = "1.4 V", .Icibvce = "8 A/0.8 A", .Ft = "4 MHz min", .Encapsulamento = "TO-3",
        .Observacoes = Note("Complement MJ15025.", kPinsTO3)});
    v.push_back({.Identificacao = "MJ15025", .Fabricante = "ON Semiconductor", .Uso = "Audio power",
        .Polaridade = "PNP", .Vceo = 250, .Vcbo = 400, .Vebo = 5, .Ic = 16, .Icm = 30, .Ib = 5, .Pd = 250,
        .Tpd = "Tcase 25 C", .Hfe1 = "15-60", .Ichfe1 = "8 A", .Hfe2 = "5 min", .Ichfe2 = "16 A",
        .Vcesat = "1.4 V", .Icibvce = "8 A/0.8 A", .Ft = "4 MHz min", .Encapsulamento = "TO-3",
        .Observacoes = Note("Complement MJ15024.", kPinsTO3)});
    v.push_back({.Identificacao = "MJ21193", .Fabricante = "ON Semiconductor", .Uso = "Audio power",
        .Polaridade = "PNP", .Vceo = 250, .Vcbo = 400, .Vebo = 5, .Ic = 16, .Icm = 30, .Ib = 5, .Pd = 250,
        .Tpd = "Tcase 25 C", .Hfe1 = "25-75", .Ichfe1 = "8 A", .Hfe2 = "8 min", .Ichfe2 = "16 A",
        .Ft = "4 MHz min", .Encapsulamento = "TO-3", .Observacoes = Note("Complement MJ21194.", kPinsTO3)});
    v.push_back({.Identificacao = "MJ21194", .Fabricante = "ON Semiconductor", .Uso = "Audio power",
        .Polaridade = "NPN", .Vceo = 250, .Vcbo = 400, .Vebo = 5, .Ic = 16, .Icm = 30, .Ib = 5, .Pd = 250,
        .Tpd = "Tcase 25 C", .Hfe1 = "25-75", .Ichfe1 = "8 A", .Hfe2 = "8 min", .Ichfe2 = "16 A",
        .Ft = "4 MHz min", .Encapsulamento = "TO-3", .Observacoes = Note("Complement MJ21193.", kPinsTO3)});
    v.push_back({.Identificacao = "MJ11015", .Fabricante = "ON Semiconductor", .Uso = "Darlington",
        .Polaridade = "PNP", .Vceo = 120, .Vcbo = 120, .Vebo = 5, .Ic = 30, .Ib = 1, .Pd = 200, .Tpd = "Tcase 25 C",
        .Hfe1 = "1000 min", .Ichfe1 = "20 A", .Encapsulamento = "TO-3",
        .Observacoes = Note("Complement MJ11016.", kPinsTO3)});
    v.push_back({.Identificacao = "MJ11016", .Fabricante = "ON Semiconductor", .Uso = "Darlington",
        .Polaridade = "NPN", .Vceo = 120, .Vcbo = 120, .Vebo = 5, .Ic = 30, .Ib = 1, .Pd = 200, .Tpd = "Tcase 25 C",
        .Hfe1 = "1000 min", .Ichfe1 = "20 A", .Encapsulamento = "TO-3",
        .Observacoes = Note("Complement MJ11015.", kPinsTO3)});

    v.push_back({.Identificacao = "2SC5200", .Fabricante = "Toshiba", .Uso = "Audio power",
        .Polaridade = "NPN", .Vceo = 230, .Vcbo = 230, .Vebo = 5, .Ic = 15, .Ib = 1.5, .Pd = 150,
        .Tpd = "Tcase 25 C", .Hfe1 = "55-160", .Ichfe1 = "1 A", .Hfe2 = "35 min", .Ichfe2 = "7 A",
        .Vcesat = "3 V", .Icibvce = "8 A/0.8 A", .Ft = "30 MHz typ", .Encapsulamento = "TO-3PL",
        .Observacoes = Note("Complement 2SA1943.", kPinsBCE)});
    v.push_back({.Identificacao = "2SA1943", .Fabricante = "Toshiba", .Uso = "Audio power",
        .Polaridade = "PNP", .Vceo = 230, .Vcbo = 230, .Vebo = 5, .Ic = 15, .Ib = 1.5, .Pd = 150,
        .Tpd = "Tcase 25 C", .Hfe1 = "55-160", .Ichfe1 = "1 A", .Hfe2 = "35 min", .Ichfe2 = "7 A",
        .Vcesat = "3 V", .Icibvce = "8 A/0.8 A", .Ft = "30 MHz typ", .Encapsulamento = "TO-3PL",
        .Observacoes = Note("Complement 2SC5200.", kPinsBCE)});
    v.push_back({.Identificacao = "2SC3281", .Fabricante = "Toshiba", .Uso = "Audio power",
        .Polaridade = "NPN", .Vceo = 200, .Vcbo = 200, .Vebo = 5, .Ic = 15, .Ib = 1.5, .Pd = 150,
        .Tpd = "Tcase 25 C", .Hfe1 = "55-160", .Ichfe1 = "1 A", .Ft = "30 MHz typ", .Encapsulamento = "TO-3PL",
        .Observacoes = Note("Predecessor of 2SC5200. Complement 2SA1302.", kPinsBCE)});
    v.push_back({.Identificacao = "2SA1302", .Fabricante = "Toshiba", .Uso = "Audio power",
        .Polaridade = "PNP", .Vceo = 200, .Vcbo = 200, .Vebo = 5, .Ic = 15, .Ib = 1.5, .Pd = 150,
        .Tpd = "Tcase 25 C", .Hfe1 = "55-160", .Ichfe1 = "1 A", .Ft = "30 MHz typ", .Encapsulamento = "TO-3PL",
        .Observacoes = Note("Predecessor of 2SA1943. Complement 2SC3281.", kPinsBCE)});
    v.push_back({.Identificacao = "2SC5198", .Fabricante = "Toshiba", .Uso = "Audio power",
        .Polaridade = "NPN", .Vceo = 140, .Vcbo = 140, .Vebo = 5, .Ic = 10, .Ib = 1, .Pd = 100,
        .Tpd = "Tcase 25 C", .Hfe1 = "55-160", .Ichfe1 = "1 A", .Ft = "30 MHz typ", .Encapsulamento = "TO-3P",
        .Observacoes = Note("Complement 2SA1941.", kPinsBCE)});
    v.push_back({.Identificacao = "2SA1941", .Fabricante = "Toshiba", .Uso = "Audio power",
        .Polaridade = "PNP", .Vceo = 140, .Vcbo = 140, .Vebo = 5, .Ic = 10, .Ib = 1, .Pd = 100,
        .Tpd = "Tcase 25 C", .Hfe1 = "55-160", .Ichfe1 = "1 A", .Ft = "30 MHz typ", .Encapsulamento = "TO-3P",
        .Observacoes = Note("Complement 2SC5198.", kPinsBCE)});
    v.push_back({.Identificacao = "BU508A", .Fabricante = "STMicroelectronics", .Uso = "TV horizontal out",
        .Polaridade = "NPN", .Vceo = 700, .Vcev = 1500, .Ic = 8, .Icm = 15, .Pd = 125, .Tpd = "Tcase 25 C",
        .Encapsulamento = "TO-218",
        .Observacoes = Note("Horizontal deflection output of colour TV sets; Vces 1500 V.", kPinsBCE)});
}

std::vector<Transistor> Build() {
    std::vector<Transistor> v;
    SmallSignalTO92(v);
    MetalCans(v);
    SurfaceMount(v);
    MediumPower(v);
    PowerTO220(v);
    HighPower(v);
    return v;
}

}  // namespace

const std::vector<Transistor>& Transistores() {
    static const std::vector<Transistor> rows = Build();
    return rows;
}

}  // namespace sample
