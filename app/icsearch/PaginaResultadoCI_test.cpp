// The IC result page line by line, and the tab that shows it.
#include "app/icsearch/ICTab.h"
#include "app/icsearch/PaginaResultadoCI.h"
#include "htmlview/control/HtmlDisplay.h"
#include "platform/qt/qtglue/CaseEdit.h"
#include "platform/qt/qtglue/Messenger.h"
#include "platform/tables/Table.h"
#include "testkit/files/TempDir.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

using namespace vorel;

namespace {

const std::string F = R"(<td><font face="Verdana, Arial, Helvetica, sans-serif" size="-2">)";

const std::vector<std::string> kHead = {
    "<html>",
    "<head>",
    R"(<meta http-equiv="Content-Type" content="text/html; charset=iso-8859-1">)",
    "",
    "</head>",
    R"(<body bgcolor="#FFFFFF">)",
    "Your search returned this result:",
    "<p>",
};

const std::vector<std::string> kTableHead = {
    R"(<div align="center">)",
    R"(<table width="95%" border="1">)",
    R"(<tr bgcolor="#000000">)",
    R"(<td width="7%">)",
    R"(<div align="center"><font size="-1" color="#FFFFFF" face="Verdana, Arial, Helvetica, sans-serif">Item</font></div>)",
    "</td>",
    R"(<td width="20%">)",
    R"(<div align="center"><font color="#FFFFFF" face="Verdana, Arial, Helvetica, sans-serif" size="-1">Identification</font></div>)",
    "</td>",
    R"(<td width="60%">)",
    R"(<div align="center"><font face="Verdana, Arial, Helvetica, sans-serif" size="-1" color="#FFFFFF">Description</font></div>)",
    "</td>",
    R"(<td width="13%">)",
    R"(<div align="center"><font face="Verdana, Arial, Helvetica, sans-serif" size="-1" color="#FFFFFF">Company</font></div>)",
    "</td>",
    "</tr>",
};

std::vector<std::string> row(int n, const std::string& link, const std::string& code, const std::string& desc,
                             const std::string& company) {
    return {"<tr>",
            F + std::to_string(n) + "</font></td>",
            F + "<a href=\"" + link + "\">" + code + "</a></font></td>",
            F + desc + "</font></td>",
            F + company + "</font></td>",
            "</tr>"};
}

class ICPage : public ::testing::Test {
protected:
    platform::testing::TempDir dir;
    platform::TSession session;
    platform::TTable table{&session};

