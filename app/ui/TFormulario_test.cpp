#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>
#include <QTimer>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "VersaoPrograma.h"
#include "app/calc/CapacitorsTab.h"
#include "app/calc/ResistorsTab.h"
#include "app/data/TableSchemas.h"
#include "app/data/TModuloDeDados.h"
#include "app/editor/TextEditor.h"
#include "app/editor/TRuler.h"
#include "app/legend/TCaixaLegenda.h"
#include "app/ui/TFormulario.h"
#include "platform/qt/controls/LinkLabel.h"
#include "platform/qt/dbcontrols/DBGrid.h"
#include "platform/qt/dbcontrols/DBText.h"
#include "platform/qt/dbcontrols/Image.h"
#include "platform/qt/qtglue/CaseEdit.h"
#include "platform/qt/qtglue/Messenger.h"
#include "platform/qt/qtglue/PageControl.h"
#include "testkit/app/TestInstallation.h"

using namespace vorel;
using vorel::testing::CurrentDir;
using vorel::testing::TestInstallation;

namespace {

// The window and its data module as the program makes them, in a base directory.
struct Program {
    CurrentDir cwd;
    QPointer<TFormulario> form;
    std::unique_ptr<TModuloDeDados> module;
    explicit Program(const std::filesystem::path& base) : cwd(base) {
        platform::SetApplicationTitle("Vorel - Electronics");
        form = new TFormulario;
        module = std::make_unique<TModuloDeDados>(form->BaseDirectory);
        form->SetDataModule(module.get());
    }
    ~Program() {
        delete form.data();
        module.reset();
    }
    void Show() {
        form->resize(1366, 768);
        form->show();
    }
    TFormulario& F() { return *form; }
    std::string Code(Device d) { return module->Table(d).FieldByName("Identificacao").AsString(); }
    std::string Sql(Device d) {
        const auto& lines = module->Query(d).SQL;
        return lines.empty() ? "" : lines.back();
    }
};

QColor Centre(const platform::TImage& image) {
    const QImage& p = image.Picture();
    return p.isNull() ? QColor() : p.pixelColor(p.width() / 2, p.height() / 2);
}

bool Near(QColor a, QColor b) {
    return a.isValid() && std::abs(a.red() - b.red()) < 24 && std::abs(a.green() - b.green()) < 24 &&
           std::abs(a.blue() - b.blue()) < 24;
}

QColor Colour(const char* name) { return TestInstallation::Colours().at(name); }

std::vector<std::string> CodesIn(platform::TDBGrid* grid) {
    std::vector<std::string> codes;
    for (const auto& row : grid->VisibleRows()) codes.push_back(row.at(0));
    return codes;
}

std::string ReadAll(const std::filesystem::path& p) {
    std::ifstream in(p);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

}  // namespace

TEST(TFormulario, CreationSetsFlagsTabsMenuAndAboutTexts) {
    platform::ScriptedMessenger m;
    TestInstallation inst;
    Program p(inst.Base());
    TFormulario& f = p.F();
    EXPECT_EQ(f.windowTitle().toStdString(), "Vorel - Electronics");
    EXPECT_EQ(f.BaseDirectory, inst.Base().string());
    EXPECT_TRUE(f.Starting());
    EXPECT_FALSE(f.TabChangeAllowed);
    EXPECT_TRUE(f.QuickSearchEnabledTB && f.QuickSearchEnabledDR && f.QuickSearchEnabledDZ && f.QuickSearchEnabledBDR && f.RepairFieldsUnchanged);
    EXPECT_EQ(f.NotesFileName, "Untitled");
    EXPECT_EQ(f.StatusPanels[2]->text().toStdString(), "Editing: Untitled");

    std::vector<std::string> tabs;
    for (int i = 0; i < f.PageControl1->count(); ++i) tabs.push_back(f.PageControl1->tabText(i).toStdString());
    EXPECT_EQ(tabs, (std::vector<std::string>{"About...", "Transistors", "Diodes", "IC's", "Other devices",
                                              "Repair database", "Technical texts", "Cross-reference"}));
    EXPECT_EQ(f.PageControl1->currentWidget(), f.TabSheet1_1);

    // Menu: captions, shortcuts, separators.
    auto items = [](QMenu* menu) {
        std::vector<std::string> out;
        for (QAction* a : menu->actions())
            out.push_back(a->isSeparator() ? "-" : a->text().toStdString() + "|" + a->shortcut().toString().toStdString());
        return out;
    };
    EXPECT_FALSE(f.Opcoes1->isEnabled());
    EXPECT_EQ(f.Opcoes1->title().toStdString(), "&Options");
    EXPECT_EQ(items(f.Opcoes1), (std::vector<std::string>{"&Legend|F2", "-", "&Make databases backup|F4",
                                                          "&Recover databases backup|F5", "-", "&Verify updates|F3",
                                                          "-", "&Exit|Alt+F4"}));
    EXPECT_EQ(f.Ajuda1->title().toStdString(), "&Help");
    EXPECT_EQ(items(f.Ajuda1), (std::vector<std::string>{"&Contents|F1", "-", "&About...|"}));

    EXPECT_EQ(f.VersaoS->text().toStdString(), kVersaoPrograma);
    EXPECT_EQ(f.VersaoBD->text().toStdString(), "n/a");  // the tables' version comes with the tables
    EXPECT_FALSE(f.QtdeTR->isVisibleTo(&f));
    EXPECT_EQ(f.QtdeCI->text().toStdString(), "n/a");
    EXPECT_EQ(f.Aviso->text().toStdString().substr(0, 59),
              "Important: This software makes its best to identify equival");
    EXPECT_NE(f.Aviso2->text().toStdString().find("implícitly. Any possible incorretion"), std::string::npos);
    EXPECT_NE(f.Aviso2->text().toStdString().find("will not creste any rights"), std::string::npos);

    // Criteria: captions, defaults, enabled states, 37 items.
    DevicePanel& t = f.Panel(Device::Transistores);
    ASSERT_EQ(t.Checks.size(), 9u);
    EXPECT_EQ(t.Checks[5]->text().toStdString(), "Search Vce# up to");
    EXPECT_EQ(t.Checks[3]->text().toStdString(), "Same polarity");
    for (QCheckBox* c : t.Checks) EXPECT_TRUE(c->isChecked());
    EXPECT_TRUE(t.Checks[5]->isEnabled());
    EXPECT_FALSE(t.Checks[0]->isEnabled());
    EXPECT_FALSE(t.Combos[0]->isEnabled());
    EXPECT_TRUE(t.Combos[8]->isEnabled());
    EXPECT_EQ(t.Combos[8]->objectName().toStdString(), "PesquisarTBVceo");
    EXPECT_EQ(t.Combos[8]->count(), 37);
    EXPECT_EQ(f.PercentCombos.size(), 10u);
    EXPECT_TRUE(f.Panel(Device::DiodosR).Checks[0]->isEnabled());
    EXPECT_FALSE(f.Panel(Device::DiodosR).Checks[1]->isEnabled());
    EXPECT_EQ(f.Panel(Device::DiodosZ).Checks[0]->text().toStdString(), "Search Vz up to");
    EXPECT_EQ(f.TransistoresEquivalentes->text().toStdString(), "Search equivalents");
    EXPECT_TRUE(m.shown.empty());
}

TEST(TFormulario, TabsRefuseChangesUntilTheFirstShowThenAllAreReachable) {
    platform::ScriptedMessenger m;
    TestInstallation inst;
    Program p(inst.Base());
    TFormulario& f = p.F();
    QTabBar* bar = f.PageControl1->tabBar();
    f.PageControl1->resize(1000, 600);
    f.PageControl1->setVisible(true);  // the tab bar alone, before the window's first show
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(2).center());
    QTest::keyClick(f.PageControl1, Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(f.PageControl1->currentIndex(), 0);

    p.Show();
    EXPECT_TRUE(f.TabChangeAllowed);
    EXPECT_TRUE(f.Opcoes1->isEnabled());
    for (int i = 1; i < f.PageControl1->count(); ++i) {
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(i).center());
        EXPECT_EQ(f.PageControl1->currentIndex(), i);
    }
    f.Sobre1->trigger();
    EXPECT_EQ(f.PageControl1->currentWidget(), f.TabSheet1_1);
    EXPECT_TRUE(m.shown.empty());
}

