// The calculators as a user works them: bands, "=" and the results.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "app/calc/CapacitorsTab.h"
#include "app/calc/ResistorsTab.h"

using namespace vorel;

namespace {
std::string Text(QLabel* l) { return l->text().toStdString(); }
// The unit labels shown after the value, in order.
std::string Units(ResistorsTab& a) {
    std::string u;
    for (QLabel* l : {a.Kilo, a.Mega, a.Omega})
        if (l->isVisibleTo(&a)) u += l->objectName().toStdString() + " ";
    return u;
}
}  // namespace

TEST(ResistorsTab, StartsWithTypeOneAndNoResult) {
    ResistorsTab a;
    a.show();
    EXPECT_TRUE(a.Resistor[0]->isChecked());
    for (int i : {1, 2, 3, 4, 5}) EXPECT_FALSE(a.Resistor[i]->isEnabled());
    EXPECT_TRUE(a.Resistor[6]->isEnabled());
    EXPECT_FALSE(a.Cor3->isEnabled());
    EXPECT_EQ(Text(a.Valor), "n/a");
    EXPECT_EQ(Text(a.ValorTolerancia), "n/a");
    EXPECT_EQ(Units(a), "");
    EXPECT_EQ(a.Cor1->count(), 9);
    EXPECT_EQ(a.Multiplicador->itemText(0).toStdString(), "Silver");
}

TEST(ResistorsTab, EqualsShowsValueUnitsAndToleranceThenAnyChangeBlanks) {
    ResistorsTab a;
    a.show();
    a.ResetCombos();
    // Brown, Black, Silver: 0.1 ohm.
    QTest::mouseClick(a.Button1, Qt::LeftButton);
    EXPECT_EQ(Text(a.Valor), "0.1");
    EXPECT_EQ(Units(a), "Omega ");
    EXPECT_EQ(Text(a.ValorTolerancia), "10%");
    // Brown, Black, Red: 1 K.
    a.Multiplicador->setCurrentIndex(4);
    EXPECT_EQ(Text(a.Valor), "n/a");
    EXPECT_EQ(Text(a.ValorTolerancia), "n/a");
    EXPECT_EQ(Units(a), "");
    a.Button1->click();
    EXPECT_EQ(Text(a.Valor), "1");
    EXPECT_EQ(Units(a), "Kilo Omega ");
    // Every band blanks the result.
    for (QComboBox* c : {a.Cor1, a.Cor2, a.Cor3, a.Multiplicador, a.Tolerancia}) {
        a.Button1->click();
        ASSERT_NE(Text(a.Valor), "n/a");
        c->setCurrentIndex(c->currentIndex() == 0 ? 1 : 0);
        EXPECT_EQ(Text(a.Valor), "n/a") << c->objectName().toStdString();
        EXPECT_EQ(Units(a), "");
    }
    // Mega.
    a.ResetCombos();
    a.Multiplicador->setCurrentIndex(7);  // Green
    a.Button1->click();
    EXPECT_EQ(Units(a), "Mega Omega ");
}

TEST(ResistorsTab, ThirdBandOnlyForTypesSixAndSeven) {
    ResistorsTab a;
    a.show();
    a.ResetCombos();
    for (int type = 1; type <= 7; ++type) {
        a.Button1->click();
        a.ResistorClick(type);
        EXPECT_EQ(a.Cor3->isEnabled(), type >= 6) << type;
        EXPECT_EQ(a.SelectedType(), type);
        EXPECT_EQ(Text(a.Valor), "n/a") << type;
        for (int i = 0; i < 7; ++i) EXPECT_EQ(a.Resistor[i]->isChecked(), i + 1 == type);
    }
    // Type 7: Brown, Black, Black, Brown is 1 K.
    QTest::mouseClick(a.Resistor[6], Qt::LeftButton);
    a.Multiplicador->setCurrentIndex(3);
    a.Button1->click();
    EXPECT_EQ(Text(a.Valor), "1");
    EXPECT_EQ(Units(a), "Kilo Omega ");
    QTest::mouseClick(a.Resistor[0], Qt::LeftButton);
    EXPECT_FALSE(a.Cor3->isEnabled());
    a.Button1->click();
    EXPECT_EQ(Text(a.Valor), "100");
}

TEST(CapacitorsTab, EqualsShowsNanofaradsToleranceAndVoltageThenChangesBlank) {
    CapacitorsTab a;
    a.show();
    a.ResetCombos();
    EXPECT_EQ(Text(a.ValorCapacitancia), "n/a");
    EXPECT_FALSE(a.Capacitancia->isVisibleTo(&a));
    a.MultiplicadorCapacitor->setCurrentIndex(2);  // Vermelho
    a.TensaoCapacitor->setCurrentIndex(8);         // Branco
    a.ToleranciaCapacitor->setCurrentIndex(3);
    QTest::mouseClick(a.Button2, Qt::LeftButton);
    EXPECT_EQ(Text(a.ValorCapacitancia), "1");
    EXPECT_TRUE(a.Capacitancia->isVisibleTo(&a));
    EXPECT_EQ(Text(a.Capacitancia), "nF");
    EXPECT_EQ(Text(a.ValorTensao), "900V");
    EXPECT_EQ(Text(a.ValorToleranciaCapacitor), "20%");
    for (QComboBox* c : {a.CorCapacitor1, a.CorCapacitor2, a.MultiplicadorCapacitor, a.ToleranciaCapacitor,
                         a.TensaoCapacitor}) {
        a.Button2->click();
        c->setCurrentIndex(c->currentIndex() == 0 ? 1 : 0);
        for (QLabel* l : {a.ValorCapacitancia, a.ValorTensao, a.ValorToleranciaCapacitor})
            EXPECT_EQ(Text(l), "n/a") << c->objectName().toStdString();
        EXPECT_FALSE(a.Capacitancia->isVisibleTo(&a));
    }
}
