#pragma once
// The "Polyester capacitors" calculator: five colour bands (Portuguese
// colour names), "=" and the capacitance in nF, tolerance and voltage. Any
// band change puts the results back to "n/a".
#include <QWidget>

class QComboBox;
class QLabel;
class QPushButton;

namespace platform {
class TImage;
}

namespace vorel {

class CapacitorsTab : public QWidget {
public:
    explicit CapacitorsTab(QWidget* parent = nullptr);

    platform::TImage* ImagemCapacitor;
    QComboBox *CorCapacitor1, *CorCapacitor2, *MultiplicadorCapacitor, *ToleranciaCapacitor, *TensaoCapacitor;
    QPushButton* Button2;
    QLabel *ValorCapacitancia, *ValorToleranciaCapacitor, *ValorTensao, *Capacitancia;

    void CorCapacitor1Click();  // any band changed
    void Button2Click();
    void ResetCombos();
};

}  // namespace vorel