TEST(TFormulario, StartupOpensTablesFillsBoxesShowsPicturesAndRunsSearches) {
    platform::ScriptedMessenger m;
    TestInstallation inst;
    Program p(inst.Base());
    p.Show();
    TFormulario& f = p.F();
    ASSERT_TRUE(m.shown.empty()) << m.shown[0].text;
    EXPECT_FALSE(f.Starting());
    EXPECT_EQ(f.TBBuscaRapida->text().toStdString(), "2N3055");
    EXPECT_EQ(f.DRBuscaRapida->text().toStdString(), "1N4001");
    EXPECT_EQ(f.DZBuscaRapida->text().toStdString(), "BZX55C3V3");
    EXPECT_EQ(p.Code(Device::Transistores), "2N3055");
    EXPECT_TRUE(Near(Centre(*f.ImagemAbertura), Colour("abertura")));
    EXPECT_TRUE(Near(Centre(*f.ImagemCapacitor), Colour("cap_poli")));
    EXPECT_TRUE(Near(Centre(*f.ImagemResistor), Colour("resistor")));
    // Both pictures of each device show the original's package; trimmed names.
    EXPECT_TRUE(Near(Centre(*f.ImagemTransistor1), Colour("TO-3")));
    EXPECT_TRUE(Near(Centre(*f.ImagemTransistor2), Colour("TO-3")));
    EXPECT_TRUE(Near(Centre(*f.ImagemDiodoR2), Colour("DO-41")));
    EXPECT_TRUE(Near(Centre(*f.ImagemDiodoZ1), Colour("DO-35")));
    for (Device d : {Device::Transistores, Device::DiodosR, Device::DiodosZ})
        EXPECT_TRUE(p.module->Query(d).Active());
    EXPECT_EQ(p.Sql(Device::Transistores),
              "select * from transistores.db where pd >= 115.000 and pd <= 115.000 and ic >= 15.000 and ic <= "
              "15.000 and icm >= 0.000 and icm <= 0.000 and polaridade = \"NPN\" and uso = \"AF PWR\" and vceo >= "
              "60.000 and vceo <= 60.000 and vceosus >= 70.000 and vceosus <= 70.000");
    EXPECT_EQ(CodesIn(f.DBGridT[0]), std::vector<std::string>{"2N3055"});
    EXPECT_EQ(CodesIn(f.DBGridTO[0]).front(), "2N3055");
    EXPECT_EQ(f.DBGridTO[0]->ActiveRow(), 0);
    for (QLabel* l : {f.QtdeTR, f.QtdeDR, f.QtdeDZ, f.QtdeCI, f.Aviso, f.Aviso2}) EXPECT_TRUE(l->isVisibleTo(&f));
    EXPECT_TRUE(p.module->Session1.HasPassword(kTablePassword));
    // The data-aware labels show the records.
    auto* companyText = f.findChild<platform::TDBText*>("TFabricanteO");
    ASSERT_NE(companyText, nullptr);
    EXPECT_EQ(companyText->text().toStdString(), "ST");
}

