#include "app/calc/CapacitorsTab.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/calc/ColourCode.h"
#include "app/calc/Controls.h"
#include "platform/qt/dbcontrols/Image.h"
#include "platform/qt/qtglue/Guard.h"

namespace vorel {

using calc::Combo;
using calc::ResultLabel;

CapacitorsTab::CapacitorsTab(QWidget* parent) : QWidget(parent) {
    setObjectName("CapacitorsTab");
    auto* h = new QHBoxLayout(this);
    h->setContentsMargins(12, 12, 12, 12);
    h->setSpacing(24);

    ImagemCapacitor = new platform::TImage;
    ImagemCapacitor->setObjectName("ImagemCapacitor");
    ImagemCapacitor->setMinimumSize(320, 160);
    h->addWidget(ImagemCapacitor, 1);

    auto* right = new QVBoxLayout;
    auto* bands = new QGridLayout;
    bands->setHorizontalSpacing(12);
    CorCapacitor1 = Combo("CorCapacitor1", CapacitorFirstDigitColours());
    CorCapacitor2 = Combo("CorCapacitor2", CapacitorDigitColours());
    MultiplicadorCapacitor = Combo("MultiplicadorCapacitor", CapacitorDigitColours());
    ToleranciaCapacitor = Combo("ToleranciaCapacitor", CapacitorToleranceColours());
    TensaoCapacitor = Combo("TensaoCapacitor", CapacitorVoltageColours());
    const std::pair<const char*, QComboBox*> rows[] = {{"1st. digit", CorCapacitor1},
                                                       {"2nd. digit", CorCapacitor2},
                                                       {"Multiplier", MultiplicadorCapacitor},
                                                       {"Tolerance", ToleranciaCapacitor},
                                                       {"Voltage", TensaoCapacitor}};
    int row = 0;
    for (const auto& [caption, combo] : rows) {
        bands->addWidget(new QLabel(caption), row, 0);
        bands->addWidget(combo, row++, 1);
        connect(combo, &QComboBox::currentIndexChanged, this,
                [this] { platform::Guarded([this] { CorCapacitor1Click(); }); });
    }
    bands->setColumnStretch(2, 1);
    right->addLayout(bands);

    Button2 = new QPushButton("=");
    Button2->setObjectName("Button2");
    Button2->setMinimumSize(60, 32);
    connect(Button2, &QPushButton::clicked, this, [this] { platform::Guarded([this] { Button2Click(); }); });
    auto* equals = new QHBoxLayout;
    equals->addWidget(Button2);
    equals->addStretch(1);
    right->addSpacing(8);
    right->addLayout(equals);
    right->addSpacing(8);

    auto* results = new QGridLayout;
    results->setHorizontalSpacing(8);
    ValorCapacitancia = ResultLabel("ValorCapacitancia");
    Capacitancia = ResultLabel("Capacitancia");
    Capacitancia->setText("nF");
    ValorToleranciaCapacitor = ResultLabel("ValorToleranciaCapacitor");
    ValorTensao = ResultLabel("ValorTensao");
    auto* value = new QHBoxLayout;
    value->setSpacing(4);
    value->addWidget(ValorCapacitancia);
    value->addWidget(Capacitancia);  // right after the value
    value->addStretch(1);
    results->addWidget(new QLabel("Capacitance:"), 0, 0);
    results->addLayout(value, 0, 1);
    results->addWidget(new QLabel("Tolerance:"), 1, 0);
    results->addWidget(ValorToleranciaCapacitor, 1, 1);
    results->addWidget(new QLabel("Voltage:"), 2, 0);
    results->addWidget(ValorTensao, 2, 1);
    results->setColumnStretch(1, 1);
    right->addLayout(results);
    right->addStretch(1);
    h->addLayout(right, 1);
    CorCapacitor1Click();
}

void CapacitorsTab::CorCapacitor1Click() {
    for (QLabel* l : {ValorCapacitancia, ValorTensao, ValorToleranciaCapacitor}) l->setText("n/a");
    Capacitancia->setVisible(false);
}

void CapacitorsTab::Button2Click() {
    const CapacitorValue c =
        ComputeCapacitor(CorCapacitor1->currentIndex(), CorCapacitor2->currentIndex(),
                         MultiplicadorCapacitor->currentIndex(), ToleranciaCapacitor->currentIndex(),
                         TensaoCapacitor->currentIndex());
    ValorCapacitancia->setText(QString::fromStdString(c.capacitance));
    Capacitancia->setVisible(true);
    ValorToleranciaCapacitor->setText(QString::fromStdString(c.tolerance));
    ValorTensao->setText(QString::fromStdString(c.voltage));
}

void CapacitorsTab::ResetCombos() {
    for (QComboBox* c : {CorCapacitor1, CorCapacitor2, MultiplicadorCapacitor, ToleranciaCapacitor, TensaoCapacitor})
        c->setCurrentIndex(0);
}

}  // namespace vorel
