#pragma once
// The IC's tab: a top panel with the instructions, the search box and the
// Search button, the hidden memo the page is written into, and the viewer
// that shows it. A click on a link goes to the shell.
#include <QWidget>
#include <functional>
#include <string>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace htmlview {
class THtmlDisplay;
}
namespace platform {
class TCaseEdit;
class TDataSet;
}  // namespace platform

namespace vorel {

class ICTab : public QWidget {
public:
    // icTable: the IC table when a search runs; baseDirectory: the
    // program's base directory (vorel.ini lives there).
    ICTab(std::function<platform::TDataSet&()> icTable, std::string baseDirectory,
          QWidget* parent = nullptr);

    QLabel* Instructions;
    platform::TCaseEdit* CIPesquisa;
    QPushButton* Buscar;
    QPlainTextEdit* CodigoFonte;
    htmlview::THtmlDisplay* VisualizadorHTML;

    void BuscarClick();
    void BuscaIntegrados();
    void VisualizadorHTMLHotSpotClick(QWidget* sender, const std::string& src, bool& handled);

private:
    std::function<platform::TDataSet&()> table_;
    std::string base_;
};

}  // namespace vorel