TEST(TFormulario, EquivalentsSqlForEachDevice) {
    platform::ScriptedMessenger m;
    TestInstallation inst;
    Program p(inst.Base());
    p.Show();
    TFormulario& f = p.F();

    // BC547 with the Vce# family at 10 %: BC549 (Vceo 49) comes in, BC548 and BC557 stay out.
    f.TBBuscaRapida->setText("BC547");
    f.Panel(Device::Transistores).Combos[8]->setCurrentText("10");
    f.TransistoresEquivalentes->click();
    EXPECT_EQ(p.Sql(Device::Transistores),
              "select * from transistores.db where pd >= 0.500 and pd <= 0.500 and ic >= 0.100 and ic <= 0.100 and "
              "icm >= 0.200 and icm <= 0.200 and polaridade = \"NPN\" and uso = \"AF\" and vceo >= 45.000 and "
              "vceo <= 49.500");
    EXPECT_EQ(CodesIn(f.DBGridT[0]), (std::vector<std::string>{"BC547", "BC549"}));

    // A use with double quotes is a value, never broken SQL: the original finds itself.
    f.TBBuscaRapida->setText("BD139");
    f.TransistoresEquivalentes->click();
    EXPECT_NE(p.Sql(Device::Transistores).find(" uso = \"\"\"Driver\"\"\" and"), std::string::npos);
    EXPECT_EQ(CodesIn(f.DBGridT[0]), std::vector<std::string>{"BD139"});

    // Rectifier at 500 %: the upper bound is six times the original.
    f.DRBuscaRapida->setText("1N4001");
    f.Panel(Device::DiodosR).Combos[0]->setCurrentText("500");
    f.DiodosREquivalentes->click();
    EXPECT_EQ(p.Sql(Device::DiodosR),
              "select * from diodosr.db where vr >= 50.000 and vr <= 300.000 and io >= 1.000 and io <= 1.000 and "
              "pd >= 0.000 and pd <= 0.000");
    EXPECT_EQ(CodesIn(f.DBGridDR[0]), (std::vector<std::string>{"1N4001", "1N4002"}));

    // More than three decimals: 0.0005 is written 0.001 and the original falls outside.
    f.DZBuscaRapida->setText("TINY");
    f.DiodosZEquivalentes->click();
    EXPECT_EQ(p.Code(Device::DiodosZ), "TINY2V0");
    EXPECT_EQ(p.Sql(Device::DiodosZ),
              "select * from diodosz.db where tn >= 2.000 and tn <= 2.000 and iz >= 0.001 and iz <= 0.001 and "
              "pd >= 0.001 and pd <= 0.001");
    EXPECT_TRUE(CodesIn(f.DBGridDZ[0]).empty());
    // The box shows the original's code after a search.
    EXPECT_EQ(f.DZBuscaRapida->text().toStdString(), "TINY2V0");
    for (auto& b : m.shown) ADD_FAILURE() << b.text;
}

