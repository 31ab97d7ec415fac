// Repair notes and cross-reference entries of the sample installation:
// common faults of common equipment, written as a workshop would keep them.
#include "testkit/generators/sample/content/SampleContent.h"

#include <initializer_list>

namespace sample {
namespace {

// Multi-line text as the memo controls keep it: lines joined by CR LF.
std::string Lines(std::initializer_list<const char*> lines) {
    std::string text;
    for (const char* line : lines) {
        if (!text.empty()) text += "\r\n";
        text += line;
    }
    return text;
}

std::vector<Reparo> BuildRepairs() {
    return {
        {"Generic", "CRT TV", "14 to 29 inch", "Dead, fuse blown, horizontal output transistor shorted",
         Lines({"1. Check the flyback primary and the yoke for shorted turns before fitting a new",
                "   horizontal output transistor (e.g. BU508A); a bad flyback kills the new one at once.",
                "2. Replace the small electrolytics around the horizontal driver (dried out).",
                "3. Resolder the flyback and driver transformer pins (ring cracks).",
                "4. Power up through a series lamp first and watch the B+ voltage."})},
        {"Generic", "CRT TV", "14 to 29 inch", "Picture with vertical collapse (one horizontal line)",
         Lines({"Vertical output IC or its supply.",
                "1. Measure the vertical stage supply; the feeding resistor is often open.",
                "2. Check the flyback pump-up electrolytic next to the vertical IC.",
                "3. Replace the vertical output IC only after the supply is good."})},
        {"Generic", "ATX PSU", "200 to 500 W", "Standby 5 V present, does not start on PS-ON",
         Lines({"1. Look for bulging or leaking low-ESR capacitors on the secondary side; replace",
                "   them with 105 C low-ESR types of the same voltage or higher.",
                "2. Check the PWM controller supply (TL494 or similar) and its 5 V reference.",
                "3. Test the main switching transistors (e.g. MJE13007) and the secondary",
                "   Schottky rectifiers for shorts."})},
        {"Generic", "Audio amp", "Class AB", "Output stage blown, fuses open, DC at the speaker",
         Lines({"1. Disconnect the speakers. Test every output transistor (e.g. 2SC5200/2SA1943)",
                "   and the drivers; replace the complementary pair together, matched in hFE.",
                "2. Check the emitter resistors (often open) and the bias transistor.",
                "3. Set the bias current to minimum and power up through a series lamp;",
                "   adjust the quiescent current as the service manual says."})},
        {"Generic", "Audio amp", "Class AB", "Hum in both channels, rising with volume",
         Lines({"Filter capacitors of the main supply have lost capacity.",
                "Replace them with the same capacitance and voltage; check the bridge rectifier."})},
        {"Generic", "LCD monitor", "15 to 24 inch", "Backlight turns on for a second, then off",
         Lines({"1. Inspect the power board: swollen capacitors near the inverter are the usual cause.",
                "2. If the capacitors are good, one CCFL lamp may be open; the inverter shuts down",
                "   when a lamp does not strike."})},
        {"Generic", "Microwave oven", "700 to 1000 W", "Lamp and turntable work, no heating",
         Lines({"Danger: discharge the high-voltage capacitor before touching anything.",
                "1. Check the high-voltage diode (reads open both ways on a normal ohmmeter).",
                "2. Check the HV capacitor and its internal bleeder resistor.",
                "3. Magnetron filament resistance is below 1 ohm; no continuity to the case."})},
        {"Generic", "Linear PSU", "Bench 0-30 V", "Output stuck at maximum voltage",
         Lines({"Pass transistor (2N3055 or TIP3055) shorted collector to emitter.",
                "Check the driver transistor and the current-sense resistor before powering up."})},
        {"Nintendo", "Console", "NES-001", "Blinking red power light, grey screen",
         Lines({"1. Clean the cartridge contacts with isopropyl alcohol.",
                "2. Replace or re-tension the 72-pin cartridge connector.",
                "3. If it still blinks, the lockout chip fails to see the cartridge."})},
        {"Commodore", "Computer", "C64", "Black screen at power on",
         Lines({"1. Measure the 5 V and 9 V AC from the power brick under load; a failing brick",
                "   overvoltage damages the chips.",
                "2. Check the PLA, the RAM chips and the CPU by substitution."})},
        {"Sega", "Game console", "Game Gear", "Dim screen and faint or no sound",
         Lines({"The original surface-mount electrolytic capacitors leak.",
                "1. Remove every electrolytic, clean the board of the electrolyte.",
                "2. Fit new capacitors of the same values, observing polarity."})},
        {"Philips", "CD player", "Various", "Tray opens, disc spins but is not read",
         Lines({"1. Clean the laser lens with a cotton bud and isopropyl alcohol.",
                "2. Check the sled rails for dried grease; clean and lubricate lightly.",
                "3. A worn laser shows low RF signal; replace the pickup."})},
        {"Generic", "Car charger", "12 V to USB", "No output, gets warm",
         Lines({"1. Check the input fuse and the protection diode.",
                "2. The switching regulator (MC34063A) is often damaged by load dump;",
                "   replace it together with its current-sense resistor."})},
    };
}

std::vector<Referencia> BuildCrossReferences() {
    return {
        {"BC547", "NXP Semiconductors", "NPN general purpose, 45 V, 0.1 A, TO-92",
         Lines({"BC546 (65 V)", "BC548 (30 V)", "2N3904 (pins E-B-C, 0.2 A)", "2SC1815 (pins E-C-B)"}),
         Lines({"BC547B", "BC107 (TO-18)", "BC847 (SMD, SOT-23)"})},
        {"BC557", "NXP Semiconductors", "PNP general purpose, 45 V, 0.1 A, TO-92",
         Lines({"BC556 (65 V)", "BC558 (30 V)", "2N3906 (pins E-B-C, 0.2 A)", "2SA1015 (pins E-C-B)"}),
         Lines({"BC557B", "BC857 (SMD, SOT-23)"})},
        {"2N3055", "STMicroelectronics", "NPN power, 60 V, 15 A, 115 W, TO-3",
         Lines({"MJ15003 (140 V, 20 A, 250 W)", "MJE3055T (TO-220, 10 A)"}),
         Lines({"TIP3055 (TO-247)"})},
        {"TIP31C", "ON Semiconductor", "NPN power, 100 V, 3 A, 40 W, TO-220",
         Lines({"TIP41C (6 A, 65 W)", "BD139 (TO-126, 1.5 A)"}),
         Lines({"BD241C"})},
        {"TIP41C", "ON Semiconductor", "NPN power, 100 V, 6 A, 65 W, TO-220",
         Lines({"TIP31C (3 A, 40 W)", "TIP35C (TO-247, 25 A)"}),
         Lines({"BD243C"})},
        {"2SC5200", "Toshiba", "NPN audio power, 230 V, 15 A, 150 W",
         Lines({"2SC3281 (200 V)", "MJ21194 (TO-3, 250 V)"}),
         Lines({"2SC5200N"})},
        {"BU508A", "STMicroelectronics", "NPN TV horizontal output, 1500 V, 8 A",
         Lines({"BU2508A", "BU508D (with damper diode)"}),
         Lines({"BU508AF (insulated package)"})},
        {"MJE13005", "ON Semiconductor", "NPN high voltage switching, 400 V, 4 A",
         Lines({"MJE13007 (8 A)", "MJE13009 (12 A)"}),
         Lines({"ST13005"})},
        {"1N4007", "Fairchild", "Rectifier 1000 V, 1 A, DO-41",
         Lines({"UF4007 (ultrafast)", "1N5408 (3 A)"}),
         Lines({"S1M (SMD)", "1N4006 in circuits below 800 V"})},
        {"1N4148", "Fairchild", "Small signal fast switching diode, 100 V",
         Lines({"BAV21 (200 V)"}),
         Lines({"1N914", "1N4448", "LL4148 (SMD, MiniMELF)"})},
        {"NE555", "Texas Instruments", "Precision timer",
         Lines({"TLC555 (CMOS, lower current)", "ICM7555 (CMOS)"}),
         Lines({"LM555", "NE555 (STMicroelectronics)"})},
        {"LM741", "Texas Instruments", "General-purpose operational amplifier",
         Lines({"TL071 (JFET input, same pinout)", "NE5534 (low noise)"}),
         Lines({"UA741", "MC1741"})},
        {"L7805", "STMicroelectronics", "Positive voltage regulator 5 V, 1.5 A, TO-220",
         Lines({"L78M05 (0.5 A)", "L78L05 (0.1 A, TO-92)", "LM317 (adjustable)"}),
         Lines({"MC7805", "UA7805"})},
    };
}

}  // namespace

const std::vector<Reparo>& Reparos() {
    static const std::vector<Reparo> rows = BuildRepairs();
    return rows;
}

const std::vector<Referencia>& DS() {
    static const std::vector<Referencia> rows = BuildCrossReferences();
    return rows;
}

}  // namespace sample
