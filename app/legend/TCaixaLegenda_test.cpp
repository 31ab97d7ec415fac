#include "app/legend/TCaixaLegenda.h"

#include <gtest/gtest.h>

#include <QPushButton>
#include <QTextBlock>
#include <QTextEdit>
#include <fstream>

#include "platform/qt/qtglue/Messenger.h"
#include "testkit/files/TempDir.h"

using namespace vorel;

namespace {
std::vector<std::string> Lines(QTextEdit* e) {
    std::vector<std::string> out;
    for (QTextBlock b = e->document()->begin(); b.isValid(); b = b.next()) out.push_back(b.text().toStdString());
    return out;
}
void Write(const std::filesystem::path& p, const std::string& bytes) {
    std::ofstream(p, std::ios::binary) << bytes;
}
}  // namespace

TEST(TCaixaLegenda, WithoutTheFileSaysSoAndShowsTheBuiltInLegend) {
    platform::ScriptedMessenger m;
    platform::SetApplicationTitle("Vorel - Electronics");
    platform::testing::TempDir dir;
    TCaixaLegenda dialog(dir.Path().string());
    ASSERT_EQ(m.shown.size(), 1u);
    EXPECT_EQ(m.shown[0].text, "O arquivo Legenda.rtf não foi localizado, carregando o arquivo auxiliar.");
    EXPECT_EQ(m.shown[0].icon, platform::MsgIcon::Information);
    EXPECT_EQ(dialog.windowTitle().toStdString(), "Legend");
    EXPECT_TRUE(dialog.ExibeLegenda->isReadOnly());
    EXPECT_EQ(dialog.ExibeLegenda->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);

    const std::vector<std::string> lines = Lines(dialog.ExibeLegenda);
    EXPECT_EQ(lines, BuiltInLegend());
    std::vector<std::string> text;
    for (const auto& l : lines)
        if (!l.empty()) text.push_back(l);
    ASSERT_EQ(text.size(), 46u);
    EXPECT_EQ(lines.front(), "Símbols");
    EXPECT_EQ(lines[1], "");
    EXPECT_EQ(lines[2], "");
    EXPECT_EQ(lines[3], "@ = Links two columns. exemple:");
    EXPECT_EQ(lines[5], "\tHFE @ Ic (mA)");
    EXPECT_NE(std::find(lines.begin(), lines.end(), "V(BR)ceo\t= Collector-emitter breakdown voltage"), lines.end());
    EXPECT_EQ(lines.back(), "Tolerance = Pd variation");  // no empty line after the last
    EXPECT_EQ(lines.size(), 46u + 39u + 2u * 6u);  // two empty lines after six of them, none after the last

    dialog.show();
    dialog.OKButton->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST(TCaixaLegenda, LoadsTheLegendFileWhateverTheCaseOfItsName) {
    platform::ScriptedMessenger m;
    platform::testing::TempDir dir;
    Write(dir.Path() / "Legenda.RTF", "{\\rtf1{\\fonttbl{\\f0 Arial;}}\\f0\\b Symbols\\b0\\par HFE = gain\\par}");
    TCaixaLegenda dialog(dir.Path().string());
    EXPECT_TRUE(m.shown.empty());
    EXPECT_EQ(Lines(dialog.ExibeLegenda), (std::vector<std::string>{"Symbols", "HFE = gain"}));
    EXPECT_TRUE(dialog.ExibeLegenda->document()->begin().begin().fragment().charFormat().font().bold());
    EXPECT_EQ(dialog.ExibeLegenda->textCursor().position(), 0);  // shown from its top
}

TEST(TCaixaLegenda, ADamagedFileIsReportedAndTheBuiltInLegendShown) {
    platform::ScriptedMessenger m;
    platform::testing::TempDir dir;
    Write(dir.Path() / "legenda.rtf", "{\\rtf1 " + std::string(1000, '{'));
    TCaixaLegenda dialog(dir.Path().string());
    ASSERT_EQ(m.shown.size(), 1u);
    EXPECT_EQ(m.shown[0].icon, platform::MsgIcon::Error);
    EXPECT_NE(m.shown[0].text.find("legenda.rtf"), std::string::npos);
    EXPECT_EQ(Lines(dialog.ExibeLegenda), BuiltInLegend());
}