TEST(TFormulario, TransistorZeroVceValuesAreLeftOutAndNothingSelectedWarns) {
    platform::ScriptedMessenger m;
    TestInstallation inst;
    inst.Add("Transistores.db", {{"Identificacao", "ZERO"}, {"Pd", "1"}, {"Encapsulamento", "TO-92"}});
    Program p(inst.Base());
    p.Show();
    TFormulario& f = p.F();
    DevicePanel& t = f.Panel(Device::Transistores);
    f.TBBuscaRapida->setText("ZERO");
    for (int i : {0, 1, 2, 3, 4}) t.Checks[i]->setChecked(false);
    t.Checks[1]->setChecked(true);
    f.TransistoresEquivalentes->click();
    EXPECT_EQ(p.Sql(Device::Transistores), "select * from transistores.db where ic >= 0.000 and ic <= 0.000");
    for (auto& b : m.shown) ADD_FAILURE() << b.text;

    // Only the Vce# family, all zero: the box is ticked, so the message says
    // what is really missing, and the query stays as it was.
    t.Checks[1]->setChecked(false);
    const bool wasOpen = p.module->PesquisarTransistores.Active();
    f.TransistoresEquivalentes->click();
    ASSERT_EQ(m.shown.size(), 1u);
    EXPECT_EQ(m.shown[0].text, "The device has no figures to compare in the selected types of search.");
    EXPECT_EQ(m.shown[0].icon, platform::MsgIcon::Information);
    EXPECT_EQ(m.shown[0].caption, "Vorel - Electronics");
    EXPECT_EQ(p.Sql(Device::Transistores), "select * from transistores.db where ic >= 0.000 and ic <= 0.000");
    EXPECT_EQ(p.module->PesquisarTransistores.Active(), wasOpen);
    EXPECT_TRUE(wasOpen);

    // Diodes with every criterion cleared.
    for (QCheckBox* c : f.Panel(Device::DiodosZ).Checks) c->setChecked(false);
    f.DiodosZEquivalentes->click();
    ASSERT_EQ(m.shown.size(), 2u);
    EXPECT_EQ(m.shown[1].text, "At least one type of search must be selected.");
    EXPECT_TRUE(p.module->PesquisarDiodosZ.Active());
}

