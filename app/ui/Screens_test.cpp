// The window on the sample installation: the start-up as a user sees it,
// and (with VOREL_SHOTS_DIR set) a PNG of every tab and sheet at the two
// screen sizes the program must be readable at.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <cstdlib>
#include <filesystem>

#include "app/data/ModuloDeDados.h"
#include "app/ui/TFormulario.h"
#include "app/ui/TestInstallation.h"
#include "platform/dbcontrols/DBGrid.h"
#include "platform/dbcontrols/Image.h"
#include "platform/qtglue/CaseEdit.h"
#include "platform/qtglue/Messenger.h"
#include "platform/qtglue/PageControl.h"
#include "platform/tables/Table.h"
#include "platform/testing/TempDir.h"
#include "tools/vorel-sample/writer/SampleWriter.h"

using namespace vorel;

namespace {
struct SampleProgram {
    platform::testing::TempDir dir;
    std::unique_ptr<vorel::testing::CurrentDir> cwd;
    QPointer<TFormulario> form;
    std::unique_ptr<TModuloDeDados> modulo;
    SampleProgram() {
        sample::WriteInstallation(dir.Path(), {});
        cwd = std::make_unique<vorel::testing::CurrentDir>(dir.Path());
        platform::SetApplicationTitle("Vorel - Electronics");
        form = new TFormulario;
        modulo = std::make_unique<TModuloDeDados>(form->DiretorioBase);
        form->SetModuloDeDados(modulo.get());
    }
    ~SampleProgram() {
        delete form.data();
        modulo.reset();
    }
};
}  // namespace

TEST(SampleInstallation, StartsWithFirstCodesPicturesAndEquivalents) {
    platform::ScriptedMessenger m;
    SampleProgram p;
    p.form->resize(1366, 768);
    p.form->show();
    ASSERT_TRUE(m.shown.empty()) << m.shown[0].text;
    TFormulario& f = *p.form;
    EXPECT_FALSE(f.Iniciando());
    for (Device d : {Device::Transistores, Device::DiodosR, Device::DiodosZ}) {
        DevicePanel& panel = f.Panel(d);
        EXPECT_EQ(panel.BuscaRapida->text().toStdString(),
                  p.modulo->Tabela(d).FieldByName("Identificacao").AsString());
        EXPECT_FALSE(panel.Imagem1->Empty());
        EXPECT_FALSE(panel.Imagem2->Empty());
    }
    EXPECT_FALSE(f.ImagemAbertura->Empty());
    EXPECT_FALSE(f.ImagemResistor->Empty());
    EXPECT_FALSE(f.ImagemCapacitor->Empty());
    // An original whose compared values are all stored stands among its own equivalents.
    for (Device d : {Device::Transistores, Device::DiodosR, Device::DiodosZ}) {
        platform::TTable& t = p.modulo->Tabela(d);
        auto complete = [&] {
            for (const Criterion& c : CriteriaOf(d).criteria)
                if (!c.onlyPositive && t.FieldByName(c.field).IsNull()) return false;
            return true;
        };
        for (t.First(); !t.Eof() && !complete(); t.Next()) {
        }
        ASSERT_FALSE(t.Eof());
        f.Panel(d).Equivalentes->click();
        ASSERT_TRUE(p.modulo->Pesquisa(d).Active());
        bool found = false;
        const std::string code = t.FieldByName("Identificacao").AsString();
        for (auto& q = p.modulo->Pesquisa(d); !q.Eof() && !found; q.Next())
            found = q.FieldByName("Identificacao").AsString() == code;
        EXPECT_TRUE(found) << code << ": " << p.modulo->Pesquisa(d).SQL.back();
    }
    EXPECT_TRUE(m.shown.empty());
}

TEST(SampleInstallation, Screenshots) {
    const char* out = std::getenv("VOREL_SHOTS_DIR");
    if (!out) GTEST_SKIP() << "VOREL_SHOTS_DIR not set";
    platform::ScriptedMessenger m;
    SampleProgram p;
    TFormulario& f = *p.form;
    f.resize(1366, 768);
    f.show();
    ASSERT_TRUE(m.shown.empty()) << m.shown[0].text;
    for (QSize size : {QSize(1366, 728), QSize(1920, 1040)}) {
        f.resize(size);
        const QString tag = QString("%1x%2").arg(size.width()).arg(size.height());
        for (int i = 0; i < f.PageControl1->count(); ++i) {
            f.PageControl1->setCurrentIndex(i);
            QWidget* page = f.PageControl1->widget(i);
            // Every sheet of every device.
            const auto sheets = page->findChildren<QTabWidget*>();
            bool shot = false;
            for (QTabWidget* tabs : sheets) {
                if (!tabs->objectName().endsWith("Sheets")) continue;
                // sheets -> device page -> stack -> the device sub-tabs
                QWidget* devicePage = tabs->parentWidget();
                if (auto* outer = qobject_cast<QTabWidget*>(devicePage->parentWidget()->parentWidget()))
                    outer->setCurrentWidget(devicePage);
                for (int s = 0; s < tabs->count(); ++s) {
                    tabs->setCurrentIndex(s);
                    QApplication::processEvents();
                    f.grab().save(QString("%1/%2-tab%3-%4-sheet%5.png").arg(out, tag).arg(i).arg(tabs->objectName()).arg(s + 1));
                    shot = true;
                }
            }
            if (!shot) {
                QApplication::processEvents();
                f.grab().save(QString("%1/%2-tab%3.png").arg(out, tag).arg(i));
            }
        }
    }
}
