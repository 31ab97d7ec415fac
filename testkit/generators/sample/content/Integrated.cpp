// Integrated circuits of the sample installation, with the company whose
// data-sheet link vorel.ini gives.
#include "testkit/generators/sample/content/SampleContent.h"

namespace sample {
namespace {

const char* const kTI = "Texas Instruments";
const char* const kST = "STMicroelectronics";
const char* const kON = "ON Semiconductor";
const char* const kNXP = "NXP Semiconductors";
const char* const kADI = "Analog Devices";
const char* const kMicrochip = "Microchip";
const char* const kMaxim = "Maxim Integrated";
const char* const kInfineon = "Infineon";
const char* const kRenesas = "Renesas";
const char* const kVishay = "Vishay";

std::vector<Integrado> Build() {
    return {
        // Operational amplifiers and comparators.
        {"LM358", kTI, "Dual operational amplifier, single supply 3 V to 32 V"},
        {"LM324", kTI, "Quad operational amplifier, single supply 3 V to 32 V"},
        {"LM741", kTI, "General-purpose operational amplifier"},
        {"UA741", kTI, "General-purpose operational amplifier"},
        {"UA741", kST, "General-purpose single operational amplifier"},
        {"TL071", kTI, "Low-noise JFET-input operational amplifier"},
        {"TL072", kTI, "Dual low-noise JFET-input operational amplifier"},
        {"TL074", kTI, "Quad low-noise JFET-input operational amplifier"},
        {"TL081", kTI, "JFET-input operational amplifier"},
        {"TL082", kTI, "Dual JFET-input operational amplifier"},
        {"NE5532", kTI, "Dual low-noise operational amplifier"},
        {"NE5534", kTI, "Single low-noise operational amplifier"},
        {"OPA2134", kTI, "Dual high-performance audio operational amplifier"},
        {"INA128", kTI, "Precision low-power instrumentation amplifier"},
        {"LM393", kTI, "Dual differential comparator"},
        {"LM339", kTI, "Quad differential comparator"},
        {"LM311", kTI, "Differential comparator with strobe"},
        {"OP07", kADI, "Ultralow offset voltage operational amplifier"},
        {"AD620", kADI, "Low cost, low power instrumentation amplifier, gain 1 to 10000"},
        {"AD633", kADI, "Low cost analog multiplier"},
        {"CA3140", kRenesas, "4.5 MHz BiMOS operational amplifier with MOSFET input"},
        {"MCP6002", kMicrochip, "Dual 1 MHz low-power operational amplifier, rail-to-rail"},
        // Timers and oscillators.
        {"NE555", kTI, "Precision timer"},
        {"NE555", kST, "General-purpose single bipolar timer"},
        {"NE556", kTI, "Dual precision timer"},
        {"LM555", kTI, "Timer"},
        {"TLC555", kTI, "LinCMOS timer"},
        {"ICM7555", kRenesas, "General purpose CMOS timer"},
        {"ICL8038", kRenesas, "Precision waveform generator / voltage controlled oscillator"},
        {"AD9833", kADI, "Low power programmable waveform generator (DDS)"},
        // Voltage regulators and references.
        {"LM317", kTI, "Adjustable positive voltage regulator, 1.25 V to 37 V, 1.5 A"},
        {"LM337", kTI, "Adjustable negative voltage regulator, -1.25 V to -37 V, 1.5 A"},
        {"TL431", kTI, "Adjustable precision shunt regulator, 2.5 V reference"},
        {"UA78L05", kTI, "Positive voltage regulator 5 V, 100 mA"},
        {"L7805", kST, "Positive voltage regulator 5 V, 1.5 A"},
        {"L7809", kST, "Positive voltage regulator 9 V, 1.5 A"},
        {"L7812", kST, "Positive voltage regulator 12 V, 1.5 A"},
        {"L7815", kST, "Positive voltage regulator 15 V, 1.5 A"},
        {"L7905", kST, "Negative voltage regulator -5 V, 1.5 A"},
        {"L7912", kST, "Negative voltage regulator -12 V, 1.5 A"},
        {"L78L05", kST, "Positive voltage regulator 5 V, 100 mA"},
        {"MC7805", kON, "Positive voltage regulator 5 V, 1 A"},
        {"NCP1117", kON, "Low dropout positive regulator, 1 A"},
        {"MCP1700", kMicrochip, "Low quiescent current LDO regulator, 250 mA"},
        {"ICL7660", kRenesas, "CMOS voltage converter (charge pump inverter)"},
        // Switch-mode power.
        {"LM2596", kTI, "Step-down voltage regulator, 3 A, 150 kHz"},
        {"LM2576", kTI, "Step-down voltage regulator, 3 A, 52 kHz"},
        {"LM2575", kON, "Step-down switching regulator, 1 A"},
        {"MC34063A", kON, "DC-DC converter control circuit, 1.5 A switch"},
        {"MC34063A", kTI, "1.5 A peak boost/buck/inverting switching regulator"},
        {"TL494", kTI, "Pulse-width-modulation control circuit"},
        {"UC3842", kTI, "Current-mode PWM controller"},
        {"UC3843", kST, "High performance current mode PWM controller"},
        {"VIPER22A", kST, "Low power off-line SMPS primary switcher"},
        // Audio.
        {"LM386", kTI, "Low voltage audio power amplifier"},
        {"LM1875", kTI, "20 W audio power amplifier"},
        {"LM3886", kTI, "High-performance 68 W audio power amplifier with mute"},
        {"TPA3116D2", kTI, "50 W stereo class-D audio amplifier"},
        {"TDA2030A", kST, "18 W hi-fi amplifier and 35 W driver"},
        {"TDA2050", kST, "32 W hi-fi audio power amplifier"},
        {"TDA7265", kST, "25 + 25 W stereo amplifier with mute and stand-by"},
        {"TDA7293", kST, "120 V, 100 W DMOS audio amplifier with mute and stand-by"},
        {"TDA7294", kST, "100 V, 100 W DMOS audio amplifier with mute and stand-by"},
        {"TDA1308", kNXP, "Class-AB stereo headphone driver"},
        // Logic.
        {"SN74HC00", kTI, "Quadruple 2-input positive-NAND gates"},
        {"SN74HC04", kTI, "Hex inverters"},
        {"SN74HC08", kTI, "Quadruple 2-input positive-AND gates"},
        {"SN74HC14", kTI, "Hex Schmitt-trigger inverters"},
        {"SN74HC74", kTI, "Dual D-type positive-edge-triggered flip-flops with clear and preset"},
        {"SN74HC138", kTI, "3-line to 8-line decoder/demultiplexer"},
        {"SN74HC245", kTI, "Octal bus transceiver with 3-state outputs"},
        {"SN74HC595", kTI, "8-bit shift register with 3-state output registers"},
        {"SN74LS00", kTI, "Quadruple 2-input positive-NAND gates"},
        {"SN74LS04", kTI, "Hex inverters"},
        {"SN74LS47", kTI, "BCD to seven-segment decoder/driver, open collector"},
        {"SN74LS90", kTI, "Decade counter"},
        {"74HC595", kNXP, "8-bit serial-in, serial or parallel-out shift register with output latches"},
        {"74HC4051", kNXP, "8-channel analog multiplexer/demultiplexer"},
        {"CD4011B", kTI, "CMOS quad 2-input NAND gate"},
        {"CD4017B", kTI, "CMOS decade counter/divider with 10 decoded outputs"},
        {"CD4040B", kTI, "CMOS 12-stage ripple-carry binary counter/divider"},
        {"CD4046B", kTI, "CMOS micropower phase-locked loop"},
        {"CD4051B", kTI, "CMOS single 8-channel analog multiplexer/demultiplexer"},
        {"CD4060B", kTI, "CMOS 14-stage ripple-carry binary counter/divider and oscillator"},
        {"CD4066B", kTI, "CMOS quad bilateral switch"},
        {"CD4093B", kTI, "CMOS quad 2-input NAND Schmitt trigger"},
        // Drivers and interfaces.
        {"ULN2003A", kTI, "High-voltage, high-current Darlington transistor array, 7 channels"},
        {"ULN2803A", kST, "Eight Darlington arrays with common emitters"},
        {"L293D", kTI, "Quadruple half-H driver with clamp diodes, 600 mA"},
        {"L298", kST, "Dual full-bridge driver, 46 V, 4 A total"},
        {"L297", kST, "Stepper motor controller"},
        {"IR2110", kInfineon, "High and low side MOSFET/IGBT gate driver, 500 V"},
        {"TC4420", kMicrochip, "6 A high-speed MOSFET driver"},
        {"MAX232", kTI, "Dual RS-232 driver/receiver, single 5 V supply"},
        {"MAX232", kMaxim, "+5 V powered, multichannel RS-232 driver/receiver"},
        {"MAX485", kMaxim, "Low-power RS-485/RS-422 transceiver"},
        {"SN75176B", kTI, "Differential bus transceiver (RS-485)"},
        {"MAX7219", kMaxim, "Serially interfaced, 8-digit LED display driver"},
        {"MCP2515", kMicrochip, "Stand-alone CAN controller with SPI interface"},
        {"ENC28J60", kMicrochip, "Stand-alone Ethernet controller with SPI interface"},
        {"PCF8574", kNXP, "Remote 8-bit I/O expander for I2C-bus"},
        // Converters, sensors, clocks and memories.
        {"ADC0804", kTI, "8-bit microprocessor-compatible A/D converter"},
        {"ICL7107", kRenesas, "3 1/2 digit A/D converter with LED display drivers"},
        {"MCP3008", kMicrochip, "8-channel 10-bit A/D converter with SPI interface"},
        {"PCF8591", kNXP, "8-bit A/D and D/A converter with I2C-bus"},
        {"AD8307", kADI, "Low cost DC-500 MHz, 92 dB logarithmic amplifier"},
        {"LM35", kTI, "Precision centigrade temperature sensor"},
        {"LM2907", kTI, "Frequency to voltage converter"},
        {"DS18B20", kMaxim, "Programmable resolution 1-Wire digital thermometer"},
        {"DS1307", kMaxim, "64 x 8 serial I2C real-time clock"},
        {"DS3231", kMaxim, "Extremely accurate I2C real-time clock with crystal"},
        {"PCF8563", kNXP, "Real-time clock/calendar with I2C-bus"},
        {"24LC256", kMicrochip, "256 Kbit I2C serial EEPROM"},
        {"M24C02", kST, "2 Kbit serial I2C bus EEPROM"},
        {"TSOP4838", kVishay, "IR receiver module for remote control, 38 kHz"},
        // Microcontrollers.
        {"PIC12F675", kMicrochip, "8-pin flash microcontroller with 10-bit A/D"},
        {"PIC16F84A", kMicrochip, "18-pin flash/EEPROM 8-bit microcontroller, 1K words"},
        {"PIC16F628A", kMicrochip, "18-pin flash microcontroller with comparators, 2K words"},
        {"PIC16F877A", kMicrochip, "40-pin flash microcontroller with 10-bit A/D, 8K words"},
        {"ATMEGA328P", kMicrochip, "8-bit AVR microcontroller, 32 KB flash"},
        {"ATTINY85", kMicrochip, "8-bit AVR microcontroller, 8 KB flash, 8 pins"},
        {"MSP430G2553", kTI, "16-bit ultra-low-power microcontroller, 16 KB flash"},
        {"STM32F103C8", kST, "32-bit ARM Cortex-M3 microcontroller, 64 KB flash, 72 MHz"},
    };
}

}  // namespace

const std::vector<Integrado>& Integrados() {
    static const std::vector<Integrado> rows = Build();
    return rows;
}

}  // namespace sample
