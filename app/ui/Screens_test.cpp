// The window on the sample installation: the start-up as a user sees it,
// and (with VOREL_SHOTS_DIR set) a PNG of every tab and sheet at the two
// screen sizes the program must be readable at.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTimer>
#include <cstdlib>
#include <filesystem>

#include "app/data/TModuloDeDados.h"
#include "app/editor/TextEditor.h"
#include "app/ui/TFormulario.h"
#include "platform/qt/dbcontrols/DBGrid.h"
#include "platform/qt/dbcontrols/Image.h"
#include "platform/qt/qtglue/CaseEdit.h"
#include "platform/qt/qtglue/Messenger.h"
#include "platform/qt/qtglue/PageControl.h"
#include "platform/tables/Field.h"
#include "platform/tables/Table.h"
#include "testkit/app/TestInstallation.h"
#include "testkit/files/Shots.h"
#include "testkit/files/TempDir.h"
#include "testkit/generators/sample/SampleWriter.h"

using namespace vorel;
using platform::testing::SaveShot;

namespace {
struct SampleProgram {
    platform::testing::TempDir dir;
    std::unique_ptr<vorel::testing::CurrentDir> cwd;
    QPointer<TFormulario> form;
    std::unique_ptr<TModuloDeDados> module;
    SampleProgram() {
        sample::WriteInstallation(dir.Path(), {});
        cwd = std::make_unique<vorel::testing::CurrentDir>(dir.Path());
        platform::SetApplicationTitle("Vorel - Electronics");
        form = new TFormulario;
        module = std::make_unique<TModuloDeDados>(form->BaseDirectory);
        form->SetDataModule(module.get());
    }
    ~SampleProgram() {
        delete form.data();
        module.reset();
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
    EXPECT_FALSE(f.Starting());
    for (Device d : {Device::Transistores, Device::DiodosR, Device::DiodosZ}) {
        DevicePanel& panel = f.Panel(d);
        EXPECT_EQ(panel.QuickSearchBox->text().toStdString(),
                  p.module->Table(d).FieldByName("Identificacao").AsString());
        EXPECT_FALSE(panel.Picture1->Empty());
        EXPECT_FALSE(panel.Picture2->Empty());
    }
    EXPECT_FALSE(f.ImagemAbertura->Empty());
    EXPECT_FALSE(f.ImagemResistor->Empty());
    EXPECT_FALSE(f.ImagemCapacitor->Empty());
    // An original whose compared values are all stored stands among its own equivalents.
    for (Device d : {Device::Transistores, Device::DiodosR, Device::DiodosZ}) {
        platform::TTable& t = p.module->Table(d);
        auto complete = [&] {
            for (const Criterion& c : CriteriaOf(d).criteria)
                if (!c.onlyPositive && t.FieldByName(c.field).IsNull()) return false;
            return true;
        };
        for (t.First(); !t.Eof() && !complete(); t.Next()) {
        }
        ASSERT_FALSE(t.Eof());
        f.Panel(d).EquivalentsButton->click();
        ASSERT_TRUE(p.module->Query(d).Active());
        bool found = false;
        const std::string code = t.FieldByName("Identificacao").AsString();
        for (auto& q = p.module->Query(d); !q.Eof() && !found; q.Next())
            found = q.FieldByName("Identificacao").AsString() == code;
        EXPECT_TRUE(found) << code << ": " << p.module->Query(d).SQL.back();
    }
    EXPECT_TRUE(m.shown.empty());
}

TEST(SampleInstallation, Screenshots) {
    const std::optional<QString> out = platform::testing::ShotsDir();
    if (!out) GTEST_SKIP() << "VOREL_SHOTS_DIR not set";
    platform::ScriptedMessenger m;
    SampleProgram p;
    TFormulario& f = *p.form;
    f.resize(1366, 768);
    f.show();
    ASSERT_TRUE(m.shown.empty()) << m.shown[0].text;
    for (QSize size : {QSize(800, 600), QSize(1024, 768), QSize(1920, 1040)}) {
        f.resize(size);
        const QString tag = QString("%1x%2").arg(size.width()).arg(size.height());
        for (int i = 0; i < f.PageControl1->count(); ++i) {
            f.PageControl1->setCurrentIndex(i);
            QWidget* page = f.PageControl1->widget(i);
            // Every sheet of every device, every sub-tab of the other pages.
            const auto inner = page->findChildren<QTabWidget*>();
            bool shot = false;
            int innerNo = 0;
            for (QTabWidget* tabs : inner) {
                ++innerNo;
                const bool sheets = tabs->objectName().endsWith("Sheets");
                if (!sheets && inner.size() > 1 && tabs->findChildren<QTabWidget*>().size() > 0) continue;
                // The sub-tab holding these sheets comes to the front.
                for (QWidget* w = tabs->parentWidget(); sheets && w; w = w->parentWidget())
                    if (auto* outer = qobject_cast<QTabWidget*>(w->parentWidget() ? w->parentWidget()->parentWidget()
                                                                                  : nullptr)) {
                        outer->setCurrentWidget(w);
                        break;
                    }
                const QString name = sheets ? tabs->objectName() : QString("sub%1").arg(innerNo);
                for (int s = 0; s < tabs->count(); ++s) {
                    tabs->setCurrentIndex(s);
                    QApplication::processEvents();
                    SaveShot(f.grab(), QString("%1/%2-tab%3-%4-%5.png").arg(*out, tag).arg(i).arg(name).arg(s + 1));
                    shot = true;
                }
            }
            if (!shot) {
                QApplication::processEvents();
                SaveShot(f.grab(), QString("%1/%2-tab%3.png").arg(*out, tag).arg(i));
            }
        }
        // The editor with a technical text of the library, and the legend.
        f.PageControl1->setCurrentWidget(f.TabSheet1_6);
        f.Editor->ChooseFileToOpen = [&](const std::string&) {
            return (p.dir.Path() / "library" / "testing_transistors.rtf").string();
        };
        f.Editor->AbrirClick();
        QApplication::processEvents();
        SaveShot(f.grab(), QString("%1/%2-editor.png").arg(*out, tag));
        QTimer::singleShot(0, [&] {
            if (QWidget* d = QApplication::activeModalWidget()) {
                SaveShot(d->grab(), QString("%1/%2-legend.png").arg(*out, tag));
                d->close();
            }
        });
        f.Legenda1->trigger();
    }
}

namespace {
// The part a grid shows on its first visible row (grids without the code
// column name it all the same).
std::string FirstVisiblePart(platform::TDBGrid& grid) {
    platform::TDataSet& ds = *grid.DataSet();
    const std::vector<platform::TRecord> rows = ds.PeekRows(-grid.ActiveRow(), 1);
    return rows.empty() ? "" : platform::TField::Text(rows[0][ds.FieldByName("Identificacao").Index()]);
}
}  // namespace

// A technician reads a part's values across the grids of a sheet: at the
// small screen sizes, and with a larger system font, the grids side by side
// start with the same part and show as many rows, after moving down the
// table and after an equivalents search.
TEST(SampleInstallation, GridsSideBySideShowTheSameRows) {
    platform::ScriptedMessenger m;
    SampleProgram p;
    TFormulario& f = *p.form;
    f.show();
    const QFont font = QApplication::font();
    for (int points : {9, 11})
        for (QSize size : {QSize(800, 600), QSize(1024, 768)}) {
            QFont larger = font;
            larger.setPointSize(points);
            QApplication::setFont(larger);
            f.resize(size);
            for (Device d : {Device::Transistores, Device::DiodosR, Device::DiodosZ}) {
                DevicePanel& panel = f.Panel(d);
                f.PageControl1->setCurrentWidget(d == Device::Transistores ? f.TabSheet1_2 : f.TabSheet1_3);
                for (QWidget* w = panel.EquivalentsButton; w; w = w->parentWidget())
                    if (auto* tabs = qobject_cast<QTabWidget*>(w->parentWidget() ? w->parentWidget()->parentWidget()
                                                                                 : nullptr))
                        tabs->setCurrentWidget(w);
                // Down the table record by record, as the arrow key goes: each
                // grid keeps the current part in view on its own.
                platform::TTable& t = p.module->Table(d);
                t.First();
                for (int step = 0; step < 12; ++step) {
                    QApplication::processEvents();
                    t.Next();
                }
                panel.EquivalentsButton->click();
                auto* sheets = f.findChild<QTabWidget*>(d == Device::Transistores ? "TSheets"
                                                        : d == Device::DiodosR     ? "DRSheets"
                                                                                   : "DZSheets");
                ASSERT_NE(sheets, nullptr);
                for (int s = 0; s < sheets->count(); ++s) {
                    sheets->setCurrentIndex(s);
                    QApplication::processEvents();
                    for (auto* side : {&panel.OriginalGrids, &panel.EquivalentGrids}) {
                        platform::TDBGrid* first = nullptr;
                        for (platform::TDBGrid* g : *side) {
                            if (!g->isVisible()) continue;
                            const std::string where = g->objectName().toStdString() + " at " +
                                                      std::to_string(size.width()) + " px, " +
                                                      std::to_string(points) + " pt";
                            EXPECT_FALSE(g->horizontalScrollBar()->isVisible()) << where;
                            if (!first) {
                                first = g;
                                continue;
                            }
                            EXPECT_EQ(FirstVisiblePart(*g), FirstVisiblePart(*first))
                                << where << " beside " << first->objectName().toStdString();
                            EXPECT_EQ(g->VisibleRows().size(), first->VisibleRows().size()) << where;
                        }
                    }
                }
            }
        }
    QApplication::setFont(font);
    EXPECT_TRUE(m.shown.empty());
}

namespace {
// Every visible caption on the current pages narrower than its control needs.
std::vector<std::string> CutCaptions(QWidget& root) {
    std::vector<std::string> cut;
    for (QWidget* w : root.findChildren<QWidget*>()) {
        if (!w->isVisible()) continue;
        QString text;
        if (auto* b = qobject_cast<QAbstractButton*>(w)) text = b->text();
        else if (auto* l = qobject_cast<QLabel*>(w); l && !l->wordWrap()) text = l->text();
        else continue;
        if (!text.isEmpty() && w->width() < w->minimumSizeHint().width())
            cut.push_back(text.toStdString() + " (" + w->objectName().toStdString() + ")");
    }
    return cut;
}
}  // namespace

// On a 1024 x 768 screen the window fits and no caption is cut; on 800 x 600
// the pages scroll rather than cut.
TEST(SampleInstallation, FitsTheScreenWithWholeCaptions) {
    platform::ScriptedMessenger m;
    SampleProgram p;
    TFormulario& f = *p.form;
    f.show();
    for (QSize size : {QSize(1024, 740), QSize(800, 572)}) {
        f.resize(size);
        QApplication::processEvents();
        EXPECT_LE(f.width(), size.width());
        EXPECT_LE(f.height(), size.height());
        for (int i = 0; i < f.PageControl1->count(); ++i) {
            f.PageControl1->setCurrentIndex(i);
            QList<QTabWidget*> inner = f.PageControl1->widget(i)->findChildren<QTabWidget*>();
            inner.push_back(nullptr);  // the page as it first shows
            for (QTabWidget* tabs : inner)
                for (int s = 0; s < (tabs ? tabs->count() : 1); ++s) {
                    if (tabs) tabs->setCurrentIndex(s);
                    QApplication::processEvents();
                    for (const std::string& c : CutCaptions(f))
                        ADD_FAILURE() << size.width() << " px, tab " << i << ": " << c;
                }
        }
    }
}
