#pragma once
// The modal legend dialog: base directory + "legenda.rtf" when it exists,
// otherwise (after telling the user) the built-in legend.
#include <QDialog>
#include <string>
#include <vector>

class QPushButton;
class QTextEdit;

namespace vorel {

// The built-in legend, one entry per line, empty lines included.
const std::vector<std::string>& BuiltInLegend();

class TCaixaLegenda : public QDialog {
public:
    // FormCreate: fills the legend from baseDirectory.
    explicit TCaixaLegenda(const std::string& baseDirectory, QWidget* parent = nullptr);

    QTextEdit* ExibeLegenda;
    QPushButton* OKButton;

    void OKButtonClick();
};

}  // namespace vorel
