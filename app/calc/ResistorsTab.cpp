#include "app/calc/ResistorsTab.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/calc/ColourCode.h"
#include "app/calc/Controls.h"
#include "platform/qt/dbcontrols/Image.h"
#include "platform/qt/qtglue/Guard.h"

namespace vorel {

using calc::Combo;
using calc::ResultLabel;

ResistorsTab::ResistorsTab(QWidget* parent) : QWidget(parent) {
    setObjectName("ResistorsTab");
    auto* h = new QHBoxLayout(this);
    h->setContentsMargins(12, 12, 12, 12);
    h->setSpacing(24);

    auto* left = new QVBoxLayout;
    ImagemResistor = new platform::TImage;
    ImagemResistor->setObjectName("ImagemResistor");
    ImagemResistor->setMinimumSize(320, 160);
    left->addWidget(ImagemResistor, 1);
    auto* types = new QGroupBox("Type");
    auto* tv = new QVBoxLayout(types);
    static const char* const captions[] = {
        "1- Metallic film, not flammable", "2- Metallic film, power", "3- Metallic film, general purpose",
        "4- Metallic film, general purpose", "5- Metallic film, general purpose", "6- Metallic film, precision",
        "7- Carbon film, precision"};
    for (int i = 0; i < 7; ++i) {
        Resistor[i] = new QRadioButton(captions[i]);
        Resistor[i]->setObjectName(QString("Resistor%1").arg(i + 1));
        Resistor[i]->setEnabled(i == 0 || i == 6);  // the other types wait for their data
        tv->addWidget(Resistor[i]);
        connect(Resistor[i], &QRadioButton::clicked, this,
                [this, i] { platform::Guarded([this, i] { ResistorClick(i + 1); }); });
    }
    Resistor[0]->setChecked(true);
    left->addWidget(types);
    h->addLayout(left, 1);

    auto* right = new QVBoxLayout;
    auto* bands = new QGridLayout;
    bands->setHorizontalSpacing(12);
    Cor1 = Combo("Cor1", FirstDigitColours());
    Cor2 = Combo("Cor2", DigitColours());
    Cor3 = Combo("Cor3", DigitColours());
    Multiplicador = Combo("Multiplicador", MultiplierColours());
    Tolerancia = Combo("Tolerancia", ToleranceColours());
    Cor3->setEnabled(false);
    const std::pair<const char*, QComboBox*> rows[] = {{"a - 1st. algarism", Cor1},
                                                       {"b - 2nd. algarism", Cor2},
                                                       {"c - 3rd. algarism", Cor3},
                                                       {"d - multiplier", Multiplicador},
                                                       {"e - tolerance", Tolerancia}};
    int row = 0;
    for (const auto& [caption, combo] : rows) {
        bands->addWidget(new QLabel(caption), row, 0);
        bands->addWidget(combo, row++, 1);
        connect(combo, &QComboBox::currentIndexChanged, this, [this] { platform::Guarded([this] { Cor1Click(); }); });
    }
    bands->setColumnStretch(2, 1);
    right->addLayout(bands);

    Button1 = new QPushButton("=");
    Button1->setObjectName("Button1");
    Button1->setMinimumSize(60, 32);
    connect(Button1, &QPushButton::clicked, this, [this] { platform::Guarded([this] { Button1Click(); }); });
    auto* equals = new QHBoxLayout;
    equals->addWidget(Button1);
    equals->addStretch(1);
    right->addSpacing(8);
    right->addLayout(equals);
    right->addSpacing(8);

    // The value with its unit labels right after it.
    auto* value = new QHBoxLayout;
    value->setSpacing(2);
    Valor = ResultLabel("Valor");
    Kilo = ResultLabel("Kilo");
    Kilo->setText("K");
    Mega = ResultLabel("Mega");
    Mega->setText("M");
    Omega = ResultLabel("Omega");
    Omega->setText(QString(QChar(0x2126)));  // the ohm sign
    value->addWidget(new QLabel("Value:"));
    value->addSpacing(8);
    for (QLabel* l : {Valor, Kilo, Mega, Omega}) value->addWidget(l);
    value->addStretch(1);
    right->addLayout(value);
    auto* tolerance = new QHBoxLayout;
    ValorTolerancia = ResultLabel("ValorTolerancia");
    tolerance->addWidget(new QLabel("Tolerance:"));
    tolerance->addSpacing(8);
    tolerance->addWidget(ValorTolerancia);
    tolerance->addStretch(1);
    right->addLayout(tolerance);
    right->addStretch(1);
    h->addLayout(right, 1);
    ShowNotAvailable();
}

int ResistorsTab::SelectedType() const {
    for (int i = 0; i < 7; ++i)
        if (Resistor[i]->isChecked()) return i + 1;
    return 1;
}

void ResistorsTab::ShowNotAvailable() {
    Valor->setText("n/a");
    ValorTolerancia->setText("n/a");
    for (QLabel* l : {Mega, Kilo, Omega}) l->setVisible(false);
}

void ResistorsTab::ResistorClick(int type) {
    for (int i = 0; i < 7; ++i) Resistor[i]->setChecked(i + 1 == type);
    Cor3->setEnabled(type == 6 || type == 7);
    ShowNotAvailable();
}

void ResistorsTab::Cor1Click() { ShowNotAvailable(); }

void ResistorsTab::Button1Click() {
    const ResistorValue r =
        ComputeResistor(SelectedType(), Cor1->currentIndex(), Cor2->currentIndex(), Cor3->currentIndex(),
                        Multiplicador->currentIndex(), Tolerancia->currentIndex());
    Valor->setText(QString::fromStdString(r.value));
    Kilo->setVisible(r.unit == Unit::Kilo);
    Mega->setVisible(r.unit == Unit::Mega);
    Omega->setVisible(true);
    ValorTolerancia->setText(QString::fromStdString(r.tolerance));
}

void ResistorsTab::ResetCombos() {
    for (QComboBox* c : {Cor1, Cor2, Cor3, Multiplicador, Tolerancia}) c->setCurrentIndex(0);
}

}  // namespace vorel
