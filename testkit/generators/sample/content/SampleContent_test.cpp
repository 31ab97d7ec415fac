#include "testkit/generators/sample/content/SampleContent.h"

#include "platform/core/runtime/Exception.h"
#include "platform/core/runtime/Text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <functional>
#include <map>
#include <set>
#include <sstream>

namespace sample {
namespace {

bool IsAscii(const std::string& text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Table texts must fit their field and survive any code page: plain ASCII.
void ExpectFits(const std::string& table, const std::string& key, const char* field, const std::string& value,
                size_t width) {
    EXPECT_LE(value.size(), width) << table << " " << key << " " << field << ": \"" << value << "\"";
    EXPECT_TRUE(IsAscii(value)) << table << " " << key << " " << field;
}

void ExpectMultiLine(const std::string& where, const std::string& text) {
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n') {
            EXPECT_TRUE(i > 0 && text[i - 1] == '\r') << where << ": lone LF";
        }
        if (text[i] == '\r') {
            EXPECT_TRUE(i + 1 < text.size() && text[i + 1] == '\n') << where << ": lone CR";
        }
    }
    EXPECT_TRUE(IsAscii(text)) << where;
}

// The equivalents search writes bounds with three decimals.
double ThreeDecimals(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.3f", value);
    return std::strtod(text, nullptr);
}

// A range criterion at 0 % as the search builds it: an empty original reads
// as 0, and an empty candidate never matches a comparison.
bool InRange(const Number& original, const Number& candidate) {
    const double bound = ThreeDecimals(original.value_or(0));
    return candidate && *candidate >= bound && *candidate <= bound;
}

bool FindsTransistor(const Transistor& o, const Transistor& c) {
    if (!InRange(o.Pd, c.Pd) || !InRange(o.Ic, c.Ic) || !InRange(o.Icm, c.Icm)) return false;
    if (o.Polaridade != c.Polaridade || o.Uso != c.Uso) return false;
    for (auto field : {&Transistor::Vceo, &Transistor::Vceosus, &Transistor::Vcev, &Transistor::Vbrceo}) {
        if ((o.*field).value_or(0) > 0 && !InRange(o.*field, c.*field)) return false;
    }
    return true;
}

bool FindsRectifier(const DiodoR& o, const DiodoR& c) {
    return InRange(o.Vr, c.Vr) && InRange(o.Io, c.Io) && InRange(o.Pd, c.Pd);
}

bool FindsZener(const DiodoZ& o, const DiodoZ& c) {
    return InRange(o.Tn, c.Tn) && InRange(o.Iz, c.Iz) && InRange(o.Pd, c.Pd);
}

template <class Row>
const Row& ByCode(const std::vector<Row>& rows, const std::string& code) {
    const auto it = std::find_if(rows.begin(), rows.end(), [&](const Row& r) { return r.Identificacao == code; });
    if (it == rows.end()) throw std::runtime_error("missing " + code);
    return *it;
}

template <class Row>
std::vector<std::pair<std::string, std::string>> MutualPairs(const std::vector<Row>& rows,
                                                             bool (*finds)(const Row&, const Row&)) {
    std::vector<std::pair<std::string, std::string>> pairs;
    for (size_t i = 0; i < rows.size(); ++i) {
        for (size_t j = i + 1; j < rows.size(); ++j) {
            if (finds(rows[i], rows[j]) && finds(rows[j], rows[i]))
                pairs.emplace_back(rows[i].Identificacao, rows[j].Identificacao);
        }
    }
    return pairs;
}

bool HasPair(const std::vector<std::pair<std::string, std::string>>& pairs, const std::string& a,
             const std::string& b) {
    return std::any_of(pairs.begin(), pairs.end(), [&](const auto& p) {
        return (p.first == a && p.second == b) || (p.first == b && p.second == a);
    });
}

void ExpectStoredNumber(const std::string& where, const Number& n) {
    if (!n) return;
    EXPECT_TRUE(std::isfinite(*n) && *n >= 0) << where;
    EXPECT_NEAR(*n * 1000, std::round(*n * 1000), 1e-6) << where << " has more than three decimals";
}

TEST(SampleTables, HoldEnoughRealRows) {
    EXPECT_GE(Transistores().size(), 80u);
    EXPECT_GE(DiodosR().size(), 25u);
    EXPECT_GE(DiodosZ().size(), 40u);
    EXPECT_GE(Integrados().size(), 100u);
    EXPECT_GE(Reparos().size(), 12u);
    EXPECT_GE(DS().size(), 12u);
    // The families the catalogue promises.
    std::set<std::string> packages, uses;
    std::map<std::string, int> polarity;
    for (const Transistor& t : Transistores()) {
        packages.insert(t.Encapsulamento);
        uses.insert(t.Uso);
        ++polarity[t.Polaridade];
    }
    for (const char* p : {"TO-92 CBE", "TO-18", "TO-126", "TO-220", "TO-247", "TO-3", "SOT-23"})
        EXPECT_TRUE(packages.count(p)) << p;
    for (const char* u : {"General purpose", "Switching", "Audio power", "RF amplifier", "Darlington", "High voltage"})
        EXPECT_TRUE(uses.count(u)) << u;
    EXPECT_EQ(polarity.size(), 2u);
    EXPECT_GE(polarity["PNP"], 30);
}

TEST(SampleTables, TextsFitTheirFields) {
    for (const Transistor& t : Transistores()) {
        const std::string& k = t.Identificacao;
        ExpectFits("Transistores", k, "Identificacao", t.Identificacao, 20);
        ExpectFits("Transistores", k, "Fabricante", t.Fabricante, 20);
        ExpectFits("Transistores", k, "Uso", t.Uso, 20);
        ExpectFits("Transistores", k, "Polaridade", t.Polaridade, 6);
        for (auto [name, value] : std::initializer_list<std::pair<const char*, const std::string*>>{
                 {"Tpd", &t.Tpd}, {"Hfe1", &t.Hfe1}, {"Ichfe1", &t.Ichfe1}, {"Hfe2", &t.Hfe2},
                 {"Ichfe2", &t.Ichfe2}, {"Vcesat", &t.Vcesat}, {"Icibvce", &t.Icibvce}, {"Vbesat", &t.Vbesat},
                 {"Icibvbe", &t.Icibvbe}, {"Toff", &t.Toff}, {"Ictoff", &t.Ictoff}, {"Ft", &t.Ft},
                 {"Ftip", &t.Ftip}, {"Fftip", &t.Fftip}})
            ExpectFits("Transistores", k, name, *value, 15);
        ExpectFits("Transistores", k, "Encapsulamento", t.Encapsulamento, 20);
        ExpectFits("Transistores", k, "Observacoes", t.Observacoes, 250);
    }
    for (const DiodoR& d : DiodosR()) {
        const std::string& k = d.Identificacao;
        ExpectFits("DiodosR", k, "Identificacao", d.Identificacao, 20);
        ExpectFits("DiodosR", k, "Uso", d.Uso, 26);
        ExpectFits("DiodosR", k, "Vrm", d.Vrm, 6);
        ExpectFits("DiodosR", k, "Ifsm", d.Ifsm, 6);
        ExpectFits("DiodosR", k, "Nota", d.Nota, 50);
        ExpectFits("DiodosR", k, "Encapsulamento", d.Encapsulamento, 20);
        ExpectFits("DiodosR", k, "Fabricante", d.Fabricante, 22);
    }
    for (const DiodoZ& d : DiodosZ()) {
        const std::string& k = d.Identificacao;
        ExpectFits("DiodosZ", k, "Identificacao", d.Identificacao, 20);
        ExpectFits("DiodosZ", k, "Marca", d.Marca, 6);
        ExpectFits("DiodosZ", k, "Tj", d.Tj, 5);
        ExpectFits("DiodosZ", k, "Rij", d.Rij, 4);
        ExpectFits("DiodosZ", k, "Nota", d.Nota, 50);
        ExpectFits("DiodosZ", k, "Tolerancia", d.Tolerancia, 3);
        ExpectFits("DiodosZ", k, "Encapsulamento", d.Encapsulamento, 20);
        ExpectFits("DiodosZ", k, "Fabricante", d.Fabricante, 22);
    }
    for (const Integrado& i : Integrados()) {
        ExpectFits("Integrados", i.Identificacao, "Identificacao", i.Identificacao, 20);
        ExpectFits("Integrados", i.Identificacao, "Fabricante", i.Fabricante, 22);
        ExpectFits("Integrados", i.Identificacao, "Descricao", i.Descricao, 80);
    }
    for (const Reparo& r : Reparos()) {
        const std::string k = r.Fabricante + "/" + r.Modelo;
        ExpectFits("Reparos", k, "Fabricante", r.Fabricante, 15);
        ExpectFits("Reparos", k, "Equipamento", r.Equipamento, 15);
        ExpectFits("Reparos", k, "Modelo", r.Modelo, 15);
        ExpectFits("Reparos", k, "Defeito", r.Defeito, 60);
    }
    for (const Referencia& d : DS()) {
        ExpectFits("ds", d.Original, "Original", d.Original, 25);
        ExpectFits("ds", d.Original, "Fabricante", d.Fabricante, 20);
        ExpectFits("ds", d.Original, "Descricao", d.Descricao, 50);
    }
}

TEST(SampleTables, KeysAreUniqueIgnoringCaseAndHaveNoOuterBlanks) {
    auto expectKey = [](std::set<std::string>& seen, const std::string& table, const std::string& key) {
        EXPECT_FALSE(key.empty()) << table;
        EXPECT_TRUE(seen.insert(platform::AsciiLower(key)).second) << table << ": key twice: " << key;
    };
    auto trimmed = [](const std::string& s) { return s.empty() || (s.front() != ' ' && s.back() != ' '); };
    std::set<std::string> t, r, z, ic, rep, ds;
    for (const Transistor& x : Transistores()) expectKey(t, "Transistores", x.Identificacao);
    for (const DiodoR& x : DiodosR()) expectKey(r, "DiodosR", x.Identificacao);
    for (const DiodoZ& x : DiodosZ()) expectKey(z, "DiodosZ", x.Identificacao);
    for (const Integrado& x : Integrados()) {
        EXPECT_FALSE(x.Fabricante.empty()) << x.Identificacao;
        expectKey(ic, "Integrados", x.Identificacao + "\t" + x.Fabricante);
    }
    for (const Reparo& x : Reparos()) {
        for (const std::string* f : {&x.Fabricante, &x.Equipamento, &x.Modelo, &x.Defeito}) {
            EXPECT_FALSE(f->empty());
            EXPECT_TRUE(trimmed(*f)) << *f;
        }
        expectKey(rep, "Reparos", x.Fabricante + "\t" + x.Equipamento + "\t" + x.Modelo + "\t" + x.Defeito);
    }
    // Saving a cross-reference trims both key fields; stored keys must already be trimmed.
    for (const Referencia& x : DS()) {
        EXPECT_TRUE(trimmed(x.Original) && trimmed(x.Fabricante)) << x.Original;
        EXPECT_FALSE(x.Fabricante.empty()) << x.Original;
        expectKey(ds, "ds", x.Original + "\t" + x.Fabricante);
    }
    // The rectifier handlers look a picture up with the stored value untrimmed.
    for (const DiodoR& x : DiodosR()) EXPECT_TRUE(trimmed(x.Encapsulamento)) << x.Identificacao;
    for (const Transistor& x : Transistores()) EXPECT_TRUE(trimmed(x.Identificacao)) << x.Identificacao;
}

TEST(SampleTables, NumbersAreMagnitudesWithAtMostThreeDecimals) {
    for (const Transistor& t : Transistores()) {
        EXPECT_TRUE(t.Polaridade == "NPN" || t.Polaridade == "PNP") << t.Identificacao;
        EXPECT_EQ(t.Uso.find('"'), std::string::npos) << t.Identificacao;  // goes into SQL between quotes
        for (const Number* n : {&t.Vceo, &t.Vceosus, &t.Vcev, &t.Vbrceo, &t.Vcbo, &t.Vebo, &t.Ic, &t.Icm, &t.Ib,
                                &t.Ibm, &t.Pd})
            ExpectStoredNumber(t.Identificacao, *n);
        // Every part has the figures the search compares first.
        EXPECT_TRUE(t.Vceo && *t.Vceo > 0 && t.Ic && t.Pd) << t.Identificacao;
        EXPECT_FALSE(t.Uso.empty()) << t.Identificacao;
    }
    for (const DiodoR& d : DiodosR()) {
        for (const Number* n : {&d.Vr, &d.Io, &d.Pd}) ExpectStoredNumber(d.Identificacao, *n);
        EXPECT_TRUE(d.Vr && d.Io) << d.Identificacao;
    }
    for (const DiodoZ& d : DiodosZ()) {
        for (const Number* n : {&d.Tn, &d.Iz, &d.Pd}) ExpectStoredNumber(d.Identificacao, *n);
        EXPECT_TRUE(d.Tn && d.Iz && d.Pd) << d.Identificacao;
    }
}

TEST(SampleTables, EveryKindHasGroupsOfMutualEquivalents) {
    const auto transistors = MutualPairs<Transistor>(Transistores(), &FindsTransistor);
    const auto rectifiers = MutualPairs<DiodoR>(DiodosR(), &FindsRectifier);
    const auto zeners = MutualPairs<DiodoZ>(DiodosZ(), &FindsZener);
    EXPECT_GE(transistors.size(), 10u);
    EXPECT_FALSE(rectifiers.empty());
    EXPECT_FALSE(zeners.empty());
    // Same part under two codes, and hFE groups of one part.
    EXPECT_TRUE(HasPair(transistors, "TIP31C", "BD241C"));
    EXPECT_TRUE(HasPair(transistors, "TIP42C", "BD244C"));
    EXPECT_TRUE(HasPair(transistors, "BC547B", "BC547C"));
    EXPECT_TRUE(HasPair(transistors, "MJ15024", "MJ21194"));
    EXPECT_TRUE(HasPair(rectifiers, "1N4148", "1N914"));
    EXPECT_TRUE(HasPair(zeners, "1N4733", "1N4733A"));
    EXPECT_TRUE(HasPair(zeners, "BZX79-C5V1", "BZX55C5V1"));
    // Complements and neighbours of a family are not equivalents.
    EXPECT_FALSE(HasPair(transistors, "BC547", "BC557"));
    EXPECT_FALSE(HasPair(transistors, "BC547", "BC548"));
    EXPECT_FALSE(HasPair(rectifiers, "1N4001", "1N4007"));
}

TEST(SampleTables, PartsWithTheComparedFiguresFindThemselves) {
    for (const Transistor& t : Transistores()) {
        if (t.Icm) {
            EXPECT_TRUE(FindsTransistor(t, t)) << t.Identificacao;
        }
    }
    for (const DiodoR& d : DiodosR()) {
        if (d.Pd) {
            EXPECT_TRUE(FindsRectifier(d, d)) << d.Identificacao;
        }
    }
    for (const DiodoZ& d : DiodosZ()) EXPECT_TRUE(FindsZener(d, d)) << d.Identificacao;
    const Transistor& bc547 = ByCode(Transistores(), "BC547");
    EXPECT_EQ(bc547.Vceo, 45);
    EXPECT_EQ(bc547.Ic, 0.1);
    EXPECT_EQ(bc547.Pd, 0.5);
    EXPECT_EQ(bc547.Hfe1, "110-800");
}

TEST(SampleTables, IntegratedCircuitCodesAreUpperCaseSoTheSearchBoxFindsThem) {
    // The search box upper-cases what is typed and the match is case-sensitive.
    for (const Integrado& i : Integrados()) {
        EXPECT_EQ(i.Identificacao, [&] {
            std::string up = i.Identificacao;
            std::transform(up.begin(), up.end(), up.begin(), [](unsigned char c) { return std::toupper(c); });
            return up;
        }()) << i.Identificacao;
        EXPECT_FALSE(i.Descricao.empty()) << i.Identificacao;
    }
    // The result page writes these unescaped, the code inside a quoted link.
    for (const Integrado& i : Integrados()) {
        for (const std::string* text : {&i.Identificacao, &i.Fabricante, &i.Descricao})
            EXPECT_EQ(text->find_first_of("<>&\""), std::string::npos) << *text;
    }
    std::set<std::string> with741;
    for (const Integrado& i : Integrados()) {
        if (i.Identificacao.find("741") != std::string::npos) with741.insert(i.Identificacao);
    }
    EXPECT_TRUE(with741.count("LM741") && with741.count("UA741"));
}

TEST(SampleTables, RepairAndCrossReferenceTextsAreMultiLine) {
    for (const Reparo& r : Reparos()) {
        ExpectMultiLine(r.Defeito, r.Descricao);
        EXPECT_NE(r.Descricao.find("\r\n"), std::string::npos) << r.Defeito;
    }
    int multiLine = 0;
    for (const Referencia& d : DS()) {
        ExpectMultiLine(d.Original, d.Similar);
        ExpectMultiLine(d.Original, d.Equivalente);
        EXPECT_FALSE(d.Similar.empty() && d.Equivalente.empty()) << d.Original;
        if (d.Similar.find("\r\n") != std::string::npos) ++multiLine;
    }
    EXPECT_GE(multiLine, 6);
}

TEST(SamplePictures, EveryPackageHasAPictureOfThePromisedSize) {
    const std::vector<std::string> names = PictureNames();
    std::set<std::string> lowered;
    for (const std::string& n : names) {
        EXPECT_FALSE(n.empty());
        EXPECT_LE(n.size(), 20u) << n;
        EXPECT_TRUE(lowered.insert(platform::AsciiLower(n)).second) << "picture twice: " << n;
    }
    auto has = [&](const std::string& n) { return std::find(names.begin(), names.end(), n) != names.end(); };
    for (const Transistor& t : Transistores()) EXPECT_TRUE(has(t.Encapsulamento)) << t.Identificacao;
    for (const DiodoR& d : DiodosR()) EXPECT_TRUE(has(d.Encapsulamento)) << d.Identificacao;
    for (const DiodoZ& d : DiodosZ()) EXPECT_TRUE(has(d.Encapsulamento)) << d.Identificacao;
    for (const char* fixed : {"abertura", "cap_poli", "resistor"}) EXPECT_TRUE(has(fixed)) << fixed;

    for (const std::string& n : names) {
        const QImage image = DrawPicture(n);
        ASSERT_FALSE(image.isNull()) << n;
        QSize promised(kPackageWidth, kPackageHeight);
        if (n == "abertura") promised = QSize(kAberturaWidth, kAberturaHeight);
        if (n == "resistor") promised = QSize(kResistorWidth, kResistorHeight);
        if (n == "cap_poli") promised = QSize(kCapPoliWidth, kCapPoliHeight);
        EXPECT_EQ(image.size(), promised) << n;
        EXPECT_FALSE(image.hasAlphaChannel()) << n;
        // Something is drawn: a fair share of the image is not background.
        const QRgb background = image.pixel(0, image.height() - 1);
        int drawn = 0;
        for (int y = 0; y < image.height(); y += 2) {
            for (int x = 0; x < image.width(); x += 2) drawn += image.pixel(x, y) != background;
        }
        EXPECT_GT(drawn, image.width() * image.height() / 4 / 20) << n;
    }
}

TEST(SamplePictures, UnknownNameIsAClearError) {
    try {
        DrawPicture("TO-999");
        FAIL() << "no error";
    } catch (const platform::Exception& e) {
        EXPECT_NE(std::string(e.what()).find("TO-999"), std::string::npos);
    }
    EXPECT_THROW(DrawPicture(""), platform::Exception);
}

std::map<std::string, std::string> LinksSection(const std::string& ini) {
    std::map<std::string, std::string> keys;
    std::istringstream in(ini);
    std::string line, section;
    while (std::getline(in, line)) {
        EXPECT_FALSE(line.empty() || line.back() != '\r') << "line without CR LF: " << line;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        if (line.front() == '[') {
            section = line;
            continue;
        }
        const auto eq = line.find('=');
        EXPECT_NE(eq, std::string::npos) << line;
        if (section == "[Links]" && eq != std::string::npos) {
            EXPECT_TRUE(keys.emplace(line.substr(0, eq), line.substr(eq + 1)).second) << "key twice: " << line;
        }
    }
    return keys;
}

TEST(SampleFiles, IniLinksEveryCompanyOfTheIntegratedCircuits) {
    const auto keys = LinksSection(VorelIni());
    for (const Integrado& i : Integrados()) {
        ASSERT_TRUE(keys.count(i.Fabricante + "1")) << i.Fabricante;
        ASSERT_TRUE(keys.count(i.Fabricante + "2")) << i.Fabricante;
        const std::string link = keys.at(i.Fabricante + "1") + i.Identificacao + keys.at(i.Fabricante + "2");
        EXPECT_EQ(link.rfind("https://", 0), 0u) << link;
        EXPECT_EQ(link.find_first_of(" \"<>"), std::string::npos) << link;
    }
    EXPECT_EQ(keys.at("Texas Instruments1") + "LM358" + keys.at("Texas Instruments2"),
              "https://www.ti.com/product/LM358");
}

TEST(SampleFiles, HelpPageUsesOnlyWhatTheViewerKnows) {
    const std::string page = HelpStartPage();
    ExpectMultiLine("help page", page);
    EXPECT_EQ(page.rfind("<html>", 0), 0u);
    EXPECT_NE(page.find("</html>"), std::string::npos);
    const std::set<std::string> tags = {
        "HTML", "TITLE", "BODY", "HEAD", "B", "I", "H", "EM", "STRONG", "U", "CITE", "VAR", "TT", "CODE", "KBD",
        "SAMP", "OL", "UL", "DIR", "MENU", "DL", "A", "ADDRESS", "BLOCKQUOTE", "PRE", "CENTER", "TABLE", "TD",
        "TH", "CAPTION", "FORM", "TEXTAREA", "SELECT", "OPTION", "FONT", "SUB", "SUP", "BIG", "SMALL", "P", "MAP",
        "FRAMESET", "NOFRAMES", "SCRIPT", "DIV", "S", "STRIKE", "TR", "LI", "BR", "HR", "DD", "DT", "IMG", "BASE",
        "BUTTON", "INPUT", "SELECTED", "BASEFONT", "AREA", "FRAME", "BGSOUND", "WRAP", "META"};
    int count = 0;
    for (size_t at = page.find('<'); at != std::string::npos; at = page.find('<', at + 1)) {
        size_t i = at + 1;
        const bool closing = i < page.size() && page[i] == '/';
        if (closing) ++i;
        std::string name;
        while (i < page.size() && std::isalnum(static_cast<unsigned char>(page[i])))
            name += static_cast<char>(std::toupper(static_cast<unsigned char>(page[i++])));
        if (name.empty()) continue;
        if (name.size() == 2 && name[0] == 'H' && std::isdigit(static_cast<unsigned char>(name[1]))) name = "H";
        EXPECT_TRUE(tags.count(name)) << "unknown tag " << name;
        // These have no end tag in the viewer: a closing one is an unknown tag there.
        static const std::set<std::string> noEnd = {"LI", "BR", "HR", "DD", "DT", "IMG", "BASE", "BUTTON", "INPUT",
                                                    "SELECTED", "BASEFONT", "AREA", "FRAME", "BGSOUND", "WRAP", "META"};
        EXPECT_FALSE(closing && noEnd.count(name)) << "end tag of " << name;
        ++count;
    }
    EXPECT_GT(count, 50);
    for (size_t at = page.find('&'); at != std::string::npos; at = page.find('&', at + 1)) {
        const size_t end = page.find(';', at);
        if (end == std::string::npos) break;
        const std::string name = page.substr(at + 1, end - at - 1);
        if (name.empty() || name.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789#") !=
                                std::string::npos)
            continue;
        EXPECT_TRUE(name == "amp" || name == "lt" || name == "gt" || name == "quot" || name == "nbsp") << name;
    }
}

TEST(SampleFiles, LibraryHoldsAWellFormedRtfNote) {
    const auto texts = LibraryTexts();
    ASSERT_FALSE(texts.empty());
    for (const auto& [file, rtf] : texts) {
        EXPECT_GE(file.size(), 5u);
        EXPECT_EQ(file.substr(file.size() - 4), ".rtf");
        EXPECT_EQ(file.find_first_of("/\\:"), std::string::npos) << file;
        EXPECT_EQ(rtf.rfind("{\\rtf1", 0), 0u);
        EXPECT_TRUE(IsAscii(rtf));
        int depth = 0;
        for (size_t i = 0; i < rtf.size(); ++i) {
            if (rtf[i] == '\\') {
                ++i;  // an escaped brace is text
                continue;
            }
            if (rtf[i] == '{') ++depth;
            if (rtf[i] == '}') --depth;
            EXPECT_GE(depth, 0) << "at " << i;
            if (depth == 0) {
                EXPECT_EQ(rtf.find_first_not_of("\r\n", i + 1), std::string::npos) << "text after the group";
            }
        }
        EXPECT_EQ(depth, 0);
        // Line ends in RTF text are not spaces: no source line may end inside a sentence.
        std::istringstream in(rtf);
        std::string line;
        while (std::getline(in, line)) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            EXPECT_TRUE(line.empty() || line.back() == '}' || line.ends_with("\\par") || line.ends_with("\\deff0"))
                << line;
        }
    }
}

}  // namespace
}  // namespace sample
