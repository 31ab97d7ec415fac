// "Verify updates" (F3) opens the update dialog modally with the window's
// versions: the program's own and the installed tables'.
#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <fstream>

#include "VersaoPrograma.h"
#include "app/data/TModuloDeDados.h"
#include "app/ui/TFormulario.h"
#include "app/update/TCaixaAtualiza.h"
#include "platform/qt/qtglue/Messenger.h"
#include "testkit/app/TestInstallation.h"
#include "testkit/files/TempDir.h"
#include "testkit/generators/sample/SampleWriter.h"
#include "testkit/generators/sample/content/SampleContent.h"
#include "testkit/servers/LoopbackServer.h"

using namespace vorel;
using platform::testing::LoopbackServer;

TEST(UpdateMenu, OpensTheUpdateDialogModallyAndKeepsIt) {
    platform::ScriptedMessenger m;
    TFormulario f;
    EXPECT_EQ(f.Verificaratualizacoes1->shortcut(), QKeySequence(Qt::Key_F3));
    std::string current, currentBD;
    bool modal = false;
    QTimer::singleShot(0, [&] {
        ASSERT_TRUE(UpdateDialog);
        modal = UpdateDialog->isModal() && UpdateDialog->isVisible();
        current = UpdateDialog->VersaoCorrente->text().toStdString();
        currentBD = UpdateDialog->VersaoCorrenteBD->text().toStdString();
        UpdateDialog->Fechar->click();
    });
    f.Verificaratualizacoes1->trigger();
    EXPECT_TRUE(modal);
    EXPECT_EQ(current, kVersaoPrograma);
    EXPECT_EQ(currentBD, "n/a");  // no tables opened yet
    ASSERT_TRUE(UpdateDialog);  // kept after use
    EXPECT_FALSE(UpdateDialog->isVisible());
    EXPECT_TRUE(m.shown.empty());
}

// On an installation whose server offers the very versions installed, the
// check says both copies are up to date; a newer table version is reported.
TEST(UpdateMenu, InstalledVersionsReachTheAboutTabAndTheCheck) {
    const std::string ok = "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\n";
    const std::string same = std::string(kVersaoPrograma) + "\r\n" + sample::kVersaoTabelas + "\r\n";
    LoopbackServer server({{ok}, {ok + same}, {ok}, {ok + std::string(kVersaoPrograma) + "\r\n999\r\n"}});
    platform::testing::TempDir dir;
    sample::WriteInstallation(dir.Path(), {});
    std::ofstream(dir.Path() / "vorel.ini", std::ios::app)
        << "[Atualizacao]\r\nServidor=" << server.Address() << "\r\nTempoLimite=5\r\n";
    vorel::testing::CurrentDir cwd(dir.Path());
    platform::ScriptedMessenger m;
    platform::SetApplicationTitle("Vorel - Electronics");
    TModuloDeDados module(dir.Path().string());
    TFormulario f;  // goes before the data module it uses
    f.SetDataModule(&module);
    f.show();
    ASSERT_TRUE(m.shown.empty()) << m.shown[0].text;
    EXPECT_EQ(f.VersaoS->text().toStdString(), kVersaoPrograma);
    EXPECT_EQ(f.VersaoBD->text().toStdString(), sample::kVersaoTabelas);

    std::string current, currentBD;
    QTimer::singleShot(0, [&] {
        ASSERT_TRUE(UpdateDialog);
        current = UpdateDialog->VersaoCorrente->text().toStdString();
        currentBD = UpdateDialog->VersaoCorrenteBD->text().toStdString();
        UpdateDialog->VerificarAtualizacoes->click();
        UpdateDialog->VerificarAtualizacoes->click();
        UpdateDialog->Fechar->click();
    });
    f.Verificaratualizacoes1->trigger();
    EXPECT_EQ(current, kVersaoPrograma);
    EXPECT_EQ(currentBD, sample::kVersaoTabelas);
    std::vector<std::string> texts;
    for (const auto& box : m.shown) texts.push_back(box.text);
    EXPECT_EQ(texts, (std::vector<std::string>{
                         "Existem atualizações no Servidor:\n\n"
                         "Sua cópia do software já está atualizada.\n"
                         "Sua cópia do Banco de Dados já está atualizada.",
                         "Existem atualizações no Servidor:\n\n"
                         "Sua cópia do software já está atualizada.\n"
                         "A versão do Banco de Dados no site da Web é mais recente.",
                     }));
}
