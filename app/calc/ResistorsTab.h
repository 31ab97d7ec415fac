#pragma once
// The "Resistors" calculator: the resistor type, five colour bands, "=" and
// the value with its unit and tolerance. Any change of type or band puts the
// result back to "n/a" until "=" is pressed again.
#include <QWidget>
#include <array>

class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace platform {
class TImage;
}

namespace vorel {

class ResistorsTab : public QWidget {
public:
    explicit ResistorsTab(QWidget* parent = nullptr);

    platform::TImage* ImagemResistor;
    std::array<QRadioButton*, 7> Resistor;  // Resistor1 .. Resistor7
    QComboBox *Cor1, *Cor2, *Cor3, *Multiplicador, *Tolerancia;
    QPushButton* Button1;
    QLabel *Valor, *ValorTolerancia, *Kilo, *Mega, *Omega;

    // The selected type, 1..7.
    int SelectedType() const;
    // ResistorNClick: selects type n (1..7).
    void ResistorClick(int type);
    void Cor1Click();  // any band changed
    void Button1Click();
    // Every combo on its first item (start-up).
    void ResetCombos();

private:
    void ShowNotAvailable();
};

}  // namespace vorel