TEST(TFormulario, QuickSearchPositionsKeepsTypedTextAndClosesEquivalents) {
    platform::ScriptedMessenger m;
    TestInstallation inst;
    Program p(inst.Base());
    p.Show();
    TFormulario& f = p.F();
    f.PageControl1->setCurrentWidget(f.TabSheet1_2);
    ASSERT_TRUE(p.module->PesquisarTransistores.Active());
    f.TBBuscaRapida->clear();
    EXPECT_EQ(p.Code(Device::Transistores), "2N3055");  // empty box: the first record
    f.TBBuscaRapida->setFocus();
    QTest::keyClicks(f.TBBuscaRapida, "bc55");
    EXPECT_EQ(f.TBBuscaRapida->text().toStdString(), "BC55");  // upper case, as typed
    EXPECT_EQ(p.Code(Device::Transistores), "BC557");
    EXPECT_FALSE(p.module->PesquisarTransistores.Active());
    EXPECT_TRUE(f.ImagemTransistor2->Empty());
    EXPECT_TRUE(Near(Centre(*f.ImagemTransistor1), Colour("TO-92")));
    EXPECT_TRUE(CodesIn(f.DBGridT[0]).empty());
    EXPECT_EQ(CodesIn(f.DBGridTO[0])[f.DBGridTO[0]->ActiveRow()], "BC557");

    f.TBBuscaRapida->setText("ZZZ");  // past the last code: the last record
    EXPECT_EQ(p.Code(Device::Transistores), "BD139");
    EXPECT_TRUE(Near(Centre(*f.ImagemTransistor1), Colour("TO-126")));
    EXPECT_EQ(f.TBBuscaRapida->text().toStdString(), "ZZZ");

    // Rectifiers trim the name in the quick search too.
    f.DRBuscaRapida->setText(" 1N4007 ");
    EXPECT_EQ(p.Code(Device::DiodosR), "1N4007");
    EXPECT_FALSE(p.module->PesquisarDiodosR.Active());
    EXPECT_TRUE(m.shown.empty());
}

TEST(TFormulario, MovingInADeviceTableClosesItsEquivalentsAndWritesTheBox) {
    platform::ScriptedMessenger m;
    TestInstallation inst;
    Program p(inst.Base());
    p.Show();
    TFormulario& f = p.F();
    f.TBBuscaRapida->setText("BC547");
    f.TransistoresEquivalentes->click();
    ASSERT_TRUE(p.module->PesquisarTransistores.Active());
    // Moving in the equivalents shows each equivalent's picture.
    p.module->PesquisarTransistores.Last();
    EXPECT_TRUE(Near(Centre(*f.ImagemTransistor2), Colour("TO-92")));

    // A click on the next row of the original's grid.
    platform::TDBGrid* grid = f.DBGridTO[0];
    f.PageControl1->setCurrentWidget(f.TabSheet1_2);
    const int active = grid->ActiveRow();
    const int rowH = grid->fontMetrics().height() + 6, headH = grid->fontMetrics().height() + 8;
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, QPoint(30, headH + (active + 1) * rowH + rowH / 2));
    EXPECT_EQ(p.Code(Device::Transistores), "BC548");
    EXPECT_EQ(f.TBBuscaRapida->text().toStdString(), "BC548");
    EXPECT_TRUE(f.QuickSearchEnabledTB);
    EXPECT_FALSE(p.module->PesquisarTransistores.Active());
    EXPECT_TRUE(f.ImagemTransistor2->Empty());
    EXPECT_TRUE(CodesIn(f.DBGridT[0]).empty());
    // Every grid of the original follows.
    EXPECT_EQ(f.DBGridTO[3]->ActiveRow(), f.DBGridTO[0]->ActiveRow());

    // The other devices are untouched.
    EXPECT_TRUE(p.module->PesquisarDiodosR.Active());
    EXPECT_TRUE(m.shown.empty());
}