    void SetUp() override {
        table.DatabaseName = dir.Path().string();
        table.TableName = "Integrados.db";
        table.CreateTable({{{"Identificacao", platform::TFieldType::ftString, 20},
                            {"Fabricante", platform::TFieldType::ftString, 30},
                            {"Descricao", platform::TFieldType::ftString, 120}},
                           {"Identificacao", "Fabricante"},
                           ""});
        table.Open();
        add("LM741", "Texas Instruments", "General-purpose operational amplifier");
        add("741", "Acme", "Op amp <classic> & cheap");
        add("NE555", "Texas Instruments", "Timer");
        add("lm741x", "Texas Instruments", "lower case code");
        add("UA741", "STMicroelectronics", "Single op amp");
        writeIni("[Other]\r\nAcme1=wrong\r\n[links]\r\ntexas instruments1=https://ti.com/p/\r\n"
                 "Texas Instruments2= .html \r\nSTMicroelectronics1=st:\r\n");
    }
    void add(const std::string& code, const std::string& company, const std::string& desc) {
        table.Append();
        table.FieldByName("Identificacao").SetAsString(code);
        table.FieldByName("Fabricante").SetAsString(company);
        table.FieldByName("Descricao").SetAsString(desc);
        table.Post();
    }
    void writeIni(const std::string& text) { std::ofstream(dir.Path() / "vorel.ini", std::ios::binary) << text; }
    std::vector<std::string> page(const std::string& search) {
        return PaginaResultadoCI(table, search, dir.Path() / "vorel.ini");
    }
    static std::vector<std::string> concat(std::initializer_list<std::vector<std::string>> parts) {
        std::vector<std::string> r;
        for (const auto& p : parts) r.insert(r.end(), p.begin(), p.end());
        return r;
    }
};

TEST_F(ICPage, MatchesInKeyOrderWithLinksFromTheIni) {
    // Keys order case-insensitively: 741, LM741, lm741x, NE555, UA741.
    const auto expected = concat({kHead, kTableHead,
                                  row(1, "741", "741", "Op amp <classic> & cheap", "Acme"),
                                  row(2, "https://ti.com/p/LM741.html", "LM741",
                                      "General-purpose operational amplifier", "Texas Instruments"),
                                  row(3, "https://ti.com/p/lm741x.html", "lm741x", "lower case code",
                                      "Texas Instruments"),
                                  row(4, "st:UA741", "UA741", "Single op amp", "STMicroelectronics"),
                                  {"</table>", "</div>", "</body>", "</html>"}});
    const auto got = page(" 741\t");
    ASSERT_EQ(got.size(), expected.size());
    for (size_t i = 0; i < got.size(); ++i) EXPECT_EQ(got[i], expected[i]) << "line " << i + 1;
    EXPECT_TRUE(table.Eof());  // the scan leaves the table after its last record
}

TEST_F(ICPage, EmptyBlankOrUnmatchedSearchSaysZeroItems) {
    const auto none = concat({kHead, {"0 items returned.", "</body>", "</html>"}});
    EXPECT_EQ(page(""), none);
    EXPECT_EQ(page("   "), none);
    EXPECT_EQ(page("XYZ"), none);
    // Case-sensitive: the lower-case code is found only as typed.
    EXPECT_EQ(page("LM741X"), none);
    const auto lower = page("lm741");
    ASSERT_EQ(lower.size(), kHead.size() + kTableHead.size() + 6 + 4);
    EXPECT_EQ(lower[kHead.size() + kTableHead.size() + 2],
              F + "<a href=\"https://ti.com/p/lm741x.html\">lm741x</a></font></td>");
}

TEST_F(ICPage, MissingIniGivesBareCodes) {
    std::filesystem::remove(dir.Path() / "vorel.ini");
    const auto p = page("NE555");
    EXPECT_EQ(p, concat({kHead, kTableHead, row(1, "NE555", "NE555", "Timer", "Texas Instruments"),
                         {"</table>", "</div>", "</body>", "</html>"}}));
}

TEST_F(ICPage, TabShowsThePageAndHandsLinksToTheShell) {
    htmlview::SetScreenMetrics(nullptr);
    platform::ScriptedMessenger messages;
    const std::filesystem::path log = dir.Path() / "shell.log";
    struct ShellLog {
        explicit ShellLog(const std::filesystem::path& p) { setenv("VOREL_SHELL_LOG", p.c_str(), 1); }
        ~ShellLog() { unsetenv("VOREL_SHELL_LOG"); }
    } shellLog(log);
    ICTab tab([this]() -> platform::TDataSet& { return table; }, dir.Path().string());
    tab.resize(900, 500);
    tab.show();
    EXPECT_FALSE(tab.CodigoFonte->isVisible());
    EXPECT_EQ(tab.VisualizadorHTML->ScrollBars(), htmlview::TScrollStyle::ssVertical);
    EXPECT_EQ(tab.VisualizadorHTML->MarginWidth(), 5);
    EXPECT_EQ(tab.VisualizadorHTML->BorderStyle(), htmlview::THTMLBorderStyle::htSingle);
    QTest::keyClicks(tab.CIPesquisa, "ne5");
    EXPECT_EQ(tab.CIPesquisa->text(), "NE5");  // typed letters become upper case
    QTest::mouseClick(tab.Buscar, Qt::LeftButton);
    const std::string memo = tab.CodigoFonte->toPlainText().toStdString();
    EXPECT_NE(memo.find(F + "<a href=\"https://ti.com/p/NE555.html\">NE555</a></font></td>"), std::string::npos);
    ASSERT_TRUE(messages.shown.empty()) << messages.shown[0].text;
    EXPECT_GT(tab.VisualizadorHTML->Document->Count(), 0);

    // Find the link on the painted page and click it.
    htmlview::THtmlDisplay& v = *tab.VisualizadorHTML;
    v.grab();  // hit tests use where the last paint put the text
    QPoint link(-1, -1);
    for (int y = 0; y < v.PaintPanel->height() && link.x() < 0; y += 2)
        for (int x = 0; x < v.PaintPanel->width() && link.x() < 0; x += 4) {
            v.PanelMouseMove(Qt::NoButton, {}, x, y);
            if (!v.HotSpotUrl.empty()) link = QPoint(x, y);
        }
    ASSERT_GE(link.x(), 0);
    EXPECT_EQ(v.HotSpotUrl, "https://ti.com/p/NE555.html");
    QTest::mouseClick(v.PaintPanel, Qt::LeftButton, {}, link);
    EXPECT_TRUE(v.CurrentFile.empty());  // handled: the viewer follows nothing itself
    std::ifstream in(log);
    std::string line;
    std::getline(in, line);
    EXPECT_EQ(line, "open\thttps://ti.com/p/NE555.html\t\tnormal") << line;
    bool handled = false;
    tab.VisualizadorHTMLHotSpotClick(tab.VisualizadorHTML, "x", handled);
    EXPECT_TRUE(handled);

    // Field values reach the viewer as stored: the unknown tag goes, the ampersand stays.
    tab.CIPesquisa->setText("741");
    tab.BuscaIntegrados();
    std::string shown;
    for (int i = 0; i < v.Document->CharCount; ++i) {
        char c = 0;
        htmlview::TSectionBase* block = nullptr;
        if (v.Document->CharAtIndex(i, c, block)) shown += c;
    }
    EXPECT_NE(shown.find("Op amp & cheap"), std::string::npos) << shown;
}

}  // namespace
