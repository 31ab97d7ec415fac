#include "app/legend/TCaixaLegenda.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QScreen>
#include <QTextCursor>
#include <QTextEdit>
#include <QVBoxLayout>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/rtf/RichFile.h"
#include "app/rtf/RtfQt.h"
#include "platform/core/runtime/PathCase.h"
#include "platform/qt/qtglue/Guard.h"
#include "platform/qt/qtglue/Messenger.h"

namespace vorel {

const std::vector<std::string>& BuiltInLegend() {
    static const std::vector<std::string> lines = [] {
        // Each line with the number of empty lines after it.
        static const std::pair<const char*, int> rows[] = {
        {"Símbols", 2},
        {"@ = Links two columns. exemple:", 1},
        {"\tHFE @ Ic (mA)", 1},
        {"\tshows Ic value in wich HFE occurs.", 1},
        {"tip = typical value", 1},
        {"max = maximum value", 1},
        {"min = minimum value", 1},
        {"Transistors", 2},
        {"Identification = device code", 1},
        {"Polarity = PNP ou NPN", 1},
        {"Vceo = Collector-emitter voltage", 1},
        {"Vceo(sus) = Collector-emitter sustained voltage", 1},
        {"Vce = Collector-emitter peak voltage", 1},
        {"V(BR)ceo\t= Collector-emitter breakdown voltage", 1},
        {"Vcbo = Collector-base voltage", 1},
        {"Vebo = Emitter-base voltage", 1},
        {"Ic = Collector current, DC", 1},
        {"Icm = Maximum collector current, DC", 1},
        {"Ib = Base current, DC", 1},
        {"Ibm = corrente de base máxima, DC", 1},
        {"Pd = Power dissipation", 1},
        {"Tamb = Ambient temperature", 1},
        {"Tenc = Case temperature", 1},
        {"HFE = DC current gain", 1},
        {"Hfe = Small signal current gain", 1},
        {"Vcesat = Collector-emitter saturation voltage", 1},
        {"Vbesat = Base-emitter saturation voltage", 1},
        {"Ic/Ib = Collector-base current relation", 1},
        {"toff = Time in wich turn-off occurs", 1},
        {"fT = Transition frequency", 1},
        {"F = Noise figure", 1},
        {"f = Frequency in wich F occurs", 2},
        {"Rectifier diodes", 2},
        {"Identification = Device code", 1},
        {"Vrm = Peak reverse voltage", 1},
        {"Vr = DC reverse voltage", 1},
        {"If = DC direct current", 1},
        {"Ifsm = Surge current", 1},
        {"Pd = Power dissipation", 2},
        {"Zener diodes", 2},
        {"Vz = Nominal voltage", 1},
        {"Iz = Zener current", 1},
        {"Pd = Power dissipation", 1},
        {"Tj = Junction temperature", 1},
        {"Rij = Junction thermic resistance", 1},
        {"Tolerance = Pd variation", 0},
        };
        std::vector<std::string> out;
        for (const auto& [text, empty] : rows) {
            out.push_back(text);
            out.insert(out.end(), static_cast<size_t>(empty), std::string());
        }
        return out;
    }();
    return lines;
}

namespace {

bool ReadFile(const std::filesystem::path& path, std::string& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::stringstream ss;
    ss << in.rdbuf();
    bytes = ss.str();
    return true;
}

}  // namespace

TCaixaLegenda::TCaixaLegenda(const std::string& baseDirectory, QWidget* parent) : QDialog(parent) {
    setObjectName("CaixaLegenda");
    setWindowTitle("Legend");
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    auto* v = new QVBoxLayout(this);
    ExibeLegenda = new QTextEdit;
    ExibeLegenda->setObjectName("ExibeLegenda");
    ExibeLegenda->setReadOnly(true);
    ExibeLegenda->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    ExibeLegenda->setTabStopDistance(96);
    v->addWidget(ExibeLegenda, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    OKButton = new QPushButton("OK");
    OKButton->setObjectName("OKButton");
    OKButton->setDefault(true);
    buttons->addWidget(OKButton);
    buttons->addStretch(1);
    v->addLayout(buttons);
    connect(OKButton, &QPushButton::clicked, this, [this] { platform::Guarded([this] { OKButtonClick(); }); });
    setFixedSize(520, 440);
    OKButton->setFocus();

    const std::filesystem::path file = platform::ResolveCase(baseDirectory, "legenda.rtf");
    std::string bytes;
    if (std::filesystem::is_regular_file(file) && ReadFile(file, bytes)) {
        try {
            rtf::ToTextDocument(rtf::ReadRichOrPlain(bytes), *ExibeLegenda->document());
            ExibeLegenda->moveCursor(QTextCursor::Start);  // the legend opens at its top
            return;
        } catch (const rtf::RtfError& e) {
            // A damaged file: say so, and show the built-in legend instead.
            platform::ShowMessage(file.string() + ": " + e.Message(), platform::MsgIcon::Error);
        }
    } else {
        platform::ShowMessage("O arquivo Legenda.rtf não foi localizado, carregando o arquivo auxiliar.",
                              platform::MsgIcon::Information);
    }
    QStringList lines;
    for (const std::string& line : BuiltInLegend()) lines << QString::fromStdString(line);
    ExibeLegenda->setPlainText(lines.join('\n'));
}

void TCaixaLegenda::OKButtonClick() { accept(); }

}  // namespace vorel