TEST(TFormulario, HelpGoesToTheShellWithTheHelpDirectory) {
    platform::ScriptedMessenger m;
    TestInstallation inst;
    std::filesystem::create_directory(inst.Base() / "Help");
    const auto log = inst.Base() / "shell.log";
    setenv("VOREL_SHELL_LOG", log.c_str(), 1);
    {
        Program p(inst.Base());
        p.Show();
        QApplication::setActiveWindow(p.form);
        QTest::keyClick(p.form, Qt::Key_F1);
    }
    unsetenv("VOREL_SHELL_LOG");
    EXPECT_EQ(ReadAll(log), "\tvisao_geral.html\t" + (inst.Base() / "Help").string() + "\tmaximized\n");
}

TEST(TFormulario, CloseLeavesEveryDataSetInactiveAndNoPassword) {
    platform::ScriptedMessenger m;
    TestInstallation inst;
    Program p(inst.Base());
    p.Show();
    p.module->PesquisarDiodosZ.Close();  // closing a closed query is harmless
    p.F().Encerrar1->trigger();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(p.form.isNull());  // freed
    TModuloDeDados& d = *p.module;
    for (platform::TDataSet* ds : std::initializer_list<platform::TDataSet*>{
             &d.TabelaTransistores, &d.TabelaDiodosR, &d.TabelaDiodosZ, &d.TabelaBDR, &d.TabelaGraficos,
             &d.TabelaIntegrados, &d.PesquisarTransistores, &d.PesquisarDiodosR, &d.PesquisarDiodosZ,
             &d.PesquisarDS})
        EXPECT_FALSE(ds->Active());
    EXPECT_FALSE(d.Session1.HasPassword(kTablePassword));
    EXPECT_TRUE(m.shown.empty());
}

TEST(TFormulario, FailedStartupShowsTheEngineMessageAndStaysUsable) {
    platform::ScriptedMessenger m;
    TestInstallation inst;
    std::filesystem::remove(inst.Data() / "DiodosR.db");
    Program p(inst.Base());
    p.Show();
    TFormulario& f = p.F();
    ASSERT_EQ(m.shown.size(), 1u);
    EXPECT_NE(m.shown[0].text.find("DiodosR.db"), std::string::npos);
    EXPECT_EQ(m.shown[0].icon, platform::MsgIcon::Error);
    EXPECT_EQ(m.shown[0].caption, "Vorel - Electronics");
    EXPECT_TRUE(f.Starting());
    EXPECT_EQ(f.PageControl1->currentWidget(), f.TabSheet1_1);
    EXPECT_TRUE(f.ImagemAbertura->Empty()) << "no picture comes from tables that did not open";
    // The user can still move around; a search on a closed table reports, never crashes.
    QTabBar* bar = f.PageControl1->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(2).center());
    EXPECT_EQ(f.PageControl1->currentIndex(), 2);
    f.DiodosREquivalentes->click();
    EXPECT_EQ(m.shown.size(), 2u);
    f.Encerrar1->trigger();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST(TFormulario, MissingDataDirectoryEndsTheProgram) {
    platform::ScriptedMessenger m;
    platform::testing::TempDir empty;
    Program p(empty.Path());
    p.Show();
    ASSERT_EQ(m.shown.size(), 1u);
    EXPECT_EQ(m.shown[0].text.rfind("Error when creating the temporary directory.\n", 0), 0u);
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(p.form.isNull());
}

