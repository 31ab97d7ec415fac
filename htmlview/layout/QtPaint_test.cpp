#include "htmlview/layout/Canvas.h"
#include "htmlview/layout/Section.h"
#include "htmlview/layout/SectionList.h"

#include <QApplication>
#include <QLineEdit>
#include <QPainter>
#include <gtest/gtest.h>

using namespace htmlview;

namespace {
QImage render(const std::vector<std::string>& pieces, TextMetrics& m) {
    QImage img(200, 30, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    TCanvas c(m, &p);
    c.Font.SetName("Times New Roman");
    c.Font.SetSize(12);
    c.BrushClear = true;
    c.TextBaseline = true;
    int x = 2;
    for (const std::string& s : pieces) {
        c.TextOut(x, 20, s);
        x += c.TextWidth(s);
    }
    return img;
}
}  // namespace

TEST(QtPainting, PiecesPaintLikeTheWhole) {
    QtTextMetrics m;
    QImage whole = render({"Transistor w\xE9ll"}, m);
    QImage pieces = render({"Tran", "sistor", " w", "\xE9", "ll"}, m);
    EXPECT_TRUE(whole == pieces);
    bool inked = false;
    for (int y = 0; y < whole.height() && !inked; ++y)
        for (int x = 0; x < whole.width(); ++x)
            if (whole.pixelColor(x, y) != QColor(Qt::white)) inked = true;
    EXPECT_TRUE(inked);
}

TEST(QtPainting, SelectedTextHasTheRunColourBehindIt) {
    SetScreenMetrics(nullptr);
    TSectionList doc(nullptr, nullptr);
    doc.SetBackColor(clWhite);
    TInlineState st;
    TMyFont f;
    f.SetNominalSize(doc, 12);
    f.SetColor(0x0000FF);  // red text
    auto* s = new TSection(0, 1, nullptr, f, st);
    s->AppendText("select me");
    doc.AddBlock(s);
    QtTextMetrics m;
    TCanvas measure(m);
    int ci = 0, mw = 0;
    doc.Arrange(measure, 0, 300, ci, mw);
    doc.SelStart = 0;
    doc.SelEnd = 6;
    QImage img(300, 40, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    TCanvas c(m, &p);
    doc.Paint(c, QRect(0, 0, 300, 40), 0, 0, 300);
    p.end();
    const int w = m.TextWidth(*s->Fonts[0]->TheFont, "select");
    EXPECT_EQ(img.pixelColor(1, 2), QColor(255, 0, 0));       // selection background in the text colour
    EXPECT_EQ(img.pixelColor(w + 6, 2), QColor(Qt::white));   // unselected: transparent
}

TEST(QtPainting, OffscreenControlsStayFocusable) {
    SetScreenMetrics(nullptr);
    QWidget panel;
    panel.resize(200, 200);
    TSectionList doc(nullptr, &panel);
    ThtmlForm* form = new ThtmlForm(&doc, nullptr);
    struct Edit : TFormControlObj {
        Edit(TSectionList* d, ThtmlForm* f, QWidget* parent) : TFormControlObj(d, f, nullptr, 0) {
            TheControl = new QLineEdit(parent);
        }
    };
    auto* a = new Edit(&doc, form, &panel);
    auto* b = new Edit(&doc, form, &panel);
    form->AddControl(a);
    form->AddControl(b);
    EXPECT_EQ(form->VisibleCount, 2);
    panel.show();
    a->TheControl->show();
    b->TheControl->show();
    doc.HideOffscreenControls();  // nothing of ours has focus: unplaced controls hide
    EXPECT_FALSE(a->TheControl->isVisible());
    EXPECT_FALSE(b->TheControl->isVisible());
    a->Shown = true;
    a->TheControl->show();
    panel.activateWindow();
    a->TheControl->setFocus();
    QApplication::processEvents();
    if (QApplication::focusWidget() != a->TheControl) GTEST_SKIP() << "no keyboard focus on this platform";
    doc.HideOffscreenControls();
    EXPECT_TRUE(b->TheControl->isVisible());
    EXPECT_EQ(b->TheControl->x(), -4000);
    form->Controls.Delete(form->Controls.IndexOf(b));  // a control that goes away leaves the document's list
    EXPECT_EQ(doc.Controls.size(), 1u);
}
