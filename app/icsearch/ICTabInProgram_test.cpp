// The IC's tab inside the program on the sample installation: a search as a
// user runs it, and (with VOREL_SHOTS_DIR set) a picture of the result.
#include "app/data/TModuloDeDados.h"
#include "app/icsearch/ICTab.h"
#include "app/ui/TFormulario.h"
#include "htmlview/control/HtmlDisplay.h"
#include "htmlview/layout/Section.h"
#include "platform/qt/qtglue/CaseEdit.h"
#include "platform/qt/qtglue/Messenger.h"
#include "platform/qt/qtglue/PageControl.h"
#include "testkit/files/Shots.h"
#include "testkit/files/TempDir.h"
#include "testkit/generators/sample/SampleWriter.h"

#include <QApplication>
#include <QClipboard>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

using namespace vorel;

namespace {

class InDirectory {
public:
    explicit InDirectory(const std::filesystem::path& dir) : saved_(std::filesystem::current_path()) {
        std::filesystem::current_path(dir);
    }
    ~InDirectory() {
        std::error_code ec;
        std::filesystem::current_path(saved_, ec);
    }

private:
    std::filesystem::path saved_;
};

TEST(ICTabInProgram, SearchShowsTheMatchesAsAPage) {
    htmlview::SetScreenMetrics(nullptr);
    platform::ScriptedMessenger messages;
    platform::testing::TempDir dir;
    sample::WriteInstallation(dir.Path(), {});
    InDirectory cwd(dir.Path());
    auto form = std::make_unique<TFormulario>();
    TModuloDeDados module(form->BaseDirectory);
    form->SetDataModule(&module);
    form->resize(1366, 728);
    form->show();
    ASSERT_TRUE(messages.shown.empty()) << messages.shown[0].text;

    auto* tab = form->findChild<ICTab*>("ICTab");
    ASSERT_NE(tab, nullptr);
    form->PageControl1->setCurrentWidget(form->TabSheet6);
    QTest::keyClicks(tab->CIPesquisa, "741");
    QTest::mouseClick(tab->Buscar, Qt::LeftButton);
    QApplication::processEvents();
    ASSERT_TRUE(messages.shown.empty()) << messages.shown[0].text;
    const std::string page = tab->CodigoFonte->toPlainText().toStdString();
    EXPECT_NE(page.find(">LM741</a>"), std::string::npos);
    EXPECT_NE(page.find(">UA741</a>"), std::string::npos);
    EXPECT_GT(tab->VisualizadorHTML->DocHeight, 100);

    // Enter in the box searches too; pasted lower case finds the same codes.
    tab->CIPesquisa->clear();
    QApplication::clipboard()->setText("lm7");
    QTest::keyClick(tab->CIPesquisa, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(tab->CIPesquisa, Qt::Key_Return);
    const std::string again = tab->CodigoFonte->toPlainText().toStdString();
    EXPECT_NE(again.find(">LM741</a>"), std::string::npos);
    EXPECT_EQ(again.find(">UA741</a>"), std::string::npos);

    if (const std::optional<QString> out = platform::testing::ShotsDir()) {
        tab->VisualizadorHTML->repaint();
        platform::testing::SaveShot(form->grab(), *out + "/ic-search-741.png");
        // A long result scrolls.
        tab->CIPesquisa->setText("L");
        tab->BuscaIntegrados();
        QTest::keyClick(tab->VisualizadorHTML, Qt::Key_PageDown);
        platform::testing::SaveShot(form->grab(), *out + "/ic-search-L-page2.png");
    }
    form.reset();
}

}  // namespace