TEST(TFormulario, LegendLinksAndWaitingItems) {
    platform::ScriptedMessenger m;
    TestInstallation inst;
    const auto log = inst.Base() / "shell.log";
    setenv("VOREL_SHELL_LOG", log.c_str(), 1);
    {
        Program p(inst.Base());
        p.Show();
        TFormulario& f = p.F();
        ASSERT_TRUE(m.shown.empty());
        // Every item of the menu has its dialog.
        for (QAction* a : {f.Legenda1, f.FazerBackupdosBancosdeDados1, f.RecuperarBackupdosBancosdeDados1,
                           f.Verificaratualizacoes1})
            EXPECT_TRUE(a->isEnabled()) << a->objectName().toStdString();

        // F2 without legenda.rtf: the message, then the built-in legend.
        QString seen;
        QTimer::singleShot(0, [&] {
            if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                seen = d->windowTitle();
                d->accept();
            }
        });
        f.Legenda1->trigger();
        EXPECT_EQ(seen.toStdString(), "Legend");
        ASSERT_EQ(m.shown.size(), 1u);
        EXPECT_EQ(m.shown[0].text, "O arquivo Legenda.rtf não foi localizado, carregando o arquivo auxiliar.");
        ASSERT_FALSE(f.LegendDialog.isNull());  // kept after use
        EXPECT_EQ(f.LegendDialog->ExibeLegenda->document()->begin().text().toStdString(), "Símbols");

        // The About tab's addresses open through the shell on a press.
        QTest::mousePress(f.EMail, Qt::LeftButton);
        QTest::mousePress(f.HomePage, Qt::LeftButton);
        EXPECT_TRUE(f.EMail->font().underline());
    }
    unsetenv("VOREL_SHELL_LOG");
    EXPECT_EQ(ReadAll(log), "open\tmailto:contact@vorel.example\t\tnormal\nopen\thttp://www.vorel.example/\t\tnormal\n");
}

TEST(TFormulario, TechnicalTextsStartCleanAndClosingAsksAboutUnsavedNotes) {
    platform::ScriptedMessenger m;
    TestInstallation inst;
    Program p(inst.Base());
    p.Show();
    TFormulario& f = p.F();
    ASSERT_TRUE(m.shown.empty());
    TextEditor& e = *f.Editor;
    EXPECT_EQ(f.StatusPanels[0]->text().toStdString(), "Line:   1   Col:   1");
    EXPECT_EQ(f.StatusPanels[1]->text().toStdString(), "");
    EXPECT_EQ(f.OpenDialogStartDir, f.BaseDirectory + "/library");
    // The calculators start on their first colours with no result.
    EXPECT_EQ(f.Resistors->Cor1->currentText().toStdString(), "Brown");
    EXPECT_EQ(f.Capacitors->TensaoCapacitor->currentIndex(), 0);
    EXPECT_EQ(f.Resistors->Valor->text().toStdString(), "n/a");
    // Start-up markers: 60, 60 and 730 pixels; the text takes their indents.
    EXPECT_EQ(e.Ruler->RightInd->x(), 730);
    EXPECT_EQ(e.Paragraph().FirstIndent, PointsFromPixels(60 + 5 - 6));
    EXPECT_EQ(e.Paragraph().RightIndent, 0);  // 730 is the page's right edge, whatever the window

    f.PageControl1->setCurrentWidget(f.TabSheet1_6);
    EXPECT_EQ(e.TagTexto, 0);
    QApplication::setActiveWindow(&f);
    e.Texto->setFocus();
    QTest::keyClicks(e.Texto, "bench notes");
    EXPECT_FALSE(f.NotesUnchanged);
    EXPECT_EQ(f.StatusPanels[1]->text().toStdString(), "Modified");

    // Closing asks; Cancel keeps the window and the notes.
    m.answers = {platform::mrCancel};
    EXPECT_FALSE(f.close());
    ASSERT_EQ(m.shown.size(), 1u);
    EXPECT_EQ(m.shown[0].text, "Changes were made. Do you want to save them?");
    EXPECT_EQ(m.shown[0].buttons, platform::mbYesNoCancel);
    EXPECT_TRUE(p.module->TabelaTransistores.Active());
    EXPECT_EQ(e.Texto->toPlainText().toStdString(), "bench notes");
    // Yes saves before closing.
    const auto saved = inst.Base() / "bench.rtf";
    e.ChooseFileToSave = [&](const std::string&, const std::string&) { return saved.string(); };
    m.answers = {platform::mrYes};
    EXPECT_TRUE(f.close());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(p.form.isNull());
    EXPECT_EQ(ReadAll(saved).find("bench notes") != std::string::npos, true);
    EXPECT_FALSE(p.module->TabelaTransistores.Active());
}
