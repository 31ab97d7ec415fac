// With VOREL_SHOTS_DIR set: PNGs of the repair and cross-reference tabs and
// of the restore dialog on the sample installation, at the small screen
// sizes and a large one.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPointer>
#include <cstdlib>

#include "app/backup/TCaixaBackup.h"
#include "app/data/TModuloDeDados.h"
#include "app/ui/TFormulario.h"
#include "app/xref/CrossReferenceTab.h"
#include "platform/qt/qtglue/Messenger.h"
#include "platform/qt/qtglue/PageControl.h"
#include "testkit/app/TestInstallation.h"
#include "testkit/files/Shots.h"
#include "testkit/files/TempDir.h"
#include "testkit/generators/sample/SampleWriter.h"

using namespace vorel;
using platform::testing::SaveShot;

TEST(UserTablesScreens, Screenshots) {
    const std::optional<QString> out = platform::testing::ShotsDir();
    if (!out) GTEST_SKIP() << "VOREL_SHOTS_DIR not set";
    platform::ScriptedMessenger m;
    platform::testing::TempDir dir;
    sample::WriteInstallation(dir.Path(), {});
    vorel::testing::CurrentDir cwd(dir.Path());
    std::filesystem::create_directory(dir.Path() / "data" / "backup");
    platform::SetApplicationTitle("Vorel - Electronics");
    QPointer<TFormulario> f = new TFormulario;
    TModuloDeDados module(f->BaseDirectory);
    f->SetDataModule(&module);
    f->resize(1024, 768);
    f->show();
    ASSERT_TRUE(m.shown.empty()) << m.shown[0].text;
    for (QSize size : {QSize(800, 600), QSize(1024, 768), QSize(1920, 1040)}) {
        f->resize(size);
        const QString tag = QString("%1x%2").arg(size.width()).arg(size.height());
        f->PageControl1->setCurrentWidget(f->TabSheet1_5);
        QApplication::processEvents();
        SaveShot(f->grab(), QString("%1/%2-repair.png").arg(*out, tag));
        f->PageControl1->setCurrentWidget(f->TabSheet8);
        for (int s = 0; s < f->PageControl10->count(); ++s) {
            f->PageControl10->setCurrentIndex(s);
            QApplication::processEvents();
            SaveShot(f->grab(), QString("%1/%2-xref%3.png").arg(*out, tag).arg(s + 1));
        }
    }
    {
        TCaixaBackup dialog(module, f);
        dialog.show();
        QApplication::processEvents();
        SaveShot(dialog.grab(), QString("%1/backup-dialog.png").arg(*out));
    }
    delete f.data();
}
