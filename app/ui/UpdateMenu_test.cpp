// "Verify updates" (F3) opens the update dialog modally with the window's versions.
#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include "app/ui/TFormulario.h"
#include "app/update/CaixaAtualiza.h"
#include "platform/qtglue/Messenger.h"

using namespace vorel;

TEST(UpdateMenu, OpensTheUpdateDialogModallyAndKeepsIt) {
    platform::ScriptedMessenger m;
    TFormulario f;
    EXPECT_EQ(f.Verificaratualizacoes1->shortcut(), QKeySequence(Qt::Key_F3));
    std::string current, currentBD;
    bool modal = false;
    QTimer::singleShot(0, [&] {
        ASSERT_TRUE(CaixaAtualiza);
        modal = CaixaAtualiza->isModal() && CaixaAtualiza->isVisible();
        current = CaixaAtualiza->VersaoCorrente->text().toStdString();
        currentBD = CaixaAtualiza->VersaoCorrenteBD->text().toStdString();
        CaixaAtualiza->Fechar->click();
    });
    f.Verificaratualizacoes1->trigger();
    EXPECT_TRUE(modal);
    EXPECT_EQ(current, "n/a");
    EXPECT_EQ(currentBD, "n/a");
    ASSERT_TRUE(CaixaAtualiza);  // kept after use
    EXPECT_FALSE(CaixaAtualiza->isVisible());
    EXPECT_TRUE(m.shown.empty());
}
