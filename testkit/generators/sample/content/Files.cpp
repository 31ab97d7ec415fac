// Text files of the sample installation: vorel.ini, the help start page and
// the technical texts of the library folder.
#include "testkit/generators/sample/content/SampleContent.h"

#include "platform/core/runtime/Exception.h"

#include <map>
#include <vector>
#include <set>

namespace sample {
namespace {

struct Link {
    const char* before;  // text before the part code
    const char* after;   // text after it
};

// Data-sheet pages per company: link = before + part code + after.
const std::map<std::string, Link>& Links() {
    static const std::map<std::string, Link> links = {
        {"Analog Devices", {"https://www.analog.com/en/products/", ".html"}},
        {"Infineon", {"https://www.infineon.com/cms/en/search.html#!term=", "&view=all"}},
        {"Maxim Integrated", {"https://www.analog.com/en/products/", ".html"}},
        {"Microchip", {"https://www.microchip.com/en-us/product/", ""}},
        {"NXP Semiconductors", {"https://www.nxp.com/search?keyword=", ""}},
        {"ON Semiconductor", {"https://www.onsemi.com/search?q=", ""}},
        {"Renesas", {"https://www.renesas.com/search?keywords=", ""}},
        {"STMicroelectronics", {"https://www.st.com/en/search.html#q=", "-t=products"}},
        {"Texas Instruments", {"https://www.ti.com/product/", ""}},
        {"Vishay", {"https://www.vishay.com/en/search/?query=", ""}},
    };
    return links;
}

std::string CrLf(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

}  // namespace

std::string VorelIni() {
    std::set<std::string> companies;
    for (const Integrado& ic : Integrados()) companies.insert(ic.Fabricante);
    std::string ini = "[Links]\r\n";
    for (const std::string& company : companies) {
        const auto link = Links().find(company);
        if (link == Links().end()) throw platform::Exception("No data-sheet link for the company " + company);
        ini += company + "1=" + link->second.before + "\r\n";
        ini += company + "2=" + link->second.after + "\r\n";
    }
    return ini;
}

std::string HelpStartPage() {
    return CrLf(R"(<html>
<head>
<title>Vorel - Electronics: overview</title>
</head>
<body bgcolor="#FFFFFF">
<font face="Verdana, Arial, Helvetica, sans-serif">
<h2>Vorel - Electronics</h2>
<p>A reference and workshop database for electronics technicians: transistors, diodes and
integrated circuits with their main data, a search for equivalent parts, colour-code
calculators, a repair notebook, a cross-reference list and technical texts.</p>
<hr>
<h3>The tabs</h3>
<table width="100%" border="1" cellpadding="4">
<tr bgcolor="#000080">
<td width="25%"><font color="#FFFFFF"><b>Tab</b></font></td>
<td><font color="#FFFFFF"><b>What it does</b></font></td>
</tr>
<tr><td><b>About...</b></td><td>Program and database versions, totals of each table.</td></tr>
<tr><td><b>Transistors</b></td><td>Bipolar transistors. Type a code in the quick-search box to go
to it; the sheets show its ratings and the last sheet its package. <i>Search equivalents</i>
lists the parts whose ratings match the chosen one.</td></tr>
<tr><td><b>Diodes</b></td><td>Rectifier and zener diodes, with quick search and equivalents
search like the transistors.</td></tr>
<tr><td><b>IC's</b></td><td>Type part of a code (for example <tt>741</tt>) and press
<i>Search</i>. Each code in the result links to its maker's data sheet.</td></tr>
<tr><td><b>Other devices</b></td><td>Colour-code calculators for resistors and polyester
capacitors: choose the colour of each band and press <b>=</b>.</td></tr>
<tr><td><b>Repair database</b></td><td>Your own repair notes: company, equipment, model, problem
and the solution text.</td></tr>
<tr><td><b>Technical texts</b></td><td>A small editor for notes; the texts that come with the
program are in the <tt>library</tt> folder.</td></tr>
<tr><td><b>Cross-reference</b></td><td>Your own list of original parts with their similar and
equivalent parts.</td></tr>
</table>
<h3>Searching equivalents</h3>
<p>The search compares the current part with every part of the table:</p>
<ul>
<li>Transistors: power (Pd), collector current (Ic and Icm), polarity, type of use and
the collector-emitter voltages.
<li>Rectifier diodes: reverse voltage (Vr), forward current and power.
<li>Zener diodes: zener voltage, test current and power.
</ul>
<p>The percentage next to a criterion lets the equivalents be stronger than the original:
with 50&nbsp;% a part of 45&nbsp;V also finds parts up to 67.5&nbsp;V. Always check the
package and the pins: parts with the same ratings may have a different pin order.</p>
<h3>Keys</h3>
<table border="0" cellpadding="2">
<tr><td><b>F1</b></td><td>This help</td></tr>
<tr><td><b>F2</b></td><td>Legend of the abbreviations</td></tr>
<tr><td><b>F3</b></td><td>Verify updates</td></tr>
<tr><td><b>F4</b></td><td>Make databases backup</td></tr>
<tr><td><b>F5</b></td><td>Recover databases backup</td></tr>
</table>
<hr>
<p><font size="-1">The data come from the makers' data sheets. For critical applications
always read the data sheet of the part itself.</font></p>
</font>
</body>
</html>
)");
}

std::vector<std::pair<std::string, std::string>> LibraryTexts() {
    // RTF ignores line ends in text, so every paragraph is one source line.
    const char* const heading = "\\pard\\ql\\sb120\\f1\\fs26\\b ";
    const char* const body = "\\pard\\ql\\f0\\fs24 ";
    const std::pair<const char*, const char*> paragraphs[] = {
        {"\\pard\\qc\\f1\\fs32\\b ", "Testing bipolar transistors with a multimeter"},
        {body, "A bipolar transistor behaves, between its base and each of the other two leads, like a diode. "
               "Most faults can be found with the diode range of a digital multimeter, out of circuit."},
        {heading, "1. Find the base"},
        {body, "Measure every pair of leads in both directions. The base is the lead that conducts to both "
               "others in the same direction. If the red probe is on the base, the transistor is NPN; if the "
               "black probe is on the base, it is PNP."},
        {heading, "2. Read the junctions"},
        {body, "A good silicon junction reads 0.5 V to 0.8 V. The base-emitter junction reads a few millivolts "
               "more than the base-collector junction, which tells the emitter from the collector. Darlington "
               "transistors read about twice as much from base to emitter."},
        {heading, "3. Faults"},
        {body, "{\\i Short:} any pair reads near zero in both directions, most often collector to emitter in "
               "output stages."},
        {body, "{\\i Open:} a junction does not conduct in either direction."},
        {body, "{\\i Leakage:} a junction conducts a little in the reverse direction; it often shows only when "
               "the part is warm."},
        {heading, "4. Before replacing"},
        {body, "Look up the part in the database, compare the package picture and the pin order of the "
               "replacement, and find out why the original failed: a shorted output transistor usually has a "
               "cause elsewhere in the circuit."},
    };
    std::string rtf = "{\\rtf1\\ansi\\deff0\r\n"
                      "{\\fonttbl{\\f0\\froman Times New Roman;}{\\f1\\fswiss Arial;}}\r\n";
    for (const auto& [style, text] : paragraphs) {
        rtf += style;
        rtf += text;
        rtf += "\\b0\\par\r\n";
    }
    rtf += "}\r\n";
    return {{"testing_transistors.rtf", rtf}};
}

std::string LegendaRtf() {
    // (heading, entries): each entry "symbol\tmeaning".
    const std::pair<const char*, std::vector<const char*>> sections[] = {
        {"Symbols", {"@\tlinks two columns: HFE @ Ic (mA) is the gain at that collector current",
                     "tip\ttypical value", "max\tmaximum value", "min\tminimum value"}},
        {"Transistors",
         {"Identification\tdevice code", "Polarity\tNPN or PNP", "Vceo\tcollector-emitter voltage",
          "Vceo(sus)\tcollector-emitter sustained voltage", "Vce\tcollector-emitter peak voltage",
          "V(BR)ceo\tcollector-emitter breakdown voltage", "Vcbo\tcollector-base voltage",
          "Vebo\temitter-base voltage", "Ic\tcollector current, DC", "Icm\tmaximum collector current",
          "Ib\tbase current, DC", "Ibm\tmaximum base current", "Pd\tpower dissipation",
          "HFE\tDC current gain", "Hfe\tsmall-signal current gain", "Vcesat\tcollector-emitter saturation voltage",
          "Vbesat\tbase-emitter saturation voltage", "toff\tturn-off time", "fT\ttransition frequency",
          "F\tnoise figure, at the frequency f"}},
        {"Rectifier diodes",
         {"Vrm\tpeak reverse voltage", "Vr\tDC reverse voltage", "If\tDC forward current",
          "Ifsm\tsurge current", "Pd\tpower dissipation"}},
        {"Zener diodes",
         {"Vz\tnominal voltage", "Iz\ttest current (mA)", "Pd\tpower dissipation", "Tj\tjunction temperature",
          "Rij\tjunction thermal resistance", "Tolerance\tvariation of Vz"}},
    };
    std::string rtf = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}\r\n"
                      "{\\colortbl ;\\red0\\green0\\blue128;}\r\n";
    for (const auto& [heading, entries] : sections) {
        rtf += "\\pard\\sb120\\plain\\f0\\fs24\\b\\cf1 ";
        rtf += heading;
        rtf += "\\par\r\n";
        for (const char* entry : entries) {
            std::string e = entry;
            const size_t tab = e.find('\t');
            // one inch: the legend dialog's tab stop, so wrapped lines align with the meanings
            rtf += "\\pard\\li1440\\fi-1440\\tx1440\\plain\\f0\\fs20\\b ";
            rtf += e.substr(0, tab) + "\\b0\\tab " + e.substr(tab + 1) + "\\par\r\n";
        }
    }
    rtf += "}\r\n";
    return rtf;
}

}  // namespace sample
